#pragma once
// Frames written as separate picture files (GIF, JPEG or BMP), one file per
// frame named after the chosen path: "anim.gif" gives "animRX10.gif" for
// frame 0, "animRX12.gif" for frame 2. The document is only read.

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

class TGIFImage;

enum class TExportFormat { GIF = 0, JPEG = 1, BMP = 2 };

struct TExportOptions {
    TExportFormat Format = TExportFormat::GIF;
    // GIF: 0 web (216), 1 grey (256 shades), 2 black and white, 3 octree with
    // GifColors colours, 4 the 20 Windows system colours, 5 GifColors colours
    // fitted to the picture.
    int GifPalette = 5;
    int GifColors = 256;
    bool GifOptimized = true;
    int JpegQuality = 50;
    bool JpegGrayscale = false;
    bool JpegProgressive = false;
    bool JpegBestQuality = true;
    bool BmpMonochrome = false;
};

// "RX1" and the frame index go before the extension (whatever its length),
// or at the end when the name has none.
QString ExportFileName(const QString& Path, int Index);

// The JPEG quality of the track bar's positions 0..4: 100, 75, 50, 25, 1.
int JpegQualityAt(int Position);

// The octree colour depth for a colour count (256 -> 8 ... 8 -> 3).
int ColorBitsFor(int Colors);

// The picture written for a frame that cannot be had.
QImage PlaceholderPicture();

struct TExportResult {
    int Written = 0;
    QStringList Failed;  // files not written, or written as the placeholder
};

// Writes the listed frames; Step is called after each one.
TExportResult ExportFrames(const TGIFImage& Document, const std::vector<int>& Frames, const QString& Path,
                           const TExportOptions& Options, const std::function<void()>& Step = {});
