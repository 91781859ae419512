// Writes the program's own animations with its own GIF writer, at build time:
// the start-up animation "ANIMATED" (a turning film reel) and a GIF sample for
// the thumbnail browser's default folder.
// Usage: reelix_make_animation <ANIMATED.gif> <images folder>

#include "gif/GIFImage.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace {

constexpr double Pi = 3.14159265358979323846;

// Adds one full-screen frame whose pixels come from Shade(x, y), shown for
// Delay hundredths of a second.
void AddFrame(TGIFImage& image, int delay, const std::function<std::uint8_t(int, int)>& shade) {
    const int w = image.Header().ScreenWidth;
    const int h = image.Header().ScreenHeight;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->PlaceFrame(0, 0, std::uint16_t(w), std::uint16_t(h));
    std::uint8_t* pixels = frame->PixelData();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[y * w + x] = shade(x, y);
    auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
    control->DelayTime = std::uint16_t(delay);
    control->SetDisposalMethod(1); // leave in place: every frame covers the screen
    TGIFSubImage* raw = frame.get();
    raw->ExtensionBlocks().Add(std::move(control));
    image.AddFrame(std::move(frame));
    (void)raw;
}

void LoopForever(TGIFImage& image) {
    TGIFSubImage* first = image.Frames()[0];
    auto loop = std::make_unique<TGIFAppExtNSLoop>(first);
    loop->LoopCount = 0;
    first->ExtensionBlocks().Insert(0, std::move(loop));
}

// The reel of the splash picture, turning: six holes, so a sixth of a turn
// brings it back to the first frame.
void MakeReel(TGIFImage& image) {
    enum : std::uint8_t { Back, Rim, Disc, Hole, Hub, Edge };
    const TColor colors[] = {MakeColor(255, 255, 255), MakeColor(40, 40, 50), MakeColor(205, 212, 222),
                             MakeColor(18, 52, 110), MakeColor(60, 60, 70), MakeColor(150, 160, 175)};
    image.Header().ScreenWidth = 96;
    image.Header().ScreenHeight = 96;
    for (TColor c : colors)
        image.GlobalColors().AddColor(c);
    constexpr int Frames = 12;
    for (int f = 0; f < Frames; ++f) {
        const double turn = f * (Pi / 3) / Frames;
        AddFrame(image, 6, [turn](int x, int y) -> std::uint8_t {
            const double dx = x + 0.5 - 48, dy = y + 0.5 - 48;
            const double r = std::sqrt(dx * dx + dy * dy);
            if (r > 44)
                return Back;
            if (r > 41)
                return Rim;
            if (r < 5)
                return Hub;
            for (int k = 0; k < 6; ++k) {
                const double a = turn + k * Pi / 3;
                const double hx = dx - 24 * std::cos(a), hy = dy - 24 * std::sin(a);
                const double d = std::sqrt(hx * hx + hy * hy);
                if (d < 10)
                    return Hole;
                if (d < 11.5)
                    return Edge;
            }
            return Disc;
        });
    }
    LoopForever(image);
}

// A ball bouncing on a floor, for the sample folder.
void MakeBounce(TGIFImage& image) {
    enum : std::uint8_t { Sky, Floor, Ball, Shine, Shadow };
    const TColor colors[] = {MakeColor(210, 230, 250), MakeColor(90, 140, 60), MakeColor(220, 40, 40),
                             MakeColor(255, 200, 200), MakeColor(60, 100, 40)};
    image.Header().ScreenWidth = 80;
    image.Header().ScreenHeight = 80;
    for (TColor c : colors)
        image.GlobalColors().AddColor(c);
    constexpr int Frames = 10;
    for (int f = 0; f < Frames; ++f) {
        const double phase = std::sin(Pi * f / Frames); // 0 on the floor, 1 at the top
        const double cy = 58 - 40 * phase;
        AddFrame(image, 5, [cy, phase](int x, int y) -> std::uint8_t {
            const double dx = x + 0.5 - 40, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy < 100)
                return (dx + 3) * (dx + 3) + (dy + 3) * (dy + 3) < 8 ? Shine : Ball;
            if (y >= 68) {
                const double sx = (x + 0.5 - 40) / (12 - 4 * phase), sy = (y + 0.5 - 70) / 2.0;
                return sx * sx + sy * sy < 1 ? Shadow : Floor;
            }
            return Sky;
        });
    }
    LoopForever(image);
}

bool Write(void (*make)(TGIFImage&), const std::string& path) {
    try {
        TGIFImage image;
        make(image);
        image.SaveToFile(path);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "reelix_make_animation: %s: %s\n", path.c_str(), e.what());
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <ANIMATED.gif> <images folder>\n", argv[0]);
        return 2;
    }
    bool ok = Write(&MakeReel, argv[1]);
    ok = Write(&MakeBounce, std::string(argv[2]) + "/Bounce.gif") && ok;
    return ok ? 0 : 1;
}
