#include "app/PaletteSettings.h"

#include "gif/GIFImage.h"
#include "services/SettingsStore.h"

int ReductionBitsForColors(int MaxColors) {
    switch (MaxColors) {
    case 8: return 3;
    case 16: return 4;
    case 32: return 5;
    case 64: return 6;
    case 128: return 7;
    default: return 8;
    }
}

bool ApplyPaletteSettings(TGIFImage& Document, const TSettingsStore& Settings) {
    int type = Settings.Read(Setting::PaletteType);
    if (type < 0 || type > 2)
        type = 0; // an unknown choice gets the default
    if (type == 1) {
        Document.ColorReductionKind = crWebSafe;
        Document.SetReductionBits(8);
    } else {
        Document.ColorReductionKind = crQuantize;
        Document.SetReductionBits(
            ReductionBitsForColors(Settings.Read(Setting::MaxColorCount)));
    }
    Document.DitherKind = Settings.Read(Setting::DitherMethod) == 1
                              ? dkFloydSteinberg
                              : dkNearest;
    return type != 2;
}
