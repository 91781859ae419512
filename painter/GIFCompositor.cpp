#include "painter/GIFCompositor.h"

#include <cstring>
#include <exception>
#include <memory>

#include "gif/GIFImage.h"
#include "painter/GIFPainter.h"
#include "painter/PainterFastDraw.h"
#include "raster/Canvas.h"

namespace {
// Drawing on a 32-bit canvas sets every pixel's fourth byte to one fixed
// value; the other value marks pixels nothing was drawn on.
std::uint8_t UndrawnByte() {
    static const std::uint8_t undrawn = [] {
        TBitmap probe(1, 1, pf32bit);
        probe.ScanLine(0)[3] = 0x80;
        TCanvas(probe).FillRect(probe.BoundsRect(), 0);
        return static_cast<std::uint8_t>(probe.ScanLine(0)[3] == 0xFF ? 0x00 : 0xFF);
    }();
    return undrawn;
}
}  // namespace

std::uint8_t TGIFCompositor::UndrawnMarker() { return UndrawnByte(); }

int TGIFCompositor::Run(const std::function<void(int, const TBitmap&)>& onFrame) {
    const int width = image_.Width(), height = image_.Height();
    if (width <= 0 || height <= 0 || image_.Empty()) return 0;
    TBitmap screen(width, height, pf32bit);  // all bits zero
    const std::uint8_t undrawn = UndrawnByte();
    if (undrawn != 0) {
        const std::uint8_t bytes[4] = {0, 0, 0, undrawn};
        std::uint32_t word;
        std::memcpy(&word, bytes, 4);
        FillPicture(screen, word);
    }
    TCanvas canvas(screen);
    TVirtualPainterClock clock;
    TNullMessagePump pump;
    // Synchronous and owned here, so it never frees itself.
    auto painter = std::make_unique<TGIFPainter>(&image_, PaintOptionBit(poAnimate) | PaintOptionBit(poTransparent),
                                                 screen.BoundsRect(), &canvas, &clock);
    painter->FreeOnTerminate = false;
    painter->MessagePump = &pump;
    painter->OnFrameShow = painter->OnLoopStart = painter->OnAnimationStart = painter->OnAnimationEnd = nullptr;
    int frames = 0;
    painter->OnFrameShown = [&](TGIFPainterBase*) {
        ++frames;
        if (onFrame) onFrame(painter->FrameIndex(), screen);
        if (KeepGoing && !KeepGoing()) painter->Stop();
    };
    painter->Start();
    if (const std::exception_ptr failure = painter->Error()) std::rethrow_exception(failure);
    return frames;
}

void TGIFCompositor::ToRGBA(const TBitmap& screen, std::vector<std::uint8_t>& rgba) {
    const int width = screen.Width(), height = screen.Height();
    rgba.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    const std::uint8_t undrawn = UndrawnByte();
    std::uint8_t* out = rgba.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = screen.ScanLine(y);
        for (int x = 0; x < width; ++x, p += 4, out += 4) {
            const bool drawn = p[3] != undrawn;
            out[0] = drawn ? p[2] : 0;
            out[1] = drawn ? p[1] : 0;
            out[2] = drawn ? p[0] : 0;
            out[3] = drawn ? 0xFF : 0;
        }
    }
}
