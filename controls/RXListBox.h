#pragma once
// The frames list: one tall cell per entry. Entries are placeholders; the owner
// draws each cell (OnDrawItem) from its own data, and only cells on screen are
// ever drawn. An empty list shows CaptionText in its corner.

#include <QColor>
#include <QListWidget>
#include <functional>

class QPainter;

class TRXListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TRXListBox(QWidget* Parent = nullptr);

    // The text colour for unselected cells: the scheme's text colour, or
    // its opposite when that would not stand out from the frame colour (a
    // stored light colour on a dark scheme, say).
    QColor TextColor() const;

    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    // The width of the cells, which is the list's horizontal scrolling extent.
    int CurrentWidth() const { return FItemWidth; }
    void SetCurrentWidth(int Value);

    // Placeholder entries "Image", sized as the cells.
    void AppendEntries(int Count);
    void InsertEntry(int Row);

    // Colours of the cells (the window colour is the list's background).
    QColor WindowColor() const;
    void SetWindowColor(const QColor& Value);
    QColor FrameColor;
    QColor HighlightColor;
    QColor SelTextColor;

    QString CaptionText;
    // Draws cell Row into Rect; without it the entry's text is drawn.
    std::function<void(QPainter& Painter, const QRect& Rect, int Row, bool Selected)> OnDrawItem;

signals:
    // A tile dragged inside the list onto entry To (the list itself is not changed).
    void MoveRequested(int From, int To);
    // Files dragged from elsewhere onto entry Row (-1: below the last).
    void FilesDropped(int Row, const QStringList& Files);
    // A mouse button went down on entry Row (-1: none), before the selection moves.
    void Pressed(int Row, Qt::MouseButton Button);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    int FItemHeight = 160 + 65;
    int FItemWidth = 160 + 26;
};
