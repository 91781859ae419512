#include "controls/RXListBox.h"

#include <cstdlib>

#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QPalette>
#include <QStyledItemDelegate>

namespace {
// Hands every visible cell to the list's owner.
class TOwnerDrawDelegate : public QStyledItemDelegate {
public:
    explicit TOwnerDrawDelegate(TRXListBox* List) : QStyledItemDelegate(List), FList(List) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        const bool selected = Option.state.testFlag(QStyle::State_Selected);
        if (!FList->OnDrawItem) {
            Painter->fillRect(Option.rect, selected ? FList->HighlightColor : FList->WindowColor());
            Painter->setPen(selected ? FList->SelTextColor : FList->TextColor());
            Painter->drawText(Option.rect.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                              Index.data().toString());
            return;
        }
        Painter->save();
        FList->OnDrawItem(*Painter, Option.rect, Index.row(), selected);
        Painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {FList->CurrentWidth(), FList->ItemHeight()};
    }

private:
    TRXListBox* FList;
};
} // namespace

TRXListBox::TRXListBox(QWidget* Parent)
    : QListWidget(Parent), FrameColor(0xC0, 0xC0, 0xC0), HighlightColor(Qt::red),
      SelTextColor(Qt::white) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setItemDelegate(new TOwnerDrawDelegate(this));
    // Tiles can be dragged to a new place; the owner moves the frame.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    SetWindowColor(Qt::white);
}

void TRXListBox::SetItemHeight(int Value) {
    FItemHeight = Value;
    doItemsLayout();
}

void TRXListBox::SetCurrentWidth(int Value) {
    FItemWidth = Value;
    doItemsLayout();
}

void TRXListBox::AppendEntries(int Count) {
    QStringList entries;
    entries.reserve(Count);
    for (int i = 0; i < Count; ++i)
        entries << QStringLiteral("Image");
    addItems(entries);
}

void TRXListBox::InsertEntry(int Row) {
    insertItem(Row, QStringLiteral("Image"));
}

QColor TRXListBox::WindowColor() const {
    return palette().color(QPalette::Base);
}

void TRXListBox::SetWindowColor(const QColor& Value) {
    QPalette p = palette();
    p.setColor(QPalette::Base, Value);
    setPalette(p);
}

void TRXListBox::paintEvent(QPaintEvent* Event) {
    QListWidget::paintEvent(Event);
    if (count() == 0 && !CaptionText.isEmpty()) {
        QPainter p(viewport());
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QPoint(5, 5 + fontMetrics().ascent()), CaptionText);
    }
}

void TRXListBox::mousePressEvent(QMouseEvent* Event) {
    emit Pressed(indexAt(Event->position().toPoint()).row(), Event->button());
    QListWidget::mousePressEvent(Event);
}

void TRXListBox::dragEnterEvent(QDragEnterEvent* Event) {
    if (Event->source() == this || Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
    else
        Event->ignore();
}

void TRXListBox::dragMoveEvent(QDragMoveEvent* Event) {
    QListWidget::dragMoveEvent(Event);
    if (Event->source() == this || Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
}

void TRXListBox::dropEvent(QDropEvent* Event) {
    const QModelIndex at = indexAt(Event->position().toPoint());
    if (Event->source() == this) {
        const int from = currentRow();
        const int to = at.isValid() ? at.row() : count() - 1;
        // The list is not touched here: its owner moves the frame and the entry.
        Event->setDropAction(Qt::IgnoreAction);
        Event->accept();
        if (from >= 0 && to >= 0 && from != to)
            emit MoveRequested(from, to);
        return;
    }
    QStringList files;
    for (const QUrl& url : Event->mimeData()->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    if (files.isEmpty()) {
        Event->ignore();
        return;
    }
    Event->acceptProposedAction();
    emit FilesDropped(at.isValid() ? at.row() : -1, files);
}

QColor TRXListBox::TextColor() const {
    const QColor text = palette().color(QPalette::Text);
    if (std::abs(text.lightness() - FrameColor.lightness()) >= 96)
        return text;
    return FrameColor.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
}
