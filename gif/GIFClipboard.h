#pragma once
// An image's clipboard data, independent of any clipboard: a bitmap (what
// every program can paste) and, for programs that know it, the complete GIF
// file under the format "GIF Image", which carries the whole animation. The
// system clipboard adapter in services moves this data to and from
// the real clipboard.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "raster/Bitmap.h"

// The format names of the two parts.
inline constexpr const char* GIFClipboardFormat = "GIF Image";
inline constexpr const char* BitmapClipboardFormat = "Bitmap";

struct TGIFClipboardData {
    TBitmap bitmap;                 // the bitmap part; empty when absent
    std::vector<std::uint8_t> gif;  // the GIF file part; empty when absent

    bool HasBitmap() const { return !bitmap.Empty(); }
    bool HasGIF() const { return !gif.empty(); }
};

// Where LoadFromClipboardFormat gets data when it is given none: fills `data`
// with the clipboard's data for `format` and answers whether there was any.
// Installed by the clipboard adapter (one system clipboard per process).
using TGIFClipboardReader = std::function<bool(const std::string& format, TGIFClipboardData& data)>;
void SetGIFClipboardReader(TGIFClipboardReader reader);

class TGIFImage;

// TGIFImage::SaveToClipboardFormat: the image's flat picture and its GIF file.
void SaveImageToClipboard(TGIFImage& image, TGIFClipboardData& data);
// TGIFImage::LoadFromClipboardFormat: replaces the image by the clipboard data of
// `format` (given, or read through the installed reader when null); damaged
// data raises an error and leaves the image as it was.
void LoadImageFromClipboard(TGIFImage& image, const std::string& format, const TGIFClipboardData* data);
