#include "painter/ClipEncoder.h"

#include <algorithm>

#include "gif/FrameControl.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "gif/OptimizeChoices.h"

namespace {

// A shared palette this close (squared error, about 1.5 per channel) to a
// frame's new pixels cannot be bettered by a palette of their own.
constexpr double kSharedIsExact = 6;
constexpr std::size_t kMeasuredPixels = 1 << 12;  // new pixels a palette's error is measured on
constexpr std::size_t kFittedPixels = 1 << 20;    // new pixels a frame's own palette is fitted to
// A frame keeps the shared palette only when that serves its new pixels
// better than a median cut of their own by this factor. The median cut is
// a pessimistic stand-in for the refined palette, so the shared one must
// be clearly better; chosen on ffmpeg's testsrc2 and mandelbrot sources.
constexpr double kOwnPaletteGain = 0.95;

int FittedColors(const TClipColors& colors) { return std::clamp(colors.MaxColors, 2, 256) - 1; }

// The mean squared error of the nearest colours of `pixels`.
double MeanError(const std::vector<std::uint32_t>& palette, const std::vector<std::uint32_t>& pixels) {
    const TPaletteSearch search(palette);
    double sum = 0;
    int last = -1;
    for (std::uint32_t rgb : pixels) {
        last = search.Nearest(rgb, last);
        sum += ColorDistance(rgb, palette[std::size_t(last)]);
    }
    return pixels.empty() ? 0 : sum / double(pixels.size());
}

TColor ToColor(std::uint32_t rgb) { return MakeColor(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)); }

}  // namespace

struct TClipEncoder::TPalette {
    explicit TPalette(std::vector<std::uint32_t> colors) : nearest(colors.empty() ? std::vector<std::uint32_t>{0} : std::move(colors)) {}
    TNearestColor nearest;
    const std::vector<std::uint32_t>& Colors() const { return nearest.Palette(); }
};

void TClipSampler::Add(const std::vector<std::uint32_t>& picture) {
    const std::size_t stride = std::max<std::size_t>(1, picture.size() / kFittedPixels);
    for (std::size_t i = 0; i < picture.size(); i += stride)
        if (picture[i] != kClear) histogram_.Add(picture[i]);
}

std::vector<std::uint32_t> TClipSampler::Palette(const TClipColors& colors) const {
    return FitPalette(histogram_, FittedColors(colors));
}

TClipEncoder::TClipEncoder(TGIFImage& image, int width, int height, const TClipColors& colors,
                           std::vector<std::uint32_t> sharedPalette)
    : image_(image), width_(width), height_(height), colors_(colors),
      screen_(std::size_t(width) * std::size_t(height), kClear) {
    image_.ClearImage();
    image_.Header().ScreenWidth = std::uint16_t(width);
    image_.Header().ScreenHeight = std::uint16_t(height);
    if (!sharedPalette.empty()) {
        shared_ = std::make_unique<TPalette>(std::move(sharedPalette));
        TGIFColorMap& global = image_.GlobalColors();
        global.ClearColors();
        for (std::uint32_t rgb : shared_->Colors()) global.AddColor(ToColor(rgb));
        if (global.Count() < 256) global.AddColor(MakeColor(0, 0, 0));  // the transparent entry
    }
}

TClipEncoder::~TClipEncoder() = default;

TClipEncoder::TPalette& TClipEncoder::ChoosePalette(const std::vector<std::uint32_t>& picture) {
    // The pixels this frame must draw: the rest keep what the screen shows.
    std::vector<std::uint32_t> drawn;
    drawn.reserve(picture.size());
    for (std::size_t i = 0; i < picture.size(); ++i) {
        const std::uint32_t rgb = picture[i];
        if (rgb == kClear) continue;
        if (screen_[i] != kClear && ColorDistance(rgb, screen_[i]) <= kStillDistance) continue;
        drawn.push_back(rgb);
    }
    if (drawn.empty()) {
        if (shared_) return *shared_;
        if (!own_) own_ = std::make_unique<TPalette>(std::vector<std::uint32_t>{});
        return *own_;
    }
    std::vector<std::uint32_t> measured;
    const std::size_t step = std::max<std::size_t>(1, drawn.size() / kMeasuredPixels);
    for (std::size_t i = 0; i < drawn.size(); i += step) measured.push_back(drawn[i]);
    const double sharedError = shared_ ? MeanError(shared_->Colors(), measured) : 0;
    if (shared_ && sharedError <= kSharedIsExact) return *shared_;

    // Whether a palette of its own pays is judged by its median cut alone,
    // which k-means only improves: the refining is done for a chosen one.
    histogram_.Clear();
    const std::size_t stride = std::max<std::size_t>(1, drawn.size() / kFittedPixels);
    for (std::size_t i = 0; i < drawn.size(); i += stride) histogram_.Add(drawn[i]);
    if (shared_ && sharedError <= kOwnPaletteGain * MeanError(FitPalette(histogram_, FittedColors(colors_), 0, 0), measured))
        return *shared_;
    own_ = std::make_unique<TPalette>(FitPalette(histogram_, FittedColors(colors_)));
    ++ownPalettes_;
    return *own_;
}

void TClipEncoder::Add(const std::vector<std::uint32_t>& picture, int delay) {
    if (picture.size() != screen_.size()) return;
    // Nothing over something can only be shown by clearing the frame before:
    // then this frame draws all it shows.
    bool clearBefore = false;
    for (std::size_t i = 0; i < picture.size() && !clearBefore; ++i)
        clearBefore = picture[i] == kClear && screen_[i] != kClear;
    if (clearBefore) std::fill(screen_.begin(), screen_.end(), kClear);

    TPalette& palette = ChoosePalette(picture);
    TPaletteMapping mapping;
    mapping.Dither = colors_.Dither;
    mapping.Screen = screen_.data();
    // A full palette given from outside leaves no entry to keep pixels with.
    mapping.KeepIndex = palette.Colors().size() < 256 ? int(palette.Colors().size()) : -1;
    std::vector<std::uint8_t> indices(picture.size());
    const std::size_t kept = MapToPalette(picture.data(), width_, height_, palette.nearest, mapping, indices.data());
    const auto keep = std::uint8_t(mapping.KeepIndex);
    for (std::size_t i = 0; i < indices.size(); ++i)
        if (indices[i] != keep) screen_[i] = palette.Colors()[indices[i]];
    Install(indices, palette, kept > 0, delay, clearBefore);
}

void TClipEncoder::Install(const std::vector<std::uint8_t>& indices, const TPalette& palette, bool usesKeep,
                           int delay, bool clearBefore) {
    if (clearBefore && frames_ > 0) RequireControl(*image_.Frames()[frames_ - 1]).SetDisposalMethod(2);
    auto frame = std::make_unique<TGIFSubImage>(&image_);
    frame->PlaceFrame(0, 0, width_, height_);
    frame->AllocatePixels();
    std::copy(indices.begin(), indices.end(), frame->PixelData());
    if (&palette != shared_.get()) {
        for (std::uint32_t rgb : palette.Colors()) frame->LocalColors().AddColor(ToColor(rgb));
        if (usesKeep) frame->LocalColors().AddColor(MakeColor(0, 0, 0));
    }
    TGIFGraphicControlExtension& control = RequireControl(*frame);
    control.DelayTime = std::uint16_t(std::clamp(delay, 0, 65535));
    control.SetDisposalMethod(1);
    if (usesKeep) {
        control.SetUsesTransparency(true);
        control.SetTransparentIndex(int(palette.Colors().size()));
    }
    if (frames_ == 0) {
        auto loop = std::make_unique<TGIFAppExtNSLoop>(frame.get());
        loop->LoopCount = 0;
        frame->ExtensionBlocks().Insert(0, std::move(loop));
    }
    image_.AddFrame(std::move(frame));
    ++frames_;
}

void TClipEncoder::Finish() {
    if (frames_ == 0) return;
    OptimizeCopy(image_, TOptimizeChoices{});
}

void EncodeStill(TGIFImage& image, const std::vector<std::uint32_t>& pixels, int width, int height,
                 const TClipColors& colors) {
    const bool clear = std::find(pixels.begin(), pixels.end(), kClear) != pixels.end();
    const int fitted = std::clamp(colors.MaxColors, 2, 256) - (clear ? 1 : 0);
    const std::size_t stride = std::max<std::size_t>(1, pixels.size() >> 22);
    TClipEncoder encoder(image, width, height, colors, FitPictureColors(pixels.data(), pixels.size(), fitted, stride));
    encoder.Add(pixels, 0);
    encoder.Finish();
}
