#include "controls/RXListBox.h"

#include <QPalette>

TRXListBox::TRXListBox(QWidget* Parent)
    : QListWidget(Parent), FrameColor(0xC0, 0xC0, 0xC0), HighlightColor(Qt::red),
      SelTextColor(Qt::white) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    SetWindowColor(Qt::white);
}

void TRXListBox::SetItemHeight(int Value) {
    FItemHeight = Value;
    for (int i = 0; i < count(); ++i)
        item(i)->setSizeHint(QSize(FItemWidth, FItemHeight));
}

void TRXListBox::SetItemWidth(int Value) {
    FItemWidth = Value;
    SetItemHeight(FItemHeight);
}

QColor TRXListBox::WindowColor() const {
    return palette().color(QPalette::Base);
}

void TRXListBox::SetWindowColor(const QColor& Value) {
    QPalette p = palette();
    p.setColor(QPalette::Base, Value);
    setPalette(p);
}
