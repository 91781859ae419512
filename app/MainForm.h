#pragma once
// The main window: frames list, preview, thumbnail pane, tool bars, status bar
// and the command table. It owns the one animation document from start-up to exit.

#include "app/CommandIds.h"
#include "dialogs/SettingsChoices.h"
#include "services/WebLinks.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class IUserPrompts;
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
class TThumbnailMaker;
class TThumbnailView;
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

    // Document state shared with the document, import and frame commands.
    TGIFImage* Document() const { return FDocument.get(); }
    TGIFImage* FrameClipboard() const { return FFrameClipboard.get(); }
    QString FileName = QStringLiteral("Untitled");
    bool Modified = false;
    bool Optimized = false;
    bool ShiftHeld = false;
    int FrameSize = 160;
    int DefaultDelay = 100;
    int DefaultLoop = 0;
    int FilterType = 4;
    QString ThumbDirectory;

    // Looks up a command (menu item, tool button or popup item) by its control name.
    QAction* Command(const QString& Name) const { return FCommands.value(Name); }
    QAction* Command(TCommandId Id) const { return FCommands.value(QLatin1String(CommandName(Id))); }
    QToolBar* ToolBar(int Tag) const;
    QString StatusText(int Panel) const;
    void SetStatusText(int Panel, const QString& Text);

    // Enabling rules; each top-level menu runs its own when it drops down.
    void mnuFileClick();
    void mnuEditClick();
    void mnuViewClick();
    void mnuToolsClick();
    void mnuViewTBClick();
    void popFramesPopup();
    // Tool-button states for the frame at Index (-1: none).
    void UpdateFrameCommands(int Index);
    // All of the above, for changes made outside a menu.
    void UpdateCommandStates();
    // The system clipboard holds a picture or frames to paste.
    bool ClipboardHasPicture() const;

    // Frame window side: 0 left, 1 right.
    void SetFrameWindowSide(int Tag);
    bool FramesOnLeft() const;

    // Tool bars: flat or normal buttons (row 26 or 28 pixels).
    void SetToolBarsFlat(bool Flat);
    bool ToolBarsFlat() const { return FToolBarsFlat; }
    int ToolBarRowSize() const { return FToolBarsFlat ? 26 : 28; }

    void SetFrameSize(int Size);

    // Replaces the desktop for web links (tests).
    void SetUrlOpener(TUrlOpener Opener) { FUrlOpener = std::move(Opener); }
    // Replaces the thumbnail folder scan run once after start-up.
    void SetThumbnailScan(std::function<void(const QString&)> Scan) { FThumbnailScan = std::move(Scan); }

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

    // ---- Documents (MainFormDocuments.cpp) ----
    void mnuFileNewClick();
    void mnuFileOpenClick();
    void mnuFileSaveClick();
    void mnuFileSaveAsClick();
    // Asks to save a modified document; answers whether the caller may go on
    // (the document is clean now).
    bool AskSaveChanges();
    // Reads a file by its kind and, once it has been read, makes it the
    // document (the caller has asked to save changes). A file that cannot be
    // read leaves the document, its name and its history as they were, and
    // one error box says why; answers whether the file was opened.
    bool OpenFile(const QString& Path);
    // The document emptied: no frames, no history, "Untitled" (New without
    // asking).
    void ResetDocument();
    // Fills the frames list from the document loaded from Path.
    void ShowDocument(const QString& Path);
    // Writes the document; on failure tells the user and answers false.
    bool SaveDocument(const QString& Path);
    void MakeBackup(const QString& Path);
    void AddRecentFile(const QString& Path);
    void NumberRecentFiles();
    void OpenRecentFile(QAction* Item);
    QStringList RecentFiles() const;
    QList<QAction*> RecentFileItems() const { return FRecentFiles; }
    // New (asking to save changes), then the file, when New went ahead.
    void OpenAsNewDocument(const QString& Path);
    // Files named on the command line: the first opens as Open would open it.
    void OpenCommandLineFiles(const QStringList& Files);
    // Replaces how saved bytes reach the disk (tests inject failures); the
    // writer answers an empty text on success, else the reason.
    using TFileWriter = std::function<QString(const QString& Path, const QByteArray& Bytes)>;
    void SetFileWriter(TFileWriter Writer) { FFileWriter = std::move(Writer); }

    // ---- Import (MainFormImport.cpp) ----
    // Loads a picture file into Bitmap. A multi-frame GIF may instead open as
    // the new animation (answers false then, nothing to add).
    bool LoadImageFile(const QString& Path, TBitmap& Bitmap, bool AllowPrompt, int Kind);
    // 0 adjusted after asking, 1 cancelled, 2 go on.
    // A change of the animation's size goes into Log when one is given.
    int CheckFrameSize(TBitmap& Bitmap, TFrameEditLog* Log = nullptr);
    // The new frame's index, or -1 when the palette question was cancelled.
    // What changes is recorded in Log.
    int ReduceAndAddFrame(const TBitmap& Bitmap, TFrameEditLog& Log);
    // One undoable step named StepName ("Add Frame" when empty).
    void AddBitmapAsFrame(TBitmap Bitmap, int AfterIndex, const QString& StepName = QString());
    // Size question and colour reduction into Log; the new frame's index, or -1
    // (with Log taken back) when either question was cancelled.
    int AddBitmapToLog(TBitmap& Bitmap, TFrameEditLog& Log);
    // Index to add after, -1 at the start, -2 cancelled.
    int AskInsertPosition();
    void btnFrameAddClick();
    // Replaces how the program's own modal dialogs run (tests drive them).
    using TDialogRunner = std::function<int(QDialog& Dialog)>;
    void SetDialogRunner(TDialogRunner Runner) { FRunDialog = std::move(Runner); }

    // ---- Frames list and preview (MainFormFrames.cpp) ----
    void lbFramesClick();
    void ShowFrame(int Index);
    // The shown frame's paint box (a child of the preview panel).
    QWidget* FramePaintBox() const { return pb; }
    // The picture drawn on a frame's tile, made once per frame.
    QImage TilePicture(int Index);

    // ---- Frame commands (MainFormFrameCommands.cpp) ----
    void popFramesDeleteClick();
    void popFramesDeleteAllClick();
    void mnuEditCutClick();
    void mnuEditCopyClick();
    void mnuEditPasteClick();
    void popFramesMoveUpClick();
    void popFramesMoveDownClick();
    void btnFrameMoveTopClick();
    void btnFrameMoveBottomClick();
    void mnuViewFrameSplitClick();
    // Frame Properties of the selected frame, and Global Frame Properties.
    void popFramesFPropClick();
    void mnuEditGlobalClick();
    // A move as one undoable step, keeping the loop count on the first frame.
    void MoveFrame(int From, int To);
    void CopyFrameAttributes(TGIFSubImage& Source, TGIFSubImage& Target);
    // Picture files dropped on the frames list after entry Row (-1: the end).
    void FilesDroppedOnList(int Row, const QStringList& Files);
    QUndoStack* UndoStack() const { return FUndo; }

    // ---- Video (MainFormVideo.cpp) ----
    // New, then a video file chosen and imported as the new animation.
    void mnuFileImportAVIClick();
    // The first video stream of Path becomes the animation "Untitled"; a
    // video that cannot be read (or a Cancel) leaves the document as it was.
    bool ImportVideoFile(const QString& Path);
    // The animation written as an uncompressed AVI video.
    void mnuFileExportAVIClick();
    // Chosen frames written as single GIF, JPEG or BMP pictures (MainFormExport.cpp).
    void mnuFileExportImagesClick();

    // ---- Whole animation (MainFormAnimation.cpp) ----
    // Animation Information: loop count, size and global palette, one undo step.
    void mnuEditAniPropClick();
    // Optimize Animation: the document replaced by its optimised copy, one undo step.
    void mnuToolsOptimizeClick();
    // Save and Save As open Optimize Animation first when asked to.
    void PromptOptimizeBeforeSaving();
    // The comment editor: each comment added, edited or removed is an undo step.
    void mnuToolsCommentClick();
    // HTML code that shows the animation, for the clipboard; changes nothing.
    void mnuToolsHTMLClick();

    // ---- Playback (MainFormPlayback.cpp) ----
    void mnuViewPlayClick();
    void btnPauseClick();
    // Pauses when playing.
    void PausePlayback();
    bool Playing() const;

    // Command handlers run from menus, tool buttons and popups.
    void mnuFileExitClick();
    void mnuHelpContentsClick();
    void mnuHelpTipClick();
    void mnuHelpAboutClick();
    void mnuHelpHomeClick();
    void mnuHelpOrderClick();
    void mnuHelpSupportClick();
    void mnuViewThumbSize80Click();

    // ---- Thumbnail pane (MainFormThumbnails.cpp) ----
    TThumbnailView* ThumbnailView() const { return lvThumbs; }
    QTreeView* FolderTree() const { return tvShell; }
    TThumbnailMaker* ThumbnailMaker() const { return FThumbMaker; }
    // The progress window of the running scan (null when none is shown).
    TfrmProgress* ScanProgress() const { return FScanProgress.get(); }
    // The folder the tree shows, and moving the tree (which scans the folder).
    QString TreeFolder() const;
    void SetTreeFolder(const QString& Folder);
    // Lists Folder's pictures and starts making their thumbnails; Quiet shows
    // no progress window (a change noticed on disk).
    void ScanThumbFolder(const QString& Folder, bool Quiet = false);
    QString ScannedFolder() const { return FScannedFolder; }
    // The picture in Path added as a frame, asking where.
    void InsertThumbnail(const QString& Path);
    QStringList Favorites() const { return FFavorites; }
    void RebuildFavoritesMenu(const QStringList& Folders);
    void tvShellChange();
    void popThumbsInsertClick();
    void popThumbsEditClick();
    void popThumbsCopyClick();
    void popThumbsRefreshClick();
    void popThumbsFilterClick();
    void popThumbsViewClick();
    void popThumbsCloseClick();
    void popThumbsFavoritesAddClick();
    void popThumbsFavoritesOrganizeClick();
    void mnuViewBrowseClick();
    void mnuViewClearWindowClick();
    void mnuViewThumbsClick();
    void mnuViewExplorerClick();
    // Item states of the pane's popup; OverList: opened over the thumbnails.
    void popThumbsPopup(bool OverList);

    // ---- Program Options (MainFormOptions.cpp) ----
    void mnuToolsOptionsClick();
    // The window's share of Program Options (colours, tool bar style, sizes).
    TProgramOptions CurrentOptions() const;
    void ApplyOptions(const TProgramOptions& Options);
    void mnuViewWindowALeftClick();
    void mnuViewTBStandardClick();

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
    void CreateThumbnailPane();
    void CreateStatusBar();
    void CreateCommands();
    void CreateMenus();
    void CreateToolBars();
    void CreatePopups();
    QAction* AddCommand(QWidget* Owner, const char* Name, const QString& Caption,
                        const QString& Hint, void (TfrmMain::*Handler)());
    void RunCommand(void (TfrmMain::*Handler)(), QAction* Sender);
    void PendingCommand();

    // Settings (MainFormSettings.cpp).
    void LoadSettings();
    void LoadToolBarSettings();
    void ApplyColors();
    void ArrangeToolBars();
    void MeasureLayout();

    // Documents, import, frames.
    static constexpr int MaxRecentFiles = 10;
    QAction* NewRecentItem(const QString& Path);
    void SetTitle(const QString& Path);
    bool SaveAsDialog();
    struct TLoadOutcome {
        bool Loaded = false;
        bool Cancelled = false;
        QString Failure;  // why the file could not be read
        QString Warnings; // what was repaired or skipped, for the user; empty when nothing
    };
    // Reads a GIF completely into Target (which only then takes its frames).
    TLoadOutcome LoadGIF(const QString& Path, TGIFImage& Target, bool WithProgress);
    void ShowLoadFailure(const QString& Path, const TLoadOutcome& Outcome);
    void ShowLoadWarnings(const TLoadOutcome& Outcome);
    void ShowPictureFailure(const QString& Path, const QString& Reason);
    void ClearFrames();
    void AppendFrameEntry();
    void SelectFrame(int Index);
    void SizePreviewToScreen();
    void EmptyPreview();
    void DrawFrameTile(QPainter& Painter, const QRect& Rect, int Index, bool Selected);
    void PaintShownFrame();
    int RunDialog(QDialog& Dialog);
    // Runs work from an event; a failure is reported and the program goes on.
    void Guarded(const std::function<void()>& Work);
    void PushEdit(const QString& Name, TFrameEditLog Log, int SelectionBefore, int SelectionAfter);
    void SyncFramesList(int Selection);
    void RemoveFrame(int Index, const QString& Name, int SelectAfter);
    void ShowPlaybackFrame(const QImage& Picture, int Index, int Count);
    void ApplyAutoSizeSplitter();

    void ThumbnailMade(int Index, const TThumbnail& Thumbnail);
    void ThumbnailScanFinished(bool Cancelled);
    void ThumbnailSelected(int Row);
    bool DropThumbnailOnPreview(const QMimeData& Data, const QPoint& At);
    void SaveFavorites();
    void PlaceThumbsButton(bool PaneVisible);
    void PlaceTreeButton(bool TreeVisible);
    void SyncPaneChecks();
    void splitHorzMoved();
    bool CloseQuery();
    // After a dialog or message box: the keyboard is this window's again.
    void TakeBackKeyboard();
    void ShowTipOfTheDay(bool FromMenu);
    void ShowStartupAnimation();
    QImage LibraryPicture(const QString& Name);
    QByteArray LibraryData(const QString& Name);

    TSettingsStore& FSettings;
    IUserPrompts& FPrompts;
    QString FProgramFolder;
    TUrlOpener FUrlOpener;
    std::function<void(const QString&)> FThumbnailScan;

    std::unique_ptr<TGIFImage> FDocument;
    std::unique_ptr<TGIFImage> FFrameClipboard;
    std::unique_ptr<TQtAnimationPlayer> FStartupAnimation;
    TFileWriter FFileWriter;
    TDialogRunner FRunDialog;
    QHash<const TGIFSubImage*, QImage> FTilePictures;
    QImage FShownFrame;
    QUndoStack* FUndo = nullptr;
    std::unique_ptr<TQtAnimationPlayer> FPlayer;
    int FStoredLeft = 0;
    int FStoredTop = 0;

    QHash<QString, QAction*> FCommands;
    QHash<QString, QMenu*> FMenus;
    QList<QAction*> FRecentFiles;
    QStringList FFavorites;
    QActionGroup* FFrameSizeGroup = nullptr;
    QActionGroup* FFilterGroup = nullptr;
    bool FToolBarsFlat = true;
    bool FShownOnce = false;
    QAction* FSender = nullptr; // the item that runs the current command

    // Values kept from the settings until the controls that own them exist.
    QString FInitialDir;
    QString FTreePath;
    int FThumbSize = 75;
    bool FViewIcons = true;
    bool FMaximizedAtStart = false;
    QColor FAnimationColor = Qt::white;
    int FThumbsHeight = 170;
    int FFrameListWidth = 206;
    int FExplorerWidth = 180;
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
    QWidget* pnlThumbs = nullptr;
    QWidget* pnlThumbCaption = nullptr;
    QFrame* bevSpacer = nullptr;
    QLabel* lblCurrFolder = nullptr;
    QSplitter* splitThumbs = nullptr;
    QWidget* pnlTV = nullptr;
    QWidget* pnlTVCaption = nullptr;
    TThumbnailView* lvThumbs = nullptr;
    QTreeView* tvShell = nullptr;
    QFileSystemModel* FFolderModel = nullptr;
    QFileSystemWatcher* FFolderWatch = nullptr;
    TThumbnailMaker* FThumbMaker = nullptr;
    std::unique_ptr<TfrmProgress> FScanProgress;
    QString FScannedFolder; // with a trailing slash; empty before the first scan
    QString FBrowseFolder;  // where the folder-browse dialog starts
    QString FScanSelection; // the item to select again after a quiet rescan
    int FScanMade = 0;
    int FScanCount = 0;
    bool FThumbsPopupOverList = true;
    QMenu* popThumbsFavorites = nullptr;
    QAction* FThumbsSelectionSeparator = nullptr;
    QToolButton* btnCloseThumbs = nullptr;
    QToolButton* btnTVClose = nullptr;
    QWidget* StatusPanel[3] = {nullptr, nullptr, nullptr};
    QPointer<TfrmHelp> FHelp;
};
