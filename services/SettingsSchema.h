#pragma once
// The stored settings with one type and one default each: the default is the
// value in effect when nothing is stored, and every reader (the window, the
// import, Program Options) goes through these, so what a dialog shows is what
// the program does. Values whose default is the window's own state at that
// moment (bounds, colours, pane sizes) are read where that state is.

#include <QString>

template <class T>
struct TSetting {
    const char* Section;
    const char* Name;
    T Default;
    QString SectionName() const { return QString::fromLatin1(Section); }
    QString ValueName() const { return QString::fromLatin1(Name); }
};

namespace Setting {
inline constexpr const char* Main = "Settings\\";
inline constexpr const char* Toolbars = "Settings\\Toolbars\\";
inline constexpr const char* Thumbnails = "ThumbNails\\";

inline constexpr TSetting<int> FrameSize{Main, "FrameSize", 160};
inline constexpr TSetting<bool> AutoSizeSplitter{Main, "AutoSizeSplitter", true};
inline constexpr TSetting<int> DefaultDelay{Main, "DefaultDelay", 100};
inline constexpr TSetting<int> DefaultLoop{Main, "DefaultLoop", 0};
inline constexpr TSetting<bool> ClipFrame{Main, "ClipFrame", true};
inline constexpr TSetting<bool> ClipDefault{Main, "ClipDefault", false};
inline constexpr TSetting<bool> MakeBackups{Main, "MakeBackups", true};
inline constexpr TSetting<bool> DisplayAnimation{Main, "DisplayAnimation", true};
inline constexpr TSetting<bool> TipDay{Main, "TipDay", true};
inline constexpr TSetting<bool> AutoLoadStartUp{Main, "AutoLoadStartUp", true};
inline constexpr TSetting<bool> PaletteDefaults{Main, "PaletteDefaults", true};
// 0 self-adapting global palette, 1 web palette, 2 a local palette per frame.
inline constexpr TSetting<int> PaletteType{Main, "PaletteType", 0};
inline constexpr TSetting<int> MaxColorCount{Main, "MaxColorCount", 256};
inline constexpr TSetting<int> DitherMethod{Main, "DitherMethod", 0};
inline constexpr TSetting<int> MaxImportCount{Main, "MaxImportCount", 256};
inline constexpr TSetting<bool> OptimizePrompt{Main, "OptimizePrompt", true};
inline constexpr TSetting<bool> NormalStyle{Toolbars, "NormalStyle", false};
inline constexpr TSetting<int> FilterType{Thumbnails, "FilterType", 4};
inline constexpr TSetting<bool> ThumbnailsVisible{Thumbnails, "Visible", true};
inline constexpr TSetting<bool> ExplorerVisible{Thumbnails, "ExplorerVisible", true};
} // namespace Setting
