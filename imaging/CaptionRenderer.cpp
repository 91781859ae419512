#include "imaging/CaptionRenderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

QColor ToQColor(std::uint32_t rgb) { return QColor(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF); }

}  // namespace

TRGBAPicture RenderCaption(const TCaptionStyle& style) {
    const QStringList lines = QString::fromStdString(style.Text).split(QLatin1Char('\n'));
    if (style.Text.empty() || !QGuiApplication::instance()) return {};
    QFont font(QString::fromStdString(style.Font));
    font.setPixelSize(std::clamp(style.PixelSize, 4, 1000));
    font.setBold(style.Bold);
    const QFontMetrics metrics(font);
    const int outline = std::clamp(style.OutlineWidth, 0, 50);
    QPainterPath path;
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    for (int i = 0; i < lines.size(); ++i) {
        const int x = (widest - metrics.horizontalAdvance(lines[i])) / 2;
        path.addText(x, metrics.ascent() + i * metrics.lineSpacing(), font, lines[i]);
    }
    const QRectF bounds = path.boundingRect().adjusted(-outline - 1, -outline - 1, outline + 1, outline + 1);
    if (bounds.isEmpty()) return {};
    QImage image(int(std::ceil(bounds.width())), int(std::ceil(bounds.height())), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-bounds.topLeft());
        if (outline > 0)
            painter.strokePath(path, QPen(ToQColor(style.OutlineColor), 2.0 * outline, Qt::SolidLine, Qt::RoundCap,
                                          Qt::RoundJoin));
        painter.fillPath(path, ToQColor(style.Color));
    }
    const QImage straight = image.convertToFormat(QImage::Format_RGBA8888);
    TRGBAPicture picture(straight.width(), straight.height());
    for (int y = 0; y < straight.height(); ++y)
        std::copy_n(straight.constScanLine(y), std::size_t(straight.width()) * 4, picture.Pixel(0, y));
    return picture;
}

void EnsureFontSystem() {
    if (QGuiApplication::instance()) return;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // One for the process, as Qt requires, living until it ends.
    static int argc = 1;
    static char name[] = "reelix-tool";
    static char* argv[] = {name, nullptr};
    static const std::unique_ptr<QGuiApplication> application = std::make_unique<QGuiApplication>(argc, argv);
}
