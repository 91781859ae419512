#include "gif/GIFPainterBase.h"

#include <algorithm>

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
