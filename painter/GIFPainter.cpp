#include "painter/GIFPainter.h"

#include <algorithm>
#include <utility>

#include "gif/GIFImage.h"
#include "painter/GIFAnimatedDraw.h"
#include "painter/PainterBuffers.h"
#include "painter/PainterFastDraw.h"
#include "painter/PainterTiming.h"
#include "raster/Canvas.h"

namespace {
constexpr TColor kSystemWindowColor = 0xFFFFFF;
// Sync waits are cut into slices so the message pump keeps running.
constexpr std::int64_t kSyncSliceMs = 100;

constexpr bool Has(TGIFPainterOptions options, TGIFPaintOption option) {
    return (options & PaintOptionBit(option)) != 0;
}


// Where a frame lands when `rect` stands for the logical screen, each edge
// scaled with rounding. A frame sticking out of the screen is not squeezed in:
// it is cut at the screen's edge, as browsers show it.
TRect FrameArea(const TGIFSubImage& frame, const TRect& rect, int screenWidth, int screenHeight) {
    if (screenWidth <= 0 || screenHeight <= 0) return frame.ScaledFrameRect(rect);
    auto scale = [](int offset, int length, int full) {
        return int((2 * std::int64_t(offset) * length + full) / (2 * std::int64_t(full)));
    };
    return {rect.left + scale(frame.Left(), rect.Width(), screenWidth),
            rect.top + scale(frame.Top(), rect.Height(), screenHeight),
            rect.left + scale(frame.Left() + frame.Width(), rect.Width(), screenWidth),
            rect.top + scale(frame.Top() + frame.Height(), rect.Height(), screenHeight)};
}

// Draws the part of the frame at `area` that lies inside `clip`.
void PaintClipped(TGIFSubImage& frame, TCanvas& target, const TRect& area, const TRect& clip, bool transparent) {
    const bool masked = transparent && frame.IsTransparent() && frame.MaskAvailable();
    const TBitmap* bitmap = frame.RenderedBitmap();
    if (!bitmap || area.IsEmpty()) return;
    const TRect visible = area.Intersect(clip);
    auto back = [](int offset, int length, int full) { return int(std::int64_t(offset) * full / length); };
    const TRect source{back(visible.left - area.left, area.Width(), bitmap->Width()),
                       back(visible.top - area.top, area.Height(), bitmap->Height()),
                       back(visible.right - area.left, area.Width(), bitmap->Width()),
                       back(visible.bottom - area.top, area.Height(), bitmap->Height())};
    if (masked && frame.TransparencyMask)
        target.MaskedCopy(visible, *bitmap, source, TMaskView::Of(*frame.TransparencyMask));
    else
        target.StretchCopy(visible, *bitmap, source);
}
}  // namespace

TGIFPainter::TGIFPainter(TGIFImage* image, TGIFPainterOptions options, const TRect& rect, TCanvas* canvas,
                         TPainterClock* clock)
    : image_(image), options_(options), rect_(rect), canvas_(canvas), clock_(clock ? clock : &SystemPainterClock()) {
    Init(image);
}

TGIFPainter::TGIFPainter(TGIFImage* image, TGIFPainterOptions options, std::unique_ptr<TBitmap> picture,
                         TPainterClock* clock)
    : ownPicture_(std::move(picture)),
      ownCanvas_(ownPicture_ ? std::make_unique<TCanvas>(*ownPicture_) : nullptr),
      image_(image),
      options_(options),
      rect_(ownPicture_ ? ownPicture_->BoundsRect() : TRect{}),
      canvas_(ownCanvas_.get()),
      clock_(clock ? clock : &SystemPainterClock()) {
    Init(image);
}

void TGIFPainter::Init(TGIFImage* image) {
    if (!image) return;
    screenWidth_ = image->Header().ScreenWidth;
    dithered_ = image->ShouldDither();
    screenHeight_ = image->Header().ScreenHeight;
    AnimationSpeed = image->AnimationSpeed;

    if (image->PaintBackground != clNone)
        background_ = image->PaintBackground;
    else if (image->GlobalColors().Count() == 0)
        background_ = kSystemWindowColor;
    else
        background_ = image->BackgroundColor();

    // Only the disposal methods that occur decide which buffers are needed.
    bool toBackground = Has(options_, poClearOnLoop), toPrevious = false;
    const TGIFImageList& frames = image->Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        for (int e = 0; e < frames[i]->ExtensionBlocks().Count(); ++e) {
            auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(frames[i]->ExtensionBlocks()[e]);
            if (!gce) continue;
            toBackground |= gce->DisposalMethod() == dispBackground;
            toPrevious |= gce->DisposalMethod() == dispPrevious;
        }
    }
    if (canvas_ && !rect_.IsEmpty()) {
        if (toBackground && Has(options_, poTransparent)) capture_ = CaptureCanvasArea(canvas_->Bitmap(), rect_);
        if (toBackground || toPrevious) {
            work_ = CaptureCanvasArea(canvas_->Bitmap(), rect_);
            stale_ = work_->BoundsRect();  // the first frame puts the whole buffer on the canvas, as captured
            save_ = std::make_unique<TBitmap>(rect_.Width(), rect_.Height(), canvas_->Bitmap().PixelFormat());
            save_->SetPalette(canvas_->Bitmap().Palette());
        }
    }
    // Unscaled frames on a true-colour canvas are drawn from their indices.
    prepareBitmaps_ = dithered_ || Has(options_, poTile) || !canvas_ ||
                      IsPaletted(canvas_->Bitmap().PixelFormat()) || rect_.Width() != screenWidth_ ||
                      rect_.Height() != screenHeight_;
    if (IsThreaded()) wake_ = std::make_unique<TPainterWakeEvent>();
    image->PainterList().Add(this);
    listed_ = true;
}

TGIFPainter::~TGIFPainter() {
    {
        std::lock_guard<std::mutex> lock(threadLock_);
        if (thread_.joinable()) {
            terminated_ = true;
            if (wake_) wake_->Signal();
        }
    }
    WaitFor();
    Finish();
}

void TGIFPainter::Free() {
    std::exception_ptr error = error_;
    delete this;
    if (error) std::rethrow_exception(error);
}

void TGIFPainter::Start() {
    if (!IsThreaded()) {
        Execute();
        if (FreeOnTerminate) Free();
        return;
    }
    std::lock_guard<std::mutex> lock(threadLock_);
    if (started_) return;
    started_ = true;
    if (FreeOnTerminate) {
        // Nobody joins a self-freeing painter: it deletes itself on its thread and
        // hands a failure to the synchroniser, since no owner is left to see it.
        std::thread([this] {
            Execute();
            std::exception_ptr error = error_;
            TGIFPainterSynchronizer& sync = Synchronizer ? *Synchronizer : PainterSynchronizer();
            delete this;
            if (error) sync.ReportError(error);
        }).detach();
    } else {
        thread_ = std::thread([this] {
            Execute();
            threadDone_ = true;
        });
    }
}

void TGIFPainter::Stop() {
    terminated_ = true;
    if (wake_) wake_->Signal();
    // A threaded painter that was never started must still run to its end, so
    // that it leaves the image's list (and frees itself).
    if (IsThreaded()) {
        bool start = false;
        {
            std::lock_guard<std::mutex> lock(threadLock_);
            start = !started_ && FreeOnTerminate;
        }
        if (start) Start();
    }
}

void TGIFPainter::Restart() {
    restart_ = true;
    // Ending the current wait makes the new run begin at once.
    if (wake_) wake_->Signal();
}

void TGIFPainter::WaitFor() {
    {
        std::lock_guard<std::mutex> lock(threadLock_);
        if (!thread_.joinable() || thread_.get_id() == std::this_thread::get_id()) return;
    }
    // The thread may be waiting for a synchronised call that only this (main)
    // thread can run, so let those through until it has ended. No lock is held
    // meanwhile: those calls may well stop or restart this painter.
    while (!threadDone_) {
        RunGIFSynchronizePump();
        std::this_thread::yield();
    }
    std::lock_guard<std::mutex> lock(threadLock_);
    if (thread_.joinable()) thread_.join();
}

void TGIFPainter::DetachImage() {
    image_ = nullptr;
    listed_ = false;
    terminated_ = true;
    if (wake_) wake_->Signal();
}

void TGIFPainter::Execute() {
    try {
        Body();
    } catch (...) {
        error_ = std::current_exception();
        terminated_ = true;
    }
    Finish();
}

void TGIFPainter::Finish() {
    // Leave the image's list last: once out of it, the image may go away.
    if (!listed_.exchange(false)) return;
    if (TGIFImage* image = image_.load()) {
        std::lock_guard guard(image->PainterList().Lock());
        if (image->ActivePainter == this) image->ActivePainter = nullptr;
        image->PainterList().Remove(this);
    }
}

bool TGIFPainter::ShouldBreak() const { return terminated_ || restart_ || !image_.load(); }

void TGIFPainter::Synchronized(const std::function<void()>& call) {
    if (!IsThreaded()) {
        call();
        return;
    }
    (Synchronizer ? *Synchronizer : PainterSynchronizer()).Synchronize(call);
}

void TGIFPainter::RaiseEvent(const TGIFPainterEvent& handler) {
    if (!handler || terminated_) return;
    Synchronized([this, &handler] {
        if (!terminated_) handler(this);
    });
}

void TGIFPainter::Body() {
    if (Has(options_, poCheckCanvas) && canvas_) canvasIdentity_ = CanvasIdentity();
    restart_ = true;
    while (restart_ && !terminated_ && image_.load()) {
        frameIndex_ = 0;
        RaiseEvent(OnAnimationStart);
        painted_ = false;
        restart_ = false;
        if (!RunPasses()) break;
    }
    frameIndex_ = -1;
    RaiseEvent(OnAnimationEnd);
}

bool TGIFPainter::RunPasses() {
    int passesLeft = 1;
    int loopStart = 0;
    bool loopSeen = false;
    // A synchronous painter waits before the first frame too, so the caller's
    // window gets a chance to paint; a threaded one shows it at once.
    int pendingDelay = IsThreaded() ? 0 : 1;
    previousDisposal_ = dispLeave;
    std::uint32_t stamp = clock_->Now();
    std::int64_t correction = 0;
    while ((passesLeft != 0 || Has(options_, poLoopForever)) && !ShouldBreak()) {
        frameIndex_ = loopStart;
        if (painted_) RaiseEvent(OnLoopStart);
        ShowFrames(passesLeft, loopStart, loopSeen, pendingDelay, stamp, correction);
        if (passesLeft > 0) --passesLeft;
        if (!(Has(options_, poAnimate) && Has(options_, poLoop))) break;
    }
    return image_.load() != nullptr;
}

void TGIFPainter::ShowFrames(int& passesLeft, int& loopStart, bool& loopSeen, int& pendingDelay,
                             std::uint32_t& stamp, std::int64_t& correction) {
    const bool threaded = IsThreaded();
    do {
        if (ShouldBreak()) return;
        TGIFImage* image = image_.load();
        const int index = frameIndex_;
        if (index < 0 || index >= image->Frames().Count()) return;
        TGIFSubImage* frame = image->Frames()[index];
        if (frame->IsEmpty()) return;

        std::int64_t wait = 0;
        const bool timed = pendingDelay >= 1;
        if (!timed) {
            clock_->Sleep(0);
        } else {
            // Decoding before the wait makes it part of the delay (frames drawn
            // straight from their indices need no bitmap).
            if (prepareBitmaps_) frame->RenderedBitmap();
            const std::uint32_t elapsed = clock_->Now() - stamp;
            const painter_timing::TWait w =
                painter_timing::ComputeWait(pendingDelay, AnimationSpeed, elapsed, correction, threaded);
            wait = w.ms;
            correction = w.correction;
            stamp = clock_->Now();
        }
        if (timed) {
            if (threaded)
                WaitThreaded(wait, stamp, correction);
            else
                WaitSynchronous(wait);
        }
        if (ShouldBreak()) return;

        RaiseEvent(OnFrameShow);
        if (ShouldBreak()) return;

        // Extensions in file order: the first looping extension of the run fixes
        // the pass count and where later passes begin; the control extension
        // gives the disposal method.
        std::uint8_t disposal = dispLeave;
        for (int e = 0; e < frame->ExtensionBlocks().Count(); ++e) {
            TGIFExtension* ext = frame->ExtensionBlocks()[e];
            if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(ext)) {
                if (loopSeen) continue;
                loopSeen = true;
                loopStart = index;
                const bool endless = threaded && (loop->LoopCount == 0 || Has(options_, poLoopForever));
                passesLeft = endless ? -1 : loop->LoopCount;
            } else if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(ext)) {
                disposal = gce->DisposalMethod();
                // The reserved codes 4-7: drawn, then left, as browsers do.
                if (disposal > dispPrevious) disposal = dispLeave;
            }
        }
        disposal_ = disposal;

        Synchronized([this, frame, index] {
            if (!terminated_ && image_.load()) DrawFrame(*frame, index);
        });
        previousDisposal_ = disposal_;

        const TGIFGraphicControlExtension* control = frame->ControlExtension();
        pendingDelay = painter_timing::NextDelay(control != nullptr, control ? control->DelayTime : 0, !threaded);

        RaiseEvent(OnFrameShown);
        int expected = index;
        frameIndex_.compare_exchange_strong(expected, index + 1);
    } while (Has(options_, poAnimate));
}

void TGIFPainter::WaitThreaded(std::int64_t wait, std::uint32_t& stamp, std::int64_t& correction) {
    // A speed of 0 or less pauses the animation until the painter is woken;
    // such a painter must not run through its frames at full speed instead.
    if (wait == painter_timing::kInfiniteWait || AnimationSpeed <= 0) {
        wait = painter_timing::kInfiniteWait;
    } else if (wait <= 0) {
        return;
    }
    const std::uint32_t ms = wait == painter_timing::kInfiniteWait
                                 ? kPainterInfinite
                                 : static_cast<std::uint32_t>(std::min<std::int64_t>(wait, kPainterInfinite - 1));
    if (clock_->WaitFor(*wake_, ms)) {
        correction = 0;
        stamp = clock_->Now();
    }
}

void TGIFPainter::WaitSynchronous(std::int64_t wait) {
    TGIFMessagePump& pump = MessagePump ? *MessagePump : PainterMessagePump();
    std::int64_t remaining = std::max<std::int64_t>(wait, 1);
    do {
        const std::uint32_t before = clock_->Now();
        clock_->Sleep(static_cast<std::uint32_t>(std::min(remaining, kSyncSliceMs)));
        // At least 1 ms per slice, so a coarse clock cannot make this endless.
        remaining -= std::max<std::int64_t>(clock_->Now() - before, 1);
        if (!pump.ProcessMessages()) terminated_ = true;
    } while (remaining > 0 && !ShouldBreak());
}

// --- drawing (on the main thread) -------------------------------------------

void TGIFPainter::DrawFrameInto(TGIFSubImage& frame, TCanvas& target, const TRect& rect) {
    if (Has(options_, poTile)) {
        frame.DrawFrame(target, rect, true, Has(options_, poTransparent));
        return;
    }
    // Only the part on the screen is drawn.
    const TRect area = FrameArea(frame, rect, screenWidth_, screenHeight_);
    const TRect screen = rect.Intersect(target.ClipRect());
    if (!dithered_ && PaintFrameDirect(frame, target.Bitmap(), area, screen, Has(options_, poTransparent))) return;
    if (area.Intersect(screen) == area) {
        frame.PaintFrame(target, area, false, Has(options_, poTransparent));
    } else if (!area.Intersect(screen).IsEmpty()) {
        PaintClipped(frame, target, area, screen, Has(options_, poTransparent));
    }
}

void TGIFPainter::CopyToDestination(const TBitmap& buffer) {
    CopyPixels(canvas_->Bitmap(), TPoint{rect_.left, rect_.top}, buffer, buffer.BoundsRect());
}

void TGIFPainter::CopyWorkToDestination() {
    const TRect area = stale_.Intersect(work_->BoundsRect());
    if (!area.IsEmpty())
        CopyPixels(canvas_->Bitmap(), TPoint{rect_.left + area.left, rect_.top + area.top}, *work_, area);
    stale_ = {};
}

void TGIFPainter::MarkStale(const TRect& area) {
    if (area.IsEmpty()) return;
    stale_ = stale_.IsEmpty() ? area
                              : TRect{std::min(stale_.left, area.left), std::min(stale_.top, area.top),
                                      std::max(stale_.right, area.right), std::max(stale_.bottom, area.bottom)};
}

void TGIFPainter::RestoreToBackground(TBitmap& buffer, TRect area) {
    area = area.Intersect(buffer.BoundsRect());
    if (area.IsEmpty()) return;
    if (Has(options_, poTransparent) && capture_)
        CopyPixels(buffer, TPoint{area.left, area.top}, *capture_, area);
    else
        TCanvas(buffer).FillRect(area, background_);
}

void TGIFPainter::RestoreFrameArea(TGIFSubImage& frame) {
    const TRect bounds = work_->BoundsRect();
    if (!Has(options_, poTile)) {
        RestoreToBackground(*work_, FrameArea(frame, bounds, screenWidth_, screenHeight_));
        return;
    }
    // Tiles of the logical screen's size, laid from the top-left corner.
    if (screenWidth_ == 0 || screenHeight_ == 0) return;
    const TRect area = frame.FrameRect();
    for (int y = 0; y < bounds.bottom; y += screenHeight_)
        for (int x = 0; x < bounds.right; x += screenWidth_) RestoreToBackground(*work_, area.Offset(x, y));
}

TGIFPainter::TCanvasIdentity TGIFPainter::CanvasIdentity() const {
    const TBitmap& bitmap = canvas_->Bitmap();
    return {bitmap.Bits(), bitmap.Width(), bitmap.Height()};
}

void TGIFPainter::DrawFrame(TGIFSubImage& frame, int index) {
    if (!canvas_) return;
    // A canvas whose picture was replaced or resized since the start is not
    // the one this painter was made for: stop instead of drawing into it.
    if (Has(options_, poCheckCanvas) && !(CanvasIdentity() == canvasIdentity_)) {
        terminated_ = true;
        return;
    }
    if (!work_) {
        DrawFrameInto(frame, *canvas_, rect_);
    } else {
        const TRect bounds = work_->BoundsRect();
        // Where the frame draws on the work buffer (tiles reach anywhere).
        const TRect drawn =
            Has(options_, poTile) ? bounds : FrameArea(frame, bounds, screenWidth_, screenHeight_).Intersect(bounds);
        if (Has(options_, poClearOnLoop) && index == 0) {
            RestoreToBackground(*work_, bounds);
            MarkStale(bounds);
        }
        switch (disposal_) {
        case dispUnspecified:
        case dispLeave: {
            TCanvas work(*work_);
            DrawFrameInto(frame, work, bounds);
            MarkStale(drawn);
            CopyWorkToDestination();
            break;
        }
        case dispBackground: {
            TCanvas work(*work_);
            DrawFrameInto(frame, work, bounds);
            MarkStale(drawn);
            CopyWorkToDestination();
            RestoreFrameArea(frame);
            MarkStale(drawn);
            break;
        }
        case dispPrevious:
            if (previousDisposal_ == dispUnspecified || previousDisposal_ == dispLeave) {
                // The canvas already shows the work buffer, which stays as it is.
                DrawFrameInto(frame, *canvas_, rect_);
                MarkStale(drawn);
            } else {
                // The canvas may still show the frame the previous disposal
                // removed, so compose on a copy of the work buffer.
                CopyPixels(*save_, TPoint{0, 0}, *work_, bounds);
                TCanvas save(*save_);
                DrawFrameInto(frame, save, bounds);
                CopyToDestination(*save_);
                stale_ = drawn;
            }
            break;
        }
    }
    painted_ = true;
    if (ownPicture_) PublishPicture();
}

void TGIFPainter::PublishPicture() {
    TGIFImage* image = image_.load();
    if (!image) return;
    // The image may have dropped its picture meanwhile (a change of palette,
    // for instance); it gets a new one rather than losing the animation.
    TBitmapPtr& flat = image->FlatBitmap;
    if (!flat || flat->Width() != ownPicture_->Width() || flat->Height() != ownPicture_->Height() ||
        flat->PixelFormat() != ownPicture_->PixelFormat())
        flat.reset(new TBitmap(*ownPicture_));
    else
        CopyPixels(*flat, TPoint{0, 0}, *ownPicture_, ownPicture_->BoundsRect());
    image->Changed();
}
