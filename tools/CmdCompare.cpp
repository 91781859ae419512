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
    std::size_t samples = 0, j = 0;
    for (const TShownFrame& frame : original) {
        // The last frame of OTHER that starts no later than this one.
        while (j + 1 < other.size() && other[j + 1].start <= frame.start) ++j;
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
    return 0;
}

const bool registered = RegisterToolCommand(
    {"compare", "compare ORIGINAL OTHER   mean PSNR of what OTHER shows against ORIGINAL, frame by frame", Compare});

}  // namespace
