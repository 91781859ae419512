// Draws the program's own artwork at build time: the splash picture and the
// JPEG and BMP sample pictures of the thumbnail browser's default folder.
// Usage: reelix_make_artwork <splash.png> <images folder>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>

namespace {

void DrawFilmStrip(QPainter& p, const QRectF& r) {
    p.fillRect(r, QColor(30, 30, 36));
    p.setBrush(QColor(235, 235, 225));
    p.setPen(Qt::NoPen);
    for (qreal x = r.left() + 6; x < r.right() - 8; x += 18)
        p.drawRoundedRect(QRectF(x, r.top() + 4, 9, 7), 2, 2);
}

QImage Splash() {
    QImage img(420, 260, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, img.height());
    sky.setColorAt(0, QColor(18, 52, 110));
    sky.setColorAt(1, QColor(94, 156, 214));
    p.fillRect(img.rect(), sky);
    DrawFilmStrip(p, QRectF(0, 0, img.width(), 15));
    DrawFilmStrip(p, QRectF(0, img.height() - 15, img.width(), 15));

    // A reel: the product's mark.
    const QPointF c(92, 130);
    QRadialGradient disc(c, 62);
    disc.setColorAt(0, QColor(250, 250, 250));
    disc.setColorAt(1, QColor(170, 180, 195));
    p.setBrush(disc);
    p.setPen(QPen(QColor(40, 40, 50), 3));
    p.drawEllipse(c, 60, 60);
    p.setBrush(QColor(18, 52, 110));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        const double a = i * M_PI / 3;
        p.drawEllipse(QPointF(c.x() + 34 * std::cos(a), c.y() + 34 * std::sin(a)), 14, 14);
    }
    p.setBrush(QColor(40, 40, 50));
    p.drawEllipse(c, 8, 8);

    p.setPen(Qt::white);
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(170, 70, 240, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Reelix 2.0"));
    QFont maker = title;
    maker.setPixelSize(16);
    maker.setBold(false);
    p.setFont(maker);
    p.drawText(QRectF(172, 44, 240, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Pellmark"));
    p.drawText(QRectF(172, 118, 240, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Animated GIF Editor"));
    QFont small = maker;
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(QColor(225, 235, 250));
    p.drawText(QRectF(172, 196, 240, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("\u00A9 Pellmark Software"));
    return img;
}

QImage Sunset() {
    QImage img(320, 200, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 130);
    sky.setColorAt(0, QColor(40, 30, 90));
    sky.setColorAt(0.6, QColor(240, 120, 60));
    sky.setColorAt(1, QColor(255, 210, 120));
    p.fillRect(QRect(0, 0, 320, 130), sky);
    p.setBrush(QColor(255, 240, 170));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(210, 125), 34, 34);
    QLinearGradient sea(0, 130, 0, 200);
    sea.setColorAt(0, QColor(60, 80, 140));
    sea.setColorAt(1, QColor(10, 20, 60));
    p.fillRect(QRect(0, 130, 320, 70), sea);
    QPainterPath hills;
    hills.moveTo(0, 140);
    hills.cubicTo(60, 90, 110, 150, 170, 132);
    hills.lineTo(170, 200);
    hills.lineTo(0, 200);
    p.fillPath(hills, QColor(20, 40, 30));
    return img;
}

QImage Shapes() {
    QImage img(160, 120, QImage::Format_RGB32);
    img.fill(QColor(255, 255, 240));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(220, 40, 40));
    p.drawEllipse(QRectF(12, 14, 60, 60));
    p.setBrush(QColor(40, 120, 220));
    p.drawRect(QRectF(84, 20, 60, 50));
    p.setBrush(QColor(250, 200, 30));
    p.drawPolygon(QPolygonF({QPointF(40, 110), QPointF(80, 80), QPointF(120, 110)}));
    return img;
}

QImage Checker() {
    QImage img(96, 96, QImage::Format_RGB32);
    QPainter p(&img);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            p.fillRect(x * 12, y * 12, 12, 12, (x + y) % 2 ? QColor(0, 128, 0) : QColor(250, 250, 250));
    return img;
}

bool Save(const QImage& img, const QString& path, const char* format, int quality = -1) {
    if (img.save(path, format, quality))
        return true;
    std::fprintf(stderr, "reelix_make_artwork: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

// The program's icon: a strip of film with a red ball on its middle frame.
QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 60));
    p.drawRoundedRect(QRectF(1 * s, 2 * s, 14 * s, 12 * s), 1.5 * s, 1.5 * s);
    p.setBrush(QColor(235, 235, 245));
    for (int i = 0; i < 5; ++i) {
        p.drawRect(QRectF((2 + i * 2.6) * s, 2.7 * s, 1.3 * s, 1.1 * s));
        p.drawRect(QRectF((2 + i * 2.6) * s, 12.2 * s, 1.3 * s, 1.1 * s));
    }
    p.setBrush(QColor(170, 210, 245));
    p.drawRect(QRectF(2.5 * s, 4.5 * s, 11 * s, 7 * s));
    p.setBrush(QColor(70, 140, 60));
    p.drawRect(QRectF(2.5 * s, 10 * s, 11 * s, 1.5 * s));
    p.setBrush(QColor(220, 40, 40));
    p.drawEllipse(QPointF(8 * s, 7.8 * s), 2.1 * s, 2.1 * s);
    p.end();
    return image;
}

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s <splash.png> <images folder> [<icons folder>]\n", argv[0]);
        return 2;
    }
    // Text needs a GUI application; the offscreen platform needs no display.
    int qtArgc = 3;
    char platformArg[] = "-platform";
    char offscreenArg[] = "offscreen";
    char* qtArgv[] = {argv[0], platformArg, offscreenArg, nullptr};
    QGuiApplication app(qtArgc, qtArgv);

    const QString images = QString::fromLocal8Bit(argv[2]);
    if (!QDir().mkpath(images)) {
        std::fprintf(stderr, "reelix_make_artwork: cannot create %s\n", argv[2]);
        return 1;
    }
    const QDir dir(images);
    bool ok = Save(Splash(), QString::fromLocal8Bit(argv[1]), "PNG");
    ok = Save(Sunset(), dir.filePath(QStringLiteral("Sunset.jpg")), "JPEG", 90) && ok;
    ok = Save(Shapes(), dir.filePath(QStringLiteral("Shapes.bmp")), "BMP") && ok;
    ok = Save(Checker(), dir.filePath(QStringLiteral("Checker.bmp")), "BMP") && ok;
    if (argc == 4) {
        const QDir icons(QString::fromLocal8Bit(argv[3]));
        QDir().mkpath(icons.path());
        for (int size : {16, 32, 48, 64, 128, 256})
            ok = Save(Icon(size), icons.filePath(QStringLiteral("reelix-%1.png").arg(size)), "PNG") && ok;
    }
    return ok ? 0 : 1;
}
