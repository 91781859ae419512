#include "app/MainForm.h"
#include "app/AnimationCommands.h"
#include "app/DocumentCommands.h"
#include "app/FrameCommands.h"
#include "session/EditSession.h"
#include "session/PaletteSettings.h"
#include "controls/ThumbnailView.h"
#include "dialogs/Progress.h"
#include "app/ThumbnailPane.h"

#include "app/Routines.h"
#include "services/UserPrompts.h"
#include "controls/RXListBox.h"
#include "dialogs/HelpViewer.h"
#include "dialogs/Settings.h"
#include "dialogs/TipDay.h"
#include "gif/GIFImage.h"
#include "services/QtAnimationPlayer.h"
#include "services/ResourceLibrary.h"
#include "services/SettingsStore.h"
#include "services/Shell.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QUndoStack>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeView>
#include <QFileSystemModel>
#include <QSignalBlocker>
#include <QToolBar>



TfrmMain::TfrmMain(TSettingsStore& Settings, IUserPrompts& Prompts, QString ProgramFolder,
                   QWidget* Parent)
    : QMainWindow(Parent), FSettings(Settings), FPrompts(Prompts),
      FProgramFolder(std::move(ProgramFolder)), FUrlOpener(&ShellOpenUrl) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - Untitled"));
    // Designed bounds, used until the settings hold others.
    move(80, 60);
    resize(780, 580);

    FSession = std::make_unique<TEditSession>(Settings);
    FDocuments = std::make_unique<TDocumentCommands>(*FSession, Prompts, *this);
    FFrames = std::make_unique<TFrameCommands>(*FSession, Prompts, *this);
    FAnimation = std::make_unique<TAnimationCommands>(*FSession, Prompts, *this);

    CreatePanes();
    CreateCommands();
    FDocuments->SetRecentMenu(FRecentMenu);
    LoadSettings();
    setAcceptDrops(true);

    connect(FThumbnails, &TThumbnailPane::Hint, this, [this](const QString& text) { SetStatusText(2, text); });
    connect(FThumbnails, &TThumbnailPane::StateChanged, this, &TfrmMain::UpdateCommandStates);
    connect(FThumbnails, &TThumbnailPane::Rearranged, this, [this] {
        CenterInScrollBox(sbAnimation, pnlAnimation);
        statusBar()->update();
    });

    lbFrames->SetItemHeight(FFrameSize + 65);
    lbFrames->SetCurrentWidth(FFrameSize + 26);
    lbFrames->CaptionText = QStringLiteral("Frames Window");
    lbFrames->OnDrawItem = [this](QPainter& p, const QRect& r, int row, bool selected) {
        DrawFrameTile(p, r, row, selected);
    };
    // Several frames can be chosen (Shift and Ctrl with the mouse and the
    // arrows); the current one is the one shown.
    lbFrames->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(lbFrames, &QListWidget::currentRowChanged, this, [this] { lbFramesClick(); });
    connect(lbFrames, &QListWidget::itemSelectionChanged, this, [this] {
        ShowTiming();
        UpdateCommandStates();
    });
    // A double click on a tile opens its properties.
    connect(lbFrames, &QListWidget::itemDoubleClicked, this, [this] { Guarded([this] { FFrames->Properties(); }); });
    connect(lbFrames, &TRXListBox::MoveRequested, this, [this](int from, int to) { Guarded([=, this] { FFrames->Move(from, to); }); });
    connect(lbFrames, &TRXListBox::FilesDropped, this,
            [this](int row, const QStringList& files) { Guarded([=, this] { FFrames->FilesDropped(row, files); }); });
    connect(lbFrames, &TRXListBox::Pressed, this, [this](int row, Qt::MouseButton) {
        // A click on a tile while playing stops the animation at that tile.
        if (row >= 0 && Playing()) {
            PausePlayback();
            lbFrames->setCurrentRow(row);
        }
        if (row >= 0)
            SetStatusText(1, QStringLiteral("Frame #%1 of %2").arg(row).arg(Document()->Frames().Count() - 1));
    });
    connect(FSession.get(), &TEditSession::StateChanged, this, [this] {
        SetTitle(FSession->FileName());
        UpdateCommandStates();
    });
    connect(FSession.get(), &TEditSession::DocumentChanged, this, [this](int shown) { SyncFramesList(shown); });
    connect(FSession.get(), &TEditSession::DocumentReplaced, this, &TfrmMain::ShowReplacedDocument);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdateCommandStates(); });

    UpdateCommandStates();
    splitHorzMoved();
    qApp->installEventFilter(this);
}

TfrmMain::~TfrmMain() {
    qApp->removeEventFilter(this);
    // Thumbnail workers end before the widgets their tiles would go to.
    FThumbnails->disconnect(this);
    // No painter outlives the window, and nothing reaches its widgets as
    // they go: the undo stack says it is clean once more while it is deleted.
    if (FPlayer)
        FPlayer->Stop();
    FSession->disconnect(this);
    QApplication::clipboard()->disconnect(this);
    // The painter draws into the preview label until it has stopped.
    if (FStartupAnimation)
        FStartupAnimation->Stop();
    if (FHelp)
        FHelp->close();
    if (!SaveSettings())
        qWarning("Reelix: could not write the settings file %s", qPrintable(FSettings.FileName()));
}

const TGIFImage* TfrmMain::FrameClipboard() const {
    return &FFrames->Clipboard();
}

const TGIFImage* TfrmMain::Document() const {
    return &FSession->Document();
}

QUndoStack* TfrmMain::UndoStack() const {
    return &FSession->History();
}

QToolBar* TfrmMain::ToolBar(int Tag) const {
    switch (Tag) {
    case 0: return tbStandard;
    case 1: return tbFrame;
    case 2: return tbAnimation;
    default: return nullptr;
    }
}

bool TfrmMain::event(QEvent* Event) {
    // Hints: the status part of whatever the mouse is over goes to panel 2
    // (an empty hint empties it), instead of Qt's temporary status message.
    if (Event->type() == QEvent::StatusTip) {
        SetStatusText(2, static_cast<QStatusTipEvent*>(Event)->tip());
        return true;
    }
    return QMainWindow::event(Event);
}

bool TfrmMain::eventFilter(QObject* Watched, QEvent* Event) {
    // The preview stays centred whenever its box changes size (window resized,
    // splitters moved, panes shown or hidden).
    if (Event->type() == QEvent::Resize && sbAnimation && Watched == sbAnimation->viewport()) {
        if (FZoom == 0)
            SetZoom(0); // fit follows the box
        CenterInScrollBox(sbAnimation, pnlAnimation);
    }
    // Ctrl with the wheel over the preview zooms it.
    if (Event->type() == QEvent::Wheel && sbAnimation &&
        (Watched == sbAnimation->viewport() || sbAnimation->isAncestorOf(qobject_cast<QWidget*>(Watched)))) {
        auto* wheel = static_cast<QWheelEvent*>(Event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() != 0)
                ZoomBy(wheel->angleDelta().y() > 0 ? 1 : -1);
            return true;
        }
    }
    // Left and Right step through the frames while paused, in the list and
    // the preview.
    if (Event->type() == QEvent::KeyPress && (Watched == lbFrames || Watched == sbAnimation)) {
        auto* key = static_cast<QKeyEvent*>(Event);
        if (key->modifiers() == Qt::NoModifier && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
            StepFrame(key->key() == Qt::Key_Left ? -1 : 1);
            return true;
        }
    }
    if (Event->type() == QEvent::Paint && pb && Watched == pb) {
        PaintShownFrame();
        return true;
    }
    // A dialog, message box or progress window of ours that goes away gives
    // the keyboard back to this window (the window manager may not).
    if (Event->type() == QEvent::Hide) {
        auto* w = qobject_cast<QWidget*>(Watched);
        if (w && w != this && w->isWindow() && (w->windowType() == Qt::Dialog || w->windowType() == Qt::Window))
            QTimer::singleShot(0, this, &TfrmMain::TakeBackKeyboard);
    }
    // In the frames list, Ctrl+A chooses every frame (elsewhere it is Add
    // Frame) and Esc keeps only the current one.
    if (Watched == lbFrames && Event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(Event);
        if (key->matches(QKeySequence::SelectAll) || (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier)) {
            Event->accept();
            return true;
        }
    }
    if (Watched == lbFrames && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Escape &&
        static_cast<QKeyEvent*>(Event)->modifiers() == Qt::NoModifier) {
        SelectFrames({lbFrames->currentRow()});
        return true;
    }
    // Every key event in the window records the Shift state.
    if (Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease) {
        auto* w = qobject_cast<QWidget*>(Watched);
        if (w && w->window() == this)
            FShiftHeld = static_cast<QKeyEvent*>(Event)->modifiers().testFlag(Qt::ShiftModifier);
    }
    return QMainWindow::eventFilter(Watched, Event);
}

void TfrmMain::TakeBackKeyboard() {
    if (!isVisible() || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    // Another window of ours that is still open (the help viewer) keeps it;
    // this one, already active, needs only a widget with the focus.
    QWidget* active = QApplication::activeWindow();
    if (active && active != this && active->isVisible())
        return;
    if (active != this) {
        activateWindow();
        raise();
    }
    if (!focusWidget() || !focusWidget()->isVisible())
        lbFrames->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::showEvent(QShowEvent* Event) {
    QMainWindow::showEvent(Event);
    if (FShownOnce)
        return;
    FShownOnce = true;
    FThumbnails->WindowShown();
    // Designed or stored bounds larger than the screen (a scale factor of 2
    // on a small display, another monitor) are brought within it.
    if (const QScreen* shown = screen(); shown && !isMaximized()) {
        const QRect room = shown->availableGeometry();
        if (width() > room.width() || height() > room.height()) {
            resize(std::min(width(), room.width()), std::min(height(), room.height()));
            move(room.topLeft());
        }
    }
    // Queued so the window is on screen before the tip and the animation.
    QTimer::singleShot(0, this, &TfrmMain::ShowStartupExtras);
    if (FSettings.Read(Setting::AutoLoadStartUp))
        QTimer::singleShot(0, this, &TfrmMain::ScanThumbnailFolder);
}

void TfrmMain::resizeEvent(QResizeEvent* Event) {
    QMainWindow::resizeEvent(Event);
    CenterInScrollBox(sbAnimation, pnlAnimation);
}

void TfrmMain::closeEvent(QCloseEvent* Event) {
    if (!CloseQuery()) {
        Event->ignore();
        return;
    }
    // Nothing draws into a closed window.
    if (FStartupAnimation)
        FStartupAnimation->Stop();
    PausePlayback();
    Event->accept();
}

bool TfrmMain::CloseQuery() {
    // Yes closes only after a successful save; a cancelled save dialog keeps
    // the window open.
    return FDocuments->AskSaveChanges();
}

// ---- Start-up extras ------------------------------------------------------

void TfrmMain::ShowStartupExtras() {
    QCoreApplication::processEvents();
    if (FSettings.Read(Setting::TipDay))
        ShowTipOfTheDay(false);
    if (FSettings.Read(Setting::DisplayAnimation))
        ShowStartupAnimation();
}

void TfrmMain::ScanThumbnailFolder() {
    QCoreApplication::processEvents();
    const QString folder = FThumbnails->StartFolder();
    if (FThumbnailScan)
        FThumbnailScan(folder);
    else if (!FThumbnails->isHidden() && !folder.isEmpty())
        FThumbnails->SetTreeFolder(folder);
    FThumbnails->ForgetStartFolder();
}

QByteArray TfrmMain::LibraryData(const QString& Name) {
    auto library = TResourceLibrary::Load(
        QDir(FProgramFolder).filePath(QLatin1String(TResourceLibrary::DefaultName)),
        [this](const QString& message) {
            FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(), message);
        });
    return library ? library->Data(Name) : QByteArray();
}

QImage TfrmMain::LibraryPicture(const QString& Name) {
    QImage image;
    image.loadFromData(LibraryData(Name));
    return image;
}

void TfrmMain::ShowStartupAnimation() {
    TWaitCursor wait;
    const QByteArray data = LibraryData(QStringLiteral("ANIMATED"));
    if (data.isEmpty())
        return;
    // Played by the program's own reader and painter; a damaged resource
    // costs only the animation.
    auto player = std::make_unique<TQtAnimationPlayer>();
    try {
        player->Load(data);
    } catch (const std::exception& e) {
        qWarning("Reelix: the start-up animation could not be read: %s", e.what());
        return;
    }
    const QSize size = player->Size();
    if (player->FrameCount() == 0 || size.isEmpty())
        return;
    if (FStartupAnimation)
        FStartupAnimation->Stop();
    FStartupAnimation = std::move(player);
    Animation->setGeometry(1, 1, size.width(), size.height());
    pb->setGeometry(1, 1, size.width(), size.height());
    pnlAnimation->resize(size.width() + 2, size.height() + 2);
    CenterInScrollBox(sbAnimation, pnlAnimation);
    QLabel* view = Animation;
    try {
        FStartupAnimation->Play(FAnimationColor, [view](const QImage& frame) {
            view->setPixmap(QPixmap::fromImage(frame));
        });
    } catch (const std::exception& e) {
        // Called from the event loop, which must not see the failure.
        qWarning("Reelix: the start-up animation could not be played: %s", e.what());
    }
}

void TfrmMain::ShowTipOfTheDay(bool FromMenu) {
    std::unique_ptr<TfrmTips> tips;
    {
        TWaitCursor wait;
        tips = std::make_unique<TfrmTips>(&FSettings, FProgramFolder, this);
        tips->TipsFileName = QStringLiteral("Tips.txt");
        if (FromMenu)
            tips->ReadShowFlag = true;
        else
            tips->chkShow->setChecked(true);
    }
    tips->exec();
}

// ---- Handlers ---------------------------------------------------------------

void TfrmMain::ShowHelp() {
    const QString file = QDir(FProgramFolder).filePath(QLatin1String(TfrmHelp::HelpFileName));
    if (!FHelp) {
        FHelp = new TfrmHelp(this);
        FHelp->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (!FHelp->ShowContents(file)) {
        FHelp->deleteLater();
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("Could not open the help file %1.").arg(QDir::toNativeSeparators(file)));
        return;
    }
    FHelp->show();
    FHelp->raise();
}

void TfrmMain::ShowAbout() {
    std::unique_ptr<TfrmSettings> about;
    {
        TWaitCursor wait;
        about = std::make_unique<TfrmSettings>(TfrmSettings::dtAbout, FPrompts, FUrlOpener,
                                               LibraryPicture(QStringLiteral("SPLASH")), this);
    }
    about->exec();
}

void TfrmMain::OpenWebPage(int Page) {
    const QUrl pages[] = {WebLinks::HomePage(), WebLinks::OrderPage(), WebLinks::SupportPage()};
    WebLinks::Open(pages[std::clamp(Page, 0, 2)], FUrlOpener, FPrompts);
}

void TfrmMain::Guarded(const std::function<void()>& Work) {
    try {
        Work();
    } catch (const std::exception& e) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(), QString::fromLocal8Bit(e.what()));
    }
}

void TfrmMain::ToggleAutoSizeSplitter() {
    FAutoSizeSplitter = !FAutoSizeSplitter;
    ApplyAutoSizeSplitter();
}

void TfrmMain::ApplyAutoSizeSplitter() {
    if (!FAutoSizeSplitter)
        return;
    // The list's client area takes the tile width; the splitter follows.
    const int width = FFrameSize + 26 + lbFrames->verticalScrollBar()->sizeHint().width() + 2 * lbFrames->frameWidth();
    QList<int> sizes = splitHorz->sizes();
    const int listAt = splitHorz->indexOf(lbFrames);
    const int other = 1 - listAt;
    const int total = sizes[0] + sizes[1];
    sizes[listAt] = width;
    sizes[other] = std::max(50, total - width);
    splitHorz->setSizes(sizes);
    splitHorzMoved();
}

void TfrmMain::SetFrameSize(int Size) {
    FFrameSize = Size;
    lbFrames->SetItemHeight(FFrameSize + 65);
    lbFrames->SetCurrentWidth(FFrameSize + 26);
    FTilePictures.clear();
    FComposedTiles.clear();
    FTileBytes.clear();
    ApplyAutoSizeSplitter();
    if (!pnlAnimation->isHidden())
        CenterInScrollBox(sbAnimation, pnlAnimation);
    lbFrames->viewport()->update();
}

void TfrmMain::ToggleToolBar(int Tag) {
    QToolBar* bar = ToolBar(Tag);
    bar->setVisible(bar->isHidden());
}

void TfrmMain::Undo() {
    FSession->History().undo();
}

void TfrmMain::Redo() {
    FSession->History().redo();
}

int TfrmMain::RunDialog(QDialog& Dialog) {
    return FRunDialog ? FRunDialog(Dialog) : Dialog.exec();
}

// ---- Files from outside -----------------------------------------------------

void TfrmMain::dragEnterEvent(QDragEnterEvent* Event) {
    const QMimeData* data = Event->mimeData();
    if (data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile()) {
                Event->acceptProposedAction();
                return;
            }
    QMainWindow::dragEnterEvent(Event);
}

void TfrmMain::dropEvent(QDropEvent* Event) {
    if (DropThumbnailOnPreview(*Event->mimeData(), Event->position().toPoint())) {
        Event->acceptProposedAction();
        return;
    }
    for (const QUrl& url : Event->mimeData()->urls())
        if (url.isLocalFile()) {
            Event->acceptProposedAction();
            FDocuments->OpenAsNewDocument(url.toLocalFile());
            return;
        }
}
