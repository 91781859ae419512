#include "controls/UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TUpDown::TUpDown(QWidget* Parent) : QWidget(Parent) {
    btnUp = new QToolButton(this);
    btnUp->setArrowType(Qt::UpArrow);
    btnDown = new QToolButton(this);
    btnDown->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {btnUp, btnDown}) {
        b->setFixedSize(16, 11);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(btnUp);
    layout->addWidget(btnDown);
    connect(btnUp, &QToolButton::clicked, this, [this] { Step(1); });
    connect(btnDown, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetPosition(int Value) {
    FPosition = std::clamp(Value, Min, std::max(Min, Max));
}

void TUpDown::Step(int Delta) {
    const int before = FPosition;
    SetPosition(FPosition + Delta);
    if (FPosition != before)
        emit Clicked(FPosition);
}
