#pragma once
// Time as the painter sees it: a millisecond counter, sleeping, and waiting on
// the wake-up event. Kept behind an interface so that tests drive the painter
// with a fake clock and never depend on how fast the machine is.

#include <condition_variable>
#include <cstdint>
#include <mutex>

// Wait without a time-out.
constexpr std::uint32_t kPainterInfinite = 0xFFFFFFFFu;

// An auto-reset event: Signal lets exactly one wait return (or the next one,
// when nobody waits yet), after which the event is not signalled again.
class TPainterWakeEvent {
public:
    void Signal();
    void Reset();
    // Answers true (and resets the event) when it was signalled within `ms`;
    // false on time-out. kPainterInfinite waits for the signal.
    bool Wait(std::uint32_t ms);
    // Answers true (and resets) when signalled right now; never blocks.
    bool TryConsume();

private:
    std::mutex mutex_;
    std::condition_variable signalled_;
    bool set_ = false;
};

class TPainterClock {
public:
    virtual ~TPainterClock() = default;
    // Milliseconds since some fixed moment; wraps around like the system counter.
    virtual std::uint32_t Now() = 0;
    // Sleeps for `ms`; 0 only yields the processor.
    virtual void Sleep(std::uint32_t ms) = 0;
    // Waits for the event at most `ms` (kPainterInfinite: no limit); answers true
    // when the event was signalled, false on time-out.
    virtual bool WaitFor(TPainterWakeEvent& event, std::uint32_t ms) = 0;
};

// The real clock (a steady clock, never set back).
class TSystemPainterClock final : public TPainterClock {
public:
    std::uint32_t Now() override;
    void Sleep(std::uint32_t ms) override;
    bool WaitFor(TPainterWakeEvent& event, std::uint32_t ms) override { return event.Wait(ms); }
};

// The process-wide real clock painters use unless given another.
TPainterClock& SystemPainterClock();

// A clock that never waits: time moves on by exactly what is slept or waited
// for. Tools use it to run an animation's frames as fast as they can be drawn.
class TVirtualPainterClock : public TPainterClock {
public:
    std::uint32_t Now() override { return now_; }
    void Sleep(std::uint32_t ms) override { now_ += ms; }
    // Waits for real only without a time-out (nothing else could end it).
    bool WaitFor(TPainterWakeEvent& event, std::uint32_t ms) override;

private:
    std::uint32_t now_ = 0;
};
