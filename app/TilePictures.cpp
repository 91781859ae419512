#include "app/TilePictures.h"

#include "gif/GIFImage.h"
#include "painter/GIFCompositor.h"

#include <QPainter>
#include <algorithm>

QImage FitToTile(const QImage& Picture, int Size) {
    const int w = Picture.width();
    const int h = Picture.height();
    if (w > Size + 1 || h > Size + 1) {
        const QSize fitted = w >= h ? QSize(Size, std::max(1, qRound(double(h) * Size / w)))
                                    : QSize(std::max(1, qRound(double(w) * Size / h)), Size);
        return Picture.convertToFormat(QImage::Format_RGB32).scaled(fitted, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    return Picture.convertToFormat(QImage::Format_RGB32);
}

namespace {

// One composed screen over Background, at its own size.
QImage ScreenOver(const TBitmap& Screen, const QColor& Background, std::vector<std::uint8_t>& Rgba) {
    TGIFCompositor::ToRGBA(Screen, Rgba);
    const QImage shown(Rgba.data(), Screen.Width(), Screen.Height(), Screen.Width() * 4, QImage::Format_RGBA8888);
    QImage picture(shown.size(), QImage::Format_RGB32);
    picture.fill(Background);
    QPainter p(&picture);
    p.drawImage(0, 0, shown);
    return picture;
}

} // namespace

std::vector<QImage> ComposedTiles(const TGIFImage& Image, const QColor& Background, int Size) {
    // One pass over the animation, as a browser shows it, each screen made a tile.
    std::vector<QImage> tiles(static_cast<std::size_t>(Image.Frames().Count()));
    TGIFImage copy;
    copy.Assign(&Image);
    std::vector<std::uint8_t> rgba;
    TGIFCompositor(copy).Run([&](int index, const TBitmap& screen) {
        if (index < 0 || index >= int(tiles.size()))
            return;
        tiles[static_cast<std::size_t>(index)] = FitToTile(ScreenOver(screen, Background, rgba), Size);
    });
    return tiles;
}

QImage ComposedScreen(const TGIFImage& Image, int Index, const QColor& Background) {
    QImage picture;
    TGIFImage copy;
    copy.Assign(&Image);
    std::vector<std::uint8_t> rgba;
    TGIFCompositor compositor(copy);
    compositor.KeepGoing = [&picture] { return picture.isNull(); };
    compositor.Run([&](int index, const TBitmap& screen) {
        if (index == Index)
            picture = ScreenOver(screen, Background, rgba);
    });
    return picture;
}

void DrawTileDelay(QPainter& Painter, const QRect& Strip, const TGIFSubImage& Frame, const QColor& Text) {
    const TGIFGraphicControlExtension* control = Frame.ControlExtension();
    if (!control)
        return;
    const int delay = control->DelayTime;
    const QString text = QStringLiteral("%1 cs").arg(delay);
    const QPen pen = Painter.pen();
    if (delay <= 1) {
        const int width = Painter.fontMetrics().horizontalAdvance(text) + 6;
        const QRect mark(Strip.right() - width, Strip.top() + 1, width, Strip.height() - 2);
        Painter.fillRect(mark, QColor(255, 200, 0));
        Painter.setPen(Qt::black);
        Painter.drawText(mark, Qt::AlignCenter, text);
    } else {
        Painter.setPen(Text);
        Painter.drawText(Strip.adjusted(0, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, text);
    }
    Painter.setPen(pen);
}
