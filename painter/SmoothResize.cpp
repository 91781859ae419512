#include "painter/SmoothResize.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "color/PaletteFit.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "gif/OptimizeChoices.h"
#include "painter/AnimationResize.h"
#include "painter/GIFCompositor.h"
#include "painter/ScaledFrames.h"
#include "raster/GIFException.h"

namespace {

constexpr int kSampledFrames = 48;            // frames the palette is fitted to, spread over the animation
constexpr std::size_t kSampledPixels = 1 << 21;  // pixels of them, at most

// Scales one composed screen. Pixels nothing was drawn on enter as black with
// no alpha, so the filter weighs them out (straight alpha then equals
// premultiplied); alpha below half leaves nothing drawn.
class TFrameScaler {
public:
    TFrameScaler(const IPictureScaler& scaler, TResizeFilter filter, int width, int height)
        : scaler_(scaler), filter_(filter), out_(width, height) {}

    // The scaled picture as packed 0xRRGGBB, kClear where nothing is drawn.
    const std::vector<std::uint32_t>& Scale(const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, source_.Pixels);
        source_.Width = screen.Width();
        source_.Height = screen.Height();
        for (std::size_t i = 0; i < source_.Pixels.size(); i += 4)
            if (source_.Pixels[i + 3] == 0) source_.Pixels[i] = source_.Pixels[i + 1] = source_.Pixels[i + 2] = 0;
        if (!scaler_.Scale(source_, out_, filter_))
            throw GIFException("Could not resize the animation.", "The " + ResizeFilterName(filter_) + " scaler failed.");
        packed_.resize(std::size_t(out_.Width) * std::size_t(out_.Height));
        const std::uint8_t* p = out_.Pixels.data();
        for (std::uint32_t& value : packed_) {
            const unsigned alpha = p[3];
            if (alpha < 128) {
                value = kClear;
            } else if (alpha == 255) {
                value = (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
            } else {  // an edge against nothing: the colour without the nothing mixed in
                auto straight = [alpha](unsigned c) { return std::min(255u, (c * 255 + alpha / 2) / alpha); };
                value = (straight(p[0]) << 16) | (straight(p[1]) << 8) | straight(p[2]);
            }
            p += 4;
        }
        return packed_;
    }

private:
    const IPictureScaler& scaler_;
    TResizeFilter filter_;
    TRGBAPicture source_;
    TRGBAPicture out_;
    std::vector<std::uint32_t> packed_;
};

// How far (squared RGB distance, about 6 per channel) a pixel may stray from
// its scaled colour to keep showing what the screen shows.
constexpr int kStillDistance = 100;
// The mean squared error per channel a palette may leave (about 35 dB).
// Chosen on ffmpeg's testsrc2 and life sources halved: above ImageMagick's
// PSNR there, at gifsicle's bytes.
constexpr double kEnoughError = 20;

std::vector<int> ShownFrames(TGIFImage& image) {
    std::vector<int> shown;
    for (int i = 0; i < image.Frames().Count(); ++i)
        if (!image.Frames()[i]->IsEmpty()) shown.push_back(i);
    return shown;
}

// Frames spread evenly over the shown ones, first and last included.
std::vector<bool> SampleFrames(const std::vector<int>& shown, int count) {
    std::vector<bool> sampled(std::size_t(count), false);
    const std::size_t n = shown.size(), take = std::min<std::size_t>(n, kSampledFrames);
    for (std::size_t k = 0; k < take; ++k)
        sampled[std::size_t(shown[take == 1 ? 0 : k * (n - 1) / (take - 1)])] = true;
    return sampled;
}

TColor ToColor(std::uint32_t rgb) {
    return MakeColor(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
}

}  // namespace

bool ResizeAnimationWith(TGIFImage& image, int width, int height, TResizeFilter filter, const IPictureScaler& scaler,
                         const std::function<bool(int)>& keepGoing) {
    if (filter == TResizeFilter::Nearest) return ResizeAnimation(image, width, height, keepGoing);
    width = ClampAnimationSide(width);
    height = ClampAnimationSide(height);
    const int count = image.Frames().Count();
    if (count == 0 || image.Width() <= 0 || image.Height() <= 0) return true;
    RequireResizeBudget(image, width, height);

    const std::vector<int> shown = ShownFrames(image);
    const std::vector<bool> sampled = SampleFrames(shown, count);
    const int samples = int(std::count(sampled.begin(), sampled.end(), true));
    const std::size_t stride =
        std::max<std::size_t>(1, std::size_t(width) * std::size_t(height) * std::size_t(samples) / kSampledPixels);
    TFrameScaler frameScaler(scaler, filter, width, height);
    bool cancelled = false;
    auto ask = [&](int percent) {
        cancelled = cancelled || (keepGoing && !keepGoing(percent));
        return !cancelled;
    };

    // First pass: the palette, fitted to the sampled frames' scaled pixels.
    std::vector<std::uint8_t> screen_;  // the indices the screen shows, after the frame before
    TColorHistogram histogram;
    {
        int done = 0;
        TGIFCompositor compositor(image);
        compositor.KeepGoing = [&] { return ask(20 * ++done / count); };
        compositor.Run([&](int index, const TBitmap& screen) {
            if (index < 0 || index >= count || !sampled[std::size_t(index)]) return;
            const std::vector<std::uint32_t>& picture = frameScaler.Scale(screen);
            for (std::size_t i = std::size_t(index) % stride; i < picture.size(); i += stride)
                if (picture[i] != kClear) histogram.Add(picture[i]);
        });
    }
    if (cancelled) return false;
    // One entry stays free for "nothing drawn", which the optimiser also uses.
    // Colours stop being added once they keep the picture within the
    // error asked for: more would store noise, not picture.
    std::vector<std::uint32_t> palette = FitPalette(histogram, 255, kEnoughError);
    if (palette.empty()) palette.push_back(0);
    TNearestColor nearest(palette);

    // Second pass: every frame in the palette's colours.
    std::vector<TScaledFrame> scaled(static_cast<std::size_t>(count));
    {
        int done = 0;
        TGIFCompositor compositor(image);
        compositor.KeepGoing = [&] { return ask(20 + 60 * ++done / count); };
        compositor.Run([&](int index, const TBitmap& screen) {
            if (index < 0 || index >= count || image.Frames()[index]->IsEmpty()) return;
            const std::vector<std::uint32_t>& picture = frameScaler.Scale(screen);
            TScaledFrame& frame = scaled[std::size_t(index)];
            frame.pixels.reset(new std::uint8_t[picture.size()]);
            const auto clearIndex = static_cast<std::uint8_t>(palette.size());
            // A pixel whose colour is still close to what the screen shows
            // keeps it: noise in the source does not make the screen shimmer,
            // and the optimiser stores the pixel as unchanged.
            const bool follows = !screen_.empty();
            screen_.resize(picture.size(), clearIndex);
            for (std::size_t i = 0; i < picture.size(); ++i) {
                if (picture[i] == kClear) {
                    frame.transparent = clearIndex;
                    frame.pixels[i] = clearIndex;
                    continue;
                }
                int index = nearest.Index(picture[i]);
                const int shown = screen_[i];
                if (follows && shown != index && shown != clearIndex &&
                    ColorDistance(picture[i], palette[std::size_t(shown)]) <= kStillDistance)
                    index = shown;
                frame.pixels[i] = static_cast<std::uint8_t>(index);
            }
            std::copy(frame.pixels.get(), frame.pixels.get() + picture.size(), screen_.begin());
            for (std::uint32_t rgb : palette) frame.colors.push_back(ToColor(rgb));
            if (frame.transparent >= 0) frame.colors.push_back(MakeColor(0, 0, 0));
            frame.made = true;
        });
    }
    if (cancelled) return false;

    InstallScaledFrames(image, scaled, width, height);
    image.OptimizeColorMaps();
    if (keepGoing) keepGoing(85);
    // Whole frames of one palette: storing only what changes is lossless.
    OptimizeCopy(image, TOptimizeChoices{});
    if (keepGoing) keepGoing(100);
    return true;
}
