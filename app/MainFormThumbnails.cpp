// The thumbnail pane: the folder tree, the thumbnails of the chosen folder,
// their commands, the favourite folders, and showing or hiding the pane.
#include "app/MainForm.h"
#include "app/FrameCommands.h"

#include "app/ImageImport.h"
#include "app/Routines.h"
#include "app/ThumbnailMaker.h"
#include "controls/RXListBox.h"
#include "controls/ThumbnailView.h"
#include "dialogs/Progress.h"
#include "dialogs/Settings.h"
#include "services/ClipboardAdapter.h"
#include "services/UserPrompts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

namespace {
constexpr int FixedFavoriteItems = 3; // Add, Organize, separator

QString WithSlash(QString Folder) {
    if (!Folder.endsWith(QLatin1Char('/')))
        Folder += QLatin1Char('/');
    return Folder;
}
} // namespace

// ---- The folder tree ----------------------------------------------------------

QString TfrmMain::TreeFolder() const {
    const QModelIndex current = tvShell->currentIndex();
    return current.isValid() ? FFolderModel->filePath(current) : FTreePath;
}

void TfrmMain::SetTreeFolder(const QString& Folder) {
    const QString clean = QDir::cleanPath(QDir(Folder).absolutePath());
    FTreePath = clean;
    const QModelIndex index = FFolderModel->index(clean);
    if (!index.isValid()) {
        // Not (or no longer) on disk: say so, as a scan of it would.
        ScanThumbFolder(clean);
        return;
    }
    const bool same = tvShell->currentIndex() == index;
    tvShell->setCurrentIndex(index);
    tvShell->scrollTo(index, QAbstractItemView::PositionAtCenter);
    if (same)
        tvShellChange();
}

void TfrmMain::tvShellChange() {
    const QString folder = TreeFolder();
    FTreePath = folder;
    if (pnlThumbs->isHidden() || WithSlash(folder) == FScannedFolder)
        return;
    FBrowseFolder = folder;
    ScanThumbFolder(folder);
}

// ---- Scanning -------------------------------------------------------------

void TfrmMain::ScanThumbFolder(const QString& Folder, bool Quiet) {
    const QString folder = WithSlash(Folder);
    if (!QFileInfo(folder).isDir()) {
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("The selected file \"%1\" does not exist!").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    lblCurrFolder->setText(QStringLiteral("Current Folder: %1").arg(QDir::toNativeSeparators(folder)));
    FThumbMaker->Cancel();
    const QString selected = lvThumbs->Caption(lvThumbs->CurrentRow());
    lvThumbs->Clear();
    lvThumbs->SetLargeIcons(FViewIcons);
    lvThumbs->SetTileSize(FThumbSize);
    // Files saved into the shown folder appear without a Refresh.
    if (FScannedFolder != folder) {
        if (!FFolderWatch->directories().isEmpty())
            FFolderWatch->removePaths(FFolderWatch->directories());
        FFolderWatch->addPath(folder);
    }
    FScannedFolder = folder;

    const QList<TThumbnailFile> files = ListPictureFiles(folder, FilterType);
    Command(TCommandId::ClearWindow)->setEnabled(!files.isEmpty());
    if (files.isEmpty())
        return;
    for (const TThumbnailFile& file : files)
        lvThumbs->AddItem(folder + file.Name, ThumbnailSizeText(file.Size));
    FScanMade = 0;
    FScanCount = files.size();
    FScanSelection = Quiet ? selected : QString();
    FThumbMaker->Start(folder, files, FThumbSize, lvThumbs->CurrentView()->palette().color(QPalette::Base));
    if (!FThumbMaker->Busy() || Quiet)
        return;
    // The window takes no input while the progress window is up, but keeps
    // repainting: the thumbnails appear behind it as they are made.
    FScanProgress = std::make_unique<TfrmProgress>(this);
    FScanProgress->SetRange(0, FScanCount - 1);
    FScanProgress->SetText(QStringLiteral("Scanning Folder for images..."));
    FScanProgress->SetPosition(FScanMade);
    connect(FScanProgress.get(), &TfrmProgress::CancelRequested, this, [this] { FThumbMaker->Cancel(); });
    FScanProgress->show();
}

void TfrmMain::ThumbnailMade(int Index, const TThumbnail& Thumbnail) {
    ++FScanMade;
    if (Thumbnail.Valid())
        lvThumbs->SetThumbnail(Index, Thumbnail.Tile, Thumbnail.Width, Thumbnail.Height);
    if (FScanProgress) {
        const int percent = (FScanMade * 100 + FScanCount / 2) / std::max(1, FScanCount);
        FScanProgress->SetText(QStringLiteral("Scanning folder for images... %1%2 Complete").arg(percent).arg(QLatin1Char('%')));
        FScanProgress->SetPosition(FScanMade - 1);
    }
}

void TfrmMain::ThumbnailScanFinished(bool Cancelled) {
    Q_UNUSED(Cancelled);
    // Files that could not be read, and those a Cancel left unmade, go.
    for (int row = lvThumbs->Count() - 1; row >= 0; --row)
        if (!lvThumbs->HasThumbnail(row))
            lvThumbs->RemoveRow(row);
    if (!FScanSelection.isEmpty())
        for (int row = 0; row < lvThumbs->Count(); ++row)
            if (lvThumbs->Caption(row) == FScanSelection)
                lvThumbs->SetCurrentRow(row);
    FScanSelection.clear();
    Command(TCommandId::ClearWindow)->setEnabled(lvThumbs->Count() > 0);
    if (FScanProgress) {
        FScanProgress->hide();
        FScanProgress.reset();
        lvThumbs->CurrentView()->setFocus();
    }
}

void TfrmMain::RefreshThumbnails() {
    ScanThumbFolder(TreeFolder());
}

void TfrmMain::ClearThumbnails() {
    FThumbMaker->Cancel();
    lvThumbs->setUpdatesEnabled(false);
    lvThumbs->Clear();
    lvThumbs->setUpdatesEnabled(true);
    SetStatusText(2, QString());
    Command(TCommandId::ClearWindow)->setEnabled(false);
}

void TfrmMain::SetThumbnailFilter(int Filter) {
    FilterType = Filter;
    UpdateCommandStates();
    ScanThumbFolder(TreeFolder());
}

void TfrmMain::SetLargeThumbnails(bool Large) {
    FViewIcons = Large;
    lvThumbs->SetLargeIcons(FViewIcons);
    UpdateCommandStates();
}

// ---- Commands on the selected thumbnail --------------------------------------

void TfrmMain::ThumbnailSelected(int Row) {
    if (Row >= 0)
        SetStatusText(2, QStringLiteral("%1 (%2)").arg(lvThumbs->Caption(Row), lvThumbs->Dimensions(Row)));
}

void TfrmMain::InsertSelectedThumbnail() {
    InsertThumbnail(lvThumbs->Path(lvThumbs->CurrentRow()));
}

void TfrmMain::InsertThumbnail(const QString& Path) {
    if (Path.isEmpty())
        return;
    PausePlayback();
    TBitmap bitmap;
    {
        TWaitCursor wait;
        if (!FFrames->LoadPicture(Path, bitmap, true))
            return;
    }
    const int position = FFrames->AskInsertPosition();
    if (position == -2)
        return;
    TWaitCursor wait;
    FFrames->AddPicture(std::move(bitmap), position);
    UpdateCommandStates();
}

void TfrmMain::EditSelectedThumbnail() {
    const QString path = lvThumbs->Path(lvThumbs->CurrentRow());
    if (path.isEmpty())
        return;
    if (!FUrlOpener || !FUrlOpener(QUrl::fromLocalFile(path)))
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("No program could be started for \"%1\".").arg(QDir::toNativeSeparators(path)));
}

void TfrmMain::CopySelectedThumbnail() {
    const QString path = lvThumbs->Path(lvThumbs->CurrentRow());
    if (path.isEmpty())
        return;
    TWaitCursor wait;
    TBitmap bitmap;
    if (!FFrames->LoadPicture(path, bitmap, false))
        return;
    TGIFClipboardData data;
    data.bitmap = std::move(bitmap);
    TClipboardAdapter(QApplication::clipboard()).Put(data);
    UpdateCommandStates();
}

bool TfrmMain::DropThumbnailOnPreview(const QMimeData& Data, const QPoint& At) {
    if (!Data.hasFormat(QLatin1String(TThumbnailView::MimeType)))
        return false;
    const QWidget* target = childAt(At);
    const bool onPreview = target && (target == sbAnimation || sbAnimation->isAncestorOf(target));
    if (onPreview) {
        const QString path = QString::fromUtf8(Data.data(QLatin1String(TThumbnailView::MimeType))).section(QLatin1Char('\n'), 0, 0);
        QTimer::singleShot(0, this, [this, path] { Guarded([&] { InsertThumbnail(path); }); });
    }
    // A thumbnail dropped anywhere else is not opened as a new animation.
    return true;
}

// ---- Browsing ---------------------------------------------------------------

void TfrmMain::BrowseForFolder() {
    if (pnlThumbs->isHidden())
        ToggleThumbnailPane();
    const QString start = FBrowseFolder.isEmpty() ? TreeFolder() : FBrowseFolder;
    const QString chosen = FPrompts.FolderName(QStringLiteral("Select a folder to search for images"), start);
    if (chosen.isEmpty()) {
        FBrowseFolder = TreeFolder();
        return;
    }
    FBrowseFolder = chosen;
    SetTreeFolder(chosen);
}

// ---- Favourites ---------------------------------------------------------------

void TfrmMain::RebuildFavoritesMenu(const QStringList& Folders) {
    FFavorites = Folders;
    const QList<QAction*> items = popThumbsFavorites->actions();
    for (int i = FixedFavoriteItems; i < items.size(); ++i) {
        popThumbsFavorites->removeAction(items[i]);
        delete items[i];
    }
    for (const QString& folder : Folders) {
        auto* item = new QAction(folder, popThumbsFavorites);
        item->setStatusTip(QStringLiteral("Loads Thumbnails from this folder"));
        item->setToolTip(item->statusTip());
        item->setData(folder);
        connect(item, &QAction::triggered, this, [this, folder] { SetTreeFolder(folder); });
        popThumbsFavorites->addAction(item);
    }
}

void TfrmMain::AddFavoriteFolder() {
    const QString folder = QDir::toNativeSeparators(TreeFolder());
    if (FFavorites.contains(folder))
        return;
    RebuildFavoritesMenu(FFavorites + QStringList{folder});
    SaveFavorites();
}

void TfrmMain::OrganizeFavorites() {
    TfrmSettings dialog(TfrmSettings::dtFavorites, FPrompts, FUrlOpener, QImage(), this);
    dialog.SetFavorites(FFavorites, TreeFolder());
    if (RunDialog(dialog) != QDialog::Accepted || !dialog.FavoritesChanged)
        return;
    RebuildFavoritesMenu(dialog.Favorites());
    SaveFavorites();
}

// ---- Showing and hiding ----------------------------------------------------------

void TfrmMain::ToggleThumbnailPane() {
    const bool show = pnlThumbs->isHidden();
    pnlThumbs->setVisible(show);
    PlaceThumbsButton(show);
    UpdateCommandStates();
    CenterInScrollBox(sbAnimation, pnlAnimation);
    statusBar()->update();
    if (show && WithSlash(TreeFolder()) != FScannedFolder && FShownOnce)
        tvShellChange();
}

void TfrmMain::ToggleFolderTree() {
    const bool show = pnlTV->isHidden();
    pnlTV->setVisible(show);
    PlaceTreeButton(show);
    UpdateCommandStates();
}

void TfrmMain::CloseThumbnailPane() {
    if (FThumbsPopupOverList)
        ToggleThumbnailPane();
    else if (!pnlTV->isHidden())
        ToggleFolderTree();
}

void TfrmMain::PrepareThumbsPopup(bool OverList) {
    FThumbsPopupOverList = OverList;
    const bool selected = OverList && lvThumbs->CurrentRow() >= 0;
    const bool items = lvThumbs->Count() > 0;
    UpdateCommandStates();
    for (TCommandId id : {TCommandId::InsertThumbnail, TCommandId::EditThumbnail, TCommandId::CopyThumbnail})
        Command(id)->setVisible(selected);
    FThumbsSelectionSeparator->setVisible(selected);
    Command(TCommandId::RefreshThumbnails)->setVisible(OverList);
    Command(TCommandId::ClearWindow)->setEnabled(items);
    QAction* close = Command(TCommandId::CloseThumbnailWindow);
    const QString which = OverList ? QStringLiteral("Thumbnail") : QStringLiteral("Explorer");
    close->setStatusTip(QStringLiteral("Hide %1 Window").arg(which));
    close->setToolTip(close->statusTip());
    UpdateCommandStates();
}
