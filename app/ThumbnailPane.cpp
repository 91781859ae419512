#include "app/ThumbnailPane.h"

#include "app/ThumbnailMaker.h"
#include "controls/ThumbnailView.h"
#include "dialogs/Progress.h"
#include "services/SettingsStore.h"

#include <QDir>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int DesignedThumbsHeight = 170;
constexpr int DesignedExplorerWidth = 180;
} // namespace

TThumbnailPane::TThumbnailPane(IUserPrompts& Prompts, TSettingsStore& Settings, TFrameCommands& Frames,
                               const TUrlOpener& UrlOpener, std::function<int(QDialog&)> RunDialog, QWidget* Parking,
                               QWidget* Parent)
    : QWidget(Parent), FPrompts(Prompts), FSettings(Settings), FFrames(Frames), FUrlOpener(UrlOpener),
      FRunDialog(std::move(RunDialog)), FParking(Parking) {
    Build();
}

TThumbnailPane::~TThumbnailPane() {
    // Thumbnail workers end before the tiles they would go to.
    delete FThumbMaker;
    FThumbMaker = nullptr;
}

void TThumbnailPane::ReadSettings(const TSettingsStore& s, const QString& DefaultFolder) {
    FTreePath = s.Read(Setting::ThumbnailFolder, DefaultFolder);
    FStartFolder = FTreePath;
    lblCurrFolder->setText(QDir::toNativeSeparators(FTreePath));
    FFilter = std::clamp(s.Read(Setting::FilterType), 0, 255);
    FTileSize = s.Read(Setting::ThumbnailSize);
    setVisible(s.Read(Setting::ThumbnailsVisible));
    FExplorerWidth = std::max(20, s.Read(Setting::ExplorerWidth));
    pnlTV->setVisible(s.Read(Setting::ExplorerVisible));
    splitThumbs->setSizes({FExplorerWidth, std::max(100, width() - FExplorerWidth)});
    FLargeIcons = s.Read(Setting::ThumbnailIcons);
    QStringList favorites;
    for (const QString& name : s.ReadSection(Setting::FavoritesSection))
        if (!name.isEmpty())
            favorites << name;
    SetFavorites(favorites);
    PlaceThumbsButton(!isHidden());
    PlaceTreeButton(!pnlTV->isHidden());
    lvThumbs->SetTileSize(FTileSize);
    lvThumbs->SetLargeIcons(FLargeIcons);
    // The tree shows the stored folder; scanning it waits for start-up.
    const QSignalBlocker quiet(tvShell->selectionModel());
    const QModelIndex folder = FFolderModel->index(FTreePath);
    if (folder.isValid()) {
        tvShell->setCurrentIndex(folder);
        tvShell->scrollTo(folder);
    }
}

void TThumbnailPane::WriteSettings(TSettingsStore& s) {
    if (!pnlTV->isHidden() && FWindowShown)
        FExplorerWidth = pnlTV->width();
    SaveFavorites(s, FFavorites);
    s.Write(Setting::ThumbnailFolder, FTreePath);
    s.Write(Setting::FilterType, FFilter);
    s.Write(Setting::ThumbnailSize, FTileSize);
    s.Write(Setting::ThumbnailsVisible, !isHidden());
    s.Write(Setting::ExplorerWidth, FExplorerWidth);
    s.Write(Setting::ExplorerVisible, !pnlTV->isHidden());
    s.Write(Setting::ThumbnailIcons, FLargeIcons);
}

bool TThumbnailPane::TreeShown() const {
    return !pnlTV->isHidden();
}

void TThumbnailPane::Build() {
    setObjectName(QStringLiteral("pnlThumbs"));
    setMinimumHeight(100);
    resize(width(), DesignedThumbsHeight);

    // Caption row: pane hide button, spacer, tree show button (when the tree
    // is hidden) and the current folder.
    pnlThumbCaption = new QWidget(this);
    pnlThumbCaption->setObjectName(QStringLiteral("pnlThumbCaption"));
    auto* caption = new QHBoxLayout(pnlThumbCaption);
    caption->setContentsMargins(1, 2, 2, 0);
    caption->setSpacing(2);
    btnCloseThumbs = new QToolButton(pnlThumbCaption);
    btnCloseThumbs->setObjectName(QStringLiteral("btnCloseThumbs"));
    btnCloseThumbs->setAutoRaise(true);
    btnCloseThumbs->setFixedSize(16, 15);
    bevSpacer = new QFrame(pnlThumbCaption);
    bevSpacer->setObjectName(QStringLiteral("bevSpacer"));
    bevSpacer->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    bevSpacer->setFixedWidth(4);
    btnTVClose = new QToolButton(pnlThumbCaption);
    btnTVClose->setObjectName(QStringLiteral("btnTVClose"));
    btnTVClose->setAutoRaise(true);
    btnTVClose->setFixedSize(16, 15);
    lblCurrFolder = new QLabel(pnlThumbCaption);
    lblCurrFolder->setObjectName(QStringLiteral("lblCurrFolder"));
    caption->addWidget(btnCloseThumbs);
    caption->addWidget(bevSpacer);
    caption->addWidget(btnTVClose);
    caption->addWidget(lblCurrFolder, 1);

    splitThumbs = new QSplitter(Qt::Horizontal, this);
    splitThumbs->setObjectName(QStringLiteral("splitThumbs"));
    pnlTV = new QWidget(splitThumbs);
    pnlTV->setObjectName(QStringLiteral("pnlTV"));
    auto* tvLayout = new QVBoxLayout(pnlTV);
    tvLayout->setContentsMargins(0, 0, 0, 0);
    // The tree's caption row; its hide button sits at the row's right end.
    pnlTVCaption = new QWidget(pnlTV);
    pnlTVCaption->setObjectName(QStringLiteral("pnlTVCaption"));
    auto* tvCaptionRow = new QHBoxLayout(pnlTVCaption);
    tvCaptionRow->setContentsMargins(2, 2, 4, 0);
    auto* tvCaption = new QLabel(QStringLiteral("All Folders"), pnlTVCaption);
    tvCaption->setObjectName(QStringLiteral("lblAllFolders"));
    tvCaptionRow->addWidget(tvCaption, 1);
    tvShell = new QTreeView(pnlTV);
    tvShell->setObjectName(QStringLiteral("tvShell"));
    tvShell->setHeaderHidden(true);
    // Folders only; the model follows changes on disk by itself.
    FFolderModel = new QFileSystemModel(this);
    FFolderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    FFolderModel->setRootPath(QDir::rootPath());
    tvShell->setModel(FFolderModel);
    for (int column = 1; column < FFolderModel->columnCount(); ++column)
        tvShell->hideColumn(column);
    connect(tvShell->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { TreeFolderChanged(); });
    // Folders are read in the background: keep the current one in sight as
    // its parents fill in.
    connect(FFolderModel, &QFileSystemModel::directoryLoaded, this, [this] {
        const QModelIndex current = tvShell->currentIndex();
        if (current.isValid())
            tvShell->scrollTo(current, QAbstractItemView::PositionAtCenter);
    });
    tvLayout->addWidget(pnlTVCaption);
    tvLayout->addWidget(tvShell, 1);
    pnlTV->resize(DesignedExplorerWidth, pnlTV->height());
    lvThumbs = new TThumbnailView(splitThumbs);
    lvThumbs->setObjectName(QStringLiteral("lvThumbs"));
    connect(lvThumbs, &TThumbnailView::CurrentChanged, this, &TThumbnailPane::Selected);
    connect(lvThumbs, &TThumbnailView::Activated, this, &TThumbnailPane::InsertSelected);
    connect(splitThumbs, &QSplitter::splitterMoved, lvThumbs, &TThumbnailView::ArrangeIcons);

    FThumbMaker = new TThumbnailMaker(this);
    connect(FThumbMaker, &TThumbnailMaker::Made, this, &TThumbnailPane::ThumbnailMade);
    connect(FThumbMaker, &TThumbnailMaker::Finished, this, &TThumbnailPane::ScanFinished);
    // A change in the shown folder rescans it once things have settled.
    FFolderWatch = new QFileSystemWatcher(this);
    auto* settle = new QTimer(this);
    settle->setSingleShot(true);
    settle->setInterval(300);
    connect(FFolderWatch, &QFileSystemWatcher::directoryChanged, settle, qOverload<>(&QTimer::start));
    connect(settle, &QTimer::timeout, this, [this] {
        if (!FScannedFolder.isEmpty() && !FScanProgress && !isHidden())
            ScanFolder(FScannedFolder, true);
    });
    connect(btnCloseThumbs, &QToolButton::clicked, this, [this] { TogglePane(); });
    connect(btnTVClose, &QToolButton::clicked, this, [this] { ToggleTree(); });
    splitThumbs->addWidget(pnlTV);
    splitThumbs->addWidget(lvThumbs);
    splitThumbs->setStretchFactor(1, 1);
    splitThumbs->setSizes({DesignedExplorerWidth, 400});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(pnlThumbCaption);
    layout->addWidget(splitThumbs, 1);
}


void TThumbnailPane::PlaceThumbsButton(bool PaneVisible) {
    if (PaneVisible) {
        pnlThumbCaption->layout()->removeWidget(btnCloseThumbs);
        static_cast<QHBoxLayout*>(pnlThumbCaption->layout())->insertWidget(0, btnCloseThumbs);
        btnCloseThumbs->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
        btnCloseThumbs->setToolTip(QStringLiteral("Hide"));
        btnCloseThumbs->setStatusTip(QStringLiteral("Hide Thumbnails Window"));
    } else {
        pnlThumbCaption->layout()->removeWidget(btnCloseThumbs);
        btnCloseThumbs->setParent(FParking);
        btnCloseThumbs->move(0, 0);
        btnCloseThumbs->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
        btnCloseThumbs->setToolTip(QStringLiteral("Show"));
        btnCloseThumbs->setStatusTip(QStringLiteral("Show Thumbnails Window"));
    }
    btnCloseThumbs->show();
}

void TThumbnailPane::PlaceTreeButton(bool TreeVisible) {
    auto* caption = static_cast<QHBoxLayout*>(pnlThumbCaption->layout());
    caption->removeWidget(btnTVClose);
    pnlTVCaption->layout()->removeWidget(btnTVClose);
    if (TreeVisible) {
        // At the tree's top right corner, 4 pixels from its edge.
        btnTVClose->setParent(pnlTVCaption);
        static_cast<QHBoxLayout*>(pnlTVCaption->layout())->addWidget(btnTVClose);
        btnTVClose->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
        btnTVClose->setToolTip(QStringLiteral("Hide"));
        btnTVClose->setStatusTip(QStringLiteral("Hide Explorer Window"));
    } else {
        // On the caption row, 2 pixels after the spacer bevel, before the folder label.
        btnTVClose->setParent(pnlThumbCaption);
        caption->insertWidget(caption->indexOf(bevSpacer) + 1, btnTVClose);
        btnTVClose->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
        btnTVClose->setToolTip(QStringLiteral("Show"));
        btnTVClose->setStatusTip(QStringLiteral("Show Explorer Window"));
    }
    bevSpacer->setVisible(!TreeVisible);
    btnTVClose->show();
}

