#include "app/PaletteSettings.h"

#include "gif/GIFImage.h"
#include "platform/services/SettingsStore.h"

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
    const QString section = QStringLiteral("Settings\\");
    int type = Settings.ReadInteger(section, QStringLiteral("PaletteType"), 0);
    if (type < 0 || type > 2)
        type = 0; // an unknown choice gets the default
    if (type == 1) {
        Document.ColorReductionKind = crWebSafe;
        Document.SetReductionBits(8);
    } else {
        Document.ColorReductionKind = crQuantize;
        Document.SetReductionBits(
            ReductionBitsForColors(Settings.ReadInteger(section, QStringLiteral("MaxColorCount"), 256)));
    }
    Document.DitherKind = Settings.ReadInteger(section, QStringLiteral("DitherMethod"), 0) == 1
                              ? dkFloydSteinberg
                              : dkNearest;
    return type != 2;
}
