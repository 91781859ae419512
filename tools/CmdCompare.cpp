// reelix-tool compare ORIGINAL OTHER: how closely OTHER shows what ORIGINAL
// shows. Both are composed frame by frame (as a browser shows them); for each
// frame of ORIGINAL, the frame OTHER shows at the same moment is compared (so
// frames merged or dropped with their time moved count correctly). Prints the
// mean PSNR over those frames (an identical frame counts as 100 dB) and the
// PSNR of all of them together. Transparent shows as black.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "painter/GIFCompositor.h"
#include "tools/Command.h"

namespace {

struct TShownFrame {
    std::vector<std::uint8_t> rgb;
    long start = 0;  // in 1/100 s
};

std::vector<TShownFrame> Compose(const std::string& path, int& width, int& height) {
    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string&) {};
    image.PixelBudget = ToolPixelBudget();
    image.LoadFromFile(path);
    width = image.Width();
    height = image.Height();
    std::vector<TShownFrame> frames;
    std::vector<std::uint8_t> rgba;
    long clock = 0;
    TGIFCompositor(image).Run([&](int index, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, rgba);
        TShownFrame frame;
        frame.start = clock;
        frame.rgb.resize(rgba.size() / 4 * 3);
        for (std::size_t p = 0, q = 0; p + 3 < rgba.size(); p += 4, q += 3) {
            const bool shown = rgba[p + 3] >= 128;
            for (int c = 0; c < 3; ++c) frame.rgb[q + std::size_t(c)] = shown ? rgba[p + std::size_t(c)] : 0;
        }
        frames.push_back(std::move(frame));
        const TGIFGraphicControlExtension* control = image.Frames()[index]->ControlExtension();
        clock += control ? control->DelayTime : 0;
    });
    return frames;
}

// The frame of OTHER shown when frame i of ORIGINAL is. Frames of no delay
// share their start: the k-th of ORIGINAL's frames starting at a moment
// pairs with the k-th of OTHER's (or its last) starting then; otherwise the
// last frame of OTHER that started before.
std::size_t ShownAtSameMoment(const std::vector<TShownFrame>& original, std::size_t i,
                              const std::vector<TShownFrame>& other) {
    const long start = original[i].start;
    std::size_t rank = 0;
    while (rank < i && original[i - rank - 1].start == start) ++rank;
    const auto byStart = [](const TShownFrame& f, long t) { return f.start < t; };
    const auto first = std::lower_bound(other.begin(), other.end(), start, byStart);
    if (first == other.end() || first->start != start)
        return first == other.begin() ? 0 : std::size_t(first - other.begin()) - 1;
    std::size_t same = 0;
    while (first + std::ptrdiff_t(same) != other.end() && first[std::ptrdiff_t(same)].start == start) ++same;
    return std::size_t(first - other.begin()) + std::min(rank, same - 1);
}

int Compare(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fputs("usage: reelix-tool compare ORIGINAL OTHER\n", stderr);
        return 1;
    }
    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    const std::vector<TShownFrame> original = Compose(args[0], w1, h1);
    const std::vector<TShownFrame> other = Compose(args[1], w2, h2);
    if (w1 != w2 || h1 != h2 || original.empty() || other.empty()) {
        std::fputs("reelix-tool compare: the animations differ in size or have no frames\n", stderr);
        return 1;
    }
    double psnrSum = 0, errorSum = 0;
    std::size_t samples = 0;
    for (std::size_t i = 0; i < original.size(); ++i) {
        const TShownFrame& frame = original[i];
        const std::size_t j = ShownAtSameMoment(original, i, other);
        const std::vector<std::uint8_t>& a = frame.rgb;
        const std::vector<std::uint8_t>& b = other[j].rgb;
        double error = 0;
        for (std::size_t k = 0; k < a.size(); ++k) {
            const double d = double(a[k]) - double(b[k]);
            error += d * d;
        }
        const double mse = error / double(a.size());
        psnrSum += mse == 0 ? 100.0 : std::min(100.0, 10.0 * std::log10(255.0 * 255.0 / mse));
        errorSum += error;
        samples += a.size();
    }
    const double mse = errorSum / double(samples);
    std::printf("frames %zu\nmean PSNR %.2f dB\noverall PSNR %.2f dB\n", original.size(),
                psnrSum / double(original.size()), mse == 0 ? 100.0 : 10.0 * std::log10(255.0 * 255.0 / mse));
    if (errorSum == 0) std::puts("identical");
    return 0;
}

const bool registered = RegisterToolCommand(
    {"compare", "compare ORIGINAL OTHER   mean PSNR of what OTHER shows against ORIGINAL, frame by frame", Compare});

}  // namespace
