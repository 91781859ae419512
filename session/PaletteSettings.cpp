#include "session/PaletteSettings.h"

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

TPaletteUse PaletteUseFromSettings(const TSettingsStore& Settings) {
    int type = Settings.Read(Setting::PaletteType);
    if (type < 0 || type > 3)
        type = Setting::PaletteType.Default; // an unknown choice gets the default
    TPaletteUse use;
    if (type == 3) {
        use.Reduction = crFitted;
        use.Bits = ReductionBitsForColors(Settings.Read(Setting::MaxColorCount));
    } else if (type == 1) {
        use.Reduction = crWebSafe;
        use.Bits = 8;
    } else {
        use.Reduction = crQuantize;
        use.Bits = ReductionBitsForColors(Settings.Read(Setting::MaxColorCount));
    }
    use.Dither = Settings.Read(Setting::DitherMethod) == 1 ? dkFloydSteinberg : dkNearest;
    use.Shared = type == 0 || type == 1;  // local and fitted palettes are per picture
    return use;
}

bool ApplyPaletteSettings(TGIFImage& Document, const TSettingsStore& Settings) {
    const TPaletteUse use = PaletteUseFromSettings(Settings);
    Document.ColorReductionKind = use.Reduction;
    Document.SetReductionBits(use.Bits);
    Document.DitherKind = use.Dither;
    return use.Shared;
}
