#include "dialogs/Comments.h"

#include "dialogs/DialogButtons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfrmComments::TfrmComments(int Mode, QWidget* Parent) : QDialog(Parent), FMode(Mode) {
    setObjectName(QStringLiteral("frmComments"));
    if (FMode == cmDropImage) {
        setWindowTitle(QStringLiteral("Drop Image"));
        BuildDropPanel();
        resize(345, 200);
        btnDropOK->setFocus();
    }
}

void TfrmComments::BuildDropPanel() {
    pnlDropFrame = new QWidget(this);
    pnlDropFrame->setObjectName(QStringLiteral("pnlDropFrame"));
    auto* question = new QLabel(QStringLiteral("Where would you like to drop this image in the animation?"),
                                pnlDropFrame);
    question->setWordWrap(true);
    optStart = new QRadioButton(QStringLiteral("At the &start"), pnlDropFrame);
    optStart->setObjectName(QStringLiteral("optStart"));
    optStart->setChecked(true);
    optBefore = new QRadioButton(QStringLiteral("&Before the current selected frame"), pnlDropFrame);
    optBefore->setObjectName(QStringLiteral("optBefore"));
    optAfter = new QRadioButton(QStringLiteral("&After the current selected frame"), pnlDropFrame);
    optAfter->setObjectName(QStringLiteral("optAfter"));
    const TOkCancel buttons = MakeOkCancel(this, pnlDropFrame, QStringLiteral("btnDrop"));
    btnDropOK = buttons.OK;
    btnDropCancel = buttons.Cancel;
    auto* panel = new QVBoxLayout(pnlDropFrame);
    panel->addWidget(question);
    panel->addWidget(optStart);
    panel->addWidget(optBefore);
    panel->addWidget(optAfter);
    panel->addStretch(1);
    panel->addLayout(buttons.Row);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pnlDropFrame);
}

TfrmComments::TDropPlace TfrmComments::DropPlace() const {
    if (optBefore && optBefore->isChecked())
        return TDropPlace::Before;
    if (optAfter && optAfter->isChecked())
        return TDropPlace::After;
    return TDropPlace::Start;
}
