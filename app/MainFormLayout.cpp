// The main window's panes: frames list, preview box, thumbnail pane, status bar.
#include "app/MainForm.h"

#include "app/Routines.h"
#include "app/ThumbnailPane.h"
#include "controls/RXListBox.h"

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

    FThumbnails = new TThumbnailPane(FPrompts, FSettings, *FFrames, FUrlOpener,
                                     [this](QDialog& d) { return RunDialog(d); }, nullptr, splitVert);
    pnlThumbs = FThumbnails;
    splitVert->addWidget(pnlTop);
    splitVert->addWidget(pnlThumbs);
    splitVert->setStretchFactor(0, 1);
    splitVert->setStretchFactor(1, 0);
    connect(splitVert, &QSplitter::splitterMoved, this, [this] { splitHorzMoved(); });

    CreateStatusBar();
    // The pane's show button waits in the first panel while it is hidden.
    FThumbnails->SetParking(StatusPanel[0]);
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
    auto* p3 = new QLabel(bar);
    p3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusPanel[1] = p1;
    StatusPanel[2] = p2;
    StatusPanel[3] = p3;
    for (int i = 0; i < 4; ++i)
        StatusPanel[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    bar->addWidget(StatusPanel[0]);
    bar->addWidget(p1);
    bar->addWidget(p2, 1);
    bar->addPermanentWidget(p3);
    setStatusBar(bar);
}

QString TfrmMain::StatusText(int Panel) const {
    auto* label = Panel > 0 && Panel < 4 ? static_cast<QLabel*>(StatusPanel[Panel]) : nullptr;
    return label ? label->text() : QString();
}

void TfrmMain::SetStatusText(int Panel, const QString& Text) {
    if (Panel <= 0 || Panel >= 4)
        return;
    auto* label = static_cast<QLabel*>(StatusPanel[Panel]);
    label->setText(Text);
    // The frame panel grows to hold its text whole ("Frame #1234 of 5678").
    if (Panel == 1) {
        const int margins = 2 * label->frameWidth() + label->contentsMargins().left() + label->contentsMargins().right() + 2 * label->margin() + 6;
        label->setFixedWidth(std::max(100, label->fontMetrics().horizontalAdvance(Text) + margins));
    }
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
