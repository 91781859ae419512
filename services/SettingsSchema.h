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
// A larger picture is scaled down to fit (before "ClipFrame" is looked at).
inline constexpr TSetting<bool> FitFrame{Main, "FitFrame", false};
inline constexpr TSetting<bool> MakeBackups{Main, "MakeBackups", true};
inline constexpr TSetting<bool> DisplayAnimation{Main, "DisplayAnimation", true};
inline constexpr TSetting<bool> TipDay{Main, "TipDay", true};
inline constexpr TSetting<bool> AutoLoadStartUp{Main, "AutoLoadStartUp", true};
inline constexpr TSetting<bool> PaletteDefaults{Main, "PaletteDefaults", true};
// 0 self-adapting global palette, 1 web palette, 2 a local palette per frame.
inline constexpr TSetting<int> PaletteType{Main, "PaletteType", 3};  // colours fitted to each picture
inline constexpr TSetting<int> MaxColorCount{Main, "MaxColorCount", 256};
inline constexpr TSetting<int> DitherMethod{Main, "DitherMethod", 0};
inline constexpr TSetting<int> MaxImportCount{Main, "MaxImportCount", 256};
inline constexpr TSetting<bool> OptimizePrompt{Main, "OptimizePrompt", true};
// Export As Web Animation: 0 WebP, 1 APNG, 2 MP4, 3 WebM; lossless WebP; the
// lossy quality (0..100); a still picture written beside the file.
inline constexpr TSetting<int> WebFormat{Main, "WebFormat", 0};
inline constexpr TSetting<bool> WebLossless{Main, "WebLossless", true};
inline constexpr TSetting<int> WebQuality{Main, "WebQuality", 80};
inline constexpr TSetting<bool> WebStill{Main, "WebStill", true};
inline constexpr TSetting<bool> NormalStyle{Toolbars, "NormalStyle", false};
inline constexpr TSetting<int> FilterType{Thumbnails, "FilterType", 4};
inline constexpr TSetting<bool> ThumbnailsVisible{Thumbnails, "Visible", true};
inline constexpr TSetting<bool> ExplorerVisible{Thumbnails, "ExplorerVisible", true};
// The size of a thumbnail, in pixels (the name is the stored one).
inline constexpr TSetting<int> ThumbnailSize{Thumbnails, "ThumbailSize", 75};
inline constexpr TSetting<int> ThumbnailsHeight{Thumbnails, "WindowHeight", 170};
inline constexpr TSetting<int> ExplorerWidth{Thumbnails, "ExplorerWidth", 180};
// Large icons (true) or the details list.
inline constexpr TSetting<bool> ThumbnailIcons{Thumbnails, "ViewStyle", true};
// The folder shown; its default is the program's sample pictures, read
// with that folder as the fallback.
inline const TSetting<QString> ThumbnailFolder{Thumbnails, "Directory", QString()};
inline const QString FavoritesSection = QStringLiteral("ThumbNails\\Favorites");
inline const QString RecentFilesSection = QStringLiteral("Settings\\MRU");

// The window. Bounds and colours left unstored take the designed bounds and
// the desktop scheme's colours, read with those as the fallback.
inline constexpr const char* Form = "FormPos\\Main";
inline const TSetting<QString> WindowState{Form, "WindowState", QStringLiteral("Normal")};
inline constexpr TSetting<int> WindowTop{Form, "Top", 60};
inline constexpr TSetting<int> WindowLeft{Form, "Left", 80};
inline constexpr TSetting<int> WindowHeight{Form, "Height", 580};
inline constexpr TSetting<int> WindowWidth{Form, "Width", 780};
inline constexpr TSetting<int> FrameWindowWidth{Main, "FrameWindowWidth", 206};
inline const TSetting<QString> FrameWindowAlign{Main, "FrameWindowAlign", QStringLiteral("Right")};
inline const TSetting<QString> InitialDir{Main, "InitialDir", QString()};
// Colours, red in the low byte; the defaults are a light scheme's.
inline constexpr TSetting<int> AnimationWindowColor{Main, "AnimationWindowColor", 0xFFFFFF};
inline constexpr TSetting<int> WindowColor{Main, "WindowColor", 0xFFFFFF};
inline constexpr TSetting<int> FrameColor{Main, "FrameColor", 0xC0C0C0};
inline constexpr TSetting<int> FrameHighlightColor{Main, "FrameHighlightColor", 0x0000FF};
inline constexpr TSetting<int> FrameSelTextColor{Main, "FrameSelTextColor", 0xFFFFFF};

// Each tool bar's place: Standard, Frame, Animation.
inline constexpr TSetting<int> ToolBarLeft[3] = {{"Settings\\Toolbars\\Standard", "Left", 0},
                                                 {"Settings\\Toolbars\\Frame", "Left", 0},
                                                 {"Settings\\Toolbars\\Animation", "Left", 0}};
inline constexpr TSetting<int> ToolBarTop[3] = {{"Settings\\Toolbars\\Standard", "Top", 0},
                                                {"Settings\\Toolbars\\Frame", "Top", 0},
                                                {"Settings\\Toolbars\\Animation", "Top", 0}};
inline constexpr TSetting<bool> ToolBarVisible[3] = {{"Settings\\Toolbars\\Standard", "Visible", true},
                                                     {"Settings\\Toolbars\\Frame", "Visible", true},
                                                     {"Settings\\Toolbars\\Animation", "Visible", true}};
} // namespace Setting
