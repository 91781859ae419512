// Reading the window's settings at start-up and writing them back at exit.
#include "app/MainForm.h"
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
const QString FormSection = QStringLiteral("FormPos\\Main");
const QString ThumbSection = QStringLiteral("ThumbNails\\");
const QString FavoritesSection = QStringLiteral("ThumbNails\\Favorites");
const QString MainSection = QStringLiteral("Settings\\");
const QString MRUSection = QStringLiteral("Settings\\MRU");
const QString ToolbarSection = QStringLiteral("Settings\\Toolbars\\");
const char* const ToolBarKeys[3] = {"Standard", "Frame", "Animation"};

// Colours are stored as one number, red in the low byte.
int ColorToInt(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}
QColor IntToColor(int v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}
// The list is rewritten whole so removed folders disappear.
void WriteFavorites(TSettingsStore& s, const QStringList& Folders) {
    s.EraseSection(FavoritesSection);
    s.WriteString(FavoritesSection, QString(), QString());
    for (const QString& folder : Folders)
        s.WriteString(FavoritesSection, folder, QString());
}
QColor ReadColor(const TSettingsStore& s, const QString& name, const QColor& current) {
    return IntToColor(s.ReadInteger(MainSection, name, ColorToInt(current)));
}
} // namespace

void TfrmMain::LoadSettings() {
    const TSettingsStore& s = FSettings;
    const QString images = QDir(FProgramFolder).filePath(QStringLiteral("Images"));

    // Window: any state other than "Normal" starts maximized; bounds apply only when normal.
    const QString state = s.ReadString(FormSection, QStringLiteral("WindowState"), QStringLiteral("Normal"));
    FMaximizedAtStart = state != QLatin1String("Normal");
    if (FMaximizedAtStart) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        const int top = s.ReadInteger(FormSection, QStringLiteral("Top"), y());
        const int left = s.ReadInteger(FormSection, QStringLiteral("Left"), x());
        const int height = s.ReadInteger(FormSection, QStringLiteral("Height"), this->height());
        const int width = s.ReadInteger(FormSection, QStringLiteral("Width"), this->width());
        move(left, top);
        // Never smaller than something usable, whatever the file says.
        resize(std::max(width, 200), std::max(height, 150));
    }

    // Thumbnail pane.
    FTreePath = s.ReadString(ThumbSection, QStringLiteral("Directory"), images);
    ThumbDirectory = FTreePath;
    lblCurrFolder->setText(QDir::toNativeSeparators(FTreePath));
    FilterType = std::clamp(s.Read(Setting::FilterType), 0, 255);
    FThumbSize = s.ReadInteger(ThumbSection, QStringLiteral("ThumbailSize"), FThumbSize);
    FThumbsHeight = std::max(100, s.ReadInteger(ThumbSection, QStringLiteral("WindowHeight"), FThumbsHeight));
    pnlThumbs->setVisible(s.Read(Setting::ThumbnailsVisible));
    FExplorerWidth = std::max(20, s.ReadInteger(ThumbSection, QStringLiteral("ExplorerWidth"), FExplorerWidth));
    pnlTV->setVisible(s.Read(Setting::ExplorerVisible));
    splitThumbs->setSizes({FExplorerWidth, std::max(100, width() - FExplorerWidth)});
    FViewIcons = s.ReadBool(ThumbSection, QStringLiteral("ViewStyle"), FViewIcons);
    splitVert->setSizes({std::max(100, height() - FThumbsHeight), FThumbsHeight});

    // Frames list and preview.
    FrameSize = std::clamp(s.Read(Setting::FrameSize), 0, 255);
    FAutoSizeSplitter = s.Read(Setting::AutoSizeSplitter);
    FFrameListWidth = std::max(50, s.ReadInteger(MainSection, QStringLiteral("FrameWindowWidth"), FFrameListWidth));
    lbFrames->resize(FFrameListWidth, lbFrames->height());
    const QString align = s.ReadString(MainSection, QStringLiteral("FrameWindowAlign"), QStringLiteral("Right"));
    SetFrameWindowSide(align == QLatin1String("Right") ? 1 : 0);
    FInitialDir = s.ReadString(MainSection, QStringLiteral("InitialDir"), images);

    // Colours not stored follow the desktop's colour scheme.
    const TProgramOptions scheme = DefaultColors(palette());
    FAnimationColor = ReadColor(s, QStringLiteral("AnimationWindowColor"), scheme.AnimationColor);
    lbFrames->SetWindowColor(ReadColor(s, QStringLiteral("WindowColor"), scheme.WindowColor));
    lbFrames->FrameColor = ReadColor(s, QStringLiteral("FrameColor"), scheme.FrameColor);
    lbFrames->HighlightColor = ReadColor(s, QStringLiteral("FrameHighlightColor"), scheme.HighlightColor);
    lbFrames->SelTextColor = ReadColor(s, QStringLiteral("FrameSelTextColor"), scheme.SelTextColor);
    ApplyColors();


    // Tool bars.
    SetToolBarsFlat(!s.Read(Setting::NormalStyle));
    for (int tag = 0; tag < 3; ++tag) {
        const QString section = ToolbarSection + QLatin1String(ToolBarKeys[tag]);
        TToolBarPlace& place = FToolBarPlaces[tag];
        place.Left = s.ReadInteger(section, QStringLiteral("Left"), 0);
        place.Top = s.ReadInteger(section, QStringLiteral("Top"), 0);
        place.Visible = s.ReadBool(section, QStringLiteral("Visible"), true);
    }
    ArrangeToolBars();

    // Favourite folders and recent files: names are paths, data is empty.
    for (const QString& name : s.ReadSection(FavoritesSection))
        if (!name.isEmpty())
            FFavorites << name;
    // Stored newest first, as the menu shows them.
    FDocuments->SetRecentFiles(s.ReadSection(MRUSection));

}

void TfrmMain::SaveFavorites() {
    WriteFavorites(FSettings, FFavorites);
    FSettings.Save();
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
    if (!pnlTV->isHidden())
        FExplorerWidth = pnlTV->width();
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
        s.WriteString(FormSection, QStringLiteral("WindowState"), QStringLiteral("Maximized"));
    } else {
        s.WriteString(FormSection, QStringLiteral("WindowState"), QStringLiteral("Normal"));
        s.WriteInteger(FormSection, QStringLiteral("Top"), y());
        s.WriteInteger(FormSection, QStringLiteral("Left"), x());
        s.WriteInteger(FormSection, QStringLiteral("Height"), height());
        s.WriteInteger(FormSection, QStringLiteral("Width"), width());
    }

    s.WriteBool(MainSection, QStringLiteral("AutoSizeSplitter"),
                FAutoSizeSplitter);
    s.WriteInteger(MainSection, QStringLiteral("FrameSize"), FrameSize);
    s.WriteString(MainSection, QStringLiteral("FrameWindowAlign"),
                  FramesOnLeft() ? QStringLiteral("Left") : QStringLiteral("Right"));
    s.WriteInteger(MainSection, QStringLiteral("FrameWindowWidth"), FFrameListWidth);
    s.WriteString(MainSection, QStringLiteral("InitialDir"), FInitialDir);
    // A colour still the scheme's own is not stored, so it keeps following
    // the scheme; one the user chose (or one stored before) is written.
    const TProgramOptions scheme = DefaultColors(palette());
    const struct { const char* name; QColor now, schemes; } colors[] = {
        {"AnimationWindowColor", FAnimationColor, scheme.AnimationColor},
        {"WindowColor", lbFrames->WindowColor(), scheme.WindowColor},
        {"FrameColor", lbFrames->FrameColor, scheme.FrameColor},
        {"FrameHighlightColor", lbFrames->HighlightColor, scheme.HighlightColor},
        {"FrameSelTextColor", lbFrames->SelTextColor, scheme.SelTextColor},
    };
    for (const auto& c : colors)
        if (c.now != c.schemes || s.ValueExists(MainSection, QLatin1String(c.name)))
            s.WriteInteger(MainSection, QLatin1String(c.name), ColorToInt(c.now));
    s.Write(Setting::ClipDefault, s.Read(Setting::ClipDefault));
    s.Write(Setting::ClipFrame, s.Read(Setting::ClipFrame));
    s.Write(Setting::DefaultDelay, s.Read(Setting::DefaultDelay));
    s.Write(Setting::DefaultLoop, s.Read(Setting::DefaultLoop));
    s.Write(Setting::MakeBackups, s.Read(Setting::MakeBackups));

    s.WriteBool(ToolbarSection, QStringLiteral("NormalStyle"), !FToolBarsFlat);
    for (int tag = 0; tag < 3; ++tag) {
        const QString section = ToolbarSection + QLatin1String(ToolBarKeys[tag]);
        s.WriteInteger(section, QStringLiteral("Left"), FToolBarPlaces[tag].Left);
        s.WriteInteger(section, QStringLiteral("Top"), FToolBarPlaces[tag].Top);
        s.WriteBool(section, QStringLiteral("Visible"), FToolBarPlaces[tag].Visible);
    }

    // Lists are rewritten whole so removed entries disappear.
    s.EraseSection(MRUSection);
    for (const QString& path : FDocuments->RecentFiles())
        s.WriteString(MRUSection, path, QString());
    WriteFavorites(s, FFavorites);

    s.WriteString(ThumbSection, QStringLiteral("Directory"), FTreePath);
    s.WriteInteger(ThumbSection, QStringLiteral("FilterType"), FilterType);
    s.WriteInteger(ThumbSection, QStringLiteral("ThumbailSize"), FThumbSize);
    s.WriteInteger(ThumbSection, QStringLiteral("WindowHeight"), FThumbsHeight);
    s.WriteBool(ThumbSection, QStringLiteral("Visible"), !pnlThumbs->isHidden());
    s.WriteInteger(ThumbSection, QStringLiteral("ExplorerWidth"), FExplorerWidth);
    s.WriteBool(ThumbSection, QStringLiteral("ExplorerVisible"), !pnlTV->isHidden());
    s.WriteBool(ThumbSection, QStringLiteral("ViewStyle"), FViewIcons);
    return s.Save();
}
