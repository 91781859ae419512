// The thumbnail pane's work: the folder tree, scanning a folder, the
// commands on the thumbnails, the favourite folders, showing and hiding.
#include "app/ThumbnailPane.h"

#include "app/FrameCommands.h"
#include "app/ImageImport.h"
#include "app/MainForm.h"
#include "app/Routines.h"
#include "app/ThumbnailMaker.h"
#include "controls/ThumbnailView.h"
#include "dialogs/Progress.h"
#include "dialogs/Settings.h"
#include "services/ClipboardAdapter.h"
#include "services/SettingsStore.h"
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

// The list is rewritten whole so removed folders disappear.
void SaveFavorites(TSettingsStore& s, const QStringList& Folders) {
    s.EraseSection(Setting::FavoritesSection);
    s.WriteString(Setting::FavoritesSection, QString(), QString());
    for (const QString& folder : Folders)
        s.WriteString(Setting::FavoritesSection, folder, QString());
}

// ---- The folder tree ----------------------------------------------------------

QString TThumbnailPane::TreeFolder() const {
    const QModelIndex current = tvShell->currentIndex();
    return current.isValid() ? FFolderModel->filePath(current) : FTreePath;
}

void TThumbnailPane::SetTreeFolder(const QString& Folder) {
    const QString clean = QDir::cleanPath(QDir(Folder).absolutePath());
    FTreePath = clean;
    const QModelIndex index = FFolderModel->index(clean);
    if (!index.isValid()) {
        // Not (or no longer) on disk: say so, as a scan of it would.
        ScanFolder(clean);
        return;
    }
    const bool same = tvShell->currentIndex() == index;
    tvShell->setCurrentIndex(index);
    tvShell->scrollTo(index, QAbstractItemView::PositionAtCenter);
    if (same)
        TreeFolderChanged();
}

void TThumbnailPane::TreeFolderChanged() {
    const QString folder = TreeFolder();
    FTreePath = folder;
    if (isHidden() || WithSlash(folder) == FScannedFolder)
        return;
    FBrowseFolder = folder;
    ScanFolder(folder);
}

// ---- Scanning -------------------------------------------------------------

void TThumbnailPane::ScanFolder(const QString& Folder, bool Quiet) {
    const QString folder = WithSlash(Folder);
    if (!QFileInfo(folder).isDir()) {
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("The selected file \"%1\" does not exist!").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    lblCurrFolder->setText(QStringLiteral("Current Folder: %1").arg(QDir::toNativeSeparators(folder)));
    FThumbMaker->Cancel();
    const QString selected = lvThumbs->Caption(lvThumbs->CurrentRow());
    lvThumbs->Clear();
    lvThumbs->SetLargeIcons(FLargeIcons);
    lvThumbs->SetTileSize(FTileSize);
    // Files saved into the shown folder appear without a Refresh.
    if (FScannedFolder != folder) {
        if (!FFolderWatch->directories().isEmpty())
            FFolderWatch->removePaths(FFolderWatch->directories());
        FFolderWatch->addPath(folder);
    }
    FScannedFolder = folder;

    const QList<TThumbnailFile> files = ListPictureFiles(folder, FFilter);
    emit StateChanged();
    if (files.isEmpty())
        return;
    for (const TThumbnailFile& file : files)
        lvThumbs->AddItem(folder + file.Name, ThumbnailSizeText(file.Size));
    FScanMade = 0;
    FScanCount = files.size();
    FScanSelection = Quiet ? selected : QString();
    FThumbMaker->Start(folder, files, FTileSize, lvThumbs->CurrentView()->palette().color(QPalette::Base));
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

void TThumbnailPane::ThumbnailMade(int Index, const TThumbnail& Thumbnail) {
    ++FScanMade;
    if (Thumbnail.Valid())
        lvThumbs->SetThumbnail(Index, Thumbnail.Tile, Thumbnail.Width, Thumbnail.Height);
    if (FScanProgress) {
        const int percent = (FScanMade * 100 + FScanCount / 2) / std::max(1, FScanCount);
        FScanProgress->SetText(QStringLiteral("Scanning folder for images... %1%2 Complete").arg(percent).arg(QLatin1Char('%')));
        FScanProgress->SetPosition(FScanMade - 1);
    }
}

void TThumbnailPane::ScanFinished(bool Cancelled) {
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
    emit StateChanged();
    if (FScanProgress) {
        FScanProgress->hide();
        FScanProgress.reset();
        lvThumbs->CurrentView()->setFocus();
    }
}

void TThumbnailPane::Refresh() {
    ScanFolder(TreeFolder());
}

void TThumbnailPane::Clear() {
    FThumbMaker->Cancel();
    lvThumbs->setUpdatesEnabled(false);
    lvThumbs->Clear();
    lvThumbs->setUpdatesEnabled(true);
    emit Hint(QString());
    emit StateChanged();
}

void TThumbnailPane::SetFilter(int Filter) {
    FFilter = Filter;
    emit StateChanged();
    ScanFolder(TreeFolder());
}

void TThumbnailPane::SetLargeIcons(bool Large) {
    FLargeIcons = Large;
    lvThumbs->SetLargeIcons(FLargeIcons);
    emit StateChanged();
}

// ---- Commands on the selected thumbnail --------------------------------------

void TThumbnailPane::Selected(int Row) {
    if (Row >= 0)
        emit Hint(QStringLiteral("%1 (%2)").arg(lvThumbs->Caption(Row), lvThumbs->Dimensions(Row)));
}

void TThumbnailPane::InsertSelected() {
    FFrames.InsertPicture(lvThumbs->Path(lvThumbs->CurrentRow()));
}

void TThumbnailPane::EditSelected() {
    const QString path = lvThumbs->Path(lvThumbs->CurrentRow());
    if (path.isEmpty())
        return;
    if (!FUrlOpener || !FUrlOpener(QUrl::fromLocalFile(path)))
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("No program could be started for \"%1\".").arg(QDir::toNativeSeparators(path)));
}

void TThumbnailPane::CopySelected() {
    const QString path = lvThumbs->Path(lvThumbs->CurrentRow());
    if (path.isEmpty())
        return;
    TWaitCursor wait;
    TBitmap bitmap;
    if (!FFrames.LoadPicture(path, bitmap, false))
        return;
    TGIFClipboardData data;
    data.bitmap = std::move(bitmap);
    TClipboardAdapter(QApplication::clipboard()).Put(data);
    emit StateChanged();
}

QString TThumbnailPane::DraggedPicture(const QMimeData& Data) {
    if (!Data.hasFormat(QLatin1String(TThumbnailView::MimeType)))
        return QString();
    return QString::fromUtf8(Data.data(QLatin1String(TThumbnailView::MimeType))).section(QLatin1Char('\n'), 0, 0);
}

// ---- Browsing ---------------------------------------------------------------

void TThumbnailPane::Browse() {
    if (isHidden())
        TogglePane();
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

void TThumbnailPane::SetFavorites(const QStringList& Folders) {
    FFavorites = Folders;
    if (!FFavoritesMenu)
        return;
    const QList<QAction*> items = FFavoritesMenu->actions();
    for (int i = FixedFavoriteItems; i < items.size(); ++i) {
        FFavoritesMenu->removeAction(items[i]);
        delete items[i];
    }
    for (const QString& folder : Folders) {
        auto* item = new QAction(folder, FFavoritesMenu);
        item->setStatusTip(QStringLiteral("Loads Thumbnails from this folder"));
        item->setToolTip(item->statusTip());
        item->setData(folder);
        connect(item, &QAction::triggered, this, [this, folder] { SetTreeFolder(folder); });
        FFavoritesMenu->addAction(item);
    }
}

void TThumbnailPane::AddFavorite() {
    const QString folder = QDir::toNativeSeparators(TreeFolder());
    if (FFavorites.contains(folder))
        return;
    SetFavorites(FFavorites + QStringList{folder});
    SaveFavorites(FSettings, FFavorites);
    FSettings.Save();
}

void TThumbnailPane::OrganizeFavorites() {
    TfrmSettings dialog(TfrmSettings::dtFavorites, FPrompts, FUrlOpener, QImage(), this);
    dialog.SetFavorites(FFavorites, TreeFolder());
    if (FRunDialog(dialog) != QDialog::Accepted || !dialog.FavoritesChanged)
        return;
    SetFavorites(dialog.Favorites());
    SaveFavorites(FSettings, FFavorites);
    FSettings.Save();
}

// ---- Showing and hiding ----------------------------------------------------------

void TThumbnailPane::TogglePane() {
    const bool show = isHidden();
    setVisible(show);
    PlaceThumbsButton(show);
    emit StateChanged();
    emit Rearranged();
    if (show && WithSlash(TreeFolder()) != FScannedFolder && FWindowShown)
        TreeFolderChanged();
}

void TThumbnailPane::ToggleTree() {
    const bool show = pnlTV->isHidden();
    pnlTV->setVisible(show);
    PlaceTreeButton(show);
    emit StateChanged();
}

void TThumbnailPane::ClosePart() {
    if (FPopupOverList)
        TogglePane();
    else if (!pnlTV->isHidden())
        ToggleTree();
}

bool TThumbnailPane::HasSelection() const {
    return lvThumbs->CurrentRow() >= 0;
}

bool TThumbnailPane::HasThumbnails() const {
    return lvThumbs->Count() > 0;
}
