#include "dialogs/Timing.h"

#include "dialogs/DialogButtons.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

TfrmTiming::TfrmTiming(TMode Mode, int Frames, int CurrentDelay, QWidget* Parent)
    : QDialog(Parent), FMode(Mode), FCurrentDelay(CurrentDelay) {
    setObjectName(QStringLiteral("frmTiming"));
    auto* root = new QVBoxLayout(this);
    root->addWidget(new QLabel(Frames == 1 ? QStringLiteral("For every frame:")
                                           : QStringLiteral("For the %1 frames:").arg(Frames),
                               this));
    udValue = new QSpinBox(this);
    udValue->setObjectName(QStringLiteral("udValue"));
    if (Mode == tmDropEvery) {
        setWindowTitle(QStringLiteral("Drop Frames"));
        udValue->setRange(2, 1000);
        udValue->setValue(2);
        auto* row = new QHBoxLayout;
        row->addWidget(BuddyLabel(QStringLiteral("Drop &every"), udValue, this));
        row->addWidget(udValue);
        row->addWidget(new QLabel(QStringLiteral("th frame, keeping the running time"), this));
        root->addLayout(row);
    } else {
        setWindowTitle(QStringLiteral("Frame Delays"));
        auto* grid = new QGridLayout;
        optSet = new QRadioButton(QStringLiteral("&Set each delay to"), this);
        optAdd = new QRadioButton(QStringLiteral("&Lengthen each delay by"), this);
        optSubtract = new QRadioButton(QStringLiteral("S&horten each delay by"), this);
        optScale = new QRadioButton(QStringLiteral("S&cale each delay to"), this);
        optSet->setObjectName(QStringLiteral("optSet"));
        optAdd->setObjectName(QStringLiteral("optAdd"));
        optSubtract->setObjectName(QStringLiteral("optSubtract"));
        optScale->setObjectName(QStringLiteral("optScale"));
        optSet->setChecked(true);
        grid->addWidget(optSet, 0, 0);
        grid->addWidget(optAdd, 1, 0);
        grid->addWidget(optSubtract, 2, 0);
        grid->addWidget(optScale, 3, 0);
        udValue->setRange(0, 65535);
        udValue->setValue(CurrentDelay);
        cbUnit = new QComboBox(this);
        cbUnit->setObjectName(QStringLiteral("cbUnit"));
        cbUnit->addItems({QStringLiteral("1/100 s"), QStringLiteral("ms")});
        auto* value = new QHBoxLayout;
        value->addWidget(udValue);
        value->addWidget(cbUnit);
        grid->addLayout(value, 0, 1, 4, 1);
        root->addLayout(grid);
        for (QRadioButton* b : {optSet, optAdd, optSubtract, optScale})
            connect(b, &QRadioButton::toggled, this, [this](bool on) {
                if (on)
                    KindChanged();
            });
        // The value follows the choice in the keyboard's order too.
        setTabOrder(optScale, udValue);
        setTabOrder(udValue, cbUnit);
    }
    const TOkCancel buttons = MakeOkCancel(this, this);
    btnOK = buttons.OK;
    root->addLayout(buttons.Row);
    udValue->setFocus();
    udValue->selectAll();
}

void TfrmTiming::KindChanged() {
    // A percentage has no unit and starts at 100; a time keeps the unit
    // chosen and starts at the frame's delay. The value is ready to type.
    const bool scale = optScale->isChecked();
    if (scale != FScaling) {
        FScaling = scale;
        udValue->setSuffix(scale ? QStringLiteral(" %") : QString());
        udValue->setMinimum(scale ? 1 : 0);
        udValue->setValue(scale ? 100 : FCurrentDelay);
    }
    cbUnit->setEnabled(!scale);
    udValue->setFocus();
    udValue->selectAll();
}

TTimingChange TfrmTiming::Change() const {
    TTimingChange change;
    change.Value = udValue->value();
    if (FMode == tmDropEvery) {
        change.Kind = TTimingChange::TKind::DropEvery;
        return change;
    }
    change.Kind = optScale->isChecked()      ? TTimingChange::TKind::Scale
                  : optAdd->isChecked()      ? TTimingChange::TKind::Add
                  : optSubtract->isChecked() ? TTimingChange::TKind::Subtract
                                             : TTimingChange::TKind::Set;
    // Milliseconds become hundredths of a second, to the nearest.
    if (change.Kind != TTimingChange::TKind::Scale && cbUnit->currentIndex() == 1)
        change.Value = (change.Value + 5) / 10;
    return change;
}
