#include "imaging/PictureReader.h"

#include <QImage>
#include <QImageReader>
#include <QString>

#include "color/PaletteFit.h"
#include "raster/PixelBudget.h"

TPackedPicture PackRGBA(const std::uint8_t* p, int width, int height) {
    TPackedPicture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Pixels.resize(std::size_t(width) * std::size_t(height));
    for (std::uint32_t& value : picture.Pixels) {
        if (p[3] < 128) {
            value = kClear;
            picture.HasClear = true;
        } else {
            value = std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
        }
        p += 4;
    }
    return picture;
}

bool ReadPackedPicture(const std::string& path, TPackedPicture& picture, std::string& error) {
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    // Moving pictures are the video reader's.
    if (reader.supportsAnimation() && reader.imageCount() > 1) {
        error = "An animation, not a still picture";
        return false;
    }
    const QSize size = reader.size();
    if (size.isValid() && !DefaultPixelBudget.FrameFits(std::uint64_t(size.width()), std::uint64_t(size.height()))) {
        error = ImageTooLargeText;
        return false;
    }
    QImage image = reader.read();
    if (image.isNull()) {
        error = reader.error() == QImageReader::UnsupportedFormatError ? "Unknown picture format"
                                                                        : reader.errorString().toStdString();
        return false;
    }
    image.convertTo(QImage::Format_RGBA8888);
    std::vector<std::uint8_t> rows(std::size_t(image.width()) * std::size_t(image.height()) * 4);
    for (int y = 0; y < image.height(); ++y)
        std::copy_n(image.constScanLine(y), std::size_t(image.width()) * 4, &rows[std::size_t(y) * std::size_t(image.width()) * 4]);
    picture = PackRGBA(rows.data(), image.width(), image.height());
    return true;
}
