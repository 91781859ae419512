#include "gif/GIFPainterBase.h"

#include <algorithm>
#include <thread>

TGIFPainterBase::~TGIFPainterBase() = default;

void TGIFPainterList::Add(TGIFPainterBase* painter) {
    std::lock_guard guard(mutex_);
    if (painter && std::find(painters_.begin(), painters_.end(), painter) == painters_.end())
        painters_.push_back(painter);
}

void TGIFPainterList::Remove(TGIFPainterBase* painter) {
    std::lock_guard guard(mutex_);
    painters_.erase(std::remove(painters_.begin(), painters_.end(), painter), painters_.end());
}

int TGIFPainterList::Count() const {
    std::lock_guard guard(mutex_);
    return static_cast<int>(painters_.size());
}

bool TGIFPainterList::Contains(const TGIFPainterBase* painter) const {
    std::lock_guard guard(mutex_);
    return std::find(painters_.begin(), painters_.end(), painter) != painters_.end();
}

void TGIFPainterList::ForEachLocked(const std::function<void(TGIFPainterBase*)>& action) {
    std::lock_guard guard(mutex_);
    // A copy, so that an action may remove its painter from the list.
    const std::vector<TGIFPainterBase*> snapshot = painters_;
    for (TGIFPainterBase* painter : snapshot) action(painter);
}

namespace {
// Process-wide by design: there is one GUI thread whose queue serves all painters.
std::mutex pumpLock;
TGIFSynchronizePump& Pump() {
    static TGIFSynchronizePump pump;
    return pump;
}
}  // namespace

void SetGIFSynchronizePump(TGIFSynchronizePump pump) {
    std::lock_guard guard(pumpLock);
    Pump() = std::move(pump);
}

bool RunGIFSynchronizePump() {
    TGIFSynchronizePump pump;
    {
        std::lock_guard guard(pumpLock);
        pump = Pump();
    }
    if (pump) return pump();
    std::this_thread::yield();
    return true;
}
