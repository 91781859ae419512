#include "painter/PainterClock.h"

#include <chrono>
#include <thread>

void TPainterWakeEvent::Signal() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        set_ = true;
    }
    signalled_.notify_one();
}

void TPainterWakeEvent::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = false;
}

bool TPainterWakeEvent::Wait(std::uint32_t ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (ms == kPainterInfinite) {
        signalled_.wait(lock, [this] { return set_; });
    } else if (!signalled_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return set_; })) {
        return false;
    }
    set_ = false;
    return true;
}

bool TPainterWakeEvent::TryConsume() {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool was = set_;
    set_ = false;
    return was;
}

std::uint32_t TSystemPainterClock::Now() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TSystemPainterClock::Sleep(std::uint32_t ms) {
    if (ms == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TPainterClock& SystemPainterClock() {
    static TSystemPainterClock clock;
    return clock;
}

bool TVirtualPainterClock::WaitFor(TPainterWakeEvent& event, std::uint32_t ms) {
    if (event.TryConsume()) return true;
    if (ms == kPainterInfinite) return event.Wait(kPainterInfinite);
    now_ += ms;
    return false;
}
