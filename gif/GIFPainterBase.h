#pragma once
// What the document needs to know about an animation painter: how to stop it,
// whether it runs in a thread of its own, and how to cut its link to the image.
// The painter itself lives in painter/; the image only keeps the list of live
// painters and the stop protocol, so the core does not depend on it.

#include <functional>
#include <mutex>
#include <vector>

class TGIFPainterBase;

// The five painter notifications; each receives the painter. For a threaded
// painter they are called on the main thread through the synchronisation pump.
using TGIFPainterEvent = std::function<void(TGIFPainterBase* painter)>;

// Painter thread priority (the platform's thread priorities, lowest to highest).
enum TGIFPaintPriority : unsigned char { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TGIFPainterBase {
public:
    virtual ~TGIFPainterBase();
    // Asks the painter to stop; answers at once.
    virtual void Stop() = 0;
    // A threaded painter must be waited for after Stop until it leaves the list.
    virtual bool IsThreaded() const = 0;
    // The image is going away: forget it (the painter must not touch it again).
    virtual void DetachImage() = 0;
};

// The image's list of live painters. Painters add themselves when created and
// remove themselves when they end, possibly from another thread.
class TGIFPainterList {
public:
    void Add(TGIFPainterBase* painter);
    void Remove(TGIFPainterBase* painter);
    int Count() const;
    bool Contains(const TGIFPainterBase* painter) const;
    // Runs `action` for every painter while the list is locked.
    void ForEachLocked(const std::function<void(TGIFPainterBase*)>& action);
    // Held by long whole-image operations so no painter starts meanwhile.
    std::recursive_mutex& Lock() { return mutex_; }

private:
    mutable std::recursive_mutex mutex_;
    std::vector<TGIFPainterBase*> painters_;  // not owned
};
