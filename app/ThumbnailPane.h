#pragma once
// The thumbnail pane: the folder tree, the thumbnails of the chosen folder
// made in the background, their commands, the favourite folders, and the
// buttons that hide and show the pane and the tree. A picture chosen from it
// becomes a frame through the frame commands.

#include "services/WebLinks.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class IUserPrompts;
class QAction;
class QDialog;
class QFileSystemModel;
class QFileSystemWatcher;
class QFrame;
class QLabel;
class QMenu;
class QMimeData;
class QSplitter;
class QToolButton;
class QTreeView;
class TFrameCommands;
class TSettingsStore;
class TThumbnailMaker;
class TThumbnailView;
class TfrmProgress;
struct TThumbnail;

// The favourite folders written whole, so removed ones disappear.
void SaveFavorites(TSettingsStore& Store, const QStringList& Folders);

class TThumbnailPane : public QWidget {
    Q_OBJECT
public:
    // Parking holds the pane's show button while the pane is hidden (a
    // status bar panel); RunDialog runs the program's modal dialogs.
    TThumbnailPane(IUserPrompts& Prompts, TSettingsStore& Settings, TFrameCommands& Frames, const TUrlOpener& UrlOpener,
                   std::function<int(QDialog&)> RunDialog, QWidget* Parking, QWidget* Parent);
    ~TThumbnailPane() override;

    TThumbnailView* View() const { return lvThumbs; }
    QTreeView* FolderTree() const { return tvShell; }
    TThumbnailMaker* Maker() const { return FThumbMaker; }
    // The progress window of the running scan (null when none is shown).
    TfrmProgress* ScanProgress() const { return FScanProgress.get(); }

    // The stored choices (folder, filter, sizes, visibility, favourites) and
    // writing them back. DefaultFolder: the folder shown when none is stored.
    void ReadSettings(const TSettingsStore& Store, const QString& DefaultFolder);
    void SetParking(QWidget* Parking) { FParking = Parking; }
    void WriteSettings(TSettingsStore& Store);
    // The folder stored at start-up, scanned once the window is up (then empty).
    QString StartFolder() const { return FStartFolder; }
    void ForgetStartFolder() { FStartFolder.clear(); }

    // The folder the tree shows, and moving the tree (which scans the folder).
    QString TreeFolder() const;
    void SetTreeFolder(const QString& Folder);
    void TreeFolderChanged();
    // Lists Folder's pictures and starts making their thumbnails; Quiet shows
    // no progress window (a change noticed on disk).
    void ScanFolder(const QString& Folder, bool Quiet = false);
    QString ScannedFolder() const { return FScannedFolder; }

    // ---- Commands ----
    void InsertSelected();
    void EditSelected();
    void CopySelected();
    void Refresh();
    void Clear();
    // 0 GIF, 1 JPEG, 2 BMP, 4 all pictures.
    void SetFilter(int Filter);
    int Filter() const { return FFilter; }
    void SetLargeIcons(bool Large);
    bool LargeIcons() const { return FLargeIcons; }
    void Browse();
    void AddFavorite();
    void OrganizeFavorites();
    QStringList Favorites() const { return FFavorites; }
    void SetFavorites(const QStringList& Folders);
    // The thumbnail size (pixels); a change shows in the next scan.
    int TileSize() const { return FTileSize; }
    void SetTileSize(int Size) { FTileSize = Size; }
    void TogglePane();
    void ToggleTree();
    bool TreeShown() const;
    // Hides the pane, or the tree when the popup was opened over it.
    void ClosePart();
    // The popup was opened over the thumbnails (else over the tree).
    void NotePopup(bool OverList) { FPopupOverList = OverList; }
    bool HasSelection() const;
    bool HasThumbnails() const;
    void SetFavoritesMenu(QMenu* Menu) { FFavoritesMenu = Menu; }

    // A thumbnail dragged onto the preview (the window's drop): its path, or
    // empty when Data is no thumbnail.
    static QString DraggedPicture(const QMimeData& Data);
    // The window was shown for the first time (rescans wait for it).
    void WindowShown() { FWindowShown = true; }

signals:
    // A hint for the status bar (empty: clear it).
    void Hint(const QString& Text);
    // Shown, hidden, filled or emptied: the commands' states may change.
    void StateChanged();
    // The pane's contents moved (its height changed): the preview recentres.
    void Rearranged();

private:
    void Build();
    void PlaceThumbsButton(bool PaneVisible);
    void PlaceTreeButton(bool TreeVisible);
    void ThumbnailMade(int Index, const TThumbnail& Thumbnail);
    void ScanFinished(bool Cancelled);
    void Selected(int Row);

    IUserPrompts& FPrompts;
    TSettingsStore& FSettings;
    TFrameCommands& FFrames;
    const TUrlOpener& FUrlOpener;
    std::function<int(QDialog&)> FRunDialog;
    QWidget* FParking;

    QWidget* pnlThumbCaption = nullptr;
    QFrame* bevSpacer = nullptr;
    QLabel* lblCurrFolder = nullptr;
    QSplitter* splitThumbs = nullptr;
    QWidget* pnlTV = nullptr;
    QWidget* pnlTVCaption = nullptr;
    TThumbnailView* lvThumbs = nullptr;
    QTreeView* tvShell = nullptr;
    QToolButton* btnCloseThumbs = nullptr;
    QToolButton* btnTVClose = nullptr;
    QFileSystemModel* FFolderModel = nullptr;
    QFileSystemWatcher* FFolderWatch = nullptr;
    TThumbnailMaker* FThumbMaker = nullptr;
    std::unique_ptr<TfrmProgress> FScanProgress;
    QMenu* FFavoritesMenu = nullptr;

    QString FTreePath;
    QString FStartFolder;
    QString FScannedFolder; // with a trailing slash; empty before the first scan
    QString FBrowseFolder;  // where the folder-browse dialog starts
    QString FScanSelection; // the item to select again after a quiet rescan
    QStringList FFavorites;
    int FScanMade = 0;
    int FScanCount = 0;
    int FFilter = 4;
    int FTileSize = 75;
    int FExplorerWidth = 180;
    bool FLargeIcons = true;
    bool FPopupOverList = true;
    bool FWindowShown = false;
};
