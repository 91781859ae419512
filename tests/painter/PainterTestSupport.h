#pragma once
// Helpers for painter tests: animations built in memory from a few numbers, a
// fake clock, and a synchroniser whose calls the test thread runs.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

#include "gif/GIFImage.h"
#include "painter/GIFPainter.h"
#include "painter/PainterClock.h"
#include "gif/GIFPainterHost.h"

namespace painter_test {

// Colour table of every test animation.
constexpr TColor kBlack = 0x000000, kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

struct FrameRecipe {
    int left = 0, top = 0, width = 4, height = 4;
    int fill = 1;             // colour index of every pixel
    int delay = 10;           // hundredths; -1: no graphic control extension
    int disposal = 1;
    int transparent = -1;     // transparent index, or -1
    int loopCount = -1;       // a looping extension before this frame's control extension
};

// An animation on a screen of the given size with the colour table black, red,
// green, blue, white (indices 0..4) as the global table.
inline std::unique_ptr<TGIFImage> MakeAnimation(int width, int height, const std::vector<FrameRecipe>& frames) {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = static_cast<std::uint16_t>(width);
    image->Header().ScreenHeight = static_cast<std::uint16_t>(height);
    for (TColor c : {kBlack, kRed, kGreen, kBlue, kWhite}) image->GlobalColors().AddColor(c);
    for (const FrameRecipe& recipe : frames) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->PlaceFrame(recipe.left, recipe.top, recipe.width, recipe.height);
        if (std::uint8_t* p = frame->PixelData())
            std::fill(p, p + frame->PixelDataSize(), static_cast<std::uint8_t>(recipe.fill));
        if (recipe.loopCount >= 0) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(frame.get());
            loop->LoopCount = static_cast<std::uint16_t>(recipe.loopCount);
            frame->ExtensionBlocks().Add(std::move(loop));
        }
        if (recipe.delay >= 0) {
            auto gce = std::make_unique<TGIFGraphicControlExtension>(frame.get());
            gce->DelayTime = static_cast<std::uint16_t>(recipe.delay);
            gce->SetDisposalMethod(static_cast<std::uint8_t>(recipe.disposal));
            if (recipe.transparent >= 0) {
                gce->SetTransparentIndex(recipe.transparent);
                gce->SetUsesTransparency(true);
            }
            frame->ExtensionBlocks().Add(std::move(gce));
        }
        image->AddFrame(std::move(frame));
    }
    return image;
}

// Time moves only when the painter sleeps or waits. With Hold set, a timed
// wait blocks for real until the wake-up event is signalled, so a test can
// stop a painter in the middle of a long delay.
class FakeClock : public TPainterClock {
public:
    std::uint32_t Now() override { return now_.load(); }
    void Sleep(std::uint32_t ms) override {
        now_ += ms;
        std::lock_guard<std::mutex> lock(mutex_);
        sleeps_.push_back(ms);
    }
    bool WaitFor(TPainterWakeEvent& event, std::uint32_t ms) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            waits_.push_back(ms);
            ++pendingWaits_;
        }
        changed_.notify_all();
        bool signalled = event.TryConsume();
        if (!signalled && (Hold || ms == kPainterInfinite)) signalled = event.Wait(kPainterInfinite);
        if (!signalled) now_ += ms;
        std::lock_guard<std::mutex> lock(mutex_);
        --pendingWaits_;
        return signalled;
    }
    std::vector<std::uint32_t> Waits() {
        std::lock_guard<std::mutex> lock(mutex_);
        return waits_;
    }
    std::vector<std::uint32_t> Sleeps() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sleeps_;
    }
    // Blocks until the painter sits in a wait.
    void AwaitWaiting() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return pendingWaits_ > 0; });
    }
    std::atomic<bool> Hold{false};

private:
    std::atomic<std::uint32_t> now_{1000};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint32_t> waits_, sleeps_;
    int pendingWaits_ = 0;
};

// Calls from the painter thread are queued and run by the test thread in
// RunPending, like the GUI's blocking queued calls; failures travel back.
class QueueSynchronizer : public TGIFPainterSynchronizer {
public:
    void Synchronize(const std::function<void()>& call) override {
        auto job = std::make_shared<Job>();
        job->call = &call;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(job);
        }
        changed_.notify_all();
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return job->done; });
        if (job->error) std::rethrow_exception(job->error);
    }
    void ReportError(std::exception_ptr error) override {
        std::lock_guard<std::mutex> lock(mutex_);
        reported_ = error;
    }
    // Runs queued calls, waiting up to `ms` for the first; answers how many ran.
    int RunPending(int ms = 0) {
        int ran = 0;
        std::unique_lock<std::mutex> lock(mutex_);
        if (ms > 0) changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !queue_.empty(); });
        while (!queue_.empty()) {
            auto job = queue_.front();
            queue_.pop_front();
            lock.unlock();
            try {
                (*job->call)();
            } catch (...) {
                job->error = std::current_exception();
            }
            lock.lock();
            job->done = true;
            ++ran;
            changed_.notify_all();
        }
        return ran;
    }
    std::exception_ptr Reported() {
        std::lock_guard<std::mutex> lock(mutex_);
        return reported_;
    }

private:
    struct Job {
        const std::function<void()>* call = nullptr;
        std::exception_ptr error;
        bool done = false;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Job>> queue_;
    std::exception_ptr reported_;
};

// A message pump that runs a test's action on every call.
class ScriptedPump : public TGIFMessagePump {
public:
    std::function<bool()> OnPump;
    int Calls = 0;
    bool ProcessMessages() override {
        ++Calls;
        return OnPump ? OnPump() : true;
    }
};

// A set of painter options from a list: Opt({poAnimate, poLoop}).
constexpr TGIFPainterOptions Opt(std::initializer_list<TGIFPaintOption> options) {
    TGIFPainterOptions set = 0;
    for (TGIFPaintOption o : options) set |= PaintOptionBit(o);
    return set;
}

}  // namespace painter_test
