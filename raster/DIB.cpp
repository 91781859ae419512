#include "raster/DIB.h"
#include "raster/PixelBudget.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "raster/GIFException.h"
#include "raster/Canvas.h"
#include "raster/SystemPalettes.h"

namespace {

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t Get16(const std::uint8_t* p) { return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8); }
std::uint32_t Get32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

[[noreturn]] void Invalid() { throw GIFException("Bitmap image is not valid"); }

int DIBBits(TPixelFormat format) {
    if (format == pf32bit) throw GIFException("Unsupported PixelFormat");
    return BitsPerPixel(format);
}

// The 40-byte info header: width, height (positive: bottom-up), 1 plane, bits,
// no compression, image size, resolution 0, colours used and important.
void WriteInfoHeader(std::uint8_t* p, int width, int height, int bits, std::uint32_t imageSize, std::uint32_t used,
                     std::uint32_t important) {
    std::memset(p, 0, kDIBInfoHeaderSize);
    Put32(p, kDIBInfoHeaderSize);
    Put32(p + 4, static_cast<std::uint32_t>(width));
    Put32(p + 8, static_cast<std::uint32_t>(height));
    Put16(p + 12, 1);
    Put16(p + 14, static_cast<std::uint32_t>(bits));
    Put32(p + 20, imageSize);
    Put32(p + 32, used);
    Put32(p + 36, important);
}

// Palette entries (red-green-blue-flags) into DIB quads (blue-green-red-zero).
void WriteColorTable(std::uint8_t* p, const TPalette& palette, int entries) {
    std::memset(p, 0, static_cast<std::size_t>(entries) * 4);
    for (int i = 0; i < std::min(entries, palette.Count()); ++i) {
        p[4 * i] = palette[i].blue;
        p[4 * i + 1] = palette[i].green;
        p[4 * i + 2] = palette[i].red;
    }
}

// The bitmap in the wanted format and palette, converted only when it differs.
TBitmap Converted(const TBitmap& bitmap, const TPalette* palette, TPixelFormat format) {
    const bool paletted = IsPaletted(format);
    const int capacity = 1 << std::min(BitsPerPixel(format), 8);
    TPalette target;
    if (paletted) {
        if (palette)
            target = *palette;
        else if (IsPaletted(bitmap.PixelFormat()) && bitmap.Palette().Count() > 0 &&
                 bitmap.Palette().Count() <= capacity)
            target = bitmap.Palette();
        else
            target = DefaultPaletteForBits(BitsPerPixel(format));
        if (target.Count() > capacity) target.Entries().resize(static_cast<std::size_t>(capacity));
    }
    if (bitmap.PixelFormat() == format && (!paletted || bitmap.Palette() == target)) return bitmap;
    TBitmap out(bitmap.Width(), bitmap.Height(), format);
    if (paletted) out.SetPalette(target);
    TCanvas(out).StretchDraw(out.BoundsRect(), bitmap);
    return out;
}

}  // namespace

TDIBReader::TDIBReader(TBitmap& bitmap, TPixelFormat format) : TDIB(bitmap, format) {
    if (bitmap.PixelFormat() != format) bitmap.SetPixelFormat(format);
}

TDIBWriter::TDIBWriter(TBitmap& bitmap, const TPalette* palette, int height, int width, TPixelFormat format)
    : TDIB(bitmap, format), palette_(palette), height_(height), width_(width) {
    if (format != pf8bit && format != pf24bit) throw GIFException("Unsupported PixelFormat");
    if (width <= 0 || height <= 0) throw GIFException("Invalid image dimensions");
}

TDIBWriter::~TDIBWriter() {
    if (bits_.empty()) return;
    // Hand the DIB over as a bitmap file image, the one form a bitmap loads
    // itself from. A destructor must not throw: a failure leaves the bitmap as is.
    try {
        std::vector<std::uint8_t> file(kDIBFileHeaderSize + header_.size() + bits_.size());
        file[0] = 'B';
        file[1] = 'M';
        Put32(&file[2], static_cast<std::uint32_t>(file.size()));
        Put32(&file[10], static_cast<std::uint32_t>(kDIBFileHeaderSize + header_.size()));
        std::memcpy(&file[kDIBFileHeaderSize], header_.data(), header_.size());
        std::memcpy(&file[kDIBFileHeaderSize + header_.size()], bits_.data(), bits_.size());
        bits_.clear();
        bits_.shrink_to_fit();
        LoadDIBFile(bitmap_, file);
        // The colour table is padded to 256 entries; the bitmap's palette is the
        // one it was written with, so that palettes taken from it keep their size.
        if (format_ == pf8bit && palette_ && palette_->Count() > 0 && palette_->Count() < bitmap_.Palette().Count()) {
            TPalette trimmed = bitmap_.Palette();
            trimmed.Entries().resize(static_cast<std::size_t>(palette_->Count()));
            bitmap_.SetPalette(trimmed);
        }
    } catch (...) {
    }
}

void TDIBWriter::BuildDIB() {
    const int bits = BitsPerPixel(format_);
    stride_ = DIBStride(width_, bits);
    const bool paletted = format_ == pf8bit;
    try {
        header_.assign(kDIBInfoHeaderSize + (paletted ? 256 * 4 : 0), 0);
        const int paletteCount = palette_ ? std::min(palette_->Count(), 256) : 0;
        WriteInfoHeader(header_.data(), width_, height_, bits, 0, paletted ? 256 : 0,
                        paletted ? static_cast<std::uint32_t>(paletteCount) : 0);
        if (paletted && palette_) WriteColorTable(header_.data() + kDIBInfoHeaderSize, *palette_, 256);
        bits_.assign(stride_ * static_cast<std::size_t>(height_), 0);
    } catch (const std::bad_alloc&) {
        header_.clear();
        bits_.clear();
        throw EGIFOutOfMemory("Failed to allocate memory for GIF DIB");
    }
}

std::uint8_t* TDIBWriter::ScanLine(int row) {
    // The range check comes first so a bad row never leaves a half-used DIB
    // that the destructor would hand over.
    if (row < 0 || row >= height_) throw GIFException("Scan line index out of range");
    if (bits_.empty()) BuildDIB();
    if (bits_.empty()) throw GIFException("Image has no DIB");
    return bits_.data() + static_cast<std::size_t>(height_ - 1 - row) * stride_;
}

TDIBMeasure MeasureDIB(const TBitmap* bitmap, TPixelFormat format) {
    if (!bitmap) Invalid();
    const int bits = DIBBits(format);
    // Our bitmaps never carry bit-field colour masks, so true colour headers
    // are always the plain 40 bytes.
    TDIBMeasure m;
    m.headerSize = kDIBInfoHeaderSize + (bits <= 8 ? 4u * (1u << bits) : 0u);
    m.imageSize = DIBStride(bitmap->Width(), bits) * static_cast<std::size_t>(bitmap->Height());
    return m;
}

bool CopyDIB(const TBitmap* bitmap, const TPalette* palette, std::span<std::uint8_t> header,
             std::span<std::uint8_t> bits, TPixelFormat format) {
    const TDIBMeasure m = MeasureDIB(bitmap, format);
    if (header.size() < m.headerSize || bits.size() < m.imageSize) return false;
    const int bpp = BitsPerPixel(format);
    const TBitmap image = Converted(*bitmap, palette, format);
    const int entries = bpp <= 8 ? 1 << bpp : 0;
    WriteInfoHeader(header.data(), image.Width(), image.Height(), bpp, static_cast<std::uint32_t>(m.imageSize), 0, 0);
    if (entries) WriteColorTable(header.data() + kDIBInfoHeaderSize, image.Palette(), entries);
    const std::size_t stride = DIBStride(image.Width(), bpp);
    for (int y = 0; y < image.Height(); ++y)
        std::memcpy(bits.data() + static_cast<std::size_t>(image.Height() - 1 - y) * stride, image.ScanLine(y), stride);
    return true;
}

std::vector<std::uint8_t> SaveDIBFile(const TBitmap& bitmap, TPixelFormat format) {
    const TDIBMeasure m = MeasureDIB(&bitmap, format);
    std::vector<std::uint8_t> file(kDIBFileHeaderSize + m.headerSize + m.imageSize);
    file[0] = 'B';
    file[1] = 'M';
    Put32(&file[2], static_cast<std::uint32_t>(file.size()));
    Put32(&file[10], static_cast<std::uint32_t>(kDIBFileHeaderSize + m.headerSize));
    std::span<std::uint8_t> all(file);
    CopyDIB(&bitmap, nullptr, all.subspan(kDIBFileHeaderSize, m.headerSize),
            all.subspan(kDIBFileHeaderSize + m.headerSize), format);
    return file;
}

namespace {

// Parses an info header + colour table + bits; `bitsOffset` is where the bits
// start counted from the info header (0 = right after the colour table).
void LoadInfo(TBitmap& bitmap, std::span<const std::uint8_t> dib, std::size_t bitsOffset) {
    if (dib.size() < kDIBInfoHeaderSize) Invalid();
    const std::uint8_t* p = dib.data();
    const std::uint32_t headerSize = Get32(p);
    if (headerSize < kDIBInfoHeaderSize || headerSize > dib.size()) Invalid();
    const auto width = static_cast<std::int32_t>(Get32(p + 4));
    const auto rawHeight = static_cast<std::int32_t>(Get32(p + 8));
    const std::uint32_t bits = Get16(p + 14);
    const std::uint32_t compression = Get32(p + 16);
    std::uint32_t used = Get32(p + 32);
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN || width > 65535) Invalid();
    const bool topDown = rawHeight < 0;
    const int height = topDown ? -rawHeight : rawHeight;
    if (height > 65535) Invalid();
    if (!DefaultPixelBudget.FrameFits(std::uint64_t(width), std::uint64_t(height))) throw GIFException(ImageTooLargeText);
    TPixelFormat format;
    switch (bits) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 24: format = pf24bit; break;
    case 32: format = pf32bit; break;
    default: Invalid();
    }
    // Bit-field masks (compression 3) are accepted only in their standard
    // blue-green-red layout, which is how 32-bit DIBs usually come.
    std::size_t tableOffset = headerSize;
    if (compression == 3 && bits == 32 && headerSize == kDIBInfoHeaderSize) {
        if (dib.size() < tableOffset + 12) Invalid();
        if (Get32(p + 40) != 0xFF0000u || Get32(p + 44) != 0xFF00u || Get32(p + 48) != 0xFFu) Invalid();
        tableOffset += 12;
    } else if (compression != 0 && !(compression == 3 && bits == 32)) {
        Invalid();
    }
    TPalette palette;
    if (bits <= 8) {
        const std::uint32_t maxEntries = 1u << bits;
        if (used == 0 || used > maxEntries) used = maxEntries;
        if (dib.size() < tableOffset + used * 4) Invalid();
        std::vector<TPaletteEntry> entries(used);
        for (std::uint32_t i = 0; i < used; ++i) {
            const std::uint8_t* q = p + tableOffset + 4 * i;
            entries[i] = {q[2], q[1], q[0], 0};
        }
        palette = TPalette(std::move(entries));
        tableOffset += used * 4;
    } else {
        tableOffset += static_cast<std::size_t>(std::min<std::uint32_t>(used, 256)) * 4;
    }
    const std::size_t start = bitsOffset ? bitsOffset : tableOffset;
    const std::size_t stride = DIBStride(width, static_cast<int>(bits));
    if (start > dib.size() || (dib.size() - start) / stride < static_cast<std::size_t>(height)) Invalid();

    TBitmap out(width, height, format);
    if (bits <= 8) out.SetPalette(palette);
    const std::size_t rowBytes = std::min(stride, out.Stride());
    for (int y = 0; y < height; ++y) {
        const int fileRow = topDown ? y : height - 1 - y;
        std::memcpy(out.ScanLine(y), p + start + static_cast<std::size_t>(fileRow) * stride, rowBytes);
    }
    bitmap = std::move(out);
}

}  // namespace

void LoadDIBFile(TBitmap& bitmap, std::span<const std::uint8_t> data) {
    if (data.size() < kDIBFileHeaderSize + kDIBInfoHeaderSize || data[0] != 'B' || data[1] != 'M') Invalid();
    const std::uint32_t offset = Get32(data.data() + 10);
    if (offset < kDIBFileHeaderSize + kDIBInfoHeaderSize || offset > data.size()) Invalid();
    LoadInfo(bitmap, data.subspan(kDIBFileHeaderSize), offset - kDIBFileHeaderSize);
}

void LoadPackedDIB(TBitmap& bitmap, std::span<const std::uint8_t> data) { LoadInfo(bitmap, data, 0); }
