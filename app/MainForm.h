#pragma once
// The main window: frames list, preview, thumbnail pane, tool bars, status bar
// and the command table. It owns the one animation document from start-up to exit.

#include "app/CommandTable.h"
#include "dialogs/SettingsChoices.h"
#include "services/WebLinks.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class IUserPrompts;
class TAnimationCommands;
class TDocumentCommands;
class TFrameCommands;
class QAction;
class QActionGroup;
class QDialog;
class QDragEnterEvent;
class QDropEvent;
class QPainter;
class QUndoStack;
class TBitmap;
class TFrameEditLog;
class TGIFSubImage;
class QFrame;
class QFileSystemModel;
class QFileSystemWatcher;
class QMimeData;
class QTreeView;
class TfrmProgress;
class TThumbnailPane;
struct TThumbnail;
class QLabel;
class QMenu;
class QScrollArea;
class QSplitter;
class QToolBar;
class QToolButton;
class TGIFImage;
class TRXListBox;
class TQtAnimationPlayer;
class TSettingsStore;
class TEditSession;
class TfrmHelp;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Settings and Prompts must outlive the window; ProgramFolder holds the
    // tips file, the help document, the resource library and the sample images.
    TfrmMain(TSettingsStore& Settings, IUserPrompts& Prompts, QString ProgramFolder,
             QWidget* Parent = nullptr);
    ~TfrmMain() override;

    static QString ApplicationTitle() { return QStringLiteral("Pellmark Reelix 2.0"); }

    // The editing session: the document (read-only here), its history, its
    // file name and the settings.
    TEditSession& Session() const { return *FSession; }
    const TGIFImage* Document() const;
    // The last frame copied in this window (empty when none).
    const TGIFImage* FrameClipboard() const;
    // Shift was held at the last key event (Shift+Del deletes without asking).
    bool ShiftHeld() const { return FShiftHeld; }
    void SetShiftHeld(bool Held) { FShiftHeld = Held; }
    int FrameSize() const { return FFrameSize; }

    // The command areas: files, frames, the whole animation.
    TDocumentCommands& Documents() const { return *FDocuments; }
    TFrameCommands& Frames() const { return *FFrames; }
    TAnimationCommands& WholeAnimation() const { return *FAnimation; }

    // The action of a command (menu item, tool button and popup item alike).
    QAction* Command(TCommandId Id) const { return FCommands[static_cast<int>(Id)]; }
    // Every command's enabled and checked state from the state now; each
    // menu runs it again as it drops down.
    void UpdateCommandStates();
    TCommandState CommandState() const;
    QToolBar* ToolBar(int Tag) const;
    QString StatusText(int Panel) const;
    void SetStatusText(int Panel, const QString& Text);

    // ---- What the command areas ask of the view ----
    int CurrentFrame() const;
    // The frames chosen in the list, in order (the current one when no other is).
    std::vector<int> SelectedFrames() const;
    // Selects Rows, the first of them current and shown.
    void SelectFrames(const std::vector<int>& Rows);
    // Makes Index current without showing it yet (a drop of several files).
    void SelectFrameQuietly(int Index);
    int RunDialog(QDialog& Dialog);
    QColor PreviewColor() const { return FAnimationColor; }
    QString InitialDir() const { return FInitialDir; }
    void SetInitialDir(const QString& Folder) { FInitialDir = Folder; }
    const TUrlOpener& UrlOpener() const { return FUrlOpener; }
    // Runs work from an event; a failure is reported and the program goes on.
    void Guarded(const std::function<void()>& Work);

    // ---- The view's own commands ----
    void Undo();
    void Redo();
    void Play();
    // Pauses when playing.
    void PausePlayback();
    // Play, or Pause when playing (Space; Ctrl+R too while playing).
    void TogglePlayback();
    // The frame before or after the current one, while paused.
    void StepFrame(int Delta);
    // The preview's zoom in percent; 0 fits the whole screen in the box.
    void SetZoom(int Percent);
    int Zoom() const { return FZoom; }
    // One level in (Steps > 0) or out.
    void ZoomBy(int Steps);
    double ZoomFactor() const;
    bool Playing() const;
    void SetFrameSize(int Size);
    void ToggleAutoSizeSplitter();
    // Frame window side: 0 left, 1 right.
    void SetFrameWindowSide(int Tag);
    bool FramesOnLeft() const;
    void ToggleToolBar(int Tag);
    // Tool bars: flat or normal buttons (row 26 or 28 pixels).
    void SetToolBarsFlat(bool Flat);
    bool ToolBarsFlat() const { return FToolBarsFlat; }
    int ToolBarRowSize() const { return FToolBarsFlat ? 26 : 28; }
    void ShowProgramOptions();
    // The window's share of Program Options (colours, tool bar style, sizes).
    TProgramOptions CurrentOptions() const;
    void ApplyOptions(const TProgramOptions& Options);
    void ShowHelp();
    void ShowTipOfTheDay(bool FromMenu);
    // 0 home page, 1 order page, 2 support page.
    void OpenWebPage(int Page);
    void ShowAbout();
    // The frames popup's items for the frame now current.
    void PrepareFramesPopup();

    // Replaces the desktop for web links (tests).
    void SetUrlOpener(TUrlOpener Opener) { FUrlOpener = std::move(Opener); }
    // Replaces the thumbnail folder scan run once after start-up.
    void SetThumbnailScan(std::function<void(const QString&)> Scan) { FThumbnailScan = std::move(Scan); }
    // Replaces how the program's own modal dialogs run (tests drive them).
    using TDialogRunner = std::function<int(QDialog& Dialog)>;
    void SetDialogRunner(TDialogRunner Runner) { FRunDialog = std::move(Runner); }

    // The start-up work queued on first show (tip of the day, start-up animation,
    // thumbnail scan). Public so tests can run them directly.
    void ShowStartupExtras();
    void ScanThumbnailFolder();

    bool SaveSettings();
    QString ProgramFolder() const { return FProgramFolder; }
    QScrollArea* AnimationBox() const { return sbAnimation; }
    QFrame* AnimationPanel() const { return pnlAnimation; }
    QLabel* AnimationView() const { return Animation; }
    // The start-up animation's player (null until it has been shown).
    TQtAnimationPlayer* StartupAnimation() const { return FStartupAnimation.get(); }
    TRXListBox* FramesList() const { return lbFrames; }
    QUndoStack* UndoStack() const;

    // ---- Frames list and preview (MainFormFrames.cpp) ----
    void lbFramesClick();
    void ShowFrame(int Index);
    // The shown frame's paint box (a child of the preview panel).
    QWidget* FramePaintBox() const { return pb; }
    // The picture drawn on a frame's tile, made once per frame: the frame's
    // own rectangle, or what the screen shows at that frame.
    QImage TilePicture(int Index);
    void ShowComposedTiles(bool Composed);
    bool ComposedTiles() const { return FShowComposed; }
    // Tiles name the bytes each frame takes in the saved file.
    void ShowFrameBytes(bool Shown);
    bool FrameBytesShown() const { return FShowBytes; }

    // ---- The thumbnail pane ----
    TThumbnailPane& Thumbnails() const { return *FThumbnails; }
    // The picture in Path added as a frame, asking where.
    void InsertThumbnail(const QString& Path);
    // Item states of the pane's popup; OverList: opened over the thumbnails.
    void PrepareThumbsPopup(bool OverList);

protected:
    bool event(QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    QMenu* createPopupMenu() override;

private:
    // Construction, split by concern (MainFormLayout.cpp, MainFormCommands.cpp).
    void CreatePanes();
    void CreateStatusBar();
    void CreateCommands();
    void CreateMenus();
    void CreateToolBars();
    void CreatePopups();
    QMenu* AddMenu(QWidget* Parent, const char* Name, const char* Caption);
    void AddItems(QWidget* Owner, TCommandPlace Place);
    void RunCommand(TCommandId Id);

    // Settings (MainFormSettings.cpp).
    void LoadSettings();
    void LoadToolBarSettings();
    void ApplyColors();
    void ArrangeToolBars();
    void MeasureLayout();

    // The document shown anew after the session replaced it.
    void ShowReplacedDocument();
    void SetTitle(const QString& Path);
    void ClearFrames();
    void SelectFrame(int Index);
    void SizePreviewToScreen();
    void EmptyPreview();
    void DrawFrameTile(QPainter& Painter, const QRect& Rect, int Index, bool Selected);
    void PaintShownFrame();
    void SyncFramesList(int Selection);
    // Panel 3: how many frames are selected, the running time and the frame rate.
    void ShowTiming();
    void ShowPlaybackFrame(const QImage& Picture, int Index, int Count);
    void ApplyAutoSizeSplitter();

    bool DropThumbnailOnPreview(const QMimeData& Data, const QPoint& At);
    void splitHorzMoved();
    bool CloseQuery();
    // After a dialog or message box: the keyboard is this window's again.
    void TakeBackKeyboard();
    void ShowStartupAnimation();
    QImage LibraryPicture(const QString& Name);
    QByteArray LibraryData(const QString& Name);

    TSettingsStore& FSettings;
    IUserPrompts& FPrompts;
    QString FProgramFolder;
    TUrlOpener FUrlOpener;
    std::function<void(const QString&)> FThumbnailScan;

    std::unique_ptr<TEditSession> FSession;
    std::unique_ptr<TDocumentCommands> FDocuments;
    std::unique_ptr<TFrameCommands> FFrames;
    std::unique_ptr<TAnimationCommands> FAnimation;
    std::unique_ptr<TQtAnimationPlayer> FStartupAnimation;
    TDialogRunner FRunDialog;
    QHash<const TGIFSubImage*, QImage> FTilePictures;
    std::vector<QImage> FComposedTiles; // made in one pass when first needed
    bool FShowComposed = false;
    std::vector<std::uint64_t> FTileBytes;  // measured in one pass when first needed
    bool FShowBytes = false;
    QImage FShownFrame;
    std::unique_ptr<TQtAnimationPlayer> FPlayer;

    QAction* FCommands[static_cast<int>(TCommandId::Count)] = {};
    QMenu* FRecentMenu = nullptr;
    QAction* FRecentLine = nullptr; // the line below the recent files
    QMenu* FToolBarsPopup = nullptr;
    bool FToolBarsFlat = true;
    bool FShownOnce = false;
    bool FPlaying = false;
    bool FShiftHeld = false;
    int FZoom = 100;
    int FFrameSize = 160;

    // Values kept from the settings until the controls that own them exist.
    QString FInitialDir;
    bool FMaximizedAtStart = false;
    QColor FAnimationColor = Qt::white;
    int FThumbsHeight = 170;
    int FFrameListWidth = 206;
    bool FAutoSizeSplitter = true;
    struct TToolBarPlace { int Left = 0; int Top = 0; bool Visible = true; };
    TToolBarPlace FToolBarPlaces[3];

    QToolBar* tbStandard = nullptr;
    QToolBar* tbFrame = nullptr;
    QToolBar* tbAnimation = nullptr;
    QWidget* pnlTop = nullptr;
    TRXListBox* lbFrames = nullptr;
    QSplitter* splitHorz = nullptr;
    QSplitter* splitVert = nullptr;
    QScrollArea* sbAnimation = nullptr;
    QFrame* pnlAnimation = nullptr;
    QLabel* Animation = nullptr;
    QWidget* pb = nullptr;
    TThumbnailPane* FThumbnails = nullptr; // the pane below the editing area
    QWidget* pnlThumbs = nullptr;          // the same, as a widget of the layout
    QAction* FThumbsSelectionSeparator = nullptr;
    // 0: the pane's button, 1: the frame, 2: hints, 3: the selection and the running time.
    QWidget* StatusPanel[4] = {nullptr, nullptr, nullptr, nullptr};
    QPointer<TfrmHelp> FHelp;
};
