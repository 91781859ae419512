#include "dialogs/SettingsChoices.h"

#include "services/SettingsStore.h"

namespace {
const QString Section = QStringLiteral("Settings\\");

bool IsColorCount(int n) {
    for (int c : PaletteColorCounts)
        if (c == n)
            return true;
    return false;
}
} // namespace

TFrameSizeChoice TFrameSizeChoice::Read(const TSettingsStore& Store) {
    TFrameSizeChoice c;
    c.ClipFrame = Store.Read(Setting::ClipFrame);
    c.ClipDefault = Store.Read(Setting::ClipDefault);
    c.FitFrame = Store.Read(Setting::FitFrame);
    return c;
}

void TFrameSizeChoice::Write(TSettingsStore& Store) const {
    Store.WriteIfChanged(Setting::ClipFrame, ClipFrame);
    Store.WriteIfChanged(Setting::ClipDefault, ClipDefault);
    Store.WriteIfChanged(Setting::FitFrame, FitFrame);
}

TPaletteChoice TPaletteChoice::Read(const TSettingsStore& Store) {
    TPaletteChoice c;
    c.PaletteDefaults = Store.Read(Setting::PaletteDefaults);
    const int type = Store.Read(Setting::PaletteType);
    if (type >= ptOptimized && type <= ptFitted)
        c.PaletteType = type;
    const int colors = Store.Read(Setting::MaxColorCount);
    if (IsColorCount(colors))
        c.MaxColorCount = colors;
    const int import = Store.Read(Setting::MaxImportCount);
    if (IsColorCount(import))
        c.MaxImportCount = import;
    c.DitherMethod = Store.Read(Setting::DitherMethod) == 1 ? 1 : 0;
    return c;
}

void TPaletteChoice::Write(TSettingsStore& Store) const {
    // Only what differs from what is in effect is stored.
    Store.WriteIfChanged(Setting::PaletteDefaults, PaletteDefaults);
    Store.WriteIfChanged(Setting::PaletteType, PaletteType);
    Store.WriteIfChanged(Setting::MaxColorCount, MaxColorCount);
    Store.WriteIfChanged(Setting::MaxImportCount, MaxImportCount);
    Store.WriteIfChanged(Setting::DitherMethod, DitherMethod);
}

namespace {
const QString ThumbSection = QStringLiteral("ThumbNails\\");

// Colours are stored as one number, red in the low byte.
int ColorValue(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

} // namespace

TProgramOptions DefaultColors(const QPalette& Scheme) {
    TProgramOptions colors;
    // On a dark scheme the light defaults would glare and hide the list's
    // texts: the frames list and the preview take the scheme's own colours.
    if (Scheme.color(QPalette::Window).lightness() < 128) {
        colors.FrameColor = Scheme.color(QPalette::Button);
        colors.WindowColor = Scheme.color(QPalette::Base);
        colors.AnimationColor = Scheme.color(QPalette::Base);
    }
    return colors;
}

TProgramOptions TProgramOptions::Read(const TSettingsStore& Store, const TProgramOptions& Current) {
    TProgramOptions o = Current;
    o.FrameSize = TFrameSizeChoice::Read(Store);
    o.MakeBackups = Store.Read(Setting::MakeBackups);
    o.DisplayAnimation = Store.Read(Setting::DisplayAnimation);
    o.DefaultDelay = Store.Read(Setting::DefaultDelay);
    o.DefaultLoop = Store.Read(Setting::DefaultLoop);
    // The tool bars' state is what is in effect for the style.
    o.NormalStyle = Current.NormalStyle;
    o.AutoLoad = Store.Read(Setting::AutoLoadStartUp);
    const int thumb = Store.ReadInteger(ThumbSection, QStringLiteral("ThumbailSize"), Current.ThumbSize);
    o.ThumbSize = 0;
    for (int size : ThumbnailSizes)
        if (size == thumb)
            o.ThumbSize = size;
    o.Palette = TPaletteChoice::Read(Store);
    return o;
}

bool TProgramOptions::SameColors(const TProgramOptions& Other) const {
    return FrameColor == Other.FrameColor && WindowColor == Other.WindowColor &&
           HighlightColor == Other.HighlightColor && SelTextColor == Other.SelTextColor &&
           AnimationColor == Other.AnimationColor;
}

void TProgramOptions::Write(TSettingsStore& Store, const TProgramOptions& Before) const {
    FrameSize.Write(Store);
    Store.WriteIfChanged(Setting::DefaultDelay, DefaultDelay);
    Store.WriteIfChanged(Setting::DefaultLoop, DefaultLoop);
    Store.WriteIfChanged(Setting::MakeBackups, MakeBackups);
    Store.WriteIfChanged(Setting::DisplayAnimation, DisplayAnimation);
    const struct { const char* name; QColor now; QColor before; } colors[] = {
        {"FrameColor", FrameColor, Before.FrameColor},
        {"WindowColor", WindowColor, Before.WindowColor},
        {"FrameHighlightColor", HighlightColor, Before.HighlightColor},
        {"FrameSelTextColor", SelTextColor, Before.SelTextColor},
        {"AnimationWindowColor", AnimationColor, Before.AnimationColor},
    };
    for (const auto& c : colors)
        if (c.now != c.before)
            Store.WriteInteger(Section, QLatin1String(c.name), ColorValue(c.now));
    if (NormalStyle != Before.NormalStyle)
        Store.Write(Setting::NormalStyle, NormalStyle);
    Store.WriteIfChanged(Setting::AutoLoadStartUp, AutoLoad);
    if (ThumbSize != 0 && ThumbSize != Before.ThumbSize)
        Store.WriteInteger(ThumbSection, QStringLiteral("ThumbailSize"), ThumbSize);
    Palette.Write(Store);
}
