// The command table: menus, tool bars, popups, shortcuts, hints and enabling.
#include "app/MainForm.h"

#include "app/Routines.h"
#include "services/UserPrompts.h"
#include "controls/RXListBox.h"
#include "controls/ThumbnailView.h"
#include "gif/GIFImage.h"
#include "services/ClipboardAdapter.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>
#include <exception>

namespace {

using THandler = void (TfrmMain::*)();

// One row of a menu, tool bar or popup. A null name is a separator; a null
// handler marks a command whose work is not there yet (it does nothing).
struct TCommandDef {
    const char* Name;
    const char* Caption;
    const char* Hint;
    const char* Shortcut = nullptr;
    THandler Handler = nullptr;
    int Tag = 0;
    bool Checkable = false;
};

// Tool-bar pictures: the style's icons where it has one, else a drawn glyph.
QIcon Glyph(QStyle* style, const QString& name) {
    static const struct { const char* name; QStyle::StandardPixmap pixmap; } standard[] = {
        {"btnNew", QStyle::SP_FileIcon},          {"btnOpen", QStyle::SP_DialogOpenButton},
        {"btnSave", QStyle::SP_DialogSaveButton}, {"btnHelp", QStyle::SP_DialogHelpButton},
        {"btnPlay", QStyle::SP_MediaPlay},        {"btnPause", QStyle::SP_MediaPause},
        {"btnFrameMoveUp", QStyle::SP_ArrowUp},   {"btnFrameMoveDown", QStyle::SP_ArrowDown},
        {"btnFrameMoveTop", QStyle::SP_MediaSkipBackward},
        {"btnFrameMoveBottom", QStyle::SP_MediaSkipForward},
        {"btnFrameDelete", QStyle::SP_TrashIcon}, {"btnAniInfo", QStyle::SP_MessageBoxInformation},
        {"btnFrameProps", QStyle::SP_FileDialogDetailedView},
        {"btnGlobalProps", QStyle::SP_FileDialogListView},
    };
    for (const auto& s : standard)
        if (name == QLatin1String(s.name))
            return style->standardIcon(s.pixmap);
    // Our own small pictograms for the rest.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(30, 30, 90);
    p.setPen(QPen(ink, 1.2));
    if (name == QLatin1String("btnCut")) {
        p.drawLine(QPointF(5, 1), QPointF(10.5, 10));
        p.drawLine(QPointF(11, 1), QPointF(5.5, 10));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
    } else if (name == QLatin1String("btnCopy")) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
    } else if (name == QLatin1String("btnPaste")) {
        p.setBrush(QColor(200, 160, 90));
        p.drawRect(QRectF(2.5, 2.5, 10, 12));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 6.5, 8, 8.5));
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(QRectF(5, 1, 5, 3));
    } else if (name == QLatin1String("btnFrameAdd")) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 3.5, 10, 10));
        p.setPen(QPen(QColor(0, 140, 0), 2.2));
        p.drawLine(QPointF(12, 1), QPointF(12, 9));
        p.drawLine(QPointF(8, 5), QPointF(16, 5));
    } else if (name == QLatin1String("btnAddComment")) {
        p.setBrush(QColor(255, 255, 200));
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 2, 2);
        p.drawLine(QPointF(4, 11.5), QPointF(3, 15));
        p.drawLine(QPointF(4, 5.5), QPointF(12, 5.5));
        p.drawLine(QPointF(4, 8.5), QPointF(10, 8.5));
    } else {
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
    }
    p.end();
    return QIcon(pixmap);
}

const TCommandDef FileMenu[] = {
    {"mnuFileNew", "&New...", "New|Creates a new animation", "Ctrl+N", &TfrmMain::mnuFileNewClick},
    {"mnuFileOpen", "&Open...", "Open|Opens an existing animation", "Ctrl+O", &TfrmMain::mnuFileOpenClick},
    {"mnuFileSave", "&Save", "Save|Saves the animation", "Ctrl+S", &TfrmMain::mnuFileSaveClick},
    {"mnuFileSaveAs", "Save &As...", "Save As|Saves the animation under a new name", nullptr, &TfrmMain::mnuFileSaveAsClick},
    {nullptr, nullptr, nullptr},
};
const TCommandDef FileImportMenu[] = {
    {"mnuFileImportAVI", "&AVI Animation...", "Import AVI|Imports AVI animation file and converts it to a GIF animation", nullptr, &TfrmMain::mnuFileImportAVIClick},
};
const TCommandDef FileExportMenu[] = {
    {"mnuFileExportImages", "&Single Images...", "Export images|Opens export dialog to save each image as a single image file", nullptr, &TfrmMain::mnuFileExportImagesClick},
    {"mnuFileExportAVI", "As &AVI Animation", "Export AVI|Exports the current animation to an AVI animation file", nullptr, &TfrmMain::mnuFileExportAVIClick},
};
const TCommandDef EditMenu[] = {
    {"mnuEditCut", "Cu&t     ", "Cut|Moves the selected frame to the clipboard", "Ctrl+X", &TfrmMain::mnuEditCutClick},
    {"mnuEditCopy", "&Copy", "Copy|Copies the selected frame to the clipboard", "Ctrl+C", &TfrmMain::mnuEditCopyClick},
    {"mnuEditPaste", "&Paste", "Paste|Inserts the frame from the clipboard", "Ctrl+V", &TfrmMain::mnuEditPasteClick},
    {"mnuEditDelete", "&Delete Frame", "Delete|Deletes the selected frame", "Del", &TfrmMain::popFramesDeleteClick},
    {nullptr, nullptr, nullptr},
    {"AddFrame1", "&Add Frame...", "Add Frame|Adds pictures from files as new frames", "Ctrl+A", &TfrmMain::btnFrameAddClick},
    {"mnuEditComment", "Add Co&mment...", "Comment|Adds a comment to the animation", nullptr, &TfrmMain::mnuToolsCommentClick},
    {nullptr, nullptr, nullptr},
    {"mnuEditMoveUp", "Move Frame &Up", "Move Up|Moves the selected frame up", "Ctrl+U", &TfrmMain::popFramesMoveUpClick},
    {"mnuEditMoveDown", "Move Frame Do&wn", "Move Down|Moves the selected frame down", "Ctrl+D", &TfrmMain::popFramesMoveDownClick},
    {nullptr, nullptr, nullptr},
    {"mnuEditFrameProp", "&Frame Properties...", "Frame Properties|Edits the selected frame's properties", "Alt+Return", &TfrmMain::popFramesFPropClick},
    {"mnuEditGlobal", "&Global Frame Properties", "Global Properties|Edits properties of all frames at once", "Ctrl+G", &TfrmMain::mnuEditGlobalClick},
    {"mnuEditAniProp", "&Animation Information...", "Information|Shows and edits the animation's properties", "Ctrl+I", &TfrmMain::mnuEditAniPropClick},
};
const TCommandDef ViewMenu[] = {
    {"mnuViewPlay", "&Play Animation", "Play|Plays the animation in the preview", "Ctrl+R", &TfrmMain::mnuViewPlayClick},
    {"mnuViewPause", "Pa&use Animation", "Pause|Stops the animation in the preview", nullptr, &TfrmMain::btnPauseClick},
    {nullptr, nullptr, nullptr},
};
const TCommandDef ViewThumbsMenu[] = {
    {"mnuViewThumbs", "&Thumbnail Window", "Thumbnails|Shows or hides the thumbnail window", "Ctrl+Shift+T", &TfrmMain::mnuViewThumbsClick, 0, true},
    {"mnuViewExplorer", "&Explorer Window", "Explorer|Shows or hides the folder tree", "Ctrl+Shift+E", &TfrmMain::mnuViewExplorerClick, 0, true},
    {"mnuViewBrowse", "&Browse...", "Browse|Picks a folder to show as thumbnails", "Ctrl+B", &TfrmMain::mnuViewBrowseClick},
    {"mnuViewClearWindow", "&Clear Window", "Clear|Empties the thumbnail window", nullptr, &TfrmMain::mnuViewClearWindowClick},
    {nullptr, nullptr, nullptr},
};
const TCommandDef ToolsMenu[] = {
    {"mnuToolsOptimize", "Optimize &Animation...", "Optimize|Makes the animation file smaller", nullptr, &TfrmMain::mnuToolsOptimizeClick},
    {"mnuToolsComment", "&Comment Editor...", "Comments|Edits the animation's comments", nullptr, &TfrmMain::mnuToolsCommentClick},
    {"mnuToolsHTML", "&HTML Code...", "HTML|Puts HTML code that shows the animation on the clipboard", nullptr, &TfrmMain::mnuToolsHTMLClick},
    {nullptr, nullptr, nullptr},
    {"mnuToolsOptions", "Program &Options...", "Options|Changes the program's settings", nullptr, &TfrmMain::mnuToolsOptionsClick},
};
const TCommandDef HelpMenu[] = {
    {"mnuHelpContents", "&Contents", "Help|Opens Help", "F1", &TfrmMain::mnuHelpContentsClick},
    {"mnuHelpTip", "&Tip of the Day...", "Tip|Shows a tip about using the program", nullptr, &TfrmMain::mnuHelpTipClick},
    {nullptr, nullptr, nullptr},
    {"mnuHelpHome", "P&ellmark Home Page", "Opens default browser to Pellmark Home Page", nullptr, &TfrmMain::mnuHelpHomeClick},
    {"mnuHelpOrder", "&Order Pellmark Software", "Opens default browser to Pellmark Software order page", nullptr, &TfrmMain::mnuHelpOrderClick},
    {"mnuHelpSupport", "&Support Online", "Opens default browser to online support", nullptr, &TfrmMain::mnuHelpSupportClick},
    {nullptr, nullptr, nullptr},
    {"mnuHelpAbout", "&About Reelix...", "About|Shows the program's version and maker", nullptr, &TfrmMain::mnuHelpAboutClick},
};

const TCommandDef StandardButtons[] = {
    {"btnNew", "New", "New|Creates a new animation", nullptr, &TfrmMain::mnuFileNewClick},
    {"btnOpen", "Open", "Open|Opens an existing animation", nullptr, &TfrmMain::mnuFileOpenClick},
    {"btnSave", "Save", "Save|Saves the animation", nullptr, &TfrmMain::mnuFileSaveClick},
    {nullptr, nullptr, nullptr},
    {"btnCut", "Cut", "Cut|Moves the selected frame to the clipboard", nullptr, &TfrmMain::mnuEditCutClick},
    {"btnCopy", "Copy", "Copy|Copies the selected frame to the clipboard", nullptr, &TfrmMain::mnuEditCopyClick},
    {"btnPaste", "Paste", "Paste|Inserts the frame from the clipboard", nullptr, &TfrmMain::mnuEditPasteClick},
    {nullptr, nullptr, nullptr},
    {"btnHelp", "Help", "Help|Opens Help", nullptr, &TfrmMain::mnuHelpContentsClick},
};
const TCommandDef FrameButtons[] = {
    {"btnFrameAdd", "Add Frame", "Add Frame|Adds pictures from files as new frames", nullptr, &TfrmMain::btnFrameAddClick},
    {"btnFrameDelete", "Delete Frame", "Delete Frame|Deletes the selected frame", nullptr, &TfrmMain::popFramesDeleteClick},
    {nullptr, nullptr, nullptr},
    {"btnFrameMoveTop", "Move to Beginning", "Move to Beginning|Makes the selected frame the first", nullptr, &TfrmMain::btnFrameMoveTopClick},
    {"btnFrameMoveUp", "Move Up", "Move Up|Moves the selected frame up", nullptr, &TfrmMain::popFramesMoveUpClick},
    {"btnFrameMoveDown", "Move Down", "Move Down|Moves the selected frame down", nullptr, &TfrmMain::popFramesMoveDownClick},
    {"btnFrameMoveBottom", "Move to End", "Move to End|Makes the selected frame the last", nullptr, &TfrmMain::btnFrameMoveBottomClick},
    {nullptr, nullptr, nullptr},
    {"btnFrameProps", "Frame Properties", "Frame Properties|Edits the selected frame's properties", nullptr, &TfrmMain::popFramesFPropClick},
    {"btnGlobalProps", "Global Properties", "Global Frame Properties|Edits properties of all frames at once", nullptr, &TfrmMain::mnuEditGlobalClick},
    {"btnAddComment", "Comment", "Add GIF Comment|Opens the Comment Editor", nullptr, &TfrmMain::mnuToolsCommentClick},
};
const TCommandDef AnimationButtons[] = {
    {"btnPlay", "Play", "Play|Plays the animation in the preview", nullptr, &TfrmMain::mnuViewPlayClick},
    {"btnPause", "Pause", "Pause|Stops the animation in the preview", nullptr, &TfrmMain::btnPauseClick},
    {"btnAniInfo", "Information", "Animation Information|Shows and edits the animation's properties", nullptr, &TfrmMain::mnuEditAniPropClick},
};

const TCommandDef FramesPopup[] = {
    {"popFramesFProp", "Frame P&roperties...", "Edits the selected frame's properties", nullptr, &TfrmMain::popFramesFPropClick},
    {nullptr, nullptr, nullptr},
    {"popFramesCut", "Cu&t", "Moves the selected frame to the clipboard", nullptr, &TfrmMain::mnuEditCutClick},
    {"popFramesCopy", "&Copy", "Copies the selected frame to the clipboard", nullptr, &TfrmMain::mnuEditCopyClick},
    {"popFramesPaste", "&Paste", "Inserts the frame from the clipboard", nullptr, &TfrmMain::mnuEditPasteClick},
    {"popFramesDelete", "&Delete Frame", "Deletes the selected frame", nullptr, &TfrmMain::popFramesDeleteClick},
    {"popFramesDeleteAll", "Delete &All", "Deletes every frame", nullptr, &TfrmMain::popFramesDeleteAllClick},
    {nullptr, nullptr, nullptr},
    {"popFramesAdd", "&Add Frame...", "Adds pictures from files as new frames", nullptr, &TfrmMain::btnFrameAddClick},
    {"popFramesComments", "Add Co&mments...", "Adds a comment to the animation", nullptr, &TfrmMain::mnuToolsCommentClick},
    {nullptr, nullptr, nullptr},
    {"popFramesMoveUp", "Move Frame &Up", "Moves the selected frame up", nullptr, &TfrmMain::popFramesMoveUpClick},
    {"popFramesMoveDown", "Move Frame Do&wn", "Moves the selected frame down", nullptr, &TfrmMain::popFramesMoveDownClick},
};

} // namespace

QAction* TfrmMain::AddCommand(QWidget* Owner, const char* Name, const QString& Caption,
                              const QString& Hint, void (TfrmMain::*Handler)()) {
    auto* action = new QAction(Caption, Owner);
    action->setObjectName(QLatin1String(Name));
    action->setToolTip(ShortHint(Hint));
    action->setStatusTip(LongHint(Hint));
    action->setData(Hint);
    connect(action, &QAction::triggered, this, [this, Handler, action] { RunCommand(Handler, action); });
    Owner->addAction(action);
    FCommands.insert(QLatin1String(Name), action);
    return action;
}

void TfrmMain::RunCommand(void (TfrmMain::*Handler)(), QAction* Sender) {
    FSender = Sender;
    if (!Handler) {
        PendingCommand();
        return;
    }
    // An error escaping a command is reported and the program goes on.
    try {
        (this->*Handler)();
    } catch (const std::exception& e) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(),
                            QString::fromLocal8Bit(e.what()));
    }
}

void TfrmMain::PendingCommand() {
    // Not available yet: it must not look as if it did something, so check
    // marks that Qt toggled on the click follow the real state again.
    SyncPaneChecks();
}

namespace {
template <size_t N>
void AddRows(TfrmMain* form, QWidget* owner, const TCommandDef (&rows)[N],
             const std::function<QAction*(QWidget*, const TCommandDef&)>& add) {
    for (const TCommandDef& row : rows) {
        if (!row.Name) {
            auto* sep = new QAction(owner);
            sep->setSeparator(true);
            owner->addAction(sep);
            continue;
        }
        QAction* a = add(owner, row);
        if (row.Shortcut)
            a->setShortcut(QKeySequence(QLatin1String(row.Shortcut)));
        a->setCheckable(row.Checkable);
    }
}
} // namespace

void TfrmMain::CreateCommands() {
    CreateMenus();
    CreateToolBars();
    CreatePopups();
}

void TfrmMain::CreateMenus() {
    auto add = [this](QWidget* owner, const TCommandDef& d) {
        return AddCommand(owner, d.Name, QLatin1String(d.Caption), QLatin1String(d.Hint), d.Handler);
    };
    auto menu = [this](QWidget* parent, const char* name, const char* caption) {
        auto* m = new QMenu(QLatin1String(caption), parent);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        FMenus.insert(QLatin1String(name), m);
        if (auto* bar = qobject_cast<QMenuBar*>(parent))
            bar->addMenu(m);
        else
            static_cast<QMenu*>(parent)->addMenu(m);
        return m;
    };
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    QMenu* file = menu(bar, "mnuFile", "&File");
    AddRows(this, file, FileMenu, add);
    QMenu* reopen = menu(file, "mnuFileReopen", "&Recent Files");
    Q_UNUSED(reopen);
    auto* recentSep = file->addSeparator();
    recentSep->setObjectName(QStringLiteral("N_Recent"));
    AddRows(this, menu(file, "mnuFileImport", "&Import"), FileImportMenu, add);
    AddRows(this, menu(file, "mnuFileExport", "&Export"), FileExportMenu, add);
    file->addSeparator();
    AddCommand(file, "mnuFileExit", QStringLiteral("E&xit"), QStringLiteral("Exit|Closes the program"),
               &TfrmMain::mnuFileExitClick);
    connect(file, &QMenu::aboutToShow, this, &TfrmMain::mnuFileClick);

    QMenu* edit = menu(bar, "mnuEdit", "&Edit");
    FUndo = new QUndoStack(this);
    QAction* undo = FUndo->createUndoAction(edit, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("mnuEditUndo"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setStatusTip(QStringLiteral("Takes back the last change"));
    QAction* redo = FUndo->createRedoAction(edit, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("mnuEditRedo"));
    redo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    redo->setStatusTip(QStringLiteral("Makes the change taken back again"));
    for (QAction* a : {undo, redo}) {
        edit->addAction(a);
        FCommands.insert(a->objectName(), a);
    }
    edit->addSeparator();
    AddRows(this, edit, EditMenu, add);
    connect(edit, &QMenu::aboutToShow, this, &TfrmMain::mnuEditClick);
    // Shift+Del deletes without asking; both keys reach the command.
    Command(TCommandId::mnuEditDelete)->setShortcuts({QKeySequence(Qt::Key_Delete), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});

    QMenu* view = menu(bar, "mnuView", "&View");
    AddRows(this, view, ViewMenu, add);
    QMenu* sizes = menu(view, "mnuViewThumbSize", "&Frame Size");
    FFrameSizeGroup = new QActionGroup(this);
    static const struct { const char* name; const char* caption; int size; } sizeRows[] = {
        {"mnuViewThumbSize80", "&80 x 80", 80},     {"mnuViewThumbSize96", "&96 x 96", 96},
        {"mnuViewThumbSize112", "&112 x 112", 112}, {"mnuViewThumbSize128", "1&28 x 128", 128},
        {"mnuViewThumbSize144", "1&44 x 144", 144}, {"mnuViewThumbSize160", "1&60 x 160", 160},
    };
    for (const auto& r : sizeRows) {
        const QString hint = QStringLiteral("Changes the frame preview size to %1 x %1 pixels").arg(r.size);
        QAction* a = AddCommand(sizes, r.name, QLatin1String(r.caption), hint,
                                &TfrmMain::mnuViewThumbSize80Click);
        a->setCheckable(true);
        a->setProperty("Tag", r.size);
        FFrameSizeGroup->addAction(a);
    }
    QAction* split = AddCommand(view, "mnuViewFrameSplit", QStringLiteral("&Auto Size Splitter Bar"),
                                QStringLiteral("Sizes the frames list to fit its frames"), &TfrmMain::mnuViewFrameSplitClick);
    split->setCheckable(true);
    split->setChecked(true);
    QMenu* side = menu(view, "mnuViewWindow", "Frame &Window");
    auto* sideGroup = new QActionGroup(this);
    QAction* left = AddCommand(side, "mnuViewWindowALeft", QStringLiteral("Align Left"),
                               QStringLiteral("Puts the frames list on the left"),
                               &TfrmMain::mnuViewWindowALeftClick);
    QAction* right = AddCommand(side, "mnuViewWindowARight", QStringLiteral("Align &Right"),
                                QStringLiteral("Puts the frames list on the right"),
                                &TfrmMain::mnuViewWindowALeftClick);
    left->setProperty("Tag", 0);
    right->setProperty("Tag", 1);
    for (QAction* a : {left, right}) {
        a->setCheckable(true);
        sideGroup->addAction(a);
    }
    right->setChecked(true);
    view->addSeparator();
    AddRows(this, view, ViewThumbsMenu, add);
    QMenu* bars = menu(view, "mnuViewTB", "T&oolbars");
    static const struct { const char* name; const char* caption; int tag; } barRows[] = {
        {"mnuViewTBStandard", "&Standard", 0}, {"mnuViewTBAni", "&Animation", 1}, {"mnuViewTBFrame", "&Frame", 2},
    };
    for (const auto& r : barRows) {
        QAction* a = AddCommand(bars, r.name, QLatin1String(r.caption),
                                QStringLiteral("Shows or hides the %1 tool bar").arg(QString::fromLatin1(r.caption).remove('&')),
                                &TfrmMain::mnuViewTBStandardClick);
        a->setCheckable(true);
        a->setProperty("Tag", r.tag);
    }
    connect(view, &QMenu::aboutToShow, this, &TfrmMain::mnuViewClick);
    connect(bars, &QMenu::aboutToShow, this, &TfrmMain::mnuViewTBClick);

    QMenu* tools = menu(bar, "mnuTools", "&Tools");
    AddRows(this, tools, ToolsMenu, add);
    connect(tools, &QMenu::aboutToShow, this, &TfrmMain::mnuToolsClick);

    QMenu* help = menu(bar, "mnuHelp", "&Help");
    AddRows(this, help, HelpMenu, add);
}

void TfrmMain::CreateToolBars() {
    auto make = [this](const char* name, const char* title, int tag, const auto& rows) {
        auto* tb = new QToolBar(QLatin1String(title), this);
        tb->setObjectName(QLatin1String(name));
        tb->setProperty("Tag", tag);
        tb->setMovable(true);
        tb->setIconSize(QSize(16, 16));
        tb->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(tb, &QWidget::customContextMenuRequested, this, [this, tb](const QPoint& at) {
            mnuViewTBClick();
            FMenus.value(QStringLiteral("popTB"))->popup(tb->mapToGlobal(at));
        });
        for (const TCommandDef& row : rows) {
            if (!row.Name) {
                tb->addSeparator();
                continue;
            }
            QAction* a = AddCommand(tb, row.Name, QLatin1String(row.Caption), QLatin1String(row.Hint), row.Handler);
            a->setIcon(Glyph(style(), QLatin1String(row.Name)));
            if (QWidget* w = tb->widgetForAction(a))
                w->setObjectName(QLatin1String(row.Name));
        }
        addToolBar(Qt::TopToolBarArea, tb);
        return tb;
    };
    tbStandard = make("tbStandard", "Standard Toolbar", 0, StandardButtons);
    tbFrame = make("tbFrame", "Frame Toolbar", 1, FrameButtons);
    tbAnimation = make("tbAnimation", "Animation Toolbar", 2, AnimationButtons);
}

void TfrmMain::CreatePopups() {
    auto* popFrames = new QMenu(this);
    popFrames->setObjectName(QStringLiteral("popFrames"));
    FMenus.insert(QStringLiteral("popFrames"), popFrames);
    AddRows(this, popFrames, FramesPopup, [this](QWidget* owner, const TCommandDef& d) {
        return AddCommand(owner, d.Name, QLatin1String(d.Caption), QLatin1String(d.Hint), d.Handler);
    });
    lbFrames->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lbFrames, &QWidget::customContextMenuRequested, this, [this, popFrames](const QPoint& at) {
        // Opening the frames popup pauses the animation.
        PausePlayback();
        popFramesPopup();
        popFrames->popup(lbFrames->viewport()->mapToGlobal(at));
    });

    // The tool bars' own popup mirrors the Toolbars sub-menu.
    auto* popTB = new QMenu(this);
    popTB->setObjectName(QStringLiteral("popTB"));
    FMenus.insert(QStringLiteral("popTB"), popTB);
    static const struct { const char* name; const char* caption; int tag; } rows[] = {
        {"popTBStd", "&Standard", 0}, {"popTBAni", "&Animation", 1}, {"popTBFrame", "&Frame", 2},
    };
    for (const auto& r : rows) {
        QAction* a = AddCommand(popTB, r.name, QLatin1String(r.caption),
                                QStringLiteral("Shows or hides the %1 tool bar").arg(QString::fromLatin1(r.caption).remove('&')),
                                &TfrmMain::mnuViewTBStandardClick);
        a->setCheckable(true);
        a->setProperty("Tag", r.tag);
    }
    connect(popTB, &QMenu::aboutToShow, this, &TfrmMain::mnuViewTBClick);

    // The thumbnail pane's popup.
    auto* popThumbs = new QMenu(this);
    popThumbs->setObjectName(QStringLiteral("popThumbs"));
    FMenus.insert(QStringLiteral("popThumbs"), popThumbs);
    AddCommand(popThumbs, "popThumbsInsert", QStringLiteral("&Insert"),
               QStringLiteral("Adds the selected picture as a new frame"), &TfrmMain::popThumbsInsertClick);
    AddCommand(popThumbs, "popThumbsEdit", QStringLiteral("&Edit..."),
               QStringLiteral("Opens the selected picture in its own program"), &TfrmMain::popThumbsEditClick);
    AddCommand(popThumbs, "popThumbsCopy", QStringLiteral("&Copy to clipboard"),
               QStringLiteral("Copies the selected picture to the clipboard"), &TfrmMain::popThumbsCopyClick);
    FThumbsSelectionSeparator = popThumbs->addSeparator();
    AddCommand(popThumbs, "popThumbsBrowse", QStringLiteral("&Browse..."),
               QStringLiteral("Picks a folder to show as thumbnails"), &TfrmMain::mnuViewBrowseClick);
    QAction* refresh = AddCommand(popThumbs, "popThumbsRefresh", QStringLiteral("Re&fresh"),
                                  QStringLiteral("Reloads the thumbnails of the folder"), &TfrmMain::popThumbsRefreshClick);
    refresh->setShortcut(QKeySequence(Qt::Key_F5));
    refresh->setShortcutContext(Qt::WindowShortcut);
    addAction(refresh); // F5 works without the popup
    popThumbsFavorites = popThumbs->addMenu(QStringLiteral("F&avorites"));
    popThumbsFavorites->setObjectName(QStringLiteral("popThumbsFavorites"));
    AddCommand(popThumbsFavorites, "popThumbsFavoritesAdd", QStringLiteral("&Add Current Folder"),
               QStringLiteral("Adds the folder shown to the favourites"), &TfrmMain::popThumbsFavoritesAddClick);
    AddCommand(popThumbsFavorites, "popThumbsFavoritesOrganize", QStringLiteral("&Organize Favorites..."),
               QStringLiteral("Reorders or removes favourite folders"), &TfrmMain::popThumbsFavoritesOrganizeClick);
    popThumbsFavorites->addSeparator();
    auto* filter = popThumbs->addMenu(QStringLiteral("Image &Filter"));
    filter->setObjectName(QStringLiteral("popThumbsFilter"));
    FFilterGroup = new QActionGroup(this);
    static const struct { const char* name; const char* caption; int tag; } filters[] = {
        {"popThumbsFilterGif", "Gif Images", 0}, {"popThumbsFilterJpg", "Jpg Images", 1},
        {"popThumbsFilterBmp", "Bitmap Images", 2}, {nullptr, nullptr, 3},
        {"popThumbsFilterAll", "All Images", 4},
    };
    for (const auto& f : filters) {
        if (!f.name) {
            filter->addSeparator();
            continue;
        }
        QAction* a = AddCommand(filter, f.name, QLatin1String(f.caption),
                                QStringLiteral("Changes thumbnail image filter to %1").arg(QLatin1String(f.caption)),
                                &TfrmMain::popThumbsFilterClick);
        a->setCheckable(true);
        a->setProperty("Tag", f.tag);
        FFilterGroup->addAction(a);
    }
    auto* viewMenu = popThumbs->addMenu(QStringLiteral("&View"));
    viewMenu->setObjectName(QStringLiteral("popThumbsView"));
    auto* viewGroup = new QActionGroup(this);
    QAction* icons = AddCommand(viewMenu, "popThumbsViewIcons", QStringLiteral("Lar&ge Icons"),
                                QStringLiteral("Shows the thumbnails as pictures"), &TfrmMain::popThumbsViewClick);
    QAction* details = AddCommand(viewMenu, "popThumbsViewDetails", QStringLiteral("&Details"),
                                  QStringLiteral("Shows the file details"), &TfrmMain::popThumbsViewClick);
    icons->setProperty("Tag", 0);
    details->setProperty("Tag", 1);
    for (QAction* a : {icons, details}) {
        a->setCheckable(true);
        viewGroup->addAction(a);
    }
    viewMenu->addSeparator();
    viewMenu->addAction(Command(TCommandId::mnuViewClearWindow));
    AddCommand(popThumbs, "popThumbsClear", QStringLiteral("Clea&r Window"),
               QStringLiteral("Empties the thumbnail window"), &TfrmMain::mnuViewClearWindowClick);
    popThumbs->addSeparator();
    AddCommand(popThumbs, "popThumbsExplorer", QStringLiteral("&Explorer Window"),
               QStringLiteral("Shows or hides the folder tree"), &TfrmMain::mnuViewExplorerClick)->setCheckable(true);
    AddCommand(popThumbs, "popThumbsCloseWindow", QStringLiteral("Cl&ose Window"),
               QStringLiteral("Hide Thumbnail Window"), &TfrmMain::popThumbsCloseClick);
    // Popups are windows of their own, so their hints would not reach the
    // main window by themselves: route each hovered item's hint to panel 2.
    for (QMenu* menu : findChildren<QMenu*>()) {
        connect(menu, &QMenu::hovered, this, [this](QAction* a) { SetStatusText(2, a->statusTip()); });
        connect(menu, &QMenu::aboutToHide, this, [this] { SetStatusText(2, QString()); });
    }
    connect(lvThumbs, &TThumbnailView::ContextMenuAt, this, [this, popThumbs](const QPoint& at, bool) {
        popThumbsPopup(true);
        popThumbs->popup(at);
    });
    tvShell->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tvShell, &QWidget::customContextMenuRequested, this, [this, popThumbs](const QPoint& at) {
        popThumbsPopup(false);
        popThumbs->popup(tvShell->viewport()->mapToGlobal(at));
    });
}

QMenu* TfrmMain::createPopupMenu() {
    // The tool bars carry their own popup; no generic one elsewhere.
    return nullptr;
}

// ---- Enabling rules -------------------------------------------------------

void TfrmMain::mnuFileClick() {
    const bool frames = lbFrames->count() > 0;
    Command(TCommandId::mnuFileSave)->setEnabled(Command(TCommandId::btnSave)->isEnabled());
    for (TCommandId id : {TCommandId::mnuFileSaveAs, TCommandId::mnuFileExportImages, TCommandId::mnuFileExportAVI})
        Command(id)->setEnabled(frames);
    const bool recent = !FRecentFiles.isEmpty();
    FMenus.value(QStringLiteral("mnuFileReopen"))->menuAction()->setVisible(recent);
    if (QAction* sep = findChild<QAction*>(QStringLiteral("N_Recent")))
        sep->setVisible(recent);
}

void TfrmMain::mnuEditClick() {
    const int count = lbFrames->count();
    const int index = lbFrames->currentRow();
    const bool selected = index >= 0 && index < count;
    for (TCommandId id : {TCommandId::mnuEditCut, TCommandId::mnuEditCopy, TCommandId::mnuEditDelete, TCommandId::mnuEditFrameProp, TCommandId::mnuEditComment})
        Command(id)->setEnabled(selected);
    Command(TCommandId::mnuEditPaste)->setEnabled(FrameClipboard()->Frames().Count() > 0 || ClipboardHasPicture());
    Command(TCommandId::mnuEditMoveUp)->setEnabled(index != 0 && count > 0 && selected);
    Command(TCommandId::mnuEditMoveDown)->setEnabled(selected && index != count - 1);
    Command(TCommandId::mnuEditAniProp)->setEnabled(count > 0);
    Command(TCommandId::mnuEditGlobal)->setEnabled(count > 0);
}

void TfrmMain::mnuViewClick() {
    Command(TCommandId::mnuViewPlay)->setEnabled(Command(TCommandId::btnPlay)->isEnabled());
    Command(TCommandId::mnuViewPause)->setEnabled(Command(TCommandId::btnPause)->isEnabled());
    Command(TCommandId::mnuViewClearWindow)->setEnabled(lvThumbs->Count() > 0);
    SyncPaneChecks();
}

void TfrmMain::mnuToolsClick() {
    const bool frames = lbFrames->count() > 0;
    for (TCommandId id : {TCommandId::mnuToolsOptimize, TCommandId::mnuToolsComment, TCommandId::mnuToolsHTML})
        Command(id)->setEnabled(frames);
}

void TfrmMain::mnuViewTBClick() {
    // Each item follows the real visibility of its own tool bar.
    static const struct { TCommandId menu; TCommandId popup; int bar; } rows[] = {
        {TCommandId::mnuViewTBStandard, TCommandId::popTBStd, 0},
        {TCommandId::mnuViewTBAni, TCommandId::popTBAni, 2},
        {TCommandId::mnuViewTBFrame, TCommandId::popTBFrame, 1},
    };
    for (const auto& r : rows) {
        const bool visible = !ToolBar(r.bar)->isHidden();
        Command(r.menu)->setChecked(visible);
        Command(r.popup)->setChecked(visible);
    }
}

void TfrmMain::popFramesPopup() {
    const int count = lbFrames->count();
    const int index = lbFrames->currentRow();
    const bool selected = index >= 0 && index < count;
    QAction* prop = Command(TCommandId::popFramesFProp);
    prop->setEnabled(selected);
    prop->setText(selected ? QStringLiteral("Frame %1 P&roperties...").arg(index)
                           : QStringLiteral("Frame P&roperties..."));
    for (TCommandId id : {TCommandId::popFramesDelete, TCommandId::popFramesCut, TCommandId::popFramesCopy})
        Command(id)->setEnabled(selected);
    Command(TCommandId::popFramesPaste)->setEnabled(FrameClipboard()->Frames().Count() > 0 || ClipboardHasPicture());
    Command(TCommandId::popFramesMoveUp)->setEnabled(selected && index != 0);
    Command(TCommandId::popFramesMoveDown)->setEnabled(selected && index != count - 1);
    Command(TCommandId::popFramesComments)->setEnabled(count > 0);
    Command(TCommandId::popFramesDeleteAll)->setEnabled(count > 0);
}

void TfrmMain::UpdateFrameCommands(int Index) {
    const int count = lbFrames->count();
    const bool selected = Index >= 0 && Index < count;
    for (TCommandId id : {TCommandId::btnCut, TCommandId::btnCopy, TCommandId::btnFrameDelete, TCommandId::btnFrameProps})
        Command(id)->setEnabled(selected);
    Command(TCommandId::btnPaste)->setEnabled(FrameClipboard()->Frames().Count() > 0 || ClipboardHasPicture());
    for (TCommandId id : {TCommandId::btnFrameMoveTop, TCommandId::btnFrameMoveUp})
        Command(id)->setEnabled(selected && Index != 0);
    for (TCommandId id : {TCommandId::btnFrameMoveBottom, TCommandId::btnFrameMoveDown})
        Command(id)->setEnabled(selected && Index != count - 1);
    for (TCommandId id : {TCommandId::btnGlobalProps, TCommandId::btnAniInfo, TCommandId::btnAddComment})
        Command(id)->setEnabled(count > 0);
    Command(TCommandId::btnSave)->setEnabled(Modified);
}

bool TfrmMain::ClipboardHasPicture() const {
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    return clip && (clip->hasImage() || clip->hasFormat(QLatin1String(TClipboardAdapter::kGifMimeType)));
}

void TfrmMain::UpdateCommandStates() {
    UpdateFrameCommands(lbFrames->currentRow());
    // Playback is possible only with frames; a change of the document stops it.
    const bool playing = Playing();
    Command(TCommandId::btnPlay)->setEnabled(lbFrames->count() > 0 && !playing);
    Command(TCommandId::btnPause)->setEnabled(playing);
    mnuFileClick();
    mnuEditClick();
    mnuViewClick();
    mnuToolsClick();
    mnuViewTBClick();
    popFramesPopup();
}

void TfrmMain::SyncPaneChecks() {
    Command(TCommandId::mnuViewThumbs)->setChecked(!pnlThumbs->isHidden());
    const bool tree = !pnlTV->isHidden();
    Command(TCommandId::mnuViewExplorer)->setChecked(tree);
    Command(TCommandId::popThumbsExplorer)->setChecked(tree);
    Command(TCommandId::popThumbsViewIcons)->setChecked(FViewIcons);
    Command(TCommandId::popThumbsViewDetails)->setChecked(!FViewIcons);
    for (QAction* a : FFilterGroup->actions())
        a->setChecked(a->property("Tag").toInt() == FilterType);
}
