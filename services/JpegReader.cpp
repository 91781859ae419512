#include "services/JpegReader.h"

#include <QFile>

#include "raster/PixelBudget.h"

#include <csetjmp>
#include <cstdio>
#include <exception>
#include <algorithm>
#include <vector>

#include <jpeglib.h>

#include "services/JpegErrors.h"

namespace {
// Adobe CMYK files store inverted values; both kinds come back as CMYK.
void CmykRowToBgr(const JSAMPLE* in, std::uint8_t* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = static_cast<std::uint8_t>(y * k / 255);
        out[1] = static_cast<std::uint8_t>(m * k / 255);
        out[2] = static_cast<std::uint8_t>(c * k / 255);
    }
}

// Everything that can longjmp lives in here, with no C++ object whose
// destructor a jump would skip; the caller owns the row buffer and bitmap.
bool Decode(jpeg_decompress_struct& info, TJpegErrorManager& errors, const unsigned char* data, unsigned long size,
            TBitmap& bitmap, std::vector<JSAMPLE>& row, int fitEdge) {
    if (setjmp(errors.Return))
        return false;
    // Even naming the data can fail (an empty buffer), so it comes after setjmp.
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    // A few header bytes can declare 65535 x 65535; refuse before allocating.
    if (!DefaultPixelBudget.FrameFits(info.image_width, info.image_height)) {
        std::snprintf(errors.Message, sizeof errors.Message, "%s", ImageTooLargeText);
        return false;
    }
    if (fitEdge > 0) {
        // The largest reduction that keeps twice the fitted size.
        const unsigned longest = std::max(info.image_width, info.image_height);
        for (unsigned denom : {8u, 4u, 2u})
            if (longest / denom >= 2u * static_cast<unsigned>(fitEdge)) {
                info.scale_num = 1;
                info.scale_denom = denom;
                break;
            }
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    bitmap.SetSize(width, height);
    row.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(info.output_components));
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW target = cmyk ? row.data() : bitmap.ScanLine(y);
        jpeg_read_scanlines(&info, &target, 1);
        if (cmyk)
            CmykRowToBgr(row.data(), bitmap.ScanLine(y), width, inverted);
    }
    jpeg_finish_decompress(&info);
    return true;
}

TJpegReadResult Read(const unsigned char* data, unsigned long size, TBitmap& out, int fitEdge) {
    jpeg_decompress_struct info{};
    TJpegErrorManager errors{};
    info.err = jpeg_std_error(&errors.Public);
    errors.Public.error_exit = JpegErrorExit;
    errors.Public.output_message = JpegSilentMessage;
    jpeg_create_decompress(&info);

    TBitmap bitmap(0, 0, pf24bit);
    std::vector<JSAMPLE> row;
    bool ok = false;
    QString error;
    try {
        ok = Decode(info, errors, data, size, bitmap, row, fitEdge);
        if (!ok)
            error = QString::fromLocal8Bit(errors.Message);
    } catch (const std::exception& e) { // a size the machine cannot hold
        error = QString::fromLocal8Bit(e.what());
    }
    const int width = static_cast<int>(info.image_width), height = static_cast<int>(info.image_height);
    jpeg_destroy_decompress(&info);
    if (ok)
        out = std::move(bitmap);
    return {ok, error, ok ? width : 0, ok ? height : 0};
}
} // namespace

TJpegReadResult ReadJpegData(const unsigned char* Data, unsigned long Size, TBitmap& Bitmap, int FitEdge) {
    return Read(Data, Size, Bitmap, FitEdge);
}

TJpegReadResult ReadJpegFile(const QString& Path, TBitmap& Bitmap, int FitEdge) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return {false, file.errorString()};
    const QByteArray data = file.readAll();
    return Read(reinterpret_cast<const unsigned char*>(data.constData()),
                static_cast<unsigned long>(data.size()), Bitmap, FitEdge);
}
