#include "app/CommandTable.h"

#include "app/AnimationCommands.h"
#include "app/DocumentCommands.h"
#include "app/FrameCommands.h"
#include "app/MainForm.h"
#include "app/ThumbnailPane.h"

#include <array>
#include <map>

namespace {
using S = TCommandState;
using W = TfrmMain;
using C = TCommandId;

bool Always(const S&) { return true; }
bool HasFrames(const S& s) { return s.Frames > 0; }
bool Selected(const S& s) { return s.Selected(); }
bool NotFirst(const S& s) { return s.Selected() && (s.Current != 0 || s.Chosen > 1); }
bool NotLast(const S& s) { return s.Selected() && (s.Current != s.Frames - 1 || s.Chosen > 1); }
bool TwoFrames(const S& s) { return s.Frames > 1; }

// The table. Captions and hints are the program's own texts; rows follow the
// menus' order.
const TCommandEntry Entries[] = {
    {C::New, "&New...", "New|Creates a new animation", "Ctrl+N", [](W& w) { w.Documents().New(); }, Always},
    {C::Open, "&Open...", "Open|Opens an existing animation", "Ctrl+O", [](W& w) { w.Documents().Open(); }, Always},
    {C::Save, "&Save", "Save|Saves the animation", "Ctrl+S", [](W& w) { w.Documents().Save(); },
     [](const S& s) { return s.Modified; }},
    {C::SaveAs, "Save &As...", "Save As|Saves the animation under a new name", nullptr,
     [](W& w) { w.Documents().SaveAs(); }, HasFrames},
    {C::ImportVideo, "&AVI Animation...",
     "Import AVI|Imports AVI animation file and converts it to a GIF animation", nullptr,
     [](W& w) { w.Documents().ImportVideo(); }, Always},
    {C::ExportImages, "&Single Images...",
     "Export images|Opens export dialog to save each image as a single image file", nullptr,
     [](W& w) { w.Documents().ExportImages(); }, HasFrames},
    {C::ExportVideo, "As &AVI Animation", "Export AVI|Exports the current animation to an AVI animation file",
     nullptr, [](W& w) { w.Documents().ExportVideo(); }, HasFrames},
    {C::ExportWeb, "As &Web Animation (WebP, PNG, MP4, WebM)...",
     "Export Web|Exports the animation as animated WebP or PNG, or as an MP4 or WebM video", "Ctrl+Shift+W",
     [](W& w) { w.Documents().ExportWeb(); }, HasFrames},
    {C::Exit, "E&xit", "Exit|Closes the program", nullptr, [](W& w) { w.close(); }, Always},

    {C::Undo, "&Undo", "Undo|Takes back the last change", "Ctrl+Z", [](W& w) { w.Undo(); },
     [](const S& s) { return s.CanUndo; }},
    {C::Redo, "&Redo", "Redo|Makes the change taken back again", "Ctrl+Shift+Z;Ctrl+Y", [](W& w) { w.Redo(); },
     [](const S& s) { return s.CanRedo; }},
    {C::Cut, "Cu&t", "Cut|Moves the selected frame to the clipboard", "Ctrl+X", [](W& w) { w.Frames().Cut(); },
     Selected},
    {C::Copy, "&Copy", "Copy|Copies the selected frame to the clipboard", "Ctrl+C", [](W& w) { w.Frames().Copy(); },
     Selected},
    {C::Paste, "&Paste", "Paste|Inserts the frame from the clipboard", "Ctrl+V", [](W& w) { w.Frames().Paste(); },
     [](const S& s) { return s.CanPaste; }},
    // Shift+Del deletes without asking; both keys reach the command.
    {C::DeleteFrame, "&Delete Frame", "Delete|Deletes the selected frame", "Del;Shift+Del",
     [](W& w) { w.Frames().Delete(); }, Selected},
    {C::DeleteAllFrames, "Delete &All", "Delete All|Deletes every frame", nullptr,
     [](W& w) { w.Frames().DeleteAll(); }, HasFrames},
    {C::AddFrame, "&Add Frame...", "Add Frame|Adds pictures from files as new frames", "Ctrl+A",
     [](W& w) { w.Frames().AddFrame(); }, Always},
    {C::AddComment, "Add Co&mment...", "Comment|Adds a comment to the animation", nullptr,
     [](W& w) { w.WholeAnimation().Comments(); }, HasFrames},
    {C::MoveUp, "Move Frame &Up", "Move Up|Moves the selected frame up", "Ctrl+U", [](W& w) { w.Frames().MoveUp(); },
     NotFirst},
    {C::MoveDown, "Move Frame Do&wn", "Move Down|Moves the selected frame down", "Ctrl+D",
     [](W& w) { w.Frames().MoveDown(); }, NotLast},
    {C::MoveToStart, "Move to &Beginning", "Move to Beginning|Makes the selected frame the first", nullptr,
     [](W& w) { w.Frames().MoveToStart(); }, NotFirst},
    {C::MoveToEnd, "Move to &End", "Move to End|Makes the selected frame the last", nullptr,
     [](W& w) { w.Frames().MoveToEnd(); }, NotLast},
    {C::FrameProperties, "&Frame Properties...", "Frame Properties|Edits the selected frame's properties",
     "Alt+Return", [](W& w) { w.Frames().Properties(); }, Selected},
    {C::GlobalProperties, "&Global Frame Properties", "Global Properties|Edits properties of all frames at once",
     "Ctrl+G", [](W& w) { w.Frames().GlobalProperties(); }, HasFrames},
    {C::AnimationInformation, "&Animation Information...",
     "Information|Shows and edits the animation's properties", "Ctrl+I", [](W& w) { w.WholeAnimation().Information(); },
     HasFrames},

    {C::DuplicateFrames, "&Duplicate", "Duplicate|Puts a copy after each selected frame (every frame when one is selected)",
     "Ctrl+Shift+D", [](W& w) { w.Frames().Duplicate(); }, HasFrames},
    {C::ReverseFrames, "&Reverse Order", "Reverse|Puts the selected frames (or all) in reverse order", nullptr,
     [](W& w) { w.Frames().Reverse(); }, TwoFrames},
    {C::PingPongFrames, "&Ping-Pong", "Ping-pong|Adds the frames again in reverse, so the animation plays back and forth",
     nullptr, [](W& w) { w.Frames().PingPong(); }, [](const S& s) { return s.Frames > 2; }},
    {C::RemoveDuplicateFrames, "Remove D&uplicate Frames",
     "Remove duplicates|Merges frames that show the same picture as the one before, adding their delays", nullptr,
     [](W& w) { w.Frames().RemoveDuplicates(); }, TwoFrames},
    {C::DropFrames, "Drop &Every Nth Frame...", "Drop frames|Drops every Nth frame, keeping the running time", nullptr,
     [](W& w) { w.Frames().DropFrames(); }, TwoFrames},
    {C::FrameTiming, "Frame De&lays...", "Delays|Sets, lengthens, shortens or scales the frames' delays", "Ctrl+T",
     [](W& w) { w.Frames().Timing(); }, HasFrames},

    {C::Crop, "&Crop...", "Crop|Cuts every frame to a rectangle drawn on the picture or typed", "Ctrl+Shift+X",
     [](W& w) { w.WholeAnimation().Crop(); }, HasFrames},
    {C::RotateRight, "Rotate &Right", "Rotate right|Turns the animation a quarter turn clockwise", "Ctrl+Shift+R",
     [](W& w) { w.WholeAnimation().Rotate(90); }, HasFrames},
    {C::RotateLeft, "Rotate &Left", "Rotate left|Turns the animation a quarter turn anticlockwise", "Ctrl+Shift+L",
     [](W& w) { w.WholeAnimation().Rotate(270); }, HasFrames},
    {C::Rotate180, "Rotate &Half a Turn", "Rotate 180|Turns the animation upside down", nullptr,
     [](W& w) { w.WholeAnimation().Rotate(180); }, HasFrames},
    {C::FlipHorizontal, "Flip &Horizontally", "Flip horizontally|Mirrors the animation left to right", "Ctrl+Shift+H",
     [](W& w) { w.WholeAnimation().Flip(TFlipAxis::Horizontal); }, HasFrames},
    {C::FlipVertical, "Flip &Vertically", "Flip vertically|Mirrors the animation top to bottom", nullptr,
     [](W& w) { w.WholeAnimation().Flip(TFlipAxis::Vertical); }, HasFrames},
    {C::AddText, "Add &Text...", "Text|Writes a caption on the selected frames, or on all", "Ctrl+Shift+A",
     [](W& w) { w.WholeAnimation().AddText(); }, HasFrames},

    {C::Play, "&Play Animation", "Play|Plays the animation in the preview", "Ctrl+R", [](W& w) { w.Play(); },
     [](const S& s) { return s.Frames > 0 && !s.Playing; }},
    {C::Pause, "Pa&use Animation", "Pause|Stops the animation in the preview", nullptr, [](W& w) { w.PausePlayback(); },
     [](const S& s) { return s.Playing; }},
    {C::PlayPause, "Play/Pa&use", "Play or pause|Plays the animation, or pauses it when it plays", "Space",
     [](W& w) { w.TogglePlayback(); }, HasFrames},
    {C::ZoomFit, "&Fit", "Fit|Zooms the preview to fit its box", nullptr, [](W& w) { w.SetZoom(0); }, Always,
     [](const S& s) { return s.Zoom == 0; }},
    {C::Zoom100, "&100 %", "Actual size|Shows the animation at its own size", "Ctrl+0", [](W& w) { w.SetZoom(100); },
     Always, [](const S& s) { return s.Zoom == 100; }},
    {C::Zoom200, "&200 %", "200 %|Shows the animation twice its size", nullptr, [](W& w) { w.SetZoom(200); }, Always,
     [](const S& s) { return s.Zoom == 200; }},
    {C::Zoom400, "&400 %", "400 %|Shows the animation four times its size", nullptr, [](W& w) { w.SetZoom(400); },
     Always, [](const S& s) { return s.Zoom == 400; }},
    {C::ZoomIn, "Zoom &In", "Zoom in|Makes the preview larger", "Ctrl++;Ctrl+=", [](W& w) { w.ZoomBy(1); }, Always},
    {C::ZoomOut, "Zoom &Out", "Zoom out|Makes the preview smaller", "Ctrl+-", [](W& w) { w.ZoomBy(-1); }, Always},
    {C::ComposedTiles, "Show &Composed Frames", "Composed|Tiles show what is on the screen at each frame", nullptr,
     [](W& w) { w.ShowComposedTiles(!w.ComposedTiles()); }, Always, [](const S& s) { return s.ComposedTiles; }},
    {C::FrameBytes, "Show Frame &Bytes", "Bytes|Tiles show the bytes each frame takes in the saved file", nullptr,
     [](W& w) { w.ShowFrameBytes(!w.FrameBytesShown()); }, Always, [](const S& s) { return s.FrameBytes; }},
#define REELIX_FRAME_SIZE(n, caption)                                                                      \
    {C::FrameSize##n, caption, "Frame size|Changes the frame preview size to " #n " x " #n " pixels", nullptr, \
     [](W& w) { w.SetFrameSize(n); }, Always, [](const S& s) { return s.FrameSize == n; }}
    REELIX_FRAME_SIZE(80, "&80 x 80"), REELIX_FRAME_SIZE(96, "&96 x 96"), REELIX_FRAME_SIZE(112, "&112 x 112"),
    REELIX_FRAME_SIZE(128, "1&28 x 128"), REELIX_FRAME_SIZE(144, "1&44 x 144"),
    {C::FrameSize160, "1&60 x 160", "Frame size|Changes the frame preview size to 160 x 160 pixels", nullptr,
     [](W& w) { w.SetFrameSize(160); }, Always,
     // Anything but the five small sizes checks 160.
     [](const S& s) { return s.FrameSize != 80 && s.FrameSize != 96 && s.FrameSize != 112 && s.FrameSize != 128 &&
                             s.FrameSize != 144; }},
#undef REELIX_FRAME_SIZE
    {C::AutoSizeSplitter, "&Auto Size Splitter Bar", "Auto size|Sizes the frames list to fit its frames", nullptr,
     [](W& w) { w.ToggleAutoSizeSplitter(); }, Always, [](const S& s) { return s.AutoSizeSplitter; }},
    {C::FramesLeft, "Align Left", "Align left|Puts the frames list on the left", nullptr,
     [](W& w) { w.SetFrameWindowSide(0); }, Always, [](const S& s) { return s.FramesOnLeft; }},
    {C::FramesRight, "Align &Right", "Align right|Puts the frames list on the right", nullptr,
     [](W& w) { w.SetFrameWindowSide(1); }, Always, [](const S& s) { return !s.FramesOnLeft; }},
    {C::ThumbnailWindow, "&Thumbnail Window", "Thumbnails|Shows or hides the thumbnail window", "Ctrl+Shift+T",
     [](W& w) { w.Thumbnails().TogglePane(); }, Always, [](const S& s) { return s.ThumbnailsShown; }},
    {C::ExplorerWindow, "&Explorer Window", "Explorer|Shows or hides the folder tree", "Ctrl+Shift+E",
     [](W& w) { w.Thumbnails().ToggleTree(); }, Always, [](const S& s) { return s.TreeShown; }},
    {C::Browse, "&Browse...", "Browse|Picks a folder to show as thumbnails", "Ctrl+B",
     [](W& w) { w.Thumbnails().Browse(); }, Always},
    {C::ClearWindow, "&Clear Window", "Clear|Empties the thumbnail window", nullptr,
     [](W& w) { w.Thumbnails().Clear(); }, [](const S& s) { return s.HasThumbnails; }},
    {C::StandardToolBar, "&Standard", "Standard|Shows or hides the Standard tool bar", nullptr,
     [](W& w) { w.ToggleToolBar(0); }, Always, [](const S& s) { return s.ToolBarShown[0]; }},
    {C::AnimationToolBar, "&Animation", "Animation|Shows or hides the Animation tool bar", nullptr,
     [](W& w) { w.ToggleToolBar(2); }, Always, [](const S& s) { return s.ToolBarShown[2]; }},
    {C::FrameToolBar, "&Frame", "Frame|Shows or hides the Frame tool bar", nullptr, [](W& w) { w.ToggleToolBar(1); },
     Always, [](const S& s) { return s.ToolBarShown[1]; }},

    {C::Optimize, "Optimize &Animation...", "Optimize|Makes the animation file smaller", nullptr,
     [](W& w) { w.WholeAnimation().Optimize(); }, HasFrames},
    {C::CommentEditor, "&Comment Editor...", "Comments|Edits the animation's comments", nullptr,
     [](W& w) { w.WholeAnimation().Comments(); }, HasFrames},
    {C::CheckAnimation, "Chec&k Animation...",
     "Check|Tells how browsers will play the animation, whom it may harm, and which frames cost the bytes", "Ctrl+K",
     [](W& w) { w.WholeAnimation().CheckAnimation(); }, HasFrames},
    {C::HtmlCode, "&HTML Code...", "HTML|Puts HTML code that shows the animation on the clipboard", nullptr,
     [](W& w) { w.WholeAnimation().HtmlCode(); }, HasFrames},
    {C::ProgramOptions, "Program &Options...", "Options|Changes the program's settings", nullptr,
     [](W& w) { w.ShowProgramOptions(); }, Always},

    {C::HelpContents, "&Contents", "Help|Opens Help", "F1", [](W& w) { w.ShowHelp(); }, Always},
    {C::TipOfTheDay, "&Tip of the Day...", "Tip|Shows a tip about using the program", nullptr,
     [](W& w) { w.ShowTipOfTheDay(true); }, Always},
    {C::HomePage, "P&ellmark Home Page", "Home page|Opens default browser to Pellmark Home Page", nullptr,
     [](W& w) { w.OpenWebPage(0); }, Always},
    {C::OrderPage, "&Order Pellmark Software", "Order|Opens default browser to Pellmark Software order page", nullptr,
     [](W& w) { w.OpenWebPage(1); }, Always},
    {C::SupportPage, "&Support Online", "Support|Opens default browser to online support", nullptr,
     [](W& w) { w.OpenWebPage(2); }, Always},
    {C::About, "&About Reelix...", "About|Shows the program's version and maker", nullptr, [](W& w) { w.ShowAbout(); },
     Always},

    // The thumbnail pane's popup: its items' states are set as it opens.
    {C::InsertThumbnail, "&Insert", "Insert|Adds the selected picture as a new frame", nullptr,
     [](W& w) { w.Thumbnails().InsertSelected(); }, nullptr},
    {C::EditThumbnail, "&Edit...", "Edit|Opens the selected picture in its own program", nullptr,
     [](W& w) { w.Thumbnails().EditSelected(); }, nullptr},
    {C::CopyThumbnail, "&Copy to clipboard", "Copy|Copies the selected picture to the clipboard", nullptr,
     [](W& w) { w.Thumbnails().CopySelected(); }, nullptr},
    {C::RefreshThumbnails, "Re&fresh", "Refresh|Reloads the thumbnails of the folder", "F5",
     [](W& w) { w.Thumbnails().Refresh(); }, nullptr},
    {C::AddFavorite, "&Add Current Folder", "Add favourite|Adds the folder shown to the favourites", nullptr,
     [](W& w) { w.Thumbnails().AddFavorite(); }, [](const S& s) { return s.TreeShown; }},
    {C::OrganizeFavorites, "&Organize Favorites...", "Organize|Reorders or removes favourite folders", nullptr,
     [](W& w) { w.Thumbnails().OrganizeFavorites(); }, Always},
#define REELIX_FILTER(id, caption, n)                                                               \
    {C::id, caption, "Filter|Changes thumbnail image filter to " caption, nullptr,                  \
     [](W& w) { w.Thumbnails().SetFilter(n); }, Always, [](const S& s) { return s.FilterType == n; }}
    REELIX_FILTER(FilterGif, "Gif Images", 0), REELIX_FILTER(FilterJpg, "Jpg Images", 1),
    REELIX_FILTER(FilterBmp, "Bitmap Images", 2), REELIX_FILTER(FilterAll, "All Images", 4),
#undef REELIX_FILTER
    {C::LargeIcons, "Lar&ge Icons", "Large icons|Shows the thumbnails as pictures", nullptr,
     [](W& w) { w.Thumbnails().SetLargeIcons(true); }, Always, [](const S& s) { return s.LargeIcons; }},
    {C::Details, "&Details", "Details|Shows the file details", nullptr, [](W& w) { w.Thumbnails().SetLargeIcons(false); },
     Always, [](const S& s) { return !s.LargeIcons; }},
    {C::CloseThumbnailWindow, "Cl&ose Window", "Close|Hide Thumbnail Window", nullptr,
     [](W& w) { w.Thumbnails().ClosePart(); }, nullptr},
};

using L = std::vector<TCommandId>;
const std::map<TCommandPlace, L> Layouts = {
    {TCommandPlace::FileMenu, {C::New, C::Open, C::Save, C::SaveAs, Separator}},
    {TCommandPlace::FileImportMenu, {C::ImportVideo}},
    {TCommandPlace::FileExportMenu, {C::ExportImages, C::ExportVideo, C::ExportWeb}},
    {TCommandPlace::EditMenu,
     {C::Undo, C::Redo, Separator, C::Cut, C::Copy, C::Paste, C::DeleteFrame, Separator, C::AddFrame, C::AddComment,
      Separator, C::MoveUp, C::MoveDown, Separator, C::FrameProperties, C::GlobalProperties,
      C::AnimationInformation}},
    {TCommandPlace::FramesMenu,
     {C::DuplicateFrames, C::ReverseFrames, C::PingPongFrames, Separator, C::RemoveDuplicateFrames, C::DropFrames,
      Separator, C::FrameTiming}},
    {TCommandPlace::PictureMenu,
     {C::Crop, Separator, C::RotateRight, C::RotateLeft, C::Rotate180, Separator, C::FlipHorizontal, C::FlipVertical,
      Separator, C::AddText, Separator, C::AnimationInformation}},
    {TCommandPlace::ViewMenu, {C::Play, C::Pause, C::PlayPause, Separator}},
    {TCommandPlace::ZoomMenu, {C::ZoomFit, C::Zoom100, C::Zoom200, C::Zoom400, Separator, C::ZoomIn, C::ZoomOut}},
    {TCommandPlace::FrameSizeMenu,
     {C::FrameSize80, C::FrameSize96, C::FrameSize112, C::FrameSize128, C::FrameSize144, C::FrameSize160}},
    {TCommandPlace::FrameWindowMenu, {C::FramesLeft, C::FramesRight}},
    {TCommandPlace::ViewPanesMenu, {C::ThumbnailWindow, C::ExplorerWindow, C::Browse, C::ClearWindow, Separator}},
    {TCommandPlace::ToolBarsMenu, {C::StandardToolBar, C::AnimationToolBar, C::FrameToolBar}},
    {TCommandPlace::ToolsMenu, {C::Optimize, C::CheckAnimation, C::CommentEditor, C::HtmlCode, Separator, C::ProgramOptions}},
    {TCommandPlace::HelpMenu,
     {C::HelpContents, C::TipOfTheDay, Separator, C::HomePage, C::OrderPage, C::SupportPage, Separator, C::About}},
    {TCommandPlace::StandardBar, {C::New, C::Open, C::Save, Separator, C::Cut, C::Copy, C::Paste, Separator,
                                  C::HelpContents}},
    {TCommandPlace::FrameBar,
     {C::AddFrame, C::DeleteFrame, Separator, C::MoveToStart, C::MoveUp, C::MoveDown, C::MoveToEnd, Separator,
      C::FrameProperties, C::GlobalProperties, C::AddComment}},
    {TCommandPlace::AnimationBar, {C::Play, C::Pause, C::AnimationInformation}},
    {TCommandPlace::FramesPopup,
     {C::FrameProperties, Separator, C::Cut, C::Copy, C::Paste, C::DeleteFrame, C::DeleteAllFrames, Separator,
      C::AddFrame, C::AddComment, Separator, C::MoveUp, C::MoveDown, Separator, C::DuplicateFrames, C::ReverseFrames,
      C::PingPongFrames, C::FrameTiming, Separator, C::ComposedTiles, C::FrameBytes}},
    {TCommandPlace::ThumbsPopup, {C::InsertThumbnail, C::EditThumbnail, C::CopyThumbnail, Separator, C::Browse,
                                  C::RefreshThumbnails}},
    {TCommandPlace::ThumbsFavoritesMenu, {C::AddFavorite, C::OrganizeFavorites, Separator}},
    {TCommandPlace::ThumbsFilterMenu, {C::FilterGif, C::FilterJpg, C::FilterBmp, Separator, C::FilterAll}},
    {TCommandPlace::ThumbsViewMenu, {C::LargeIcons, C::Details}},
    {TCommandPlace::ThumbsPopupEnd, {C::ClearWindow, Separator, C::ExplorerWindow, C::CloseThumbnailWindow}},
};

} // namespace

const TCommandEntry& CommandEntry(TCommandId Id) {
    // Indexed once; a command missing from the table stops the program at
    // start-up (and its test), not at the first click.
    static const std::array<const TCommandEntry*, size_t(TCommandId::Count)> byId = [] {
        std::array<const TCommandEntry*, size_t(TCommandId::Count)> index{};
        for (const TCommandEntry& entry : Entries)
            index[size_t(entry.Id)] = &entry;
        return index;
    }();
    return *byId.at(size_t(Id));
}

const std::vector<TCommandId>& CommandLayout(TCommandPlace Place) {
    return Layouts.at(Place);
}
