// Reading the window's settings at start-up and writing them back at exit.
#include "app/MainForm.h"
#include "app/ThumbnailPane.h"
#include "app/DocumentCommands.h"
#include "session/EditSession.h"

#include "app/Routines.h"
#include "controls/RXListBox.h"
#include "services/SettingsStore.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace {
// Colours are stored as one number, red in the low byte.
int ColorToInt(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}
QColor IntToColor(int v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}
// A colour left unstored follows the desktop's colour scheme.
QColor ReadColor(const TSettingsStore& s, const TSetting<int>& key, const QColor& scheme) {
    return IntToColor(s.Read(key, ColorToInt(scheme)));
}
} // namespace

void TfrmMain::LoadSettings() {
    const TSettingsStore& s = FSettings;
    const QString images = QDir(FProgramFolder).filePath(QStringLiteral("Images"));

    // Window: any state other than "Normal" starts maximized; bounds apply only when normal.
    const QString state = s.Read(Setting::WindowState);
    FMaximizedAtStart = state != QLatin1String("Normal");
    if (FMaximizedAtStart) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        const int top = s.Read(Setting::WindowTop);
        const int left = s.Read(Setting::WindowLeft);
        const int height = s.Read(Setting::WindowHeight);
        const int width = s.Read(Setting::WindowWidth);
        move(left, top);
        // Never smaller than something usable, whatever the file says.
        resize(std::max(width, 200), std::max(height, 150));
    }

    // Thumbnail pane.
    FThumbnails->ReadSettings(s, images);
    FThumbsHeight = std::max(100, s.Read(Setting::ThumbnailsHeight));
    splitVert->setSizes({std::max(100, height() - FThumbsHeight), FThumbsHeight});

    // Frames list and preview.
    FFrameSize = std::clamp(s.Read(Setting::FrameSize), 0, 255);
    FAutoSizeSplitter = s.Read(Setting::AutoSizeSplitter);
    FFrameListWidth = std::max(50, s.Read(Setting::FrameWindowWidth));
    lbFrames->resize(FFrameListWidth, lbFrames->height());
    const QString align = s.Read(Setting::FrameWindowAlign);
    SetFrameWindowSide(align == QLatin1String("Right") ? 1 : 0);
    FInitialDir = s.Read(Setting::InitialDir, images);

    // Colours not stored follow the desktop's colour scheme.
    const TProgramOptions scheme = DefaultColors(palette());
    FAnimationColor = ReadColor(s, Setting::AnimationWindowColor, scheme.AnimationColor);
    lbFrames->SetWindowColor(ReadColor(s, Setting::WindowColor, scheme.WindowColor));
    lbFrames->FrameColor = ReadColor(s, Setting::FrameColor, scheme.FrameColor);
    lbFrames->HighlightColor = ReadColor(s, Setting::FrameHighlightColor, scheme.HighlightColor);
    lbFrames->SelTextColor = ReadColor(s, Setting::FrameSelTextColor, scheme.SelTextColor);
    ApplyColors();


    // Tool bars.
    SetToolBarsFlat(!s.Read(Setting::NormalStyle));
    for (int tag = 0; tag < 3; ++tag) {
        TToolBarPlace& place = FToolBarPlaces[tag];
        place.Left = s.Read(Setting::ToolBarLeft[tag]);
        place.Top = s.Read(Setting::ToolBarTop[tag]);
        place.Visible = s.Read(Setting::ToolBarVisible[tag]);
    }
    ArrangeToolBars();

    // Recent files: names are paths, data is empty; newest first, as the
    // menu shows them.
    FDocuments->SetRecentFiles(s.ReadSection(Setting::RecentFilesSection));

}

void TfrmMain::ApplyColors() {
    if (!FAnimationColor.isValid())
        FAnimationColor = Qt::white;
    QWidget* canvas = sbAnimation->widget();
    QPalette p = canvas->palette();
    p.setColor(QPalette::Window, FAnimationColor);
    canvas->setPalette(p);
    QPalette vp = sbAnimation->viewport()->palette();
    vp.setColor(QPalette::Window, FAnimationColor);
    sbAnimation->viewport()->setPalette(vp);
    sbAnimation->viewport()->setAutoFillBackground(true);
}

void TfrmMain::SetToolBarsFlat(bool Flat) {
    FToolBarsFlat = Flat;
    const int row = ToolBarRowSize();
    for (QToolBar* tb : {tbStandard, tbFrame, tbAnimation}) {
        tb->setMinimumHeight(row);
        for (QAction* a : tb->actions())
            if (auto* button = qobject_cast<QToolButton*>(tb->widgetForAction(a)))
                button->setAutoRaise(Flat);
    }
}

void TfrmMain::ArrangeToolBars() {
    // Rows by stored Top, left to right within a row by stored Left.
    int order[3] = {0, 1, 2};
    std::stable_sort(std::begin(order), std::end(order), [this](int a, int b) {
        const TToolBarPlace& pa = FToolBarPlaces[a];
        const TToolBarPlace& pb = FToolBarPlaces[b];
        return pa.Top != pb.Top ? pa.Top < pb.Top : pa.Left < pb.Left;
    });
    for (int tag : order)
        removeToolBar(ToolBar(tag));
    int lastTop = FToolBarPlaces[order[0]].Top;
    for (int tag : order) {
        if (FToolBarPlaces[tag].Top != lastTop)
            addToolBarBreak(Qt::TopToolBarArea);
        lastTop = FToolBarPlaces[tag].Top;
        addToolBar(Qt::TopToolBarArea, ToolBar(tag));
        ToolBar(tag)->setVisible(FToolBarPlaces[tag].Visible);
    }
}

void TfrmMain::MeasureLayout() {
    // Sizes are only meaningful once the window has been laid out on screen;
    // before that the values read at start-up are kept.
    if (!FShownOnce)
        return;
    if (!pnlThumbs->isHidden())
        FThumbsHeight = pnlThumbs->height();
    FFrameListWidth = lbFrames->width();
    const int base = tbStandard->isHidden() && tbFrame->isHidden() && tbAnimation->isHidden()
                         ? 0
                         : menuBar()->height();
    for (int tag = 0; tag < 3; ++tag) {
        QToolBar* tb = ToolBar(tag);
        TToolBarPlace& place = FToolBarPlaces[tag];
        place.Visible = !tb->isHidden();
        if (place.Visible && toolBarArea(tb) == Qt::TopToolBarArea) {
            place.Left = tb->x();
            place.Top = std::max(0, tb->y() - base);
        }
    }
}

bool TfrmMain::SaveSettings() {
    TSettingsStore& s = FSettings;
    MeasureLayout();

    // Window: nothing is written for a minimised window.
    if (isMinimized()) {
        // keep the stored state and bounds
    } else if (isMaximized() || (!FShownOnce && FMaximizedAtStart)) {
        s.Write(Setting::WindowState, QStringLiteral("Maximized"));
    } else {
        s.Write(Setting::WindowState, QStringLiteral("Normal"));
        s.Write(Setting::WindowTop, y());
        s.Write(Setting::WindowLeft, x());
        s.Write(Setting::WindowHeight, height());
        s.Write(Setting::WindowWidth, width());
    }

    s.Write(Setting::AutoSizeSplitter, FAutoSizeSplitter);
    s.Write(Setting::FrameSize, FFrameSize);
    s.Write(Setting::FrameWindowAlign, FramesOnLeft() ? QStringLiteral("Left") : QStringLiteral("Right"));
    s.Write(Setting::FrameWindowWidth, FFrameListWidth);
    s.Write(Setting::InitialDir, FInitialDir);
    // A colour still the scheme's own is not stored, so it keeps following
    // the scheme; one the user chose (or one stored before) is written.
    const TProgramOptions scheme = DefaultColors(palette());
    const struct { const TSetting<int>& key; QColor now, schemes; } colors[] = {
        {Setting::AnimationWindowColor, FAnimationColor, scheme.AnimationColor},
        {Setting::WindowColor, lbFrames->WindowColor(), scheme.WindowColor},
        {Setting::FrameColor, lbFrames->FrameColor, scheme.FrameColor},
        {Setting::FrameHighlightColor, lbFrames->HighlightColor, scheme.HighlightColor},
        {Setting::FrameSelTextColor, lbFrames->SelTextColor, scheme.SelTextColor},
    };
    for (const auto& c : colors)
        if (c.now != c.schemes || s.ValueExists(c.key.SectionName(), c.key.ValueName()))
            s.Write(c.key, ColorToInt(c.now));
    s.Write(Setting::ClipDefault, s.Read(Setting::ClipDefault));
    s.Write(Setting::ClipFrame, s.Read(Setting::ClipFrame));
    s.Write(Setting::DefaultDelay, s.Read(Setting::DefaultDelay));
    s.Write(Setting::DefaultLoop, s.Read(Setting::DefaultLoop));
    s.Write(Setting::MakeBackups, s.Read(Setting::MakeBackups));

    s.Write(Setting::NormalStyle, !FToolBarsFlat);
    for (int tag = 0; tag < 3; ++tag) {
        s.Write(Setting::ToolBarLeft[tag], FToolBarPlaces[tag].Left);
        s.Write(Setting::ToolBarTop[tag], FToolBarPlaces[tag].Top);
        s.Write(Setting::ToolBarVisible[tag], FToolBarPlaces[tag].Visible);
    }

    // Lists are rewritten whole so removed entries disappear.
    s.EraseSection(Setting::RecentFilesSection);
    for (const QString& path : FDocuments->RecentFiles())
        s.WriteString(Setting::RecentFilesSection, path, QString());

    s.Write(Setting::ThumbnailsHeight, FThumbsHeight);
    FThumbnails->WriteSettings(s);
    return s.Save();
}
