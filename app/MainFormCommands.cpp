// The window's menus, tool bars and popups, built from the command table, and
// every command's state brought in line with the session and the window.
#include "app/MainForm.h"

#include "app/CommandIcons.h"
#include "app/DocumentCommands.h"
#include "app/FrameCommands.h"
#include "app/Routines.h"
#include "app/ThumbnailPane.h"
#include "controls/RXListBox.h"
#include "controls/ThumbnailView.h"
#include "gif/GIFImage.h"
#include "services/ClipboardAdapter.h"
#include "services/UserPrompts.h"
#include "session/EditSession.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>
#include <QTreeView>
#include <QUndoStack>
#include <exception>

namespace {
bool ClipboardHasPicture() {
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    return clip && (clip->hasImage() || clip->hasFormat(QLatin1String(TClipboardAdapter::kGifMimeType)));
}

QList<QKeySequence> Shortcuts(const char* text) {
    QList<QKeySequence> keys;
    if (text)
        for (const QString& key : QString::fromLatin1(text).split(QLatin1Char(';')))
            keys << QKeySequence(key);
    return keys;
}
} // namespace

void TfrmMain::CreateCommands() {
    // One action per command, wherever it appears; the window holds them all
    // so every shortcut works whether or not its menu is open.
    for (int i = 0; i < static_cast<int>(TCommandId::Count); ++i) {
        const auto id = static_cast<TCommandId>(i);
        const TCommandEntry& entry = CommandEntry(id);
        auto* action = new QAction(QLatin1String(entry.Caption), this);
        action->setObjectName(QLatin1String(CommandName(id)));
        const QString hint = QLatin1String(entry.Hint);
        action->setToolTip(ShortHint(hint));
        action->setStatusTip(LongHint(hint));
        action->setShortcuts(Shortcuts(entry.Shortcuts));
        action->setCheckable(entry.Checked != nullptr);
        action->setIcon(CommandIcon(id, style()));
        action->setIconVisibleInMenu(false);
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        addAction(action);
        FCommands[i] = action;
    }
    // Choices of one kind are exclusive.
    // (Zoom levels are not grouped: a level reached with Zoom In is none of them.)
    for (const auto& group : {CommandLayout(TCommandPlace::FrameSizeMenu), CommandLayout(TCommandPlace::FrameWindowMenu),
                              CommandLayout(TCommandPlace::ThumbsFilterMenu), CommandLayout(TCommandPlace::ThumbsViewMenu)}) {
        auto* exclusive = new QActionGroup(this);
        for (TCommandId id : group)
            if (id != Separator)
                exclusive->addAction(Command(id));
    }
    CreateMenus();
    CreateToolBars();
    CreatePopups();
}

void TfrmMain::RunCommand(TCommandId Id) {
    // An error escaping a command is reported and the program goes on; the
    // document must then still be what the session's operations left.
    try {
        CommandEntry(Id).Run(*this);
    } catch (const std::exception& e) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(), QString::fromLocal8Bit(e.what()));
    }
    FSession->Verify(QLatin1String(CommandName(Id)));
    // Check marks that Qt toggled on the click follow the real state again.
    UpdateCommandStates();
}

QMenu* TfrmMain::AddMenu(QWidget* Parent, const char* Name, const char* Caption) {
    auto* m = new QMenu(QLatin1String(Caption), Parent);
    m->setObjectName(QLatin1String(Name));
    m->menuAction()->setObjectName(QLatin1String(Name));
    if (auto* bar = qobject_cast<QMenuBar*>(Parent))
        bar->addMenu(m);
    else
        static_cast<QMenu*>(Parent)->addMenu(m);
    // Each menu's items follow the state as it drops down.
    connect(m, &QMenu::aboutToShow, this, &TfrmMain::UpdateCommandStates);
    return m;
}

void TfrmMain::AddItems(QWidget* Owner, TCommandPlace Place) {
    for (TCommandId id : CommandLayout(Place)) {
        if (id == Separator) {
            auto* line = new QAction(Owner);
            line->setSeparator(true);
            Owner->addAction(line);
        } else {
            Owner->addAction(Command(id));
        }
    }
}

void TfrmMain::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    QMenu* file = AddMenu(bar, "mnuFile", "&File");
    AddItems(file, TCommandPlace::FileMenu);
    FRecentMenu = AddMenu(file, "mnuFileReopen", "&Recent Files");
    FRecentLine = file->addSeparator();
    FRecentLine->setObjectName(QStringLiteral("N_Recent"));
    AddItems(AddMenu(file, "mnuFileImport", "&Import"), TCommandPlace::FileImportMenu);
    AddItems(AddMenu(file, "mnuFileExport", "&Export"), TCommandPlace::FileExportMenu);
    file->addSeparator();
    file->addAction(Command(TCommandId::Exit));

    AddItems(AddMenu(bar, "mnuEdit", "&Edit"), TCommandPlace::EditMenu);
    AddItems(AddMenu(bar, "mnuFrames", "Fr&ames"), TCommandPlace::FramesMenu);
    AddItems(AddMenu(bar, "mnuPicture", "&Picture"), TCommandPlace::PictureMenu);

    QMenu* view = AddMenu(bar, "mnuView", "&View");
    AddItems(view, TCommandPlace::ViewMenu);
    AddItems(AddMenu(view, "mnuViewZoom", "&Zoom"), TCommandPlace::ZoomMenu);
    AddItems(AddMenu(view, "mnuViewThumbSize", "&Frame Size"), TCommandPlace::FrameSizeMenu);
    view->addAction(Command(TCommandId::AutoSizeSplitter));
    AddItems(AddMenu(view, "mnuViewWindow", "Frame &Window"), TCommandPlace::FrameWindowMenu);
    view->addSeparator();
    AddItems(view, TCommandPlace::ViewPanesMenu);
    AddItems(AddMenu(view, "mnuViewTB", "T&oolbars"), TCommandPlace::ToolBarsMenu);

    AddItems(AddMenu(bar, "mnuTools", "&Tools"), TCommandPlace::ToolsMenu);
    AddItems(AddMenu(bar, "mnuHelp", "&Help"), TCommandPlace::HelpMenu);
}

void TfrmMain::CreateToolBars() {
    FToolBarsPopup = new QMenu(this);
    FToolBarsPopup->setObjectName(QStringLiteral("popTB"));
    AddItems(FToolBarsPopup, TCommandPlace::ToolBarsMenu);
    connect(FToolBarsPopup, &QMenu::aboutToShow, this, &TfrmMain::UpdateCommandStates);
    auto make = [this](const char* name, const char* title, TCommandPlace place) {
        auto* tb = new QToolBar(QLatin1String(title), this);
        tb->setObjectName(QLatin1String(name));
        tb->setMovable(true);
        tb->setIconSize(QSize(16, 16));
        tb->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(tb, &QWidget::customContextMenuRequested, this,
                [this, tb](const QPoint& at) { FToolBarsPopup->popup(tb->mapToGlobal(at)); });
        AddItems(tb, place);
        for (QAction* a : tb->actions())
            if (QWidget* w = tb->widgetForAction(a); w && !a->isSeparator())
                w->setObjectName(a->objectName());
        addToolBar(Qt::TopToolBarArea, tb);
        return tb;
    };
    tbStandard = make("tbStandard", "Standard Toolbar", TCommandPlace::StandardBar);
    tbFrame = make("tbFrame", "Frame Toolbar", TCommandPlace::FrameBar);
    tbAnimation = make("tbAnimation", "Animation Toolbar", TCommandPlace::AnimationBar);
}

void TfrmMain::CreatePopups() {
    auto* popFrames = new QMenu(this);
    popFrames->setObjectName(QStringLiteral("popFrames"));
    AddItems(popFrames, TCommandPlace::FramesPopup);
    connect(popFrames, &QMenu::aboutToHide, this, [this] {
        Command(TCommandId::FrameProperties)->setText(QLatin1String(CommandEntry(TCommandId::FrameProperties).Caption));
    });
    lbFrames->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lbFrames, &QWidget::customContextMenuRequested, this, [this, popFrames](const QPoint& at) {
        // Opening the frames popup pauses the animation.
        PausePlayback();
        PrepareFramesPopup();
        popFrames->popup(lbFrames->viewport()->mapToGlobal(at));
    });

    // The thumbnail pane's popup.
    auto* popThumbs = new QMenu(this);
    popThumbs->setObjectName(QStringLiteral("popThumbs"));
    AddItems(popThumbs, TCommandPlace::ThumbsPopup);
    FThumbsSelectionSeparator = popThumbs->actions().at(3);
    QMenu* favorites = AddMenu(popThumbs, "popThumbsFavorites", "F&avorites");
    AddItems(favorites, TCommandPlace::ThumbsFavoritesMenu);
    FThumbnails->SetFavoritesMenu(favorites);
    AddItems(AddMenu(popThumbs, "popThumbsFilter", "Image &Filter"), TCommandPlace::ThumbsFilterMenu);
    AddItems(AddMenu(popThumbs, "popThumbsView", "&View"), TCommandPlace::ThumbsViewMenu);
    AddItems(popThumbs, TCommandPlace::ThumbsPopupEnd);
    // Popups are windows of their own, so their hints would not reach the
    // main window by themselves: route each hovered item's hint to panel 2.
    for (QMenu* menu : findChildren<QMenu*>()) {
        connect(menu, &QMenu::hovered, this, [this](QAction* a) { SetStatusText(2, a->statusTip()); });
        connect(menu, &QMenu::aboutToHide, this, [this] { SetStatusText(2, QString()); });
    }
    connect(FThumbnails->View(), &TThumbnailView::ContextMenuAt, this, [this, popThumbs](const QPoint& at, bool) {
        PrepareThumbsPopup(true);
        popThumbs->popup(at);
    });
    QTreeView* tree = FThumbnails->FolderTree();
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this, [this, popThumbs, tree](const QPoint& at) {
        PrepareThumbsPopup(false);
        popThumbs->popup(tree->viewport()->mapToGlobal(at));
    });
}

QMenu* TfrmMain::createPopupMenu() {
    // The tool bars carry their own popup; no generic one elsewhere.
    return nullptr;
}

// ---- States -----------------------------------------------------------------

TCommandState TfrmMain::CommandState() const {
    TCommandState s;
    s.Frames = lbFrames->count();
    s.Current = lbFrames->currentRow();
    s.Chosen = static_cast<int>(SelectedFrames().size());
    s.Zoom = FZoom;
    s.ComposedTiles = FShowComposed;
    s.FrameBytes = FShowBytes;
    s.CanPaste = FFrames->Clipboard().Frames().Count() > 0 || ClipboardHasPicture();
    s.Playing = Playing();
    s.Modified = FSession->Modified();
    s.CanUndo = FSession->History().canUndo();
    s.CanRedo = FSession->History().canRedo();
    s.HasThumbnails = FThumbnails->HasThumbnails();
    s.ThumbnailsShown = !FThumbnails->isHidden();
    s.TreeShown = FThumbnails->TreeShown();
    s.LargeIcons = FThumbnails->LargeIcons();
    s.FilterType = FThumbnails->Filter();
    s.FrameSize = FFrameSize;
    s.FramesOnLeft = FramesOnLeft();
    s.AutoSizeSplitter = FAutoSizeSplitter;
    for (int tag = 0; tag < 3; ++tag)
        s.ToolBarShown[tag] = !ToolBar(tag)->isHidden();
    return s;
}

void TfrmMain::UpdateCommandStates() {
    const TCommandState state = CommandState();
    for (int i = 0; i < static_cast<int>(TCommandId::Count); ++i) {
        const TCommandEntry& entry = CommandEntry(static_cast<TCommandId>(i));
        if (entry.Enabled)
            FCommands[i]->setEnabled(entry.Enabled(state));
        if (entry.Checked)
            FCommands[i]->setChecked(entry.Checked(state));
    }
    // While playing, Ctrl+R (Play's key) pauses as Space does.
    Command(TCommandId::PlayPause)->setShortcuts(state.Playing ? QList<QKeySequence>{QKeySequence(Qt::Key_Space), QKeySequence(QStringLiteral("Ctrl+R"))}
                                                               : QList<QKeySequence>{QKeySequence(Qt::Key_Space)});
    // Undo and Redo name the step they would take.
    const QUndoStack& history = FSession->History();
    for (auto [id, step] : {std::pair{TCommandId::Undo, history.undoText()}, std::pair{TCommandId::Redo, history.redoText()}}) {
        const QString caption = QLatin1String(CommandEntry(id).Caption);
        Command(id)->setText(step.isEmpty() ? caption : caption + QLatin1Char(' ') + step);
    }
    const bool recent = !FDocuments->RecentFiles().isEmpty();
    FRecentMenu->menuAction()->setVisible(recent);
    FRecentLine->setVisible(recent);
}

void TfrmMain::PrepareFramesPopup() {
    UpdateCommandStates();
    const int index = lbFrames->currentRow();
    if (index >= 0 && index < lbFrames->count())
        Command(TCommandId::FrameProperties)->setText(QStringLiteral("Frame %1 P&roperties...").arg(index));
}

void TfrmMain::PrepareThumbsPopup(bool OverList) {
    FThumbnails->NotePopup(OverList);
    UpdateCommandStates();
    const bool selected = OverList && FThumbnails->HasSelection();
    for (TCommandId id : {TCommandId::InsertThumbnail, TCommandId::EditThumbnail, TCommandId::CopyThumbnail})
        Command(id)->setVisible(selected);
    FThumbsSelectionSeparator->setVisible(selected);
    Command(TCommandId::RefreshThumbnails)->setVisible(OverList);
    QAction* close = Command(TCommandId::CloseThumbnailWindow);
    const QString which = OverList ? QStringLiteral("Thumbnail") : QStringLiteral("Explorer");
    close->setStatusTip(QStringLiteral("Hide %1 Window").arg(which));
    close->setToolTip(close->statusTip());
}
