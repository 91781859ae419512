#include "dialogs/Properties.h"

#include "services/UserPrompts.h"
#include "controls/NumericEdit.h"
#include "controls/UpDown.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/Palette.h"
#include "gif/GIFImage.h"
#include "services/QtRasterBridge.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
QGroupBox* BoldGroup(const QString& title, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    QFont f = g->font();
    f.setBold(true);
    g->setFont(f);
    return g;
}

// Children of a bold group keep the normal font.
void NormalFont(QWidget* w) {
    QFont f = w->font();
    f.setBold(false);
    w->setFont(f);
}
} // namespace

TfrmProp::TfrmProp(int Tag, const TGIFImage& Document, IUserPrompts& Prompts, const QColor& PanelColor, QWidget* Parent)
    : QDialog(Parent), FTag(Tag), FDocument(Document), FPrompts(Prompts), FPanelColor(PanelColor) {
    setObjectName(QStringLiteral("frmProp"));
    setWindowTitle(QStringLiteral("Frame Properties"));
    BuildLayout();
    if (FTag == pmGlobal)
        ApplyGlobalLayout();
}

void TfrmProp::BuildLayout() {
    sbProp = new QScrollArea(this);
    sbProp->setObjectName(QStringLiteral("sbProp"));
    sbProp->setFixedSize(257, 361);
    auto* canvas = new QWidget;
    sbProp->setWidget(canvas);
    pnlProp = new QFrame(canvas);
    pnlProp->setObjectName(QStringLiteral("pnlProp"));
    pnlProp->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlProp->setAutoFillBackground(true);
    pb = new QWidget(pnlProp);
    pb->setObjectName(QStringLiteral("pb"));
    pb->installEventFilter(this);

    auto* dims = BoldGroup(QStringLiteral("Image Dimensions && Offsets"), this);
    lblW = new QLabel(dims);
    lblW->setObjectName(QStringLiteral("lblW"));
    lblH = new QLabel(dims);
    lblH->setObjectName(QStringLiteral("lblH"));
    txtCurrXOff = new QLineEdit(dims);
    txtCurrXOff->setObjectName(QStringLiteral("txtCurrXOff"));
    txtCurrYOff = new QLineEdit(dims);
    txtCurrYOff->setObjectName(QStringLiteral("txtCurrYOff"));
    txtXOffset = new TNumericEdit(dims);
    txtXOffset->setObjectName(QStringLiteral("txtXOffset"));
    txtYOffset = new TNumericEdit(dims);
    txtYOffset->setObjectName(QStringLiteral("txtYOffset"));
    udX = new TUpDown(dims);
    udX->setObjectName(QStringLiteral("udX"));
    udY = new TUpDown(dims);
    udY->setObjectName(QStringLiteral("udY"));
    chkCenter = new QCheckBox(QStringLiteral("&Center Image"), dims);
    chkCenter->setObjectName(QStringLiteral("chkCenter"));
    auto* dimsGrid = new QGridLayout(dims);
    auto addRow = [&](int row, const QString& caption, QWidget* field, QWidget* extra = nullptr) {
        auto* label = new QLabel(caption, dims);
        label->setObjectName(QStringLiteral("lblCap%1").arg(row));
        label->setBuddy(field);
        dimsGrid->addWidget(label, row, 0);
        dimsGrid->addWidget(field, row, 1);
        if (extra)
            dimsGrid->addWidget(extra, row, 2);
        return label;
    };
    addRow(0, QStringLiteral("Width:"), lblW);
    addRow(1, QStringLiteral("Height:"), lblH);
    addRow(2, QStringLiteral("Current X &Offset:"), txtCurrXOff);
    addRow(3, QStringLiteral("Current Y O&ffset:"), txtCurrYOff);
    addRow(4, QStringLiteral("&X Offset:"), txtXOffset, udX);
    addRow(5, QStringLiteral("&Y Offset:"), txtYOffset, udY);
    dimsGrid->addWidget(chkCenter, 6, 0, 1, 3);

    auto* display = BoldGroup(QStringLiteral("Display Settings"), this);
    chkInterlaced = new QCheckBox(QStringLiteral("&Interlaced"), display);
    chkInterlaced->setObjectName(QStringLiteral("chkInterlaced"));
    chkTransparent = new QCheckBox(QStringLiteral("&Transparent"), display);
    chkTransparent->setObjectName(QStringLiteral("chkTransparent"));
    btnTransparent = new QPushButton(QStringLiteral("&Select"), display);
    btnTransparent->setObjectName(QStringLiteral("btnTransparent"));
    chkLocalPal = new QCheckBox(QStringLiteral("&Local Palette"), display);
    chkLocalPal->setObjectName(QStringLiteral("chkLocalPal"));
    btnPalette = new QPushButton(QStringLiteral("&Edit"), display);
    btnPalette->setObjectName(QStringLiteral("btnPalette"));
    auto* displayGrid = new QGridLayout(display);
    displayGrid->addWidget(chkInterlaced, 0, 0);
    displayGrid->addWidget(chkTransparent, 1, 0);
    displayGrid->addWidget(btnTransparent, 1, 1);
    displayGrid->addWidget(chkLocalPal, 2, 0);
    displayGrid->addWidget(btnPalette, 2, 1);

    auto* animation = BoldGroup(QStringLiteral("Animation"), this);
    txtCurrDelay = new QLineEdit(animation);
    txtCurrDelay->setObjectName(QStringLiteral("txtCurrDelay"));
    txtDelay = new TNumericEdit(animation);
    txtDelay->setObjectName(QStringLiteral("txtDelay"));
    udDelay = new TUpDown(animation);
    udDelay->setObjectName(QStringLiteral("udDelay"));
    udDelay->Min = 1;
    udDelay->Max = 32767;
    cbDisposal = new QComboBox(animation);
    cbDisposal->setObjectName(QStringLiteral("cbDisposal"));
    cbDisposal->addItems({QStringLiteral("None"), QStringLiteral("Remove"), QStringLiteral("Background"),
                          QStringLiteral("Previous")});
    auto* animGrid = new QGridLayout(animation);
    auto* currDelay = new QLabel(QStringLiteral("Current De&lay:"), animation);
    currDelay->setObjectName(QStringLiteral("lblCapDelay"));
    currDelay->setBuddy(txtCurrDelay);
    auto* delay = new QLabel(QStringLiteral("&Delay:"), animation);
    delay->setBuddy(txtDelay);
    auto* disposal = new QLabel(QStringLiteral("Disposal &Method"), animation);
    disposal->setBuddy(cbDisposal);
    animGrid->addWidget(currDelay, 0, 0);
    animGrid->addWidget(txtCurrDelay, 0, 1);
    animGrid->addWidget(delay, 1, 0);
    animGrid->addWidget(txtDelay, 1, 1);
    animGrid->addWidget(udDelay, 1, 2);
    animGrid->addWidget(new QLabel(QStringLiteral("(1/100th sec)"), animation), 1, 3);
    animGrid->addWidget(new QLabel(QStringLiteral("before drawing next frame."), animation), 2, 1, 1, 3);
    animGrid->addWidget(disposal, 3, 0);
    animGrid->addWidget(cbDisposal, 3, 1, 1, 3);
    for (QGroupBox* g : {dims, display, animation})
        for (QWidget* w : g->findChildren<QWidget*>())
            NormalFont(w);

    for (QLineEdit* e : {txtCurrXOff, txtCurrYOff, txtCurrDelay})
        e->setReadOnly(true);

    btnReset = new QPushButton(QStringLiteral("&Reset"), this);
    btnReset->setObjectName(QStringLiteral("btnReset"));
    btnReset->setEnabled(false);
    const TOkCancel okCancel = MakeOkCancel(this, this);
    btnOK = okCancel.OK;
    btnCancel = okCancel.Cancel;

    auto* settings = new QWidget(this);
    settings->setObjectName(QStringLiteral("pnlSettings"));
    auto* right = new QVBoxLayout(settings);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(dims);
    right->addWidget(display);
    right->addWidget(animation);
    okCancel.Row->insertWidget(0, btnReset);
    right->addLayout(okCancel.Row);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(sbProp, 0, Qt::AlignTop);
    layout->addWidget(settings, 1);

    // Wiring.
    connect(txtXOffset, &TNumericEdit::Left, this, [this] { FieldLeft(txtXOffset, udX); });
    connect(txtYOffset, &TNumericEdit::Left, this, [this] { FieldLeft(txtYOffset, udY); });
    connect(txtDelay, &TNumericEdit::Left, this, [this] { FieldLeft(txtDelay, udDelay); });
    connect(udX, &TUpDown::Clicked, this, [this](int p) {
        txtXOffset->setText(QString::number(p));
        if (pb->isVisible())
            pb->move(p, pb->y());
    });
    connect(udY, &TUpDown::Clicked, this, [this](int p) {
        txtYOffset->setText(QString::number(p));
        if (pb->isVisible())
            pb->move(pb->x(), p);
    });
    connect(udDelay, &TUpDown::Clicked, this, [this](int p) { txtDelay->setText(QString::number(p)); });
    for (QLineEdit* e : {static_cast<QLineEdit*>(txtXOffset), static_cast<QLineEdit*>(txtYOffset),
                         static_cast<QLineEdit*>(txtDelay)})
        connect(e, &QLineEdit::textChanged, this, [this] {
            if (!FLoading)
                btnReset->setEnabled(true);
        });
    connect(chkInterlaced, &QCheckBox::clicked, this, [this] { btnReset->setEnabled(true); });
    connect(chkTransparent, &QCheckBox::clicked, this, [this] {
        // Partly checked (global: each frame keeps its own) picks no colour.
        if (chkTransparent->checkState() == Qt::Checked)
            btnTransparentClick(true);
        pb->update();
        btnReset->setEnabled(true);
    });
    connect(chkCenter, &QCheckBox::toggled, this, [this](bool on) {
        if (!FLoading)
            CenterToggled(on);
    });
    connect(cbDisposal, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0)
            DisposalIndex = i - FDisposalKeepEntries;
    });
    // The local palette cannot be added or removed here.
    connect(chkLocalPal, &QCheckBox::clicked, this, [this] { chkLocalPal->setChecked(true); });
    connect(btnTransparent, &QPushButton::clicked, this, [this] { btnTransparentClick(false); });
    connect(btnPalette, &QPushButton::clicked, this, [this] { btnPaletteClick(); });
    connect(btnReset, &QPushButton::clicked, this, [this] {
        LoadFrame(FrameIndex);
        pb->update();
    });
    txtXOffset->setFocus();
}

void TfrmProp::ApplyGlobalLayout() {
    GlobalMode = true;
    setWindowTitle(QStringLiteral("Global Frame Properties"));
    lblW->clear();
    lblH->clear();
    for (QLabel* l : findChildren<QLabel*>())
        if (l->objectName() == QLatin1String("lblCap0") || l->objectName() == QLatin1String("lblCap1") ||
            l->objectName() == QLatin1String("lblCap2") || l->objectName() == QLatin1String("lblCap3") ||
            l->objectName() == QLatin1String("lblCapDelay"))
            l->setEnabled(false);
    for (QLineEdit* e : {static_cast<QLineEdit*>(txtXOffset), static_cast<QLineEdit*>(txtYOffset),
                         static_cast<QLineEdit*>(txtDelay)})
        e->clear();
    chkCenter->setEnabled(false);
    // Nothing the user leaves alone is written: the boxes start partly
    // checked and the disposal list on an entry that keeps each frame's.
    for (QCheckBox* box : {chkInterlaced, chkTransparent}) {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
        box->setToolTip(QStringLiteral("Partly checked: each frame keeps its own setting"));
    }
    {
        const QSignalBlocker quiet(cbDisposal);
        cbDisposal->insertItem(0, QLatin1String(KeepEachFrameText));
        FDisposalKeepEntries = 1;
        cbDisposal->setCurrentIndex(0);
    }
    DisposalIndex = -1;
    // The preview side is cut away.
    sbProp->hide();
    btnReset->hide();
    chkLocalPal->setEnabled(false);
    btnPalette->setEnabled(false);
    resize(336, height());
}

void TfrmProp::LoadFrame(int Index) {
    FLoading = true;
    const TGIFImageList& frames = FDocument.Frames();
    if (Index < 0 || Index >= frames.Count()) {
        FLoading = false;
        return;
    }
    TGIFSubImage& frame = *frames[Index];
    // The panel stands for the animation's screen, centred in its box.
    QPalette pal = pnlProp->palette();
    pal.setColor(QPalette::Window, FPanelColor);
    pnlProp->setPalette(pal);
    pnlProp->resize(std::max(1, FDocument.Width()), std::max(1, FDocument.Height()));
    CenterPanel();

    lblH->setText(QString::number(frame.Height()));
    lblW->setText(QString::number(frame.Width()));
    udX->Max = FDocument.Width();
    udX->SetPosition(frame.Left());
    udY->Max = FDocument.Height();
    udY->SetPosition(frame.Top());
    txtXOffset->setText(QString::number(udX->Position()));
    txtYOffset->setText(QString::number(udY->Position()));
    txtCurrXOff->setText(QString::number(frame.Left()));
    txtCurrYOff->setText(QString::number(frame.Top()));
    chkInterlaced->setChecked(frame.IsInterlaced());
    TransparentChosen = frame.IsTransparent();
    chkTransparent->setChecked(TransparentChosen);
    pb->setGeometry(frame.Left(), frame.Top(), frame.Width(), frame.Height());
    FPicture = FrameToQImage(frame, Qt::black).convertToFormat(QImage::Format_RGB32);
    if (TGIFGraphicControlExtension* c = frame.ControlExtension()) {
        if (c->UsesTransparency() || frame.EffectiveColors()->Count() > 0)
            TransparentColor = c->TransparentColor();
        TransparentIndex = c->TransparentIndex();
        udDelay->SetPosition(c->DelayTime);
        DisposalIndex = c->DisposalMethod();
    }
    txtDelay->setText(QString::number(udDelay->Position()));
    txtCurrDelay->setText(QString::number(udDelay->Position()));
    cbDisposal->setCurrentIndex(std::clamp(DisposalIndex, 0, 3));
    FrameIndex = Index;
    LocalColorCount = frame.LocalColors().Count();
    chkLocalPal->setEnabled(LocalColorCount > 0);
    chkLocalPal->setChecked(LocalColorCount > 0);
    btnPalette->setEnabled(LocalColorCount > 0);
    chkCenter->setChecked(false);
    btnReset->setEnabled(false);
    FLoading = false;
    pb->update();
}

void TfrmProp::CenterPanel() {
    const QSize client = sbProp->maximumViewportSize();
    const int x = client.width() < pnlProp->width() ? 10 : (client.width() - pnlProp->width()) / 2;
    const int y = client.height() < pnlProp->height() ? 10 : (client.height() - pnlProp->height()) / 2;
    sbProp->widget()->resize(std::max(client.width(), pnlProp->width() + 20),
                             std::max(client.height(), pnlProp->height() + 20));
    pnlProp->move(x, y);
}

TFramePropertyValues TfrmProp::Values() const {
    TFramePropertyValues v;
    int n = 0;
    if (TNumericEdit::ParseValue(txtXOffset->text(), n))
        v.Left = n;
    if (TNumericEdit::ParseValue(txtYOffset->text(), n))
        v.Top = n;
    if (TNumericEdit::ParseValue(txtDelay->text(), n))
        v.Delay = n;
    const auto state = [](const QCheckBox* box) -> std::optional<bool> {
        if (box->checkState() == Qt::PartiallyChecked)
            return std::nullopt;
        return box->checkState() == Qt::Checked;
    };
    v.Transparent = state(chkTransparent);
    v.TransparentColor = TransparentColor;
    v.Interlaced = state(chkInterlaced);
    if (DisposalIndex >= 0)
        v.Disposal = DisposalIndex;
    else
        v.Disposal.reset();
    return v;
}

bool TfrmProp::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == pb && Event->type() == QEvent::Paint) {
        PaintFrame();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TfrmProp::PaintFrame() {
    QPainter p(pb);
    if (!FPicture.isNull()) {
        if (chkTransparent->isChecked() && TransparentChosen) {
            // Where the transparent colour lies shows the panel.
            p.drawImage(0, 0, WithColorReplaced(FPicture, ColorOf(TransparentColor).rgb(), FPanelColor.rgb()));
        } else {
            p.drawImage(0, 0, FPicture);
        }
    }
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(0, 0, pb->width() - 1, pb->height() - 1);
}

void TfrmProp::FieldLeft(TNumericEdit* Field, TUpDown* UpDown) {
    if (GlobalMode)
        return;
    if (!Field->CheckLeft(FPrompts, *UpDown))
        return;
    if (Field == txtXOffset)
        pb->move(UpDown->Position(), pb->y());
    else if (Field == txtYOffset)
        pb->move(pb->x(), UpDown->Position());
}

void TfrmProp::CenterToggled(bool On) {
    if (On) {
        pb->move((pnlProp->width() - pb->width()) / 2, (pnlProp->height() - pb->height()) / 2);
        // A frame larger than the screen: the up-downs hold at 0.
        udX->SetPosition(pb->x());
        udY->SetPosition(pb->y());
    } else {
        udX->SetPosition(txtCurrXOff->text().toInt());
        udY->SetPosition(txtCurrYOff->text().toInt());
        pb->move(udX->Position(), udY->Position());
    }
    txtXOffset->setText(QString::number(udX->Position()));
    txtYOffset->setText(QString::number(udY->Position()));
}

int TfrmProp::Run(QDialog& Dialog) {
    return RunDialog ? RunDialog(Dialog) : Dialog.exec();
}

void TfrmProp::SetTransparentBox(bool On) {
    const QSignalBlocker quiet(chkTransparent);
    chkTransparent->setChecked(On);
}

void TfrmProp::btnTransparentClick(bool FromBox) {
    // A cancelled selection leaves the box as it was before: before the click
    // on the box, or as it is when Select was pressed.
    const bool checkedNow = chkTransparent->checkState() == Qt::Checked;
    // A click that checked the box came from unchecked (one frame) or from
    // partly checked (global, "keep"); a colour not chosen then leaves it
    // unchecked, the next state, so every state can be reached.
    const Qt::CheckState remembered = FromBox ? Qt::Unchecked : chkTransparent->checkState();
    TfrmPalette* dialog = nullptr;
    std::unique_ptr<TfrmPalette> owner;
    if (GlobalMode) {
        owner = std::make_unique<TfrmPalette>(TfrmPalette::pmPick, FPrompts, this);
        dialog = owner.get();
        dialog->SetColorMap(FDocument.Header().GlobalColors());
        dialog->SetSelectedIndex(checkedNow ? TransparentIndex : 0);
    } else {
        owner = std::make_unique<TfrmPalette>(TfrmPalette::pmPickWithPicture, FPrompts, this);
        dialog = owner.get();
        TGIFSubImage& frame = *FDocument.Frames()[FrameIndex];
        TransparentChosen = frame.IsTransparent();
        dialog->SetColorMap(frame.LocalColors().Count() > 0 ? static_cast<const TGIFColorMap&>(frame.LocalColors())
                                                            : static_cast<const TGIFColorMap&>(FDocument.Header().GlobalColors()));
        const int gceIndex = frame.ControlExtension() ? frame.ControlExtension()->TransparentIndex() : 0;
        dialog->SetSelectedIndex(checkedNow ? TransparentIndex : (frame.LocalColors().Count() > 0 ? gceIndex : 0));
        dialog->SetPicture(FPicture);
        if (checkedNow)
            dialog->SetTransparentColor(TransparentColor);
    }
    if (Run(*dialog) == QDialog::Accepted && dialog->ColorPicked()) {
        TransparentColor = dialog->PickedColor();
        TransparentIndex = dialog->SelectedIndex();
        TransparentChosen = true;
        SetTransparentBox(true);
        btnReset->setEnabled(true);
    } else {
        const QSignalBlocker quiet(chkTransparent);
        chkTransparent->setCheckState(remembered);
    }
    pb->update();
}

void TfrmProp::btnPaletteClick() {
    TGIFSubImage& frame = *FDocument.Frames()[FrameIndex];
    if (frame.LocalColors().Count() == 0)
        return;
    TfrmPalette dialog(TfrmPalette::pmEdit, FPrompts, this);
    dialog.SetColorMap(frame.LocalColors());
    dialog.SetSelectedIndex(0);
    if (Run(dialog) != QDialog::Accepted)
        return;
    if (OnLocalPaletteEdited)
        OnLocalPaletteEdited(dialog.ColorMap());
    FPicture = FrameToQImage(*FDocument.Frames()[FrameIndex], Qt::black).convertToFormat(QImage::Format_RGB32);
    pb->update();
    btnReset->setEnabled(true);
}
