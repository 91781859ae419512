#include "raster/Bitmap.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "raster/GIFException.h"
#include "raster/SystemPalettes.h"

namespace {

// Upper bound on one bitmap's pixel buffer; larger requests are refused rather
// than attempted (a corrupt size must not exhaust memory).
constexpr std::size_t kMaxBitsBytes = std::size_t{1} << 31;

std::uint32_t ReadIndex(const std::uint8_t* row, int x, TPixelFormat f) {
    switch (f) {
    case pf1bit: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case pf4bit: return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    case pf8bit: return row[x];
    case pf24bit: return RGBColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case pf32bit: return RGBColor(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    }
    return 0;
}

void WriteIndex(std::uint8_t* row, int x, TPixelFormat f, std::uint32_t v) {
    switch (f) {
    case pf1bit: {
        const auto bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
        row[x >> 3] = static_cast<std::uint8_t>((v & 1u) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
        break;
    }
    case pf4bit: {
        std::uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0u) | (v & 0x0Fu))
                    : static_cast<std::uint8_t>((b & 0x0Fu) | ((v & 0x0Fu) << 4));
        break;
    }
    case pf8bit: row[x] = static_cast<std::uint8_t>(v); break;
    case pf24bit:
        row[3 * x] = BlueOf(v);
        row[3 * x + 1] = GreenOf(v);
        row[3 * x + 2] = RedOf(v);
        break;
    case pf32bit:
        row[4 * x] = BlueOf(v);
        row[4 * x + 1] = GreenOf(v);
        row[4 * x + 2] = RedOf(v);
        row[4 * x + 3] = 0;
        break;
    }
}

TColorRef EntryColor(const TPaletteEntry& e) { return RGBColor(e.red, e.green, e.blue); }

// Nearest palette entry by squared RGB distance; the first of equals wins.
// Remembers the last colour answered in each 5-5-5 cell (an exact match is
// required), so a picture's repeated colours cost one table read.
class TNearestEntry {
public:
    explicit TNearestEntry(const TPalette& palette) : palette_(palette), memoColor_(32768, kNone), memoIndex_(32768, 0) {}
    std::uint32_t operator()(TColorRef c) {
        const std::size_t cell = ((c >> 3) & 0x1Fu) | ((c >> 6) & 0x3E0u) | ((c >> 9) & 0x7C00u);
        if (memoColor_[cell] == c) return memoIndex_[cell];
        const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
        int best = 0;
        int bestDist = std::numeric_limits<int>::max();
        for (int i = 0; i < palette_.Count(); ++i) {
            const TPaletteEntry& e = palette_[i];
            const int dr = r - e.red, dg = g - e.green, db = b - e.blue;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDist) {
                bestDist = d;
                best = i;
                if (d == 0) break;
            }
        }
        memoColor_[cell] = c;
        memoIndex_[cell] = static_cast<std::uint8_t>(best);
        return static_cast<std::uint32_t>(best);
    }

private:
    static constexpr TColorRef kNone = 0xFFFFFFFFu;  // no colour value has its top byte set
    const TPalette& palette_;
    std::vector<TColorRef> memoColor_;
    std::vector<std::uint8_t> memoIndex_;
};

// Writes true colour rows of `out` (24 or 32 bits, same size) from `in`.
void ConvertToTrueColor(const TBitmap& in, TBitmap& out) {
    const int width = in.Width();
    const std::size_t outStep = out.PixelFormat() == pf32bit ? 4 : 3;
    std::array<std::uint8_t, 256 * 3> table{};  // blue, green, red per index
    if (IsPaletted(in.PixelFormat())) {
        const TPalette& pal = in.Palette();
        for (int i = 0; i < std::min(pal.Count(), 256); ++i) {
            table[static_cast<std::size_t>(3 * i)] = pal[i].blue;
            table[static_cast<std::size_t>(3 * i + 1)] = pal[i].green;
            table[static_cast<std::size_t>(3 * i + 2)] = pal[i].red;
        }
    }
    for (int y = 0; y < in.Height(); ++y) {
        const std::uint8_t* s = in.ScanLine(y);
        std::uint8_t* d = out.ScanLine(y);
        switch (in.PixelFormat()) {
        case pf24bit:
        case pf32bit: {
            const std::size_t inStep = in.PixelFormat() == pf32bit ? 4 : 3;
            for (int x = 0; x < width; ++x, s += inStep, d += outStep) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
            break;
        }
        case pf8bit:
            for (int x = 0; x < width; ++x, d += outStep) std::memcpy(d, &table[std::size_t{s[x]} * 3], 3);
            break;
        case pf1bit:
        case pf4bit:
            for (int x = 0; x < width; ++x, d += outStep)
                std::memcpy(d, &table[ReadIndex(s, x, in.PixelFormat()) * 3], 3);
            break;
        }
    }
}

}  // namespace

TBitmap::TBitmap(int width, int height, TPixelFormat format) : format_(format) {
    SetSize(width, height);
    if (IsPaletted(format_)) palette_ = DefaultPaletteForBits(BitsPerPixel(format_));
}

TBitmap::TBitmap(TBitmap&& o) noexcept
    : width_(std::exchange(o.width_, 0)),
      height_(std::exchange(o.height_, 0)),
      format_(o.format_),
      stride_(std::exchange(o.stride_, 0)),
      bits_(std::move(o.bits_)),
      palette_(std::move(o.palette_)),
      transparent_(std::exchange(o.transparent_, false)),
      transparentColor_(std::exchange(o.transparentColor_, 0)) {
    o.bits_.clear();
}

TBitmap& TBitmap::operator=(TBitmap&& o) noexcept {
    if (this != &o) {
        width_ = std::exchange(o.width_, 0);
        height_ = std::exchange(o.height_, 0);
        format_ = o.format_;
        stride_ = std::exchange(o.stride_, 0);
        bits_ = std::move(o.bits_);
        o.bits_.clear();
        palette_ = std::move(o.palette_);
        transparent_ = std::exchange(o.transparent_, false);
        transparentColor_ = std::exchange(o.transparentColor_, 0);
    }
    return *this;
}

void TBitmap::SetSize(int width, int height) {
    if (width < 0 || height < 0) throw GIFException("Invalid image dimensions");
    if (width == 0 || height == 0) width = height = 0;
    const std::size_t stride = StrideFor(width, format_);
    if (height > 0 && stride > kMaxBitsBytes / static_cast<std::size_t>(height))
        throw EGIFOutOfMemory("Out of memory");
    std::vector<std::uint8_t> bits(stride * static_cast<std::size_t>(height), 0);
    bits_.swap(bits);
    width_ = width;
    height_ = height;
    stride_ = stride;
}

void TBitmap::Clear() {
    bits_.clear();
    bits_.shrink_to_fit();
    width_ = height_ = 0;
    stride_ = 0;
    palette_ = TPalette();
    transparent_ = false;
    transparentColor_ = 0;
}

std::uint8_t* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= height_) throw GIFException("Scan line index out of range");
    return bits_.data() + static_cast<std::size_t>(y) * stride_;
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
    if (y < 0 || y >= height_) throw GIFException("Scan line index out of range");
    return bits_.data() + static_cast<std::size_t>(y) * stride_;
}

void TBitmap::SetPalette(const TPalette& palette) {
    if (palette.Count() <= 256) {
        palette_ = palette;
        return;
    }
    palette_ = TPalette(std::vector<TPaletteEntry>(palette.Entries().begin(), palette.Entries().begin() + 256));
}

TColorRef TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const std::uint32_t v = ReadIndex(ScanLine(y), x, format_);
    if (!IsPaletted(format_)) return v;
    return static_cast<int>(v) < palette_.Count() ? EntryColor(palette_[static_cast<int>(v)]) : 0;
}

std::uint32_t TBitmap::Index(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return ReadIndex(ScanLine(y), x, format_);
}

void TBitmap::SetIndex(int x, int y, std::uint32_t index) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    WriteIndex(ScanLine(y), x, format_, index);
}

void TBitmap::SetPixel(int x, int y, TColorRef color) {
    if (IsPaletted(format_)) return;
    SetIndex(x, y, color & 0xFFFFFFu);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_) return;
    if (Empty()) {
        format_ = format;
        stride_ = 0;
        if (IsPaletted(format) && palette_.Count() > (1 << BitsPerPixel(format)))
            palette_ = DefaultPaletteForBits(BitsPerPixel(format));
        else if (IsPaletted(format) && palette_.Count() == 0)
            palette_ = DefaultPaletteForBits(BitsPerPixel(format));
        return;
    }
    TBitmap out;
    out.format_ = format;
    out.transparent_ = transparent_;
    out.transparentColor_ = transparentColor_;
    out.SetSize(width_, height_);

    const bool srcPal = IsPaletted(format_);
    const bool dstPal = IsPaletted(format);
    if (dstPal) {
        const int capacity = 1 << BitsPerPixel(format);
        // Indices survive when the palette fits the new depth; otherwise the
        // depth's default palette takes over and colours are matched.
        out.palette_ = (palette_.Count() > 0 && palette_.Count() <= capacity) ? palette_
                                                                             : DefaultPaletteForBits(BitsPerPixel(format));
    }
    if (!dstPal) {
        // The common cases (frames read as true colour, 32-bit imports read as
        // 24 bits) run as plain byte loops.
        ConvertToTrueColor(*this, out);
        *this = std::move(out);
        return;
    }
    const bool keepIndices = srcPal && out.palette_ == palette_;
    TNearestEntry nearest(out.palette_);
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* s = ScanLine(y);
        std::uint8_t* d = out.ScanLine(y);
        for (int x = 0; x < width_; ++x) {
            std::uint32_t v = ReadIndex(s, x, format_);
            if (!keepIndices) {
                if (srcPal) v = static_cast<int>(v) < palette_.Count() ? EntryColor(palette_[static_cast<int>(v)]) : 0;
                if (dstPal) v = nearest(v);
            }
            WriteIndex(d, x, format, v);
        }
    }
    *this = std::move(out);
}

TBitmap TBitmap::CreateMask(TColorRef color) const {
    TBitmap mask(width_, height_, pf1bit);
    color &= 0xFFFFFFu;
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* s = ScanLine(y);
        std::uint8_t* m = mask.ScanLine(y);
        for (int x = 0; x < width_; ++x) {
            std::uint32_t v = ReadIndex(s, x, format_);
            if (IsPaletted(format_))
                v = static_cast<int>(v) < palette_.Count() ? EntryColor(palette_[static_cast<int>(v)]) : 0;
            if (v == color) m[x >> 3] = static_cast<std::uint8_t>(m[x >> 3] | (0x80u >> (x & 7)));
        }
    }
    return mask;
}
