#include "dialogs/Info.h"

#include "services/UserPrompts.h"
#include "controls/ByteChart.h"
#include "controls/NumericEdit.h"
#include "controls/UpDown.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/Palette.h"
#include "gif/ByteCost.h"
#include "gif/FrameDefaults.h"
#include "gif/GIFImage.h"
#include "gif/OptimizeChoices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

QString ThousandsText(qint64 Value) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(Value);
}

int RoundHalfEven(double Value) {
    return static_cast<int>(std::nearbyint(Value));
}

namespace {

// A field's number for the coupling; an emptied field counts as 1.
int NumberIn(const QLineEdit* Field) {
    int value = 0;
    if (!TNumericEdit::ParseValue(Field->text(), value) || value < 1)
        return 1;
    return value;
}

QLineEdit* ReadOnlyField(QWidget* Parent) {
    auto* field = new QLineEdit(Parent);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus);
    return field;
}


} // namespace

TfrmAniInfo::TfrmAniInfo(const TGIFImage& Document, const QString& FileName, IUserPrompts& Prompts, QWidget* Parent,
                         int DefaultLoop)
    : QDialog(Parent), FDocument(Document), FPrompts(Prompts), FFileName(FileName), FDefaultLoop(DefaultLoop) {
    setObjectName(QStringLiteral("frmAniInfo"));
    setWindowTitle(QStringLiteral("Animation Information"));
    BuildLayout();
    Fill();
}

void TfrmAniInfo::BuildLayout() {
    auto* root = new QVBoxLayout(this);

    auto* animation = new QGroupBox(QStringLiteral("Animation"), this);
    auto* grid = new QGridLayout(animation);
    lblCount = new QLabel(animation);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    grid->addWidget(new QLabel(QStringLiteral("Number of Frames:"), animation), 0, 0);
    grid->addWidget(lblCount, 0, 1);
    lblRunTime = new QLabel(animation);
    lblRunTime->setObjectName(QStringLiteral("lblRunTime"));
    grid->addWidget(new QLabel(QStringLiteral("Total Running Time:"), animation), 1, 0);
    grid->addWidget(lblRunTime, 1, 1, 1, 3);

    auto numeric = [this](const char* Name, QWidget* Owner) {
        auto* field = new TNumericEdit(Owner);
        field->setObjectName(QLatin1String(Name));
        field->setMaximumWidth(70);
        connect(field, &TNumericEdit::Left, this, [this, field] { FieldLeft(field); });
        return field;
    };
    auto upDown = [](const char* Name, QWidget* Owner, int Min, int Max) {
        auto* ud = new TUpDown(Owner);
        ud->setObjectName(QLatin1String(Name));
        ud->Min = Min;
        ud->Max = Max;
        return ud;
    };

    txtLoop = numeric("txtLoop", animation);
    udLoop = upDown("udLoop", animation, 0, 32767);
    txtCurrLoop = ReadOnlyField(animation);
    txtCurrLoop->setObjectName(QStringLiteral("txtCurrLoop"));
    grid->addWidget(BuddyLabel(QStringLiteral("&Loop:"), txtLoop, animation), 2, 0);
    auto* loopRow = new QHBoxLayout;
    loopRow->addWidget(txtLoop);
    loopRow->addWidget(udLoop);
    loopRow->addWidget(new QLabel(QStringLiteral("0 = Infinite Loop"), animation));
    grid->addLayout(loopRow, 2, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("Current L&oop:"), txtCurrLoop, animation), 2, 2);
    grid->addWidget(txtCurrLoop, 2, 3);
    root->addWidget(animation);

    auto* size = new QGroupBox(QStringLiteral("Size"), this);
    auto* sizeGrid = new QGridLayout(size);
    txtAniH = numeric("txtAniH", size);
    udHeight = upDown("udHeight", size, 1, 32767);
    txtAniW = numeric("txtAniW", size);
    udWidth = upDown("udWidth", size, 1, 32767);
    txtHPercent = numeric("txtHPercent", size);
    txtWPercent = numeric("txtWPercent", size);
    txtCurrH = ReadOnlyField(size);
    txtCurrH->setObjectName(QStringLiteral("txtCurrH"));
    txtCurrW = ReadOnlyField(size);
    txtCurrW->setObjectName(QStringLiteral("txtCurrW"));
    auto sizeRow = [&](int Row, const QString& Text, TNumericEdit* Field, TUpDown* Ud, TNumericEdit* Percent,
                       const QString& CurrText, QLineEdit* Curr) {
        sizeGrid->addWidget(BuddyLabel(Text, Field, size), Row, 0);
        auto* row = new QHBoxLayout;
        row->addWidget(Field);
        row->addWidget(Ud);
        row->addWidget(Percent);
        row->addWidget(new QLabel(QStringLiteral("%"), size));
        sizeGrid->addLayout(row, Row, 1);
        sizeGrid->addWidget(BuddyLabel(CurrText, Curr, size), Row, 2);
        sizeGrid->addWidget(Curr, Row, 3);
    };
    sizeRow(0, QStringLiteral("&Height:"), txtAniH, udHeight, txtHPercent, QStringLiteral("Current H&eight:"), txtCurrH);
    sizeRow(1, QStringLiteral("&Width:"), txtAniW, udWidth, txtWPercent, QStringLiteral("Current Wi&dth:"), txtCurrW);
    chkConstrain = new QCheckBox(QStringLiteral("&Constrain Size"), size);
    chkConstrain->setObjectName(QStringLiteral("chkConstrain"));
    imgConstrain = new QLabel(QStringLiteral("\u21C5"), size);  // the two sides move together
    imgConstrain->setObjectName(QStringLiteral("imgConstrain"));
    imgConstrain->setVisible(false);
    btnReset = new QPushButton(QStringLiteral("&Reset"), size);
    btnReset->setObjectName(QStringLiteral("btnReset"));
    btnReset->setEnabled(false);
    auto* constrainRow = new QHBoxLayout;
    constrainRow->addWidget(chkConstrain);
    constrainRow->addWidget(imgConstrain);
    constrainRow->addStretch();
    constrainRow->addWidget(btnReset);
    sizeGrid->addLayout(constrainRow, 2, 0, 1, 4);
    cmbFilter = new QComboBox(size);
    cmbFilter->setObjectName(QStringLiteral("cmbFilter"));
    cmbFilter->addItem(QStringLiteral("Smooth (photos, video, screen recordings)"), int(TResizeFilter::Smooth));
    cmbFilter->addItem(QStringLiteral("Bilinear"), int(TResizeFilter::Bilinear));
    cmbFilter->addItem(QStringLiteral("Nearest pixel (pixel art, no new colours)"), int(TResizeFilter::Nearest));
    sizeGrid->addWidget(BuddyLabel(QStringLiteral("&Scaling:"), cmbFilter, size), 3, 0);
    sizeGrid->addWidget(cmbFilter, 3, 1, 1, 3);
    root->addWidget(size);

    auto* weight = new QGroupBox(QStringLiteral("Weight (File Size)"), this);
    auto* weightGrid = new QGridLayout(weight);
    lblFileSize = new QLabel(weight);
    lblFileSize->setObjectName(QStringLiteral("lblFileSize"));
    weightGrid->addWidget(lblFileSize, 0, 0, 1, 3);
    lblDLTime = new QLabel(weight);
    lblDLTime->setObjectName(QStringLiteral("lblDLTime"));
    cbBps = new QComboBox(weight);
    cbBps->setObjectName(QStringLiteral("cbBps"));
    cbBps->addItems({QStringLiteral("14.4"), QStringLiteral("28.8"), QStringLiteral("56.6")});
    cbBps->setCurrentIndex(0);
    auto* dlRow = new QHBoxLayout;
    dlRow->addWidget(new QLabel(QStringLiteral("Estimated Download Time:"), weight));
    dlRow->addWidget(lblDLTime);
    dlRow->addWidget(cbBps);
    dlRow->addWidget(new QLabel(QStringLiteral("modem."), weight));
    dlRow->addStretch();
    weightGrid->addLayout(dlRow, 1, 0, 1, 3);
    chtBytes = new TByteChart(weight);
    chtBytes->setToolTip(QStringLiteral("Bytes per frame in the saved file"));
    weightGrid->addWidget(chtBytes, 2, 0, 1, 3);
    root->addWidget(weight);

    auto* palette = new QGroupBox(QStringLiteral("Global Palette"), this);
    auto* paletteGrid = new QGridLayout(palette);
    lblNumColors = new QLabel(palette);
    lblNumColors->setObjectName(QStringLiteral("lblNumColors"));
    lblOptimized = new QLabel(palette);
    lblOptimized->setObjectName(QStringLiteral("lblOptimized"));
    btnPalette = new QPushButton(QStringLiteral("Edit &Palette"), palette);
    btnPalette->setObjectName(QStringLiteral("btnPalette"));
    paletteGrid->addWidget(new QLabel(QStringLiteral("Number of Colors:"), palette), 0, 0);
    paletteGrid->addWidget(lblNumColors, 0, 1);
    paletteGrid->addWidget(new QLabel(QStringLiteral("Optimized:"), palette), 1, 0);
    paletteGrid->addWidget(lblOptimized, 1, 1);
    paletteGrid->addWidget(btnPalette, 0, 2, 2, 1);
    root->addWidget(palette);

    const TOkCancel buttons = MakeOkCancel(this, this);
    btnOK = buttons.OK;
    btnCancel = buttons.Cancel;
    root->addLayout(buttons.Row);

    connect(txtAniH, &QLineEdit::textChanged, this, &TfrmAniInfo::HeightChanged);
    connect(txtAniW, &QLineEdit::textChanged, this, &TfrmAniInfo::WidthChanged);
    connect(txtHPercent, &QLineEdit::textChanged, this, &TfrmAniInfo::HeightPercentChanged);
    connect(txtWPercent, &QLineEdit::textChanged, this, &TfrmAniInfo::WidthPercentChanged);
    connect(txtLoop, &QLineEdit::textChanged, this, [this] { btnReset->setEnabled(true); });
    for (auto [field, ud] : {std::pair{txtLoop, udLoop}, {txtAniH, udHeight}, {txtAniW, udWidth}})
        connect(ud, &TUpDown::Clicked, field, [field](int Position) { field->setText(QString::number(Position)); });
    connect(chkConstrain, &QCheckBox::toggled, this, &TfrmAniInfo::ConstrainToggled);
    connect(btnReset, &QPushButton::clicked, this, &TfrmAniInfo::btnResetClick);
    connect(btnPalette, &QPushButton::clicked, this, &TfrmAniInfo::btnPaletteClick);
    connect(cbBps, &QComboBox::currentIndexChanged, this, &TfrmAniInfo::ShowDownloadTime);
}

void TfrmAniInfo::Fill() {
    const TGIFImageList& frames = FDocument.Frames();
    if (frames.Count() == 0)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    lblCount->setText(QString::number(frames.Count()));

    int hundredths = 0;
    for (int i = 0; i < frames.Count(); ++i) {
        const TGIFExtensionList& list = frames[i]->ExtensionBlocks();
        for (int e = 0; e < list.Count(); ++e)
            if (const auto* gce = dynamic_cast<const TGIFGraphicControlExtension*>(list[e]))
                hundredths += gce->DelayTime;
    }
    // The running time as the dialog has always shown it, then the frame rate it makes.
    QString runTime = QString::asprintf("%4.2f secs", hundredths / 100.0);
    if (hundredths > 0)
        runTime += QString::asprintf(" (%.1f frames per second)", frames.Count() * 100.0 / hundredths);
    lblRunTime->setText(runTime);

    const auto* loop = frames[0]->FindExtension<TGIFAppExtNSLoop>();
    FCurrLoop = loop ? loop->LoopCount : 0;
    FCurrWidth = FDocument.Width();
    FCurrHeight = FDocument.Height();
    FGuard = true;
    txtLoop->setText(QString::number(FCurrLoop));
    udLoop->SetPosition(FCurrLoop);
    txtCurrLoop->setText(QString::number(FCurrLoop));
    txtAniH->setText(QString::number(FCurrHeight));
    udHeight->SetPosition(FCurrHeight);
    txtAniW->setText(QString::number(FCurrWidth));
    udWidth->SetPosition(FCurrWidth);
    txtHPercent->setText(QStringLiteral("100"));
    txtWPercent->setText(QStringLiteral("100"));
    txtCurrH->setText(QString::number(FCurrHeight));
    txtCurrW->setText(QString::number(FCurrWidth));
    FGuard = false;
    btnReset->setEnabled(false);

    const TGIFColorMap& global = FDocument.Header().GlobalColors();
    lblNumColors->setText(QString::number(global.Count()));
    lblOptimized->setText(global.Sorted() ? QStringLiteral("Yes") : QStringLiteral("No"));
    btnPalette->setEnabled(global.Count() > 0);

    const QString name = FFileName.isEmpty() ? QString() : QFileInfo(FFileName).fileName();
    try {
        const TByteCost cost = SavedByteCost(*PreparedForSaving(FDocument, FDefaultLoop));
        FFileSize = qint64(cost.Size);
        chtBytes->SetBytes(FrameTotals(cost));
        lblFileSize->setText(QStringLiteral("%1 (%2 bytes)").arg(name, ThousandsText(FFileSize)));
    } catch (const std::exception& e) {
        // An animation that cannot be written has no size to show.
        FFileSize = 0;
        lblFileSize->setText(QStringLiteral("%1 (%2)").arg(name, QString::fromUtf8(e.what())));
    }
    ShowDownloadTime();
    QApplication::restoreOverrideCursor();
}

void TfrmAniInfo::ShowDownloadTime() {
    const double speed = cbBps->currentText().toDouble();
    const double seconds = speed > 0 ? std::fabs(double(FFileSize) * 8.0 / speed / 1000.0) : 0.0;
    lblDLTime->setText(QString::asprintf("%4.2f secs with a", seconds));
}

void TfrmAniInfo::FieldLeft(TNumericEdit* Field) {
    int value = 0;
    if (!TNumericEdit::ParseValue(Field->text(), value)) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, QString(),
                            QStringLiteral("'%1' is not a valid integer value.").arg(Field->text()));
        Field->setText(Field->Remembered);
        Field->setFocus();
        return;
    }
    if (Field == txtLoop)
        udLoop->SetPosition(value);
    else if (Field == txtAniH)
        udHeight->SetPosition(value);
    else if (Field == txtAniW)
        udWidth->SetPosition(value);
}

void TfrmAniInfo::SetGuarded(QLineEdit* Field, int Value) {
    Field->setText(QString::number(Value));
}

void TfrmAniInfo::HeightChanged() {
    if (!FGuard)
        Couple(true, RoundHalfEven(double(NumberIn(txtAniH)) / FCurrHeight * 100.0), false);
}

void TfrmAniInfo::WidthChanged() {
    if (!FGuard)
        Couple(false, RoundHalfEven(double(NumberIn(txtAniW)) / FCurrWidth * 100.0), false);
}

void TfrmAniInfo::HeightPercentChanged() {
    if (!FGuard)
        Couple(true, NumberIn(txtHPercent), true);
}

void TfrmAniInfo::WidthPercentChanged() {
    if (!FGuard)
        Couple(false, NumberIn(txtWPercent), true);
}

void TfrmAniInfo::Couple(bool Height, int Percent, bool PercentEdited) {
    btnReset->setEnabled(true);
    FGuard = true;
    // The edited side: its size from the percent, or its percent from the size.
    if (PercentEdited)
        SetGuarded(Height ? txtAniH : txtAniW, RoundHalfEven((Height ? FCurrHeight : FCurrWidth) * Percent / 100.0));
    else
        SetGuarded(Height ? txtHPercent : txtWPercent, Percent);
    // The other side follows when the proportions are kept.
    if (chkConstrain->isChecked()) {
        SetGuarded(Height ? txtWPercent : txtHPercent, Percent);
        SetGuarded(Height ? txtAniW : txtAniH, RoundHalfEven((Height ? FCurrWidth : FCurrHeight) * Percent / 100.0));
    }
    FGuard = false;
}

void TfrmAniInfo::ConstrainToggled() {
    imgConstrain->setVisible(chkConstrain->isChecked());
    if (!chkConstrain->isChecked())
        return;
    if (NumberIn(txtAniH) != FCurrHeight)
        HeightChanged();
    if (NumberIn(txtAniW) != FCurrWidth)
        WidthChanged();
}

void TfrmAniInfo::btnResetClick() {
    FGuard = true;
    txtLoop->setText(QString::number(FCurrLoop));
    udLoop->SetPosition(FCurrLoop);
    txtAniH->setText(QString::number(FCurrHeight));
    udHeight->SetPosition(FCurrHeight);
    txtAniW->setText(QString::number(FCurrWidth));
    udWidth->SetPosition(FCurrWidth);
    txtHPercent->setText(QStringLiteral("100"));
    txtWPercent->setText(QStringLiteral("100"));
    FGuard = false;
    btnReset->setEnabled(false);
}

void TfrmAniInfo::btnPaletteClick() {
    TfrmPalette dialog(TfrmPalette::pmEdit, FPrompts, this);
    if (FPaletteEdited) {
        TGIFImage scratch;
        SetGlobalColors(scratch, FPalette);
        dialog.SetColorMap(scratch.GlobalColors());
    } else {
        dialog.SetColorMap(FDocument.Header().GlobalColors());
    }
    dialog.SetSelectedIndex(0);
    if (Run(dialog) != QDialog::Accepted)
        return;
    const TGIFColorMap& edited = dialog.ColorMap();
    FPalette.assign(edited.Entries(), edited.Entries() + edited.Count());
    FPaletteEdited = true;
    lblNumColors->setText(QString::number(edited.Count()));
}

int TfrmAniInfo::Run(QDialog& Dialog) {
    return RunDialog ? RunDialog(Dialog) : Dialog.exec();
}

void TfrmAniInfo::accept() {
    // A field still holding a bad number is caught here too, as leaving it would.
    for (TNumericEdit* field : {txtLoop, txtAniH, txtAniW, txtHPercent, txtWPercent}) {
        int value = 0;
        if (!TNumericEdit::ParseValue(field->text(), value)) {
            FieldLeft(field);
            return;
        }
    }
    QDialog::accept();
}

TAnimationInfoEdit TfrmAniInfo::Values() const {
    TAnimationInfoEdit edit;
    edit.Width = NumberIn(txtAniW);
    edit.Height = NumberIn(txtAniH);
    int loop = FCurrLoop;
    TNumericEdit::ParseValue(txtLoop->text(), loop);
    edit.Loop = loop;
    edit.PaletteEdited = FPaletteEdited;
    edit.Palette = FPalette;
    edit.Filter = TResizeFilter(cmbFilter->currentData().toInt());
    return edit;
}
