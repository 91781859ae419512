// Timing rules of the painter, checked as plain arithmetic.

#include <gtest/gtest.h>

#include <thread>

#include "painter/PainterClock.h"
#include "painter/PainterTiming.h"

using namespace painter_timing;

TEST(PainterTiming, NextDelayRaisesClampsAndDefaults) {
    struct Case {
        bool hasControl;
        int delay;
        bool synchronous;
        int want;
    } cases[] = {
        {false, 50, false, 10}, {true, 0, false, 10},     {true, 1, false, 3},      {true, 2, true, 3},
        {true, 3, false, 3},    {true, 7, true, 7},       {true, 5000, true, 1000}, {true, 5000, false, 5000},
        {true, 1000, true, 1000}, {true, 65535, false, 65535},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextDelay(c.hasControl, c.delay, c.synchronous), c.want)
            << "control " << c.hasControl << " delay " << c.delay << " sync " << c.synchronous;
}

TEST(PainterTiming, WaitScalesWithSpeed) {
    struct Case {
        int delay, speed;
        std::int64_t want;
    } cases[] = {
        {10, 100, 120}, {3, 100, 36}, {10, 200, 60}, {10, 50, 240}, {1000, 100, 12000}, {7, 300, 28}, {1, 300, 4},
    };
    for (const Case& c : cases) {
        TWait w = ComputeWait(c.delay, c.speed, 0, 0, true);
        EXPECT_EQ(w.ms, c.want) << "delay " << c.delay << " speed " << c.speed;
        EXPECT_EQ(w.correction, c.want) << "the correction is the wait itself";
    }
}

TEST(PainterTiming, HalfOfAnOverrunIsTakenOffTheNextWait) {
    // The previous wait was 120 ms, but 160 ms went by: 20 ms come off.
    EXPECT_EQ(ComputeWait(10, 100, 160, 120, true).ms, 100);
    // Woken early: 40 of 120 ms passed, so the next wait grows by 40.
    EXPECT_EQ(ComputeWait(10, 100, 40, 120, true).ms, 160);
    // Exactly on time: no change.
    EXPECT_EQ(ComputeWait(5, 100, 60, 60, true).ms, 60);
    // A long stall can make the wait negative: then the frame is not waited for.
    EXPECT_LT(ComputeWait(3, 100, 1000, 36, true).ms, 0);
}

TEST(PainterTiming, SpeedZeroOrLessWaitsForeverOnlyInAThread) {
    EXPECT_EQ(ComputeWait(10, 0, 0, 0, true).ms, kInfiniteWait);
    EXPECT_EQ(ComputeWait(10, -5, 0, 0, true).ms, kInfiniteWait);
    EXPECT_EQ(ComputeWait(10, 0, 0, 0, false).ms, 12000);
    EXPECT_EQ(ComputeWait(10, -1, 0, 0, false).ms, 12000);
}

TEST(PainterTiming, OverflowFallsBackToTwelveSeconds) {
    TWait w = ComputeWait(65535, 1, 0, 0, true);  // 786420 * 100 still fits
    EXPECT_EQ(w.ms, 78642000);
    w = ComputeWait(0x7FFFFFFF / 12, 1, 0, 0, true);
    EXPECT_EQ(w.ms, 12000);
    EXPECT_EQ(w.correction, 0);
}

TEST(PainterTiming, MulDivRoundsHalfAwayFromZero) {
    std::int64_t r = 0;
    ASSERT_TRUE(MulDiv(5, 1, 2, r));
    EXPECT_EQ(r, 3);
    ASSERT_TRUE(MulDiv(-5, 1, 2, r));
    EXPECT_EQ(r, -3);
    ASSERT_TRUE(MulDiv(7, 100, 300, r));
    EXPECT_EQ(r, 2);
    EXPECT_FALSE(MulDiv(1, 1, 0, r));
    EXPECT_FALSE(MulDiv(0x7FFFFFFF, 2, 1, r));
}

TEST(PainterWakeEvent, AutoResetsAfterOneWait) {
    TPainterWakeEvent e;
    EXPECT_FALSE(e.Wait(0)) << "starts not signalled";
    e.Signal();
    EXPECT_TRUE(e.Wait(0));
    EXPECT_FALSE(e.Wait(0)) << "one signal releases one wait";
    e.Signal();
    e.Reset();
    EXPECT_FALSE(e.TryConsume());
}

TEST(PainterWakeEvent, SignalFromAnotherThreadEndsAnEndlessWait) {
    TPainterWakeEvent e;
    std::thread t([&] { e.Signal(); });
    EXPECT_TRUE(e.Wait(kPainterInfinite));
    t.join();
}
