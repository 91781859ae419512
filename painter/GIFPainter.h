#pragma once
// TGIFPainter plays a TGIFImage onto a canvas over time: it shows the frames in
// order, waits each frame's delay, applies each frame's disposal method, repeats
// the animation as the looping extension says and reports progress through five
// events. It runs on a thread of its own (poThreaded: every drawing and every
// event then goes through the main thread's synchroniser) or inside the calling
// thread, keeping the program responsive through the message pump.
//
// Lifetime: like a self-freeing thread, a painter with FreeOnTerminate (the
// default) deletes itself when its body ends: a synchronous one at the end of
// Start, a threaded one on its thread. Owners that want to wait for it and read
// its failure clear FreeOnTerminate before Start, then call WaitFor and Free.
// The image keeps the painter in its painter list from construction until the
// painter ends.

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "gif/GIFPainterBase.h"
#include "gif/GIFTypes.h"
#include "painter/PainterClock.h"
#include "gif/GIFPainterHost.h"
#include "raster/Bitmap.h"
#include "raster/Geometry.h"

class TCanvas;
class TGIFImage;
class TGIFSubImage;

// A 16-bit set of TGIFPaintOption bits (PaintOptionBit).
using TGIFPainterOptions = std::uint16_t;

class TGIFPainter : public TGIFPainterBase {
public:
    // Builds a suspended painter of `image` (not owned) onto `canvas` (not
    // owned) in `rect`: the background colour, the buffers the frames' disposal
    // methods need and the background capture. Registers it with the image.
    // `clock` (not owned) defaults to the system clock.
    TGIFPainter(TGIFImage* image, TGIFPainterOptions options, const TRect& rect, TCanvas* canvas,
                TPainterClock* clock = nullptr);
    // A painter onto a picture of its own (`picture`, whose whole area is the
    // destination), published to the image as its FlatBitmap after each frame,
    // with the image's change notification, so the image's viewers repaint.
    TGIFPainter(TGIFImage* image, TGIFPainterOptions options, std::unique_ptr<TBitmap> picture,
                TPainterClock* clock = nullptr);
    // Stops and joins a thread still running; removes the painter from the
    // image's list. Never throws: see Free.
    ~TGIFPainter() override;
    TGIFPainter(const TGIFPainter&) = delete;
    TGIFPainter& operator=(const TGIFPainter&) = delete;

    // Threaded: starts the thread. Synchronous: runs the body here and returns
    // when the animation has ended (then frees the painter if FreeOnTerminate,
    // raising a failure of the body).
    void Start();
    // The body; a synchronous painter's owner may call it directly instead of Start.
    void Execute();
    // Asks the painter to end; a threaded one is woken from its wait at once.
    void Stop() override;
    // Breaks off the current pass and starts again from frame 0.
    void Restart();
    // Waits until the thread has ended (a no-op for synchronous painters).
    void WaitFor();
    // Deletes the painter; a failure caught in its body is raised again here.
    void Free();

    bool IsThreaded() const override { return HasOption(poThreadedBit); }
    void DetachImage() override;

    TGIFImage* Image() const { return image_.load(); }
    TGIFPainterOptions Options() const { return options_; }
    TRect Rect() const { return rect_; }
    TCanvas* Canvas() const { return canvas_; }
    bool Terminated() const { return terminated_.load(); }
    // Set once a frame has been drawn.
    bool Painted() const { return painted_.load(); }
    // The frame being shown; -1 before the first and after the last. An
    // OnFrameShown handler may set it to jump: the painter only advances when
    // the index is unchanged after that event.
    int FrameIndex() const { return frameIndex_.load(); }
    void SetFrameIndex(int index) { frameIndex_.store(index); }
    // The failure caught in the body, if any.
    std::exception_ptr Error() const { return error_; }

    // Percent; 100 = as stored. Copied from the image; set before Start.
    int AnimationSpeed = 100;
    bool FreeOnTerminate = true;
    TColor BackgroundColor() const { return background_; }

    // Events, copied from the image; each receives the painter.
    TGIFPainterEvent OnAnimationStart;
    TGIFPainterEvent OnLoopStart;
    TGIFPainterEvent OnFrameShow;
    TGIFPainterEvent OnFrameShown;
    TGIFPainterEvent OnAnimationEnd;

    // Main-thread bridges; default to the process-wide ones. Set before Start.
    TGIFPainterSynchronizer* Synchronizer = nullptr;
    TGIFMessagePump* MessagePump = nullptr;
    // The buffers (null when not needed); for tests and tools.
    const TBitmap* WorkBuffer() const { return work_.get(); }
    const TBitmap* SaveBuffer() const { return save_.get(); }
    const TBitmap* BackgroundCapture() const { return capture_.get(); }

private:
    static constexpr int poThreadedBit = 0;
    bool HasOption(int bit) const { return (options_ & (1u << bit)) != 0; }

    void Body();
    bool RunPasses();
    void ShowFrames(int& passesLeft, int& loopStart, bool& loopSeen, int& pendingDelay, std::uint32_t& stamp,
                    std::int64_t& correction);
    void WaitThreaded(std::int64_t wait, std::uint32_t& stamp, std::int64_t& correction);
    void WaitSynchronous(std::int64_t wait);
    bool ShouldBreak() const;
    void Finish();

    void Synchronized(const std::function<void()>& call);
    void RaiseEvent(const TGIFPainterEvent& handler);

    void DrawFrame(TGIFSubImage& frame, int index);
    void DrawFrameInto(TGIFSubImage& frame, TCanvas& target, const TRect& rect);
    void CopyToDestination(const TBitmap& buffer);
    // Copies the part of the work buffer the canvas may not show yet: frames
    // change a small part of a large screen, which is all that is copied.
    void CopyWorkToDestination();
    void MarkStale(const TRect& area);  // in work buffer coordinates
    void RestoreToBackground(TBitmap& buffer, TRect area);
    void RestoreFrameArea(TGIFSubImage& frame);

    void Init(TGIFImage* image);
    void PublishPicture();

    // Declared first: the picture must exist before the destination refers to it.
    std::unique_ptr<TBitmap> ownPicture_;
    std::unique_ptr<TCanvas> ownCanvas_;
    std::atomic<TGIFImage*> image_;
    const TGIFPainterOptions options_;
    const TRect rect_;
    TCanvas* const canvas_;
    TPainterClock* const clock_;
    TColor background_ = 0;
    std::uint16_t screenWidth_ = 0, screenHeight_ = 0;
    bool dithered_ = false;  // frames are drawn in the fixed web palette
    bool prepareBitmaps_ = true;  // frames are drawn through their rendered bitmaps

    std::atomic<int> frameIndex_{-1};
    std::uint8_t disposal_ = dispUnspecified;
    std::uint8_t previousDisposal_ = dispLeave;
    std::atomic<bool> restart_{false};
    std::atomic<bool> painted_{false};
    std::atomic<bool> terminated_{false};

    std::unique_ptr<TBitmap> work_;
    std::unique_ptr<TBitmap> save_;
    std::unique_ptr<TBitmap> capture_;
    TRect stale_;  // where the canvas may differ from the work buffer
    std::unique_ptr<TPainterWakeEvent> wake_;

    struct TCanvasIdentity {
        const std::uint8_t* bits = nullptr;
        int width = 0, height = 0;
        friend bool operator==(const TCanvasIdentity&, const TCanvasIdentity&) = default;
    };
    TCanvasIdentity CanvasIdentity() const;
    TCanvasIdentity canvasIdentity_;  // with poCheckCanvas: the canvas's picture at the start

    std::exception_ptr error_;
    std::atomic<bool> threadDone_{false};
    std::mutex threadLock_;
    std::thread thread_;
    bool started_ = false;
    std::atomic<bool> listed_{false};
};
