#include "services/JpegWriter.h"

#include <csetjmp>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "services/JpegErrors.h"

namespace {
// Everything that can longjmp lives here, with no C++ object a jump would
// skip; the caller owns the rows and the output buffer.
bool Encode(jpeg_compress_struct& info, TJpegErrorManager& errors, const std::vector<JSAMPLE>& rgb, int width, int height,
            const TJpegOptions& options, unsigned char** out, unsigned long* size) {
    if (setjmp(errors.Return))
        return false;
    jpeg_mem_dest(&info, out, size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    if (options.Grayscale)
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    jpeg_set_quality(&info, options.Quality, TRUE);
    info.dct_method = options.BestQuality ? JDCT_ISLOW : JDCT_IFAST;
    if (options.Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(rgb.data() + std::size_t(info.next_scanline) * std::size_t(width) * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}
} // namespace

QByteArray EncodeJpeg(const QImage& Picture, const TJpegOptions& Options, QString* Error) {
    if (Picture.isNull()) {
        if (Error)
            *Error = QStringLiteral("Nothing to write");
        return {};
    }
    const QImage rgb = Picture.convertToFormat(QImage::Format_RGB888);
    const int width = rgb.width(), height = rgb.height();
    std::vector<JSAMPLE> rows(std::size_t(width) * std::size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        std::copy_n(rgb.constScanLine(y), std::size_t(width) * 3, rows.data() + std::size_t(y) * std::size_t(width) * 3);

    jpeg_compress_struct info{};
    TJpegErrorManager errors{};
    info.err = jpeg_std_error(&errors.Public);
    errors.Public.error_exit = JpegErrorExit;
    errors.Public.output_message = JpegSilentMessage;
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const bool ok = Encode(info, errors, rows, width, height, Options, &out, &size);
    jpeg_destroy_compress(&info);
    QByteArray bytes;
    if (ok)
        bytes = QByteArray(reinterpret_cast<const char*>(out), qsizetype(size));
    else if (Error)
        *Error = QString::fromLocal8Bit(errors.Message);
    std::free(out);
    return bytes;
}
