#include "painter/FitUnder.h"

#include <algorithm>
#include <array>

#include "color/ColorLookup.h"
#include "color/ColorQuantizer.h"
#include "color/ColorReduction.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "painter/AnimationResize.h"

namespace {

std::string Ordinal(int n) {
    const char* suffix = (n % 10 == 1 && n % 100 != 11) ? "st" : (n % 10 == 2 && n % 100 != 12) ? "nd"
                       : (n % 10 == 3 && n % 100 != 13) ? "rd" : "th";
    return std::to_string(n) + suffix;
}

// The transparent index pixels of the frame stand for, or -1.
int TransparentIndexOf(const TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* gce = frame.ControlExtension();
    return frame.IsTransparent() && gce ? gce->TransparentIndex() : -1;
}

std::unique_ptr<TPalette> FewerColors(TGIFImage& image, int colors) {
    const TGIFColorMap& table = image.GlobalColors();
    std::array<std::uint64_t, 256> uses{};
    std::uint64_t total = 0;
    TGIFImageList& frames = image.Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        const TGIFSubImage& frame = *frames[i];
        if (frame.IsEmpty()) continue;
        const int clear = TransparentIndexOf(frame);
        const std::uint8_t* p = frame.PixelData();
        for (std::int64_t n = frame.PixelDataSize(); n > 0; --n, ++p)
            if (*p != clear) ++uses[*p];
    }
    for (std::uint64_t u : uses) total += u;
    // Each used colour counts by how much of the animation it covers, within
    // bounds, so a colour of a few pixels still has a say.
    TColorQuantizer quantizer(colors, 8);
    for (int index = 0; index < table.Count(); ++index) {
        if (uses[std::size_t(index)] == 0) continue;
        const TGIFRGB& c = table.Entry(index);
        const std::uint64_t weight = std::clamp<std::uint64_t>(uses[std::size_t(index)] * 1024 / std::max<std::uint64_t>(1, total), 1, 64);
        for (std::uint64_t w = 0; w < weight; ++w) quantizer.AddPixel(c.red, c.green, c.blue);
    }
    std::vector<TPaletteEntry> entries;
    for (const TRGBQuad& q : quantizer.GetColorTable()) entries.push_back({q.red, q.green, q.blue, 0});
    if (entries.empty()) entries.push_back({0, 0, 0, 0});
    return std::make_unique<TPalette>(std::move(entries));
}

void RemapNearest(TGIFSubImage& frame, const TGIFColorMap& table, TColorLookup& lookup, int clear, int newClear) {
    std::array<std::uint8_t, 256> map{};
    std::uint8_t r, g, b;
    for (int i = 0; i < table.Count(); ++i) {
        const TGIFRGB& c = table.Entry(i);
        map[std::size_t(i)] = std::uint8_t(lookup.Lookup(c.red, c.green, c.blue, r, g, b));
    }
    std::uint8_t* p = frame.PixelData();
    for (std::int64_t n = frame.PixelDataSize(); n > 0; --n, ++p)
        *p = (*p == clear) ? std::uint8_t(newClear) : map[*p];
}

void RemapDithered(TGIFSubImage& frame, const TGIFColorMap& table, const TPalette& palette, int clear, int newClear) {
    const int width = frame.Width(), height = frame.Height();
    TBitmap picture(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = frame.PixelData() + std::size_t(y) * std::size_t(width);
        std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < width; ++x, row += 3) {
            const TGIFRGB& c = table.Entry(std::min<int>(src[x], table.Count() - 1));
            row[0] = c.blue;
            row[1] = c.green;
            row[2] = c.red;
        }
    }
    const std::unique_ptr<TBitmap> reduced = ReduceBitmapColors(picture, crCustomPalette, dkFloydSteinberg, 8, &palette);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* dst = frame.PixelData() + std::size_t(y) * std::size_t(width);
        const std::uint8_t* row = reduced->ScanLine(y);
        for (int x = 0; x < width; ++x) dst[x] = dst[x] == clear ? std::uint8_t(newClear) : row[x];
    }
}

}  // namespace

std::string TFitRecipe::Describe() const {
    std::string text;
    auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (Colors < 256) add(std::to_string(Colors) + " colors" + (Dither ? ", dithered" : ""));
    if (DropEvery > 0) add("every " + Ordinal(DropEvery) + " frame dropped");
    if (ScalePercent != 100) add("scaled to " + std::to_string(ScalePercent) + "%");
    return text.empty() ? "nothing" : text;
}

std::vector<TFitRecipe> FitRecipes() {
    std::vector<TFitRecipe> recipes{{256, false, 0, 100}};
    for (int colors : {128, 64, 32}) recipes.push_back({colors, false, 0, 100});
    for (int colors : {16, 8}) recipes.push_back({colors, true, 0, 100});
    for (int drop : {4, 3, 2}) recipes.push_back({64, false, drop, 100});
    for (int scale : {75, 50, 33, 25}) recipes.push_back({64, false, 2, scale});
    recipes.push_back({16, true, 2, 25});
    return recipes;
}

void ReduceSharedColors(TGIFImage& image, int colors, bool dither) {
    image.OptimizeColorMaps();
    TGIFColorMap& table = image.GlobalColors();
    if (table.Count() <= colors) return;
    const std::unique_ptr<TPalette> palette = FewerColors(image, colors);
    TFastColorLookup lookup(*palette);
    const int newClear = palette->Count();
    bool anyClear = false;
    TGIFImageList& frames = image.Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage& frame = *frames[i];
        if (frame.IsEmpty()) continue;
        const int clear = TransparentIndexOf(frame);
        if (dither) RemapDithered(frame, table, *palette, clear, newClear);
        else RemapNearest(frame, table, lookup, clear, newClear);
        if (clear >= 0) {
            frame.ControlExtension()->SetTransparentIndex(newClear);
            anyClear = true;
        }
        frame.DropBitmap();
        frame.DropMask();
    }
    std::uint8_t& background = image.Header().BackgroundIndex;
    if (background < table.Count()) {
        const TGIFRGB& c = table.Entry(background);
        std::uint8_t r, g, b;
        background = std::uint8_t(lookup.Lookup(c.red, c.green, c.blue, r, g, b));
    } else {
        background = 0;
    }
    table.ClearColors();
    for (const TPaletteEntry& e : palette->Entries()) table.AddColor(MakeColor(e.red, e.green, e.blue));
    if (anyClear) table.AddColor(MakeColor(0, 0, 0));
    image.ReleaseCaches();
}

void DropEveryNthFrame(TGIFImage& image, int n) {
    TGIFImageList& frames = image.Frames();
    for (int i = frames.Count() - 1; i >= 1; --i) {
        if ((i + 1) % n != 0) continue;
        TGIFGraphicControlExtension* dropped = frames[i]->ControlExtension();
        TGIFGraphicControlExtension* before = frames[i - 1]->ControlExtension();
        if (dropped && before) before->DelayTime = std::uint16_t(std::min(0xFFFF, before->DelayTime + dropped->DelayTime));
        frames.Delete(i);
    }
    image.ReleaseCaches();
}

bool ApplyFitRecipe(TGIFImage& image, const TFitRecipe& recipe) {
    if (recipe.DropEvery > 0 && image.Frames().Count() < recipe.DropEvery) return false;
    if (recipe.DropEvery > 0 || recipe.ScalePercent != 100) {
        const int width = std::max(1, image.Width() * recipe.ScalePercent / 100);
        const int height = std::max(1, image.Height() * recipe.ScalePercent / 100);
        ResizeAnimation(image, width, height);
        if (recipe.DropEvery > 0) DropEveryNthFrame(image, recipe.DropEvery);
    }
    if (recipe.Colors < 256) ReduceSharedColors(image, recipe.Colors, recipe.Dither);
    return true;
}

TFitResult FitUnder(const TGIFImage& document, const TOptimizeChoices& choices, std::int64_t targetBytes,
                    TGIFImage& result, const std::function<bool()>& keepGoing) {
    TFitResult fit;
    for (const TFitRecipe& recipe : FitRecipes()) {
        if (keepGoing && !keepGoing()) {
            fit.Cancelled = true;
            return fit;
        }
        TGIFImage candidate;
        candidate.SetReductionBits(document.ReductionBits());
        candidate.DitherKind = document.DitherKind;
        candidate.Assign(&document);
        candidate.Encoding = document.Encoding;
        if (!ApplyFitRecipe(candidate, recipe)) continue;
        OptimizeCopy(candidate, choices);
        result.Assign(&candidate);
        result.Encoding = candidate.Encoding;
        const std::int64_t size = SavedSize(result);
        fit.Size = size;
        fit.Recipe = recipe;
        if (size <= targetBytes) {
            fit.Fits = true;
            return fit;
        }
    }
    return fit;
}
