#pragma once
// Every command of the main window by a typed name, so that a misspelt
// command does not compile. The Qt objects keep these names as their object
// names (tests and the settings look them up by text).

#define REELIX_COMMANDS(X) \
    X(AddFrame1) \
    X(btnAddComment) \
    X(btnAniInfo) \
    X(btnCopy) \
    X(btnCut) \
    X(btnFrameAdd) \
    X(btnFrameDelete) \
    X(btnFrameMoveBottom) \
    X(btnFrameMoveDown) \
    X(btnFrameMoveTop) \
    X(btnFrameMoveUp) \
    X(btnFrameProps) \
    X(btnGlobalProps) \
    X(btnHelp) \
    X(btnNew) \
    X(btnOpen) \
    X(btnPaste) \
    X(btnPause) \
    X(btnPlay) \
    X(btnSave) \
    X(mnuEditAniProp) \
    X(mnuEditComment) \
    X(mnuEditCopy) \
    X(mnuEditCut) \
    X(mnuEditDelete) \
    X(mnuEditFrameProp) \
    X(mnuEditGlobal) \
    X(mnuEditMoveDown) \
    X(mnuEditMoveUp) \
    X(mnuEditPaste) \
    X(mnuEditUndo) \
    X(mnuEditRedo) \
    X(mnuFileExportAVI) \
    X(mnuFileExportImages) \
    X(mnuFileImportAVI) \
    X(mnuFileNew) \
    X(mnuFileOpen) \
    X(mnuFileSave) \
    X(mnuFileSaveAs) \
    X(mnuFileExit) \
    X(mnuHelpAbout) \
    X(mnuHelpContents) \
    X(mnuHelpHome) \
    X(mnuHelpOrder) \
    X(mnuHelpSupport) \
    X(mnuHelpTip) \
    X(mnuToolsComment) \
    X(mnuToolsHTML) \
    X(mnuToolsOptimize) \
    X(mnuToolsOptions) \
    X(mnuViewBrowse) \
    X(mnuViewClearWindow) \
    X(mnuViewExplorer) \
    X(mnuViewPause) \
    X(mnuViewPlay) \
    X(mnuViewTBAni) \
    X(mnuViewTBFrame) \
    X(mnuViewTBStandard) \
    X(mnuViewThumbSize112) \
    X(mnuViewThumbSize128) \
    X(mnuViewThumbSize144) \
    X(mnuViewThumbSize160) \
    X(mnuViewThumbSize80) \
    X(mnuViewThumbSize96) \
    X(mnuViewThumbs) \
    X(mnuViewFrameSplit) \
    X(mnuViewWindowALeft) \
    X(mnuViewWindowARight) \
    X(popFramesAdd) \
    X(popFramesComments) \
    X(popFramesCopy) \
    X(popFramesCut) \
    X(popFramesDelete) \
    X(popFramesDeleteAll) \
    X(popFramesFProp) \
    X(popFramesMoveDown) \
    X(popFramesMoveUp) \
    X(popFramesPaste) \
    X(popTBAni) \
    X(popTBFrame) \
    X(popTBStd) \
    X(popThumbsFilterAll) \
    X(popThumbsFilterBmp) \
    X(popThumbsFilterGif) \
    X(popThumbsFilterJpg) \
    X(popThumbsBrowse) \
    X(popThumbsClear) \
    X(popThumbsCloseWindow) \
    X(popThumbsCopy) \
    X(popThumbsEdit) \
    X(popThumbsFavoritesAdd) \
    X(popThumbsFavoritesOrganize) \
    X(popThumbsInsert) \
    X(popThumbsRefresh) \
    X(popThumbsExplorer) \
    X(popThumbsViewDetails) \
    X(popThumbsViewIcons)

enum class TCommandId : int {
#define REELIX_COMMAND_ENUM(name) name,
    REELIX_COMMANDS(REELIX_COMMAND_ENUM)
#undef REELIX_COMMAND_ENUM
    Count
};

// The object name of a command ("mnuFileOpen").
const char* CommandName(TCommandId Id);
