// The painter's run, pass and frame loops: timing with a fake clock, loop
// counts, restarts, jumps, stopping, failures and its place in the image's list.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

#include "painter/GIFPainter.h"
#include "painter/PainterTestSupport.h"
#include "raster/Canvas.h"

using namespace painter_test;

namespace {

const TGIFPainterOptions kAnimate = Opt({poAnimate});
const TGIFPainterOptions kLooping = Opt({poAnimate, poLoop});

// Runs one painter to its end and records what it reported.
struct PainterRun {
    std::unique_ptr<TGIFImage> image;
    TBitmap bitmap{8, 8, pf24bit};
    TCanvas canvas{bitmap};
    FakeClock clock;
    QueueSynchronizer sync;
    ScriptedPump pump;
    TGIFPainter* painter = nullptr;
    std::vector<std::string> events;
    std::vector<std::uint32_t> showTimes;  // clock at each OnFrameShow
    std::vector<int> shown;                // FrameIndex at each OnFrameShown
    int passes = 0;                        // OnLoopStart count + 1 for the first pass
    std::thread::id eventThread;
    bool eventsOffMainThread = false;
    std::function<void(TGIFPainter&)> onShown;
    std::function<void(TGIFPainter&)> onLoop;

    explicit PainterRun(std::unique_ptr<TGIFImage> img) : image(std::move(img)) {}

    void Make(TGIFPainterOptions options, int speed = 100) {
        painter = new TGIFPainter(image.get(), options, TRect{0, 0, 8, 8}, &canvas, &clock);
        painter->FreeOnTerminate = false;
        painter->AnimationSpeed = speed;
        painter->Synchronizer = &sync;
        painter->MessagePump = &pump;
        const std::thread::id main = std::this_thread::get_id();
        auto note = [this, main](const std::string& what) {
            if (std::this_thread::get_id() != main) eventsOffMainThread = true;
            events.push_back(what + " " + std::to_string(painter->FrameIndex()));
        };
        painter->OnAnimationStart = [=, this](TGIFPainterBase*) { note("start"); ++passes; };
        painter->OnLoopStart = [=, this](TGIFPainterBase*) {
            note("loop");
            ++passes;
            if (onLoop) onLoop(*painter);
        };
        painter->OnFrameShow = [=, this](TGIFPainterBase*) {
            note("show");
            showTimes.push_back(clock.Now());
        };
        painter->OnFrameShown = [=, this](TGIFPainterBase*) {
            shown.push_back(painter->FrameIndex());
            if (onShown) onShown(*painter);
        };
        painter->OnAnimationEnd = [=](TGIFPainterBase*) { note("end"); };
    }

    // Runs to the end; a threaded painter's calls are served on this thread.
    void Play() {
        painter->Start();
        if (painter->IsThreaded()) {
            while (image->PainterList().Contains(painter)) sync.RunPending(5);
            painter->WaitFor();
        }
    }
    void Free() {
        TGIFPainter* p = painter;
        painter = nullptr;
        p->Free();
    }
    ~PainterRun() {
        if (painter) {
            painter->Stop();
            while (painter->IsThreaded() && image->PainterList().Contains(painter)) sync.RunPending(5);
            try {
                Free();
            } catch (...) {
            }
        }
    }
};

std::vector<std::uint32_t> Gaps(const std::vector<std::uint32_t>& times, std::uint32_t start) {
    std::vector<std::uint32_t> gaps;
    for (std::uint32_t t : times) {
        gaps.push_back(t - start);
        start = t;
    }
    return gaps;
}

std::vector<FrameRecipe> Frames(std::initializer_list<int> delays) {
    std::vector<FrameRecipe> frames;
    for (int d : delays) frames.push_back(FrameRecipe{.delay = d});
    return frames;
}

}  // namespace

TEST(GIFPainterTiming, SynchronousWaitsFollowDelaysAndSpeed) {
    // Delays 0, 1, 5000: the waits before the next frame are 10, 3 and (capped) 1000 units.
    struct Case {
        int speed;
        std::vector<std::uint32_t> want;  // ms from start to frame 0, then between frames
    } cases[] = {
        {100, {12, 120, 36, 12000}},
        {200, {6, 60, 18, 6000}},
        {50, {24, 240, 72, 24000}},
    };
    for (const Case& c : cases) {
        PainterRun run(MakeAnimation(8, 8, Frames({0, 1, 5000, 7})));
        run.Make(kAnimate, c.speed);
        const std::uint32_t start = run.clock.Now();
        run.Play();
        EXPECT_EQ(Gaps(run.showTimes, start), c.want) << "speed " << c.speed;
        for (std::uint32_t s : run.clock.Sleeps()) EXPECT_LE(s, 100u) << "sleeps come in slices of at most 100 ms";
    }
}

TEST(GIFPainterTiming, ThreadedWaitsAreNotCappedAndTheFirstFrameIsNotDelayed) {
    struct Case {
        int speed;
        std::vector<std::uint32_t> want;
    } cases[] = {
        {100, {120, 36, 60000}},
        {200, {60, 18, 30000}},
        {50, {240, 72, 120000}},
    };
    for (const Case& c : cases) {
        PainterRun run(MakeAnimation(8, 8, Frames({0, 1, 5000, 7})));
        run.Make(Opt({poThreaded, poAnimate}), c.speed);
        run.Play();
        EXPECT_EQ(run.clock.Waits(), c.want) << "speed " << c.speed;
        ASSERT_EQ(run.shown.size(), 4u);
        EXPECT_FALSE(run.eventsOffMainThread) << "events of a threaded painter run on the main thread";
    }
}

TEST(GIFPainterTiming, FrameWithoutControlExtensionWaitsTheDefault) {
    PainterRun run(MakeAnimation(8, 8, Frames({-1, -1, 5})));
    run.Make(kAnimate);
    const std::uint32_t start = run.clock.Now();
    run.Play();
    EXPECT_EQ(Gaps(run.showTimes, start), (std::vector<std::uint32_t>{12, 120, 120}));
}

TEST(GIFPainterTiming, SynchronousPainterAtSpeedZeroWaitsTwelveSeconds) {
    PainterRun run(MakeAnimation(8, 8, Frames({5, 5})));
    run.Make(kAnimate, 0);
    const std::uint32_t start = run.clock.Now();
    run.Play();
    EXPECT_EQ(Gaps(run.showTimes, start), (std::vector<std::uint32_t>{12000, 12000}));
}

TEST(GIFPainterLoops, PassesFollowTheLoopCount) {
    struct Case {
        int loopCount;  // -1: no looping extension
        bool forever;
        bool threaded;
        int want;  // passes; 0 = endless (stopped by the test after 5)
    } cases[] = {
        {-1, false, false, 1}, {1, false, false, 1}, {3, false, false, 3}, {3, false, true, 3},
        {0, false, false, 1},  {0, false, true, 0},  {0, true, false, 0},  {0, true, true, 0},
        {3, true, false, 0},   {1, false, true, 1},
    };
    for (const Case& c : cases) {
        std::vector<FrameRecipe> frames = Frames({2, 2});
        frames[0].loopCount = c.loopCount;
        PainterRun run(MakeAnimation(8, 8, frames));
        TGIFPainterOptions options = kLooping;
        if (c.forever) options |= PaintOptionBit(poLoopForever);
        if (c.threaded) options |= PaintOptionBit(poThreaded);
        run.Make(options);
        run.onLoop = [&run](TGIFPainter& p) {
            if (run.passes == 6) p.Stop();
        };
        run.Play();
        const std::string label = "loop " + std::to_string(c.loopCount) + " forever " + std::to_string(c.forever) +
                                  " threaded " + std::to_string(c.threaded);
        if (c.want == 0) {
            EXPECT_EQ(run.passes, 6) << label << ": endless until stopped";
            EXPECT_NE(run.events.back(), "end -1") << label << ": no event after Stop";
        } else {
            EXPECT_EQ(run.passes, c.want) << label;
            EXPECT_EQ(static_cast<int>(run.shown.size()), 2 * c.want) << label;
            EXPECT_EQ(run.events.back(), "end -1") << label;
        }
        EXPECT_EQ(run.painter->FrameIndex(), -1) << label;
    }
}

TEST(GIFPainterLoops, WithoutLoopOptionOnePassWithoutAnimateOneFrame) {
    std::vector<FrameRecipe> frames = Frames({2, 2, 2});
    frames[0].loopCount = 3;
    PainterRun once(MakeAnimation(8, 8, frames));
    once.Make(kAnimate);
    once.Play();
    EXPECT_EQ(once.shown, (std::vector<int>{0, 1, 2}));

    PainterRun still(MakeAnimation(8, 8, frames));
    still.Make(Opt({poLoop}));
    still.Play();
    EXPECT_EQ(still.shown, (std::vector<int>{0}));
}

TEST(GIFPainterLoops, LaterPassesStartAtTheFrameHoldingTheLoopExtension) {
    std::vector<FrameRecipe> frames = Frames({2, 2, 2});
    frames[1].loopCount = 2;
    PainterRun run(MakeAnimation(8, 8, frames));
    run.Make(kLooping);
    run.Play();
    EXPECT_EQ(run.shown, (std::vector<int>{0, 1, 2, 1, 2}));
}

TEST(GIFPainterLoops, AnEmptyFrameEndsThePass) {
    std::vector<FrameRecipe> frames = Frames({2, 2, 2});
    frames[1].width = 0;
    frames[1].height = 0;
    PainterRun run(MakeAnimation(8, 8, frames));
    run.Make(kAnimate);
    run.Play();
    EXPECT_EQ(run.shown, (std::vector<int>{0}));
}

TEST(GIFPainterEvents, EventsComeInOrder) {
    std::vector<FrameRecipe> frames = Frames({2, 2});
    frames[0].loopCount = 2;
    PainterRun run(MakeAnimation(8, 8, frames));
    run.Make(kLooping);
    run.Play();
    EXPECT_EQ(run.events, (std::vector<std::string>{"start 0", "show 0", "show 1", "loop 0", "show 0", "show 1",
                                                    "end -1"}));
}

TEST(GIFPainterEvents, FrameShownHandlerJumps) {
    for (bool threaded : {false, true}) {
        PainterRun run(MakeAnimation(8, 8, Frames({2, 2, 2, 2})));
        run.Make(threaded ? Opt({poAnimate, poThreaded}) : kAnimate);
        bool jumped = false;
        run.onShown = [&jumped](TGIFPainter& p) {
            if (p.FrameIndex() == 2 && !jumped) {
                jumped = true;
                p.SetFrameIndex(0);
            }
        };
        run.Play();
        EXPECT_EQ(run.shown, (std::vector<int>{0, 1, 2, 0, 1, 2, 3})) << "threaded " << threaded;
    }
}

TEST(GIFPainterEvents, JumpOutsideTheFramesEndsThePass) {
    for (int target : {-7, 4, 1000}) {
        PainterRun run(MakeAnimation(8, 8, Frames({2, 2, 2, 2})));
        run.Make(kAnimate);
        run.onShown = [target](TGIFPainter& p) { p.SetFrameIndex(target); };
        run.Play();
        EXPECT_EQ(run.shown, (std::vector<int>{0})) << "jump to " << target;
        EXPECT_EQ(run.events.back(), "end -1") << "jump to " << target;
    }
}

TEST(GIFPainterEvents, RestartBeginsAgainFromFrameZero) {
    for (bool threaded : {false, true}) {
        PainterRun run(MakeAnimation(8, 8, Frames({2, 2, 2})));
        run.Make(threaded ? Opt({poAnimate, poThreaded}) : kAnimate);
        int restarts = 0;
        run.onShown = [&restarts](TGIFPainter& p) {
            if (p.FrameIndex() == 1 && restarts++ == 0) p.Restart();
        };
        run.Play();
        EXPECT_EQ(run.shown, (std::vector<int>{0, 1, 0, 1, 2})) << "threaded " << threaded;
        EXPECT_EQ(std::count(run.events.begin(), run.events.end(), "start 0"), 2) << "threaded " << threaded;
    }
}

TEST(GIFPainterStop, StopEndsALongThreadedWaitAtOnce) {
    PainterRun run(MakeAnimation(8, 8, Frames({5000, 5000, 5000})));
    run.Make(Opt({poAnimate, poThreaded}));
    run.clock.Hold = true;
    run.painter->Start();
    // Serve calls until the painter sits in its 60 s wait after frame 0.
    while (run.clock.Waits().empty()) run.sync.RunPending(5);
    run.clock.AwaitWaiting();
    run.painter->Stop();
    while (run.image->PainterList().Contains(run.painter)) run.sync.RunPending(5);
    run.painter->WaitFor();
    EXPECT_EQ(run.clock.Waits(), (std::vector<std::uint32_t>{60000}));
    EXPECT_EQ(run.shown, (std::vector<int>{0})) << "nothing is shown after Stop";
    EXPECT_TRUE(run.painter->Terminated());
}

TEST(GIFPainterStop, StopFromTheMessagePumpEndsASynchronousWait) {
    PainterRun run(MakeAnimation(8, 8, Frames({1000, 1000})));
    run.Make(kAnimate);
    std::uint32_t stopAt = 0;
    run.pump.OnPump = [&] {
        if (run.shown.size() == 1 && stopAt == 0) {
            stopAt = run.clock.Now();
            run.painter->Stop();
        }
        return true;
    };
    run.Play();
    EXPECT_EQ(run.shown, (std::vector<int>{0}));
    EXPECT_EQ(run.showTimes.size(), 1u);
    EXPECT_NE(stopAt, 0u);
}

TEST(GIFPainterStop, QuitMessageTerminates) {
    PainterRun run(MakeAnimation(8, 8, Frames({10, 10, 10})));
    run.Make(kAnimate);
    run.pump.OnPump = [&run] { return run.shown.size() < 1; };
    run.Play();
    EXPECT_EQ(run.shown, (std::vector<int>{0}));
    EXPECT_TRUE(run.painter->Terminated());
}

TEST(GIFPainterStop, SpeedZeroThreadedPainterWaitsUntilStopped) {
    PainterRun run(MakeAnimation(8, 8, Frames({2, 2})));
    run.Make(Opt({poAnimate, poThreaded}), 0);
    run.painter->Start();
    while (run.clock.Waits().empty()) run.sync.RunPending(5);
    EXPECT_EQ(run.clock.Waits().front(), kPainterInfinite);
    run.painter->Stop();
    while (run.image->PainterList().Contains(run.painter)) run.sync.RunPending(5);
    run.painter->WaitFor();
    EXPECT_EQ(run.shown, (std::vector<int>{0}));
}

TEST(GIFPainterLifetime, PainterLeavesTheImageListAndActiveReference) {
    auto image = MakeAnimation(8, 8, Frames({2, 2}));
    TBitmap bitmap(8, 8, pf24bit);
    TCanvas canvas(bitmap);
    FakeClock clock;
    auto* painter = new TGIFPainter(image.get(), kAnimate, TRect{0, 0, 8, 8}, &canvas, &clock);
    image->ActivePainter = painter;
    EXPECT_TRUE(image->PainterList().Contains(painter));
    painter->Start();  // synchronous and self-freeing: gone afterwards
    EXPECT_EQ(image->PainterList().Count(), 0);
    EXPECT_EQ(image->ActivePainter, nullptr);
}

TEST(GIFPainterLifetime, SelfFreeingThreadedPainterIsAwaitedByStopPainting) {
    auto image = MakeAnimation(8, 8, Frames({5000, 5000}));
    TBitmap bitmap(8, 8, pf24bit);
    TCanvas canvas(bitmap);
    QueueSynchronizer sync;
    const TGIFPainterHostScope host({.SynchronizePump = [&sync] {
        sync.RunPending(1);
        return true;
    }});
    auto* painter = new TGIFPainter(image.get(), Opt({poAnimate, poThreaded, poLoop}), TRect{0, 0, 8, 8}, &canvas);
    painter->Synchronizer = &sync;
    painter->Start();
    image->StopPainting();  // returns only once the painter has left the list
    EXPECT_EQ(image->PainterList().Count(), 0);
}

TEST(GIFPainterLifetime, FailureInTheBodyIsRaisedWhenFreed) {
    for (bool threaded : {false, true}) {
        PainterRun run(MakeAnimation(8, 8, Frames({2, 2})));
        run.Make(threaded ? Opt({poAnimate, poThreaded}) : kAnimate);
        run.painter->OnFrameShow = [](TGIFPainterBase*) { throw std::runtime_error("boom"); };
        run.Play();
        EXPECT_TRUE(run.painter->Terminated()) << "threaded " << threaded;
        EXPECT_EQ(run.shown.size(), 0u);
        EXPECT_EQ(run.image->PainterList().Count(), 0);
        try {
            run.Free();
            ADD_FAILURE() << "Free must raise the stored failure";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "boom");
        }
    }
}

TEST(GIFPainterLifetime, SelfFreeingThreadedPainterReportsItsFailure) {
    auto image = MakeAnimation(8, 8, Frames({2}));
    TBitmap bitmap(8, 8, pf24bit);
    TCanvas canvas(bitmap);
    QueueSynchronizer sync;
    auto* painter = new TGIFPainter(image.get(), Opt({poAnimate, poThreaded}), TRect{0, 0, 8, 8}, &canvas);
    painter->Synchronizer = &sync;
    painter->OnFrameShow = [](TGIFPainterBase*) { throw std::runtime_error("lost?"); };
    painter->Start();
    while (!sync.Reported()) sync.RunPending(5);
    EXPECT_EQ(image->PainterList().Count(), 0);
}

TEST(GIFPainterLifetime, ImageDestroyedDuringASynchronousWait) {
    auto image = MakeAnimation(8, 8, Frames({100, 100, 100}));
    TBitmap bitmap(8, 8, pf24bit);
    TCanvas canvas(bitmap);
    FakeClock clock;
    ScriptedPump pump;
    auto* painter = new TGIFPainter(image.get(), kAnimate, TRect{0, 0, 8, 8}, &canvas, &clock);
    painter->FreeOnTerminate = false;
    painter->MessagePump = &pump;
    int shown = 0;
    painter->OnFrameShown = [&shown](TGIFPainterBase*) { ++shown; };
    pump.OnPump = [&] {
        if (shown == 1) image.reset();  // the user closed the document meanwhile
        return true;
    };
    painter->Start();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(painter->Image(), nullptr);
    painter->Free();
}

TEST(GIFPainterLifetime, StoppingANeverStartedThreadedPainterFreesIt) {
    auto image = MakeAnimation(8, 8, Frames({2, 2}));
    TBitmap bitmap(8, 8, pf24bit);
    TCanvas canvas(bitmap);
    QueueSynchronizer sync;
    const TGIFPainterHostScope host({.SynchronizePump = [&sync] {
        sync.RunPending(1);
        return true;
    }});
    auto* painter = new TGIFPainter(image.get(), Opt({poAnimate, poThreaded}), TRect{0, 0, 8, 8}, &canvas);
    painter->Synchronizer = &sync;
    image->StopPainting();
    EXPECT_EQ(image->PainterList().Count(), 0);
}

TEST(GIFPainterStop, CheckCanvasStopsWhenTheCanvasPictureIsReplaced) {
    for (bool check : {false, true}) {
        PainterRun run(MakeAnimation(8, 8, Frames({2, 2, 2})));
        run.Make(check ? Opt({poAnimate, poCheckCanvas}) : kAnimate);
        run.onShown = [&run](TGIFPainter& p) {
            if (p.FrameIndex() == 0) run.bitmap.SetSize(4, 4);  // the window was resized meanwhile
        };
        run.Play();
        EXPECT_EQ(run.shown.size(), check ? 1u : 3u) << "check " << check;
    }
}

TEST(GIFPainterLifetime, FreeingAThreadedPainterLetsItsPendingCallsThrough) {
    auto image = MakeAnimation(8, 8, Frames({2, 2}));
    TBitmap bitmap(8, 8, pf24bit);
    TCanvas canvas(bitmap);
    QueueSynchronizer sync;
    const TGIFPainterHostScope host({.SynchronizePump = [&sync] {
        sync.RunPending(1);
        return true;
    }});
    FakeClock clock;
    auto* painter = new TGIFPainter(image.get(), Opt({poAnimate, poThreaded, poLoop, poLoopForever}),
                                    TRect{0, 0, 8, 8}, &canvas, &clock);
    painter->FreeOnTerminate = false;
    painter->Synchronizer = &sync;
    std::atomic<int> shows{0};
    painter->OnFrameShow = [&shows](TGIFPainterBase*) { ++shows; };
    painter->Start();
    while (shows == 0) sync.RunPending(5);
    // The painter is (or soon will be) blocked in a synchronised call: freeing
    // it here must not deadlock.
    painter->Free();
    EXPECT_EQ(image->PainterList().Count(), 0);
}
