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
