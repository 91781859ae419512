#include "painter/GIFAnimatedDraw.h"

#include <memory>
#include <thread>

#include "gif/GIFImage.h"
#include "gif/GIFImageDraw.h"
#include "painter/GIFPainter.h"
#include "raster/Canvas.h"

namespace {

// Stops the painter and, when it runs in a thread, waits until it has left the
// image's list, letting its synchronised calls through meanwhile.
void StopAndAwait(TGIFImage& image, TGIFPainterBase* painter) {
    bool threaded = false;
    {
        std::lock_guard guard(image.PainterList().Lock());
        if (!image.PainterList().Contains(painter)) return;
        painter->Stop();
        threaded = painter->IsThreaded();
    }
    while (threaded && image.PainterList().Contains(painter)) {
        if (!RunGIFSynchronizePump()) return;
        std::this_thread::yield();
    }
}

// True while `painter` is registered and has neither painted nor been stopped.
bool StillPreparing(TGIFImage& image, TGIFPainter* painter) {
    std::lock_guard guard(image.PainterList().Lock());
    // A painter leaves the list before it is freed, so under the lock a listed
    // painter is alive.
    if (!image.PainterList().Contains(painter)) return false;
    return !painter->Terminated() && !painter->Painted();
}

}  // namespace

void DrawAnimatedGIF(TGIFImage& image, TCanvas& canvas, const TRect& rect) {
    const bool direct = image.HasPaintOption(poDirect);
    TGIFPainter* started = nullptr;
    {
        std::unique_lock guard(image.PainterList().Lock());
        auto* active = dynamic_cast<TGIFPainter*>(image.ActivePainter);
        if (active && image.PainterList().Contains(active) && direct && active->Canvas() == &canvas &&
            active->Rect() == rect)
            return;  // already playing here
        if (image.ActivePainter) {
            TGIFPainterBase* old = image.ActivePainter;
            image.ActivePainter = nullptr;
            guard.unlock();
            StopAndAwait(image, old);
            guard.lock();
        }
        TGIFPainterOptions options = image.PaintOptions();
        if (image.Frames().Count() <= 1) options &= ~(PaintOptionBit(poThreaded) | PaintOptionBit(poAnimate));
        TGIFPainter* painter = nullptr;
        if (direct) {
            painter = new TGIFPainter(&image, options, rect, &canvas);
        } else {
            if (image.Width() <= 0 || image.Height() <= 0) return;
            // The picture starts as what the canvas shows there, so transparent
            // frames show the caller's background.
            auto picture = std::make_unique<TBitmap>(image.Width(), image.Height(), pf24bit);
            TCanvas(*picture).StretchCopy(picture->BoundsRect(), canvas.Bitmap(), rect);
            painter = new TGIFPainter(&image, options, std::move(picture));
        }
        image.ActivePainter = painter;
        started = painter;
    }
    const bool threaded = started->IsThreaded();
    started->Start();  // a synchronous painter has played (and freed itself) here
    if (direct) return;
    while (threaded && StillPreparing(image, started)) {
        if (!RunGIFSynchronizePump()) break;
        std::this_thread::yield();
    }
    DrawGIFFlatBitmap(image, canvas, rect);
}

