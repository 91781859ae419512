#pragma once
// The command table: for each command id its caption, hint, shortcuts, the
// handler it runs and the rules that enable and check it, and the layouts of
// the menus, tool bars and popups built from it. Handlers live with their
// area (documents, frames, the whole animation, the window's own view).

#include "app/CommandIds.h"

#include <vector>

class TfrmMain;

// What enabling and check rules look at, taken at one moment from the session
// and the window.
struct TCommandState {
    int Frames = 0;
    int Current = -1;
    bool CanPaste = false;
    bool Playing = false;
    bool Modified = false;
    bool CanUndo = false;
    bool CanRedo = false;
    bool HasThumbnails = false;
    bool ThumbnailsShown = true;
    bool TreeShown = true;
    bool LargeIcons = true;
    int FilterType = 4;
    int FrameSize = 160;
    bool FramesOnLeft = false;
    bool AutoSizeSplitter = true;
    bool ToolBarShown[3] = {true, true, true}; // Standard, Frame, Animation

    int Chosen = 0; // frames selected in the list (the current one counts)
    int Zoom = 100; // percent; 0: fit
    bool ComposedTiles = false;
    bool FrameBytes = false;

    bool Selected() const { return Current >= 0 && Current < Frames; }
};

struct TCommandEntry {
    TCommandId Id;
    const char* Caption;   // the menu text, with its accelerator
    const char* Hint;      // "short|long": the tool tip, and the status bar's text
    const char* Shortcuts; // ";"-separated key sequences; null for none
    void (*Run)(TfrmMain& Window);
    bool (*Enabled)(const TCommandState& State) = nullptr; // null: left as the window sets it
    bool (*Checked)(const TCommandState& State) = nullptr; // null: not checkable
};

const TCommandEntry& CommandEntry(TCommandId Id);

// Where commands appear. Separator marks a line between groups.
enum class TCommandPlace {
    FileMenu, FileImportMenu, FileExportMenu, EditMenu, FramesMenu, PictureMenu, ViewMenu, ZoomMenu, FrameSizeMenu, FrameWindowMenu,
    ViewPanesMenu, ToolBarsMenu, ToolsMenu, HelpMenu,
    StandardBar, FrameBar, AnimationBar, FramesPopup,
    ThumbsPopup, ThumbsFavoritesMenu, ThumbsFilterMenu, ThumbsViewMenu, ThumbsPopupEnd,
};
inline constexpr TCommandId Separator = TCommandId::Count;
const std::vector<TCommandId>& CommandLayout(TCommandPlace Place);
