#include "controls/ByteChart.h"

#include <QHelpEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

TByteChart::TByteChart(QWidget* Parent) : QWidget(Parent) {
    setObjectName(QStringLiteral("chtBytes"));
    setMinimumHeight(60);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void TByteChart::SetBytes(std::vector<std::uint64_t> Bytes) {
    FBytes = std::move(Bytes);
    update();
}

void TByteChart::SetAfter(std::vector<std::uint64_t> After) {
    FAfter = std::move(After);
    update();
}

int TByteChart::FrameAt(int X) const {
    if (FBytes.empty() || width() <= 0)
        return -1;
    const int frame = int(std::int64_t(X) * std::int64_t(FBytes.size()) / width());
    return frame >= 0 && frame < int(FBytes.size()) ? frame : -1;
}

void TByteChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (FBytes.empty())
        return;
    std::uint64_t most = 1;
    for (const auto* series : {&FBytes, &FAfter})
        for (std::uint64_t b : *series)
            most = std::max(most, b);
    const double step = double(width()) / double(FBytes.size());
    auto bar = [&](std::size_t i, std::uint64_t bytes, double inset, const QColor& color) {
        const double h = double(height() - 2) * double(bytes) / double(most);
        const double left = i * step + inset, w = std::max(1.0, step - 2 * inset);
        painter.fillRect(QRectF(left, height() - h, w, h), color);
    };
    const QColor before = palette().highlight().color();
    for (std::size_t i = 0; i < FBytes.size(); ++i)
        bar(i, FBytes[i], step > 3 ? 0.5 : 0, FAfter.empty() ? before : before.lighter(150));
    for (std::size_t i = 0; i < FAfter.size() && i < FBytes.size(); ++i)
        bar(i, FAfter[i], step > 3 ? step / 4 : 0, before.darker(130));
}

void TByteChart::mousePressEvent(QMouseEvent* Event) {
    const int frame = FrameAt(int(Event->position().x()));
    if (frame >= 0)
        emit FrameClicked(frame);
}

bool TByteChart::event(QEvent* Event) {
    if (Event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(Event);
        const int frame = FrameAt(help->pos().x());
        if (frame < 0) {
            QToolTip::hideText();
            return true;
        }
        QString text = QStringLiteral("Frame %1: %2 bytes").arg(frame).arg(QLocale().toString(qulonglong(FBytes[std::size_t(frame)])));
        if (std::size_t(frame) < FAfter.size())
            text += QStringLiteral(", %1 after").arg(QLocale().toString(qulonglong(FAfter[std::size_t(frame)])));
        QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(Event);
}
