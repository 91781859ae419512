#include "controls/PictureViews.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

TPictureView::TPictureView(QWidget* Parent) : QWidget(Parent) {
    setMinimumSize(160, 120);
    setMouseTracking(true);
}

void TPictureView::SetPicture(const QImage& Picture) {
    FPicture = Picture;
    update();
}

QRectF TPictureView::Shown() const {
    if (FPicture.isNull())
        return {};
    // Small pictures grow by whole steps so pixels stay square; large ones shrink to fit.
    const double fit = std::min(double(width()) / FPicture.width(), double(height()) / FPicture.height());
    const double scale = fit >= 1 ? std::floor(fit) : fit;
    const QSizeF size(FPicture.width() * scale, FPicture.height() * scale);
    return {QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size};
}

QPointF TPictureView::ToPicture(const QPointF& At) const {
    const QRectF shown = Shown();
    if (shown.isEmpty())
        return {};
    return {(At.x() - shown.left()) * FPicture.width() / shown.width(),
            (At.y() - shown.top()) * FPicture.height() / shown.height()};
}

QPointF TPictureView::ToWidget(const QPointF& At) const {
    const QRectF shown = Shown();
    if (FPicture.isNull())
        return {};
    return {shown.left() + At.x() * shown.width() / FPicture.width(),
            shown.top() + At.y() * shown.height() / FPicture.height()};
}

void TPictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (FPicture.isNull())
        return;
    painter.drawImage(Shown(), FPicture);
    PaintOver(painter);
}

// ---- crop ----------------------------------------------------------------

TCropView::TCropView(QWidget* Parent) : TPictureView(Parent) {
    setCursor(Qt::CrossCursor);
}

void TCropView::SetArea(const QRect& Area) {
    FArea = Clamped(Area);
    update();
}

QRect TCropView::Clamped(QRect Area) const {
    const QRect whole = Picture().rect();
    const QRect inside = Area.normalized().intersected(whole);
    if (!inside.isEmpty() || whole.isEmpty())
        return inside;
    return {QPoint(std::clamp(Area.left(), 0, whole.width() - 1), std::clamp(Area.top(), 0, whole.height() - 1)), QSize(1, 1)};
}

void TCropView::PaintOver(QPainter& Painter) {
    const QRectF shown = Shown();
    const QRectF kept(ToWidget(FArea.topLeft()), ToWidget(FArea.topLeft() + QPoint(FArea.width(), FArea.height())));
    // Outside the rectangle dimmed; the rectangle outlined, with handles.
    QPainterPath outside;
    outside.addRect(shown);
    outside.addRect(kept);
    Painter.fillPath(outside, QColor(0, 0, 0, 130));
    Painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
    Painter.drawRect(kept.adjusted(0, 0, -1, -1));
    Painter.setPen(Qt::black);
    Painter.setBrush(Qt::white);
    for (double x : {kept.left(), kept.center().x(), kept.right()})
        for (double y : {kept.top(), kept.center().y(), kept.bottom()})
            if (x != kept.center().x() || y != kept.center().y())
                Painter.drawRect(QRectF(x - 3, y - 3, 6, 6));
}

int TCropView::EdgesAt(const QPointF& At) const {
    const QRectF kept(ToWidget(FArea.topLeft()), ToWidget(FArea.topLeft() + QPoint(FArea.width(), FArea.height())));
    constexpr double grip = 5;
    if (!kept.adjusted(-grip, -grip, grip, grip).contains(At))
        return 0;
    int edges = 0;
    if (std::abs(At.x() - kept.left()) <= grip) edges |= 1;
    if (std::abs(At.y() - kept.top()) <= grip) edges |= 2;
    if (std::abs(At.x() - kept.right()) <= grip) edges |= 4;
    if (std::abs(At.y() - kept.bottom()) <= grip) edges |= 8;
    return edges ? edges : 15;
}

void TCropView::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton || Picture().isNull())
        return;
    FStart = ToPicture(Event->position());
    FEdges = EdgesAt(Event->position());
    // Outside the rectangle, or inside it while it still holds the whole
    // picture (nothing to move), a drag draws a new one.
    if (FEdges == 0 || (FEdges == 15 && FArea == Picture().rect())) {
        FEdges = 4 | 8;
        FArea = Clamped(QRect(FStart.toPoint(), QSize(1, 1)));
    }
    FStartArea = FArea;
}

void TCropView::mouseMoveEvent(QMouseEvent* Event) {
    if (!(Event->buttons() & Qt::LeftButton) || FEdges == 0)
        return;
    const QPointF now = ToPicture(Event->position());
    const int dx = int(std::lround(now.x() - FStart.x())), dy = int(std::lround(now.y() - FStart.y()));
    QRect area = FStartArea;
    if (FEdges == 15) {
        area.moveTo(std::clamp(area.left() + dx, 0, Picture().width() - area.width()),
                    std::clamp(area.top() + dy, 0, Picture().height() - area.height()));
    } else {
        int left = area.left(), top = area.top(), right = area.left() + area.width(), bottom = area.top() + area.height();
        if (FEdges & 1) left += dx;
        if (FEdges & 2) top += dy;
        if (FEdges & 4) right += dx;
        if (FEdges & 8) bottom += dy;
        area = QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                     QSize(std::max(1, std::abs(right - left)), std::max(1, std::abs(bottom - top))));
    }
    FArea = Clamped(area);
    update();
    emit AreaChanged(FArea);
}

void TCropView::mouseReleaseEvent(QMouseEvent*) {
    FEdges = 0;
}

// ---- caption ---------------------------------------------------------------

TOverlayView::TOverlayView(QWidget* Parent) : TPictureView(Parent) {
    setCursor(Qt::OpenHandCursor);
}

void TOverlayView::SetOverlay(const QImage& Overlay, const QPoint& At) {
    FOverlay = Overlay;
    FAt = At;
    update();
}

void TOverlayView::PaintOver(QPainter& Painter) {
    if (FOverlay.isNull())
        return;
    Painter.setClipRect(Shown());
    Painter.drawImage(QRectF(ToWidget(FAt), ToWidget(FAt + QPoint(FOverlay.width(), FOverlay.height()))), FOverlay);
}

void TOverlayView::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton || Picture().isNull())
        return;
    const QPointF at = ToPicture(Event->position());
    FDragging = true;
    // Grabbed where it was pressed; a press beside it brings its centre there.
    const QRectF over(FAt, FOverlay.size());
    FGrab = over.contains(at) ? at - QPointF(FAt) : QPointF(FOverlay.width() / 2.0, FOverlay.height() / 2.0);
    mouseMoveEvent(Event);
}

void TOverlayView::mouseMoveEvent(QMouseEvent* Event) {
    if (!FDragging || !(Event->buttons() & Qt::LeftButton))
        return;
    FAt = (ToPicture(Event->position()) - FGrab).toPoint();
    update();
    emit Moved(FAt);
}
