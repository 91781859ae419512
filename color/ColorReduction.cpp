#include "color/ColorReduction.h"

#include <algorithm>

#include "color/ColorLookup.h"
#include "color/ColorQuantizer.h"
#include "color/DitherEngine.h"
#include "color/FittedReduction.h"
#include "color/FixedPalettes.h"
#include "raster/GIFException.h"
#include "raster/SystemPalettes.h"

namespace {

// The row loop: concrete engine and lookup types, so neither the engine's
// Dither nor the lookup's Lookup is a virtual call per pixel.
template <class E, class L>
void DitherRows(E& engine, L& lookup, const TBitmap& source, TBitmap& result) {
    const int width = source.Width();
    const std::ptrdiff_t step = source.PixelFormat() == pf32bit ? 4 : 3;
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* in = source.ScanLine(y);
        std::uint8_t* out = result.ScanLine(y);
        std::uint8_t r, g, b;
        for (int n = 0; n < width; ++n) {
            const int x = engine.Column();
            const std::uint8_t* p = in + x * step;
            out[x] = static_cast<std::uint8_t>(engine.template DitherWith<L>(lookup, p[2], p[1], p[0], r, g, b));
        }
        engine.FinishLine();
    }
}

template <class L>
bool DitherWithKind(TDitherKind kind, L& lookup, const TBitmap& source, TBitmap& result) {
    const int w = source.Width();
    switch (kind) {
    case dkNearest: {
        TDitherEngine e(w, lookup);
        DitherRows(e, lookup, source, result);
        return true;
    }
    case dkFloydSteinberg: {
        TFloydSteinbergDitherer e(w, lookup);
        DitherRows(e, lookup, source, result);
        return true;
    }
    case dkStucki: {
        TStuckiDitherer e(w, lookup);
        DitherRows(e, lookup, source, result);
        return true;
    }
    case dkSierra: {
        TSierraDitherer e(w, lookup);
        DitherRows(e, lookup, source, result);
        return true;
    }
    case dkJaJuNi: {
        TJaJuNiDitherer e(w, lookup);
        DitherRows(e, lookup, source, result);
        return true;
    }
    case dkSteveArche: {
        TSteveArcheDitherer e(w, lookup);
        DitherRows(e, lookup, source, result);
        return true;
    }
    case dkBurkes: {
        TBurkesDitherer e(w, lookup);
        DitherRows(e, lookup, source, result);
        return true;
    }
    }
    return false;
}

template <class L>
std::unique_ptr<TBitmap> Reduce(L& lookup, const TPalette& palette, TDitherKind dither, const TBitmap& source) {
    if (lookup.PaletteColorCount() == 0) return std::make_unique<TBitmap>();
    if (static_cast<int>(dither) > static_cast<int>(dkBurkes)) return std::make_unique<TBitmap>();
    auto result = std::make_unique<TBitmap>(source.Width(), source.Height(), pf8bit);
    result->SetPalette(palette);
    DitherWithKind(dither, lookup, source, *result);
    return result;
}

bool ValidKind(TColorReductionKind kind) { return static_cast<int>(kind) <= static_cast<int>(crFitted); }

std::unique_ptr<TBitmap> ReduceFitted(const TBitmap& rows, TDitherKind dither, int bits) {
    if (static_cast<int>(dither) > static_cast<int>(dkBurkes)) return std::make_unique<TBitmap>();
    const int width = rows.Width(), height = rows.Height();
    const std::ptrdiff_t step = rows.PixelFormat() == pf32bit ? 4 : 3;
    // The transparent colour's pixels are nothing drawn: left out of the
    // palette, which keeps an entry free for the transparency.
    const bool transparent = rows.Transparent();
    const std::uint32_t key = transparent ? std::uint32_t(RedOf(rows.TransparentColor())) << 16 |
                                                std::uint32_t(GreenOf(rows.TransparentColor())) << 8 |
                                                BlueOf(rows.TransparentColor())
                                          : kClear;
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = rows.ScanLine(y);
        std::uint32_t* out = &pixels[std::size_t(y) * std::size_t(width)];
        for (int x = 0; x < width; ++x, p += step) {
            const std::uint32_t rgb = std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
            out[x] = rgb == key ? kClear : rgb;
        }
    }
    // Fitting looks at about four million pixels at most: enough for any palette.
    const std::size_t stride = std::max<std::size_t>(1, pixels.size() >> 22);
    const int colors = std::max(1, (1 << bits) - (transparent ? 1 : 0));
    std::vector<std::uint32_t> fitted = FitPictureColors(pixels.data(), pixels.size(), colors, stride);
    if (fitted.empty()) fitted.push_back(0);  // nothing drawn at all
    TNearestColor nearest(std::move(fitted));
    auto result = std::make_unique<TBitmap>(width, height, pf8bit);
    std::vector<TPaletteEntry> table;
    for (std::uint32_t rgb : nearest.Palette())
        table.push_back({std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 0});
    result->SetPalette(TPalette(std::move(table)));
    std::vector<std::uint8_t> indices(pixels.size());
    TPaletteMapping mapping;
    mapping.Dither = dither != dkNearest;
    MapToPalette(pixels.data(), width, height, nearest, mapping, indices.data());
    for (int y = 0; y < height; ++y)
        std::copy_n(&indices[std::size_t(y) * std::size_t(width)], width, result->ScanLine(y));
    return result;
}

}  // namespace

std::unique_ptr<TPalette> CreateOptimizedPalette(const TBitmap& bitmap, int colors, int colorBits,
                                                 bool withWindowsColors) {
    colors = std::clamp(colors, 1, 256);
    // The static colours sit at both ends of a full palette, so the flag always
    // yields 256 entries whatever count was asked for.
    const int entries = withWindowsColors ? 256 : colors;
    const int adaptive = withWindowsColors ? 236 : colors;
    const int first = withWindowsColors ? 10 : 0;

    std::vector<TPaletteEntry> table(static_cast<std::size_t>(entries));
    if (withWindowsColors) {
        const auto& s = StaticColorEntries();
        std::copy(s.begin(), s.begin() + 10, table.begin());
        std::copy(s.begin() + 10, s.end(), table.begin() + 246);
    }
    TColorQuantizer quantizer(adaptive, colorBits);
    quantizer.ProcessImage(bitmap);
    const std::vector<TRGBQuad> colorTable = quantizer.GetColorTable();
    const std::size_t n = std::min(colorTable.size(), static_cast<std::size_t>(adaptive));
    for (std::size_t i = 0; i < n; ++i)
        table[static_cast<std::size_t>(first) + i] = {colorTable[i].red, colorTable[i].green, colorTable[i].blue, 0};
    return std::make_unique<TPalette>(std::move(table));
}

std::unique_ptr<TBitmap> ReduceBitmapColors(const TBitmap& source, TColorReductionKind kind, TDitherKind dither,
                                            int reductionBits, const TPalette* customPalette) {
    if (kind == crNone) {
        auto copy = std::make_unique<TBitmap>(source);
        copy->SetPixelFormat(pf24bit);
        return copy;
    }
    if (!ValidKind(kind)) return std::make_unique<TBitmap>();
    if ((kind == crQuantize || kind == crFitted) && (reductionBits < 1 || reductionBits > 8))
        throw GIFException("Invalid Bits Per Pixel value");
    if (source.Empty()) return std::make_unique<TBitmap>();

    // Rows are read as 24 or 32-bit blue-green-red; anything else through a copy.
    const TBitmap* rows = &source;
    TBitmap converted;
    if (source.PixelFormat() != pf24bit && source.PixelFormat() != pf32bit) {
        converted = source;
        converted.SetPixelFormat(pf24bit);
        rows = &converted;
    }

    if (kind == crFitted) return ReduceFitted(*rows, dither, reductionBits);

    std::unique_ptr<TPalette> palette;
    switch (kind) {
    case crWindows20: palette = CreateWindows20Palette(); break;
    case crWindowsHalftone: palette = CreateHalftoneScreenPalette(); break;
    case crWindowsGray: palette = CreateWindowsGrayPalette(); break;
    case crMonochrome: palette = CreateMonochromePalette(); break;
    case crGrayScale: palette = CreateGrayScalePalette(); break;
    case crWebSafe: palette = CreateWebSafePalette(); break;
    case crQuantize: palette = CreateOptimizedPalette(*rows, 1 << reductionBits, 8, false); break;
    case crQuantizeWindows: palette = CreateOptimizedPalette(*rows, 256, 8, true); break;
    case crCustomPalette:
        palette = customPalette ? std::make_unique<TPalette>(*customPalette) : std::make_unique<TPalette>();
        break;
    case crNone:
    case crFitted: break;
    }

    switch (kind) {
    case crMonochrome: {
        TMonochromeLookup lookup;
        return Reduce(lookup, *palette, dither, *rows);
    }
    case crGrayScale: {
        TGrayScaleLookup lookup;
        return Reduce(lookup, *palette, dither, *rows);
    }
    case crWebSafe: {
        TNetscapeColorLookup lookup;
        return Reduce(lookup, *palette, dither, *rows);
    }
    default: {
        // 64 KB of cache: on the heap, not the stack.
        auto lookup = std::make_unique<TFastColorLookup>(palette.get());
        return Reduce(*lookup, *palette, dither, *rows);
    }
    }
}
