#pragma once
// Every command of the editor by a typed id: one id per command, wherever it
// appears (menu, tool bar, popup, shortcut). The id's name is also its
// action's object name.

#define REELIX_COMMANDS(X) \
    X(New) X(Open) X(Save) X(SaveAs) X(ImportVideo) X(ExportImages) X(ExportVideo) X(ExportWeb) X(Exit) \
    X(Undo) X(Redo) X(Cut) X(Copy) X(Paste) X(DeleteFrame) X(DeleteAllFrames) X(AddFrame) X(AddComment) \
    X(MoveUp) X(MoveDown) X(MoveToStart) X(MoveToEnd) X(FrameProperties) X(GlobalProperties) \
    X(AnimationInformation) X(DuplicateFrames) X(ReverseFrames) X(PingPongFrames) X(RemoveDuplicateFrames) \
    X(DropFrames) X(FrameTiming) \
    X(Crop) X(RotateRight) X(RotateLeft) X(Rotate180) X(FlipHorizontal) X(FlipVertical) X(AddText) \
    X(Play) X(Pause) X(PlayPause) X(ZoomFit) X(Zoom100) X(Zoom200) X(Zoom400) X(ZoomIn) X(ZoomOut) X(ComposedTiles) X(FrameBytes) X(FrameSize80) X(FrameSize96) X(FrameSize112) X(FrameSize128) X(FrameSize144) \
    X(FrameSize160) X(AutoSizeSplitter) X(FramesLeft) X(FramesRight) X(ThumbnailWindow) X(ExplorerWindow) \
    X(Browse) X(ClearWindow) X(StandardToolBar) X(AnimationToolBar) X(FrameToolBar) \
    X(Optimize) X(CheckAnimation) X(CommentEditor) X(HtmlCode) X(ProgramOptions) \
    X(HelpContents) X(TipOfTheDay) X(HomePage) X(OrderPage) X(SupportPage) X(About) \
    X(InsertThumbnail) X(EditThumbnail) X(CopyThumbnail) X(RefreshThumbnails) X(AddFavorite) \
    X(OrganizeFavorites) X(FilterGif) X(FilterJpg) X(FilterBmp) X(FilterAll) X(LargeIcons) X(Details) \
    X(CloseThumbnailWindow)

enum class TCommandId : int {
#define REELIX_COMMAND_ENUM(name) name,
    REELIX_COMMANDS(REELIX_COMMAND_ENUM)
#undef REELIX_COMMAND_ENUM
    Count
};

// The id's name ("Open").
const char* CommandName(TCommandId Id);
