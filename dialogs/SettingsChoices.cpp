#include "dialogs/SettingsChoices.h"

#include "platform/services/SettingsStore.h"

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
    c.ClipFrame = Store.ReadBool(Section, QStringLiteral("ClipFrame"), true);
    c.ClipDefault = Store.ReadBool(Section, QStringLiteral("ClipDefault"), false);
    return c;
}

void TFrameSizeChoice::Write(TSettingsStore& Store) const {
    Store.WriteBool(Section, QStringLiteral("ClipFrame"), ClipFrame);
    Store.WriteBool(Section, QStringLiteral("ClipDefault"), ClipDefault);
}

TPaletteChoice TPaletteChoice::Read(const TSettingsStore& Store) {
    TPaletteChoice c;
    c.PaletteDefaults = Store.ReadBool(Section, QStringLiteral("PaletteDefaults"), false);
    const int type = Store.ReadInteger(Section, QStringLiteral("PaletteType"), ptLocal);
    if (type >= ptOptimized && type <= ptLocal)
        c.PaletteType = type;
    const int colors = Store.ReadInteger(Section, QStringLiteral("MaxColorCount"), 256);
    if (IsColorCount(colors))
        c.MaxColorCount = colors;
    const int import = Store.ReadInteger(Section, QStringLiteral("MaxImportCount"), 256);
    if (IsColorCount(import))
        c.MaxImportCount = import;
    c.DitherMethod = Store.ReadInteger(Section, QStringLiteral("DitherMethod"), 0) == 1 ? 1 : 0;
    return c;
}

void TPaletteChoice::Write(TSettingsStore& Store) const {
    if (Store.ReadBool(Section, QStringLiteral("PaletteDefaults"), false) != PaletteDefaults ||
        !Store.ValueExists(Section, QStringLiteral("PaletteDefaults")))
        Store.WriteBool(Section, QStringLiteral("PaletteDefaults"), PaletteDefaults);
    Store.WriteInteger(Section, QStringLiteral("PaletteType"), PaletteType);
    Store.WriteInteger(Section, QStringLiteral("MaxColorCount"), MaxColorCount);
    Store.WriteInteger(Section, QStringLiteral("MaxImportCount"), MaxImportCount);
    Store.WriteInteger(Section, QStringLiteral("DitherMethod"), DitherMethod);
}

namespace {
const QString ToolbarSection = QStringLiteral("Settings\\Toolbars\\");
const QString ThumbSection = QStringLiteral("ThumbNails\\");

// Colours are stored as one number, red in the low byte.
int ColorValue(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

void WriteIntIfChanged(TSettingsStore& Store, const QString& Name, int Value, int Default) {
    if (Store.ReadInteger(Section, Name, Default) != Value)
        Store.WriteInteger(Section, Name, Value);
}
void WriteBoolIfChanged(TSettingsStore& Store, const QString& Section_, const QString& Name, bool Value,
                        bool Default) {
    if (Store.ReadBool(Section_, Name, Default) != Value)
        Store.WriteBool(Section_, Name, Value);
}
} // namespace

TProgramOptions DefaultColors() {
    return TProgramOptions();
}

TProgramOptions TProgramOptions::Read(const TSettingsStore& Store, const TProgramOptions& Current) {
    TProgramOptions o = Current;
    o.FrameSize = TFrameSizeChoice::Read(Store);
    o.MakeBackups = Store.ReadBool(Section, QStringLiteral("MakeBackups"), false);
    o.DisplayAnimation = Store.ReadBool(Section, QStringLiteral("DisplayAnimation"), true);
    o.DefaultDelay = Store.ReadInteger(Section, QStringLiteral("DefaultDelay"), 100);
    o.DefaultLoop = Store.ReadInteger(Section, QStringLiteral("DefaultLoop"), 0);
    o.NormalStyle = Store.ReadBool(ToolbarSection, QStringLiteral("NormalStyle"), Current.NormalStyle);
    o.AutoLoad = Store.ReadBool(Section, QStringLiteral("AutoLoadStartUp"), true);
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
    WriteBoolIfChanged(Store, Section, QStringLiteral("ClipDefault"), FrameSize.ClipDefault, false);
    WriteBoolIfChanged(Store, Section, QStringLiteral("ClipFrame"), FrameSize.ClipFrame, true);
    WriteIntIfChanged(Store, QStringLiteral("DefaultDelay"), DefaultDelay, 100);
    WriteIntIfChanged(Store, QStringLiteral("DefaultLoop"), DefaultLoop, 0);
    // Saving makes backups when nothing is stored: what the box showed is
    // stored, so that it is what happens.
    if (!Store.ValueExists(Section, QStringLiteral("MakeBackups")) ||
        Store.ReadBool(Section, QStringLiteral("MakeBackups"), false) != MakeBackups)
        Store.WriteBool(Section, QStringLiteral("MakeBackups"), MakeBackups);
    WriteBoolIfChanged(Store, Section, QStringLiteral("DisplayAnimation"), DisplayAnimation, true);
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
        Store.WriteBool(ToolbarSection, QStringLiteral("NormalStyle"), NormalStyle);
    WriteBoolIfChanged(Store, Section, QStringLiteral("AutoLoadStartUp"), AutoLoad, true);
    if (ThumbSize != 0 && ThumbSize != Before.ThumbSize)
        Store.WriteInteger(ThumbSection, QStringLiteral("ThumbailSize"), ThumbSize);
    Palette.Write(Store);
}
