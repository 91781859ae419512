// Program Options: the four tabs, filling them and reading them back.
#include "dialogs/Settings.h"

#include "controls/ColorComboBox.h"
#include "controls/NumericEdit.h"
#include "controls/UpDown.h"
#include "dialogs/DialogButtons.h"
#include "services/UserPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
TColor ToColorValue(const QColor& c) {
    return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}
QColor FromColorValue(int v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

// A picture for the sample tiles: a small sunset over water.
QImage SamplePicture() {
    QImage picture(64, 48, QImage::Format_RGB32);
    QPainter p(&picture);
    QLinearGradient sky(0, 0, 0, 30);
    sky.setColorAt(0, QColor(40, 60, 160));
    sky.setColorAt(1, QColor(250, 170, 80));
    p.fillRect(0, 0, 64, 30, sky);
    p.setBrush(QColor(255, 230, 90));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(32, 30), 9, 9);
    p.fillRect(0, 30, 64, 18, QColor(20, 70, 120));
    return picture;
}

// The sample list's items are drawn by the dialog, as frames-list tiles.
class TSampleDelegate : public QStyledItemDelegate {
public:
    using TDraw = std::function<void(QPainter&, const QRect&, int, bool)>;
    TSampleDelegate(QObject* Parent, TDraw Draw) : QStyledItemDelegate(Parent), FDraw(std::move(Draw)) {}
    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        Painter->save();
        FDraw(*Painter, Option.rect, Index.row(), Option.state.testFlag(QStyle::State_Selected));
        Painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {106, 96}; }

private:
    TDraw FDraw;
};

void DrawEdge(QPainter& p, const QRect& r, bool Raised) {
    const QColor light(Qt::white), dark(0x80, 0x80, 0x80);
    p.setPen(Raised ? light : dark);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(Raised ? dark : light);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

TColorComboBox* ColorBox(const char* Name, QWidget* Parent) {
    auto* box = new TColorComboBox(Parent);
    box->setObjectName(QLatin1String(Name));
    return box;
}

} // namespace

void TfrmSettings::BuildOptionsPages() {
    FSamplePicture = SamplePicture();
    BuildFrameSizePanel();
    BuildPalettePanel();
    BuildFavoritesPanel();
    tabOptions = new QTabWidget(this);
    tabOptions->setObjectName(QStringLiteral("tabOptions"));
    tabOptions->addTab(BuildProgramPage(), QStringLiteral("Program"));
    tabOptions->addTab(BuildAnimationPage(), QStringLiteral("Animation"));
    auto* palettes = new QWidget(tabOptions);
    auto* paletteLayout = new QVBoxLayout(palettes);
    paletteLayout->addWidget(pnlPalettes);
    tabOptions->addTab(palettes, QStringLiteral("Palettes"));
    tabOptions->addTab(BuildThumbnailsPage(), QStringLiteral("Thumbnails"));

    const TOkCancel buttons = MakeOkCancel(this, this);
    btnOK = buttons.OK;
    btnCancel = buttons.Cancel;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tabOptions, 1);
    layout->addLayout(buttons.Row);
    resize(380, 438);
}

QWidget* TfrmSettings::BuildProgramPage() {
    pnlMisc = new QWidget(tabOptions);
    pnlMisc->setObjectName(QStringLiteral("pnlMisc"));
    auto* colors = new QGroupBox(QStringLiteral("Frame Colors"), pnlMisc);
    cbBrushColor = ColorBox("cbBrushColor", colors);
    cbWindowColor = ColorBox("cbWindowColor", colors);
    cbHighlightColor = ColorBox("cbHighlightColor", colors);
    cbSelTextColor = ColorBox("cbSelTextColor", colors);
    lbSample = new QListWidget(colors);
    lbSample->setObjectName(QStringLiteral("lbSample"));
    lbSample->setFlow(QListView::LeftToRight);
    lbSample->setItemDelegate(new TSampleDelegate(lbSample, [this](QPainter& p, const QRect& r, int row, bool sel) {
        DrawSample(p, r, row, sel);
    }));
    lbSample->setFixedHeight(104);
    lbSample->setFocusPolicy(Qt::NoFocus);
    btnReset = new QPushButton(QStringLiteral("R&eset Colors"), colors);
    btnReset->setObjectName(QStringLiteral("btnReset"));
    btnReset->setEnabled(false);
    auto* grid = new QGridLayout(colors);
    grid->addWidget(BuddyLabel(QStringLiteral("F&rame Color"), cbBrushColor, colors), 0, 0);
    grid->addWidget(cbBrushColor, 0, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("&Window Color"), cbWindowColor, colors), 1, 0);
    grid->addWidget(cbWindowColor, 1, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("Frame &Highlight"), cbHighlightColor, colors), 2, 0);
    grid->addWidget(cbHighlightColor, 2, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("Frame &Selected Text"), cbSelTextColor, colors), 3, 0);
    grid->addWidget(cbSelTextColor, 3, 1);
    grid->addWidget(lbSample, 4, 0, 1, 2);
    grid->addWidget(btnReset, 5, 1, Qt::AlignRight);

    cbAniBGColor = ColorBox("cbAniBGColor", pnlMisc);
    chkBackUps = new QCheckBox(QStringLiteral("Make &backup copies before saving animations"), pnlMisc);
    chkBackUps->setObjectName(QStringLiteral("chkBackUps"));
    chkFlatTB = new QCheckBox(QStringLiteral("Use &normal style toolbar buttons (not flat)"), pnlMisc);
    chkFlatTB->setObjectName(QStringLiteral("chkFlatTB"));
    chkAnimation = new QCheckBox(QStringLiteral("Show animated &logo on start up"), pnlMisc);
    chkAnimation->setObjectName(QStringLiteral("chkAnimation"));
    auto* aniRow = new QHBoxLayout;
    aniRow->addWidget(BuddyLabel(QStringLiteral("&Animation Window Color"), cbAniBGColor, pnlMisc));
    aniRow->addWidget(cbAniBGColor, 1);
    auto* layout = new QVBoxLayout(pnlMisc);
    layout->addWidget(colors);
    layout->addLayout(aniRow);
    layout->addWidget(chkBackUps);
    layout->addWidget(chkFlatTB);
    layout->addWidget(chkAnimation);
    layout->addStretch(1);

    for (TColorComboBox* box : {cbBrushColor, cbWindowColor, cbHighlightColor, cbSelTextColor, cbAniBGColor})
        connect(box, qOverload<int>(&QComboBox::activated), this, &TfrmSettings::ColorChosen);
    connect(btnReset, &QPushButton::clicked, this, &TfrmSettings::btnResetClick);
    return pnlMisc;
}

QWidget* TfrmSettings::BuildAnimationPage() {
    auto* page = new QWidget(tabOptions);
    pnlGeneral = new QGroupBox(QStringLiteral("General"), page);
    pnlGeneral->setObjectName(QStringLiteral("pnlGeneral"));
    txtDelay = new TNumericEdit(pnlGeneral);
    txtDelay->setObjectName(QStringLiteral("txtDelay"));
    udDelay = new TUpDown(pnlGeneral);
    udDelay->setObjectName(QStringLiteral("udDelay"));
    udDelay->Min = 1;
    udDelay->Max = 32767;
    udDelay->SetPosition(1);
    txtLoop = new TNumericEdit(pnlGeneral);
    txtLoop->setObjectName(QStringLiteral("txtLoop"));
    udLoop = new TUpDown(pnlGeneral);
    udLoop->setObjectName(QStringLiteral("udLoop"));
    udLoop->Min = 0;
    udLoop->Max = 32767;
    auto* note = new QLabel(QStringLiteral("Use these default when creating new animations from scratch or when "
                                           "values are not available."),
                            pnlGeneral);
    note->setWordWrap(true);
    auto* grid = new QGridLayout(pnlGeneral);
    grid->addWidget(BuddyLabel(QStringLiteral("&Frame Delay:"), txtDelay, pnlGeneral), 0, 0);
    grid->addWidget(txtDelay, 0, 1);
    grid->addWidget(udDelay, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("1/100 th of a second"), pnlGeneral), 0, 3);
    grid->addWidget(BuddyLabel(QStringLiteral("&Animation Loop:"), txtLoop, pnlGeneral), 1, 0);
    grid->addWidget(txtLoop, 1, 1);
    grid->addWidget(udLoop, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("(0 = infinite loop)"), pnlGeneral), 1, 3);
    grid->addWidget(note, 2, 0, 1, 4);
    grid->setColumnStretch(3, 1);

    for (auto [field, updown] : {std::pair{txtDelay, udDelay}, std::pair{txtLoop, udLoop}}) {
        connect(field, &TNumericEdit::Left, this, [this, field = field, updown = updown] { NumberLeft(field, updown); });
        connect(updown, &TUpDown::Clicked, field, [field = field](int position) { field->setText(QString::number(position)); });
    }
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(pnlGeneral);
    layout->addSpacing(10);
    pnlFrameDiff->setParent(page);
    layout->addWidget(pnlFrameDiff);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmSettings::BuildThumbnailsPage() {
    pnlThumbnails = new QWidget(tabOptions);
    pnlThumbnails->setObjectName(QStringLiteral("pnlThumbnails"));
    auto* options = new QGroupBox(QStringLiteral("Thumnail Options"), pnlThumbnails);
    chkAutoLoad = new QCheckBox(QStringLiteral("&Auto-load thumbnails to current folder on start up"), options);
    chkAutoLoad->setObjectName(QStringLiteral("chkAutoLoad"));
    cbThumbSize = new QComboBox(options);
    cbThumbSize->setObjectName(QStringLiteral("cbThumbSize"));
    for (int size : ThumbnailSizes)
        cbThumbSize->addItem(QString::number(size), size);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(BuddyLabel(QStringLiteral("Thumbnail image &size"), cbThumbSize, options));
    sizeRow->addWidget(cbThumbSize);
    sizeRow->addStretch(1);
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(chkAutoLoad);
    optionsLayout->addLayout(sizeRow);
    auto* favorites = new QGroupBox(QStringLiteral("Thumbnail Favorites Folders"), pnlThumbnails);
    pnlFavorites->setParent(favorites);
    auto* favoritesLayout = new QVBoxLayout(favorites);
    favoritesLayout->addWidget(pnlFavorites);
    auto* layout = new QVBoxLayout(pnlThumbnails);
    layout->addWidget(options);
    layout->addWidget(favorites, 1);
    return pnlThumbnails;
}

void TfrmSettings::NumberLeft(TNumericEdit* Field, TUpDown* UpDown) {
    if (Field->CheckLeft(FPrompts, *UpDown))
        Field->setText(QString::number(UpDown->Position()));
}

void TfrmSettings::SetOptions(const TProgramOptions& Options) {
    FShown = Options;
    SetFrameSizeChoice(Options.FrameSize);
    chkBackUps->setChecked(Options.MakeBackups);
    chkAnimation->setChecked(Options.DisplayAnimation);
    udDelay->SetPosition(Options.DefaultDelay);
    txtDelay->setText(QString::number(udDelay->Position()));
    udLoop->SetPosition(Options.DefaultLoop);
    txtLoop->setText(QString::number(udLoop->Position()));
    chkFlatTB->setChecked(Options.NormalStyle);
    chkAutoLoad->setChecked(Options.AutoLoad);
    cbThumbSize->setCurrentIndex(cbThumbSize->findData(Options.ThumbSize));
    SetPaletteChoice(Options.Palette);

    const TProgramOptions defaults = DefaultColors();
    const struct { TColorComboBox* box; QColor fallback; QColor now; } colors[] = {
        {cbBrushColor, defaults.FrameColor, Options.FrameColor},
        {cbWindowColor, defaults.WindowColor, Options.WindowColor},
        {cbHighlightColor, defaults.HighlightColor, Options.HighlightColor},
        {cbSelTextColor, defaults.SelTextColor, Options.SelTextColor},
        {cbAniBGColor, defaults.AnimationColor, Options.AnimationColor},
    };
    for (const auto& c : colors) {
        c.box->clear();
        c.box->AddStandardColors(ToColorValue(c.fallback));
        c.box->SetSelectedColor(ToColorValue(c.now));
    }
    lbSample->clear();
    lbSample->addItem(QStringLiteral("1"));
    lbSample->addItem(QStringLiteral("2"));
    lbSample->setCurrentRow(0);
    btnReset->setEnabled(false);
}

TProgramOptions TfrmSettings::Options() const {
    TProgramOptions o = FShown;
    o.FrameSize = FrameSizeChoice();
    o.MakeBackups = chkBackUps->isChecked();
    o.DisplayAnimation = chkAnimation->isChecked();
    int value = 0;
    if (TNumericEdit::ParseValue(txtDelay->text(), value))
        o.DefaultDelay = std::clamp(value, udDelay->Min, udDelay->Max);
    if (TNumericEdit::ParseValue(txtLoop->text(), value))
        o.DefaultLoop = std::clamp(value, udLoop->Min, udLoop->Max);
    o.NormalStyle = chkFlatTB->isChecked();
    o.AutoLoad = chkAutoLoad->isChecked();
    o.ThumbSize = cbThumbSize->currentIndex() >= 0 ? cbThumbSize->currentData().toInt() : FShown.ThumbSize;
    o.Palette = PaletteChoice();
    // A colour the lists do not hold stays as it was.
    const struct { const TColorComboBox* box; QColor TProgramOptions::*field; } colors[] = {
        {cbBrushColor, &TProgramOptions::FrameColor},     {cbWindowColor, &TProgramOptions::WindowColor},
        {cbHighlightColor, &TProgramOptions::HighlightColor}, {cbSelTextColor, &TProgramOptions::SelTextColor},
        {cbAniBGColor, &TProgramOptions::AnimationColor},
    };
    for (const auto& c : colors)
        if (c.box->SelectedColor() >= 0)
            o.*c.field = FromColorValue(c.box->SelectedColor());
    return o;
}

QColor TfrmSettings::SampleFrameColor() const {
    return cbBrushColor->SelectedColor() >= 0 ? FromColorValue(cbBrushColor->SelectedColor()) : FShown.FrameColor;
}

void TfrmSettings::ColorChosen() {
    btnReset->setEnabled(true);
    lbSample->viewport()->update();
}

void TfrmSettings::btnResetClick() {
    for (TColorComboBox* box : {cbBrushColor, cbWindowColor, cbHighlightColor, cbSelTextColor, cbAniBGColor})
        box->setCurrentIndex(0);
    lbSample->viewport()->update();
    btnReset->setEnabled(false);
}

void TfrmSettings::DrawSample(QPainter& p, const QRect& Rect, int Row, bool Selected) const {
    const TProgramOptions chosen = Options();
    p.fillRect(Rect, chosen.WindowColor);
    QRect cell = Rect.adjusted(3, 3, -3, -3);
    cell.setRight(Rect.left() + 100);
    p.fillRect(cell, chosen.FrameColor);
    DrawEdge(p, cell, true);
    const int strip = p.fontMetrics().height() + 3;
    const QSize size = FSamplePicture.size();
    const QRect picture(QPoint(cell.center().x() - size.width() / 2, cell.center().y() - size.height() / 2), size);
    p.drawImage(picture, FSamplePicture);
    DrawEdge(p, picture.adjusted(-1, -1, 1, 1), false);
    const QRect top(cell.left() + 2, cell.top() + 2, cell.width() - 4, strip);
    const QRect bottom(cell.left() + 2, cell.bottom() - 2 - strip, cell.width() - 4, strip);
    DrawEdge(p, top, false);
    if (Selected) {
        p.setPen(chosen.HighlightColor);
        p.setBrush(Qt::NoBrush);
        p.drawRect(picture.adjusted(-3, -3, 2, 2));
        p.drawRect(picture.adjusted(-4, -4, 3, 3));
        p.fillRect(bottom, chosen.HighlightColor);
    }
    DrawEdge(p, bottom, false);
    p.setPen(Selected ? chosen.SelTextColor : QColor(Qt::black));
    p.drawText(cell.left() + 6, cell.top() + 4 + p.fontMetrics().ascent(), QString::number(Row));
    p.drawText(bottom, Qt::AlignCenter, QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()));
}
