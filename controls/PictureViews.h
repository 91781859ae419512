#pragma once
// A picture shown fitted into the widget, and what the picture tools draw on
// it: a crop rectangle with handles, or a caption dragged into place. Both
// work in the picture's own pixels.

#include <QImage>
#include <QRect>
#include <QWidget>

class TPictureView : public QWidget {
    Q_OBJECT
public:
    explicit TPictureView(QWidget* Parent = nullptr);
    void SetPicture(const QImage& Picture);
    const QImage& Picture() const { return FPicture; }
    QSize sizeHint() const override { return {480, 360}; }

protected:
    // Where the picture lies in the widget, and the mapping both ways.
    QRectF Shown() const;
    QPointF ToPicture(const QPointF& At) const;
    QPointF ToWidget(const QPointF& At) const;
    void paintEvent(QPaintEvent*) override;
    // What the tool draws over the picture (widget coordinates).
    virtual void PaintOver(QPainter&) {}

private:
    QImage FPicture;
};

// The rectangle to keep: dragged out anew, moved from inside, or resized by
// its edges and corners; always within the picture and at least 1 x 1.
class TCropView final : public TPictureView {
    Q_OBJECT
public:
    explicit TCropView(QWidget* Parent = nullptr);
    QRect Area() const { return FArea; }
    void SetArea(const QRect& Area);  // no signal

signals:
    void AreaChanged(const QRect& Area);

protected:
    void PaintOver(QPainter& Painter) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    // Which edges a drag moves: bits left 1, top 2, right 4, bottom 8; all
    // four move the whole rectangle.
    int EdgesAt(const QPointF& At) const;
    QRect Clamped(QRect Area) const;

    QRect FArea;
    int FEdges = 0;
    QPointF FStart;
    QRect FStartArea;
};

// A caption over the picture, at a place in picture pixels; dragging it moves it.
class TOverlayView final : public TPictureView {
    Q_OBJECT
public:
    explicit TOverlayView(QWidget* Parent = nullptr);
    void SetOverlay(const QImage& Overlay, const QPoint& At);
    QPoint At() const { return FAt; }

signals:
    void Moved(const QPoint& At);

protected:
    void PaintOver(QPainter& Painter) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;

private:
    QImage FOverlay;
    QPoint FAt;
    QPointF FGrab;  // where in the overlay the mouse holds it, in picture pixels
    bool FDragging = false;
};
