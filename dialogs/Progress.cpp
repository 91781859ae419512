#include "dialogs/Progress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TfrmProgress::TfrmProgress(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Progress"));
    setWindowModality(Qt::ApplicationModal);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(12, 10, 12, 10);
    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblFileName = new QLabel(this);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    lblFileName->setMinimumWidth(320);
    prgBar = new QProgressBar(this);
    prgBar->setObjectName(QStringLiteral("prgBar"));
    prgBar->setTextVisible(false);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setDefault(true);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmProgress::reject);
    frame->addWidget(lblProgress);
    frame->addWidget(lblFileName);
    frame->addWidget(prgBar);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(btnCancel);
    frame->addLayout(row);
    // A frameless window still needs an edge to stand out from what is below it.
    setStyleSheet(QStringLiteral("TfrmProgress { border: 2px outset palette(mid); }"));
}

void TfrmProgress::SetRange(int Minimum, int Maximum) {
    prgBar->setRange(Minimum, Maximum);
    prgBar->setValue(Minimum);
}

void TfrmProgress::SetPosition(int Position) {
    prgBar->setValue(Position);
}

void TfrmProgress::StepBy(int Delta) {
    prgBar->setValue(prgBar->value() + Delta);
}

void TfrmProgress::SetText(const QString& Text) {
    lblFileName->setText(Text);
}

void TfrmProgress::reject() {
    // The window stays until the work has stopped; the work closes it.
    if (!FCancelled) {
        FCancelled = true;
        btnCancel->setEnabled(false);
        emit CancelRequested();
    }
}
