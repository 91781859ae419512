// The main window's panes: frames list, preview box, thumbnail pane, status bar.
#include "app/MainForm.h"

#include "app/Routines.h"
#include "app/ThumbnailMaker.h"
#include "controls/RXListBox.h"
#include "controls/ThumbnailView.h"
#include "dialogs/Progress.h"

#include <QDir>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QTimer>

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int DesignedFrameListWidth = 206;
constexpr int DesignedThumbsHeight = 170;
constexpr int DesignedExplorerWidth = 180;
} // namespace

void TfrmMain::CreatePanes() {
    // splitVert stacks the editing area above the thumbnail pane.
    splitVert = new QSplitter(Qt::Vertical, this);
    splitVert->setObjectName(QStringLiteral("splitVert"));
    splitVert->setChildrenCollapsible(false);
    setCentralWidget(splitVert);

    pnlTop = new QWidget(splitVert);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setMinimumHeight(100);
    auto* topLayout = new QHBoxLayout(pnlTop);
    topLayout->setContentsMargins(0, 0, 0, 0);

    splitHorz = new QSplitter(Qt::Horizontal, pnlTop);
    splitHorz->setObjectName(QStringLiteral("splitHorz"));
    splitHorz->setChildrenCollapsible(false);
    topLayout->addWidget(splitHorz);

    lbFrames = new TRXListBox(splitHorz);
    lbFrames->setObjectName(QStringLiteral("lbFrames"));
    lbFrames->setMinimumWidth(50);
    lbFrames->resize(DesignedFrameListWidth, lbFrames->height());

    // The preview: a white scroll box whose canvas carries the lowered panel.
    sbAnimation = new QScrollArea(splitHorz);
    sbAnimation->setObjectName(QStringLiteral("sbAnimation"));
    sbAnimation->setMinimumWidth(50);
    sbAnimation->setWidgetResizable(false);
    sbAnimation->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* canvas = new QWidget;
    canvas->setObjectName(QStringLiteral("sbAnimationCanvas"));
    canvas->setAutoFillBackground(true);
    sbAnimation->setWidget(canvas);
    pnlAnimation = new QFrame(canvas);
    pnlAnimation->setObjectName(QStringLiteral("pnlAnimation"));
    pnlAnimation->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlAnimation->setLineWidth(1);
    pnlAnimation->resize(100, 100);
    Animation = new QLabel(pnlAnimation);
    Animation->setObjectName(QStringLiteral("Animation"));
    Animation->setGeometry(1, 1, 98, 98);
    pb = new QWidget(pnlAnimation);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setGeometry(1, 1, 98, 98);
    pb->setAttribute(Qt::WA_TransparentForMouseEvents);

    splitHorz->addWidget(sbAnimation);
    splitHorz->addWidget(lbFrames); // designed on the right
    splitHorz->setStretchFactor(0, 1);
    splitHorz->setStretchFactor(1, 0);
    connect(splitHorz, &QSplitter::splitterMoved, this, [this] { splitHorzMoved(); });

    CreateThumbnailPane();
    splitVert->addWidget(pnlTop);
    splitVert->addWidget(pnlThumbs);
    splitVert->setStretchFactor(0, 1);
    splitVert->setStretchFactor(1, 0);
    connect(splitVert, &QSplitter::splitterMoved, this, [this] { splitHorzMoved(); });

    CreateStatusBar();
}

void TfrmMain::CreateThumbnailPane() {
    pnlThumbs = new QWidget(splitVert);
    pnlThumbs->setObjectName(QStringLiteral("pnlThumbs"));
    pnlThumbs->setMinimumHeight(100);
    pnlThumbs->resize(pnlThumbs->width(), DesignedThumbsHeight);

    // Caption row: pane hide button, spacer, tree show button (when the tree
    // is hidden) and the current folder.
    pnlThumbCaption = new QWidget(pnlThumbs);
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

    splitThumbs = new QSplitter(Qt::Horizontal, pnlThumbs);
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
    connect(tvShell->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { tvShellChange(); });
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
    connect(lvThumbs, &TThumbnailView::CurrentChanged, this, &TfrmMain::ThumbnailSelected);
    connect(lvThumbs, &TThumbnailView::Activated, this, [this] { Guarded([this] { InsertSelectedThumbnail(); }); });
    connect(splitThumbs, &QSplitter::splitterMoved, lvThumbs, &TThumbnailView::ArrangeIcons);

    FThumbMaker = new TThumbnailMaker(this);
    connect(FThumbMaker, &TThumbnailMaker::Made, this, &TfrmMain::ThumbnailMade);
    connect(FThumbMaker, &TThumbnailMaker::Finished, this, &TfrmMain::ThumbnailScanFinished);
    // A change in the shown folder rescans it once things have settled.
    FFolderWatch = new QFileSystemWatcher(this);
    auto* settle = new QTimer(this);
    settle->setSingleShot(true);
    settle->setInterval(300);
    connect(FFolderWatch, &QFileSystemWatcher::directoryChanged, settle, qOverload<>(&QTimer::start));
    connect(settle, &QTimer::timeout, this, [this] {
        if (!FScannedFolder.isEmpty() && !FScanProgress && !pnlThumbs->isHidden())
            ScanThumbFolder(FScannedFolder, true);
    });
    connect(btnCloseThumbs, &QToolButton::clicked, this, [this] { ToggleThumbnailPane(); });
    connect(btnTVClose, &QToolButton::clicked, this, [this] { ToggleFolderTree(); });
    splitThumbs->addWidget(pnlTV);
    splitThumbs->addWidget(lvThumbs);
    splitThumbs->setStretchFactor(1, 1);
    splitThumbs->setSizes({DesignedExplorerWidth, 400});

    auto* layout = new QVBoxLayout(pnlThumbs);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(pnlThumbCaption);
    layout->addWidget(splitThumbs, 1);
}

void TfrmMain::CreateStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setFixedHeight(19);
    bar->setSizeGripEnabled(false);
    // Panel 0 holds the pane's show button while the pane is hidden.
    StatusPanel[0] = new QWidget(bar);
    StatusPanel[0]->setFixedWidth(17);
    auto* p1 = new QLabel(bar);
    p1->setFixedWidth(100);
    p1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* p2 = new QLabel(bar);
    p2->setMinimumWidth(50);
    p2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusPanel[1] = p1;
    StatusPanel[2] = p2;
    for (int i = 0; i < 3; ++i)
        StatusPanel[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    bar->addWidget(StatusPanel[0]);
    bar->addWidget(p1);
    bar->addWidget(p2, 1);
    setStatusBar(bar);
}

QString TfrmMain::StatusText(int Panel) const {
    auto* label = Panel > 0 && Panel < 3 ? static_cast<QLabel*>(StatusPanel[Panel]) : nullptr;
    return label ? label->text() : QString();
}

void TfrmMain::SetStatusText(int Panel, const QString& Text) {
    if (Panel <= 0 || Panel >= 3)
        return;
    auto* label = static_cast<QLabel*>(StatusPanel[Panel]);
    label->setText(Text);
    // The frame panel grows to hold its text whole ("Frame #1234 of 5678").
    if (Panel == 1) {
        const int margins = 2 * label->frameWidth() + label->contentsMargins().left() + label->contentsMargins().right() + 2 * label->margin() + 6;
        label->setFixedWidth(std::max(100, label->fontMetrics().horizontalAdvance(Text) + margins));
    }
}

void TfrmMain::PlaceThumbsButton(bool PaneVisible) {
    if (PaneVisible) {
        pnlThumbCaption->layout()->removeWidget(btnCloseThumbs);
        static_cast<QHBoxLayout*>(pnlThumbCaption->layout())->insertWidget(0, btnCloseThumbs);
        btnCloseThumbs->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
        btnCloseThumbs->setToolTip(QStringLiteral("Hide"));
        btnCloseThumbs->setStatusTip(QStringLiteral("Hide Thumbnails Window"));
    } else {
        pnlThumbCaption->layout()->removeWidget(btnCloseThumbs);
        btnCloseThumbs->setParent(StatusPanel[0]);
        btnCloseThumbs->move(0, 0);
        btnCloseThumbs->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
        btnCloseThumbs->setToolTip(QStringLiteral("Show"));
        btnCloseThumbs->setStatusTip(QStringLiteral("Show Thumbnails Window"));
    }
    btnCloseThumbs->show();
}

void TfrmMain::PlaceTreeButton(bool TreeVisible) {
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

void TfrmMain::splitHorzMoved() {
    CenterInScrollBox(sbAnimation, pnlAnimation);
    lbFrames->viewport()->update();
}

void TfrmMain::SetFrameWindowSide(int Tag) {
    const int width = lbFrames->width();
    // The list keeps its width on either side; the preview takes the rest.
    const int total = splitHorz->width() > 0 ? splitHorz->width() : width + 400;
    if (Tag == 0) {
        splitHorz->insertWidget(0, lbFrames);
        splitHorz->setStretchFactor(0, 0);
        splitHorz->setStretchFactor(1, 1);
        splitHorz->setSizes({width, std::max(50, total - width)});
    } else {
        splitHorz->insertWidget(1, lbFrames);
        splitHorz->setStretchFactor(0, 1);
        splitHorz->setStretchFactor(1, 0);
        splitHorz->setSizes({std::max(50, total - width), width});
    }
    splitHorzMoved();
}

bool TfrmMain::FramesOnLeft() const {
    return splitHorz->indexOf(lbFrames) == 0;
}
