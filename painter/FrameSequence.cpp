#include "painter/FrameSequence.h"

#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "painter/AnimationResize.h"
#include "painter/FrameOperations.h"
#include "painter/GIFCompositor.h"

#include <algorithm>
#include <memory>
#include <set>

namespace {

int DelayOf(const TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* c = frame.ControlExtension();
    return c ? c->DelayTime : 0;
}

bool UsesTransparency(const TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* c = frame.ControlExtension();
    return c && c->UsesTransparency();
}

// Each frame draws the whole screen and hides all that was there: the order
// of such frames changes nothing they show.
bool FramesStandAlone(const TGIFImage& image) {
    const TGIFImageList& frames = image.Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        const TGIFSubImage& f = *frames[i];
        if (f.IsEmpty() || f.Left() != 0 || f.Top() != 0 || f.Width() != image.Width() || f.Height() != image.Height() ||
            UsesTransparency(f))
            return false;
    }
    return true;
}

TGIFGraphicControlExtension& ControlOf(TGIFSubImage& frame) {
    if (TGIFGraphicControlExtension* c = frame.ControlExtension())
        return *c;
    auto made = std::make_unique<TGIFGraphicControlExtension>(&frame);
    TGIFGraphicControlExtension& c = *made;
    frame.ExtensionBlocks().Add(std::move(made));
    return c;
}

template <class T>
void RemoveAll(TGIFSubImage& frame) {
    TGIFExtensionList& list = frame.ExtensionBlocks();
    for (int i = list.Count() - 1; i >= 0; --i)
        if (dynamic_cast<T*>(list[i]))
            list.Delete(i);
}

// Whole-screen frames that now follow other frames: each clears its picture
// first exactly where the next one shows nothing over something it shows.
void SetDisposalsForOrder(TGIFImage& image) {
    const TGIFImageList& frames = image.Frames();
    const int n = frames.Count();
    for (int i = 0; i < n; ++i) {
        TGIFSubImage& a = *frames[i];
        const TGIFSubImage& b = *frames[(i + 1) % n];
        bool clear = false;
        if (UsesTransparency(b) && a.PixelData() && b.PixelData()) {
            const int ta = UsesTransparency(a) ? a.ControlExtension()->TransparentIndex() : -1;
            const int tb = b.ControlExtension()->TransparentIndex();
            const std::int64_t pixels = std::min(a.PixelDataSize(), b.PixelDataSize());
            for (std::int64_t p = 0; p < pixels && !clear; ++p)
                clear = b.PixelData()[p] == tb && a.PixelData()[p] != ta;
        }
        if (clear)
            ControlOf(a).SetDisposalMethod(2);
        else if (TGIFGraphicControlExtension* c = a.ControlExtension())
            c->SetDisposalMethod(1);
    }
}

// Delays written through the log; frames without a control extension get one.
bool WriteDelays(TGIFImage& image, const std::vector<int>& chosen, const std::vector<long long>& delays,
                 TFrameEditLog& log);

// Whole frames in a new order, in place: copies only for frames shown again,
// moves and deletes through the log, so the step holds what it changed.
bool ResequenceInPlace(TGIFImage& image, const std::vector<int>& order, const std::vector<int>& delays,
                       TFrameEditLog& log) {
    TGIFImageList& frames = image.Frames();
    std::vector<TGIFSubImage*> wanted;
    std::vector<bool> used(static_cast<std::size_t>(frames.Count()), false);
    std::vector<TGIFSubImage*> originals;
    for (int i = 0; i < frames.Count(); ++i)
        originals.push_back(frames[i]);
    for (int index : order) {
        TGIFSubImage* source = originals[static_cast<std::size_t>(index)];
        if (!used[static_cast<std::size_t>(index)]) {
            used[static_cast<std::size_t>(index)] = true;
            wanted.push_back(source);
            continue;
        }
        auto copy = std::make_unique<TGIFSubImage>(&image);
        copy->Assign(source);
        RemoveAll<TGIFAppExtNSLoop>(*copy);
        RemoveAll<TGIFCommentExtension>(*copy);
        TGIFSubImage* made = copy.get();
        log.FrameAdded(image, image.AddFrame(std::move(copy)));
        wanted.push_back(made);
    }
    for (int i = frames.Count() - 1; i >= 0; --i)
        if (std::find(wanted.begin(), wanted.end(), frames[i]) == wanted.end())
            DeleteFrame(image, i, log);
    for (int k = 0; k < static_cast<int>(wanted.size()); ++k) {
        const int now = frames.IndexOf(wanted[static_cast<std::size_t>(k)]);
        if (now != k)
            MoveFrame(image, now, k, log);
    }
    std::vector<int> all(wanted.size());
    std::vector<long long> times(wanted.size());
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        all[k] = static_cast<int>(k);
        times[k] = delays[k];
    }
    WriteDelays(image, all, times, log);
    return !log.Empty();
}

// New delays for the chosen frames, each written through the log.
bool WriteDelays(TGIFImage& image, const std::vector<int>& chosen, const std::vector<long long>& delays,
                 TFrameEditLog& log) {
    bool changed = false;
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        TGIFSubImage& frame = *image.Frames()[chosen[k]];
        const auto delay = static_cast<std::uint16_t>(std::clamp<long long>(delays[k], 0, 0xFFFF));
        if (DelayOf(frame) == delay)
            continue;
        if (!frame.ControlExtension()) {
            ControlOf(frame);
            log.ExtensionAdded(frame, frame.ExtensionBlocks().IndexOf(frame.ControlExtension()));
        }
        log.FrameProperties(image, frame);
        frame.ControlExtension()->DelayTime = delay;
        log.FramePropertiesChanged(image);
        changed = true;
    }
    return changed;
}

} // namespace

std::vector<int> FramesToActOn(const TGIFImage& image, const std::vector<int>& selection) {
    std::set<int> chosen;
    for (int i : selection)
        if (i >= 0 && i < image.Frames().Count())
            chosen.insert(i);
    if (chosen.size() < 2) {
        chosen.clear();
        for (int i = 0; i < image.Frames().Count(); ++i)
            chosen.insert(i);
    }
    return {chosen.begin(), chosen.end()};
}

long long RunningTime(const TGIFImage& image) {
    long long total = 0;
    for (int i = 0; i < image.Frames().Count(); ++i)
        total += DelayOf(*image.Frames()[i]);
    return total;
}

bool Resequence(TGIFImage& image, const std::vector<int>& order, const std::vector<int>& delays,
                TFrameEditLog& log) {
    const int count = image.Frames().Count();
    if (order.empty() || order.size() != delays.size() ||
        std::any_of(order.begin(), order.end(), [count](int i) { return i < 0 || i >= count; }))
        return false;
    // Whole frames only change places; frames that build on the ones before
    // them become whole pictures first, so that in any order each shows what
    // it showed.
    if (FramesStandAlone(image))
        return ResequenceInPlace(image, order, delays, log);
    TGIFImage source;
    source.Assign(&image);
    FlattenAnimation(source);
    const TGIFAppExtNSLoop* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    const int loopCount = loop ? loop->LoopCount : -1;

    TGIFImage result;
    result.Header().Assign(&source.Header());
    std::vector<bool> used(static_cast<std::size_t>(count), false);
    for (std::size_t k = 0; k < order.size(); ++k) {
        auto frame = std::make_unique<TGIFSubImage>(&result);
        frame->Assign(source.Frames()[order[k]]);
        RemoveAll<TGIFAppExtNSLoop>(*frame);
        // A frame shown twice carries its comments once.
        if (used[static_cast<std::size_t>(order[k])])
            RemoveAll<TGIFCommentExtension>(*frame);
        used[static_cast<std::size_t>(order[k])] = true;
        const int delay = std::clamp(delays[k], 0, 0xFFFF);
        if (delay != 0 || frame->ControlExtension())
            ControlOf(*frame).DelayTime = static_cast<std::uint16_t>(delay);
        result.AddFrame(std::move(frame));
    }
    result.Header().ScreenWidth = source.Header().ScreenWidth;
    result.Header().ScreenHeight = source.Header().ScreenHeight;
    SetDisposalsForOrder(result);
    if (loopCount >= 0) {
        auto block = std::make_unique<TGIFAppExtNSLoop>(result.Frames()[0]);
        block->LoopCount = static_cast<std::uint16_t>(loopCount);
        result.Frames()[0]->ExtensionBlocks().Insert(0, std::move(block));
    }
    return ReplaceAnimation(image, result, log);
}

namespace {

std::vector<int> Delays(const TGIFImage& image, const std::vector<int>& order) {
    std::vector<int> delays;
    for (int i : order)
        delays.push_back(DelayOf(*image.Frames()[i]));
    return delays;
}

std::vector<int> Identity(int count) {
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        order[static_cast<std::size_t>(i)] = i;
    return order;
}

// Every frame, those in `gone` left out, each one's delay added to the frame
// kept before it (the first frame is never left out).
bool WithoutFrames(TGIFImage& image, const std::vector<bool>& gone, TFrameEditLog& log) {
    std::vector<int> order;
    std::vector<int> delays;
    for (int i = 0; i < image.Frames().Count(); ++i) {
        const int delay = DelayOf(*image.Frames()[i]);
        if (gone[static_cast<std::size_t>(i)] && !order.empty()) {
            delays.back() += delay;
            continue;
        }
        order.push_back(i);
        delays.push_back(delay);
    }
    if (order.size() == gone.size())
        return false;
    return Resequence(image, order, delays, log);
}

} // namespace

bool DuplicateFrames(TGIFImage& image, const std::vector<int>& selection, TFrameEditLog& log) {
    const std::vector<int> chosen = FramesToActOn(image, selection);
    std::vector<int> order;
    for (int i = 0; i < image.Frames().Count(); ++i) {
        order.push_back(i);
        if (std::binary_search(chosen.begin(), chosen.end(), i))
            order.push_back(i);
    }
    return !chosen.empty() && Resequence(image, order, Delays(image, order), log);
}

bool ReverseFrames(TGIFImage& image, const std::vector<int>& selection, TFrameEditLog& log) {
    const std::vector<int> chosen = FramesToActOn(image, selection);
    if (chosen.size() < 2)
        return false;
    std::vector<int> order = Identity(image.Frames().Count());
    for (std::size_t k = 0; k < chosen.size(); ++k)
        order[static_cast<std::size_t>(chosen[k])] = chosen[chosen.size() - 1 - k];
    return Resequence(image, order, Delays(image, order), log);
}

bool PingPongFrames(TGIFImage& image, const std::vector<int>& selection, TFrameEditLog& log) {
    const std::vector<int> chosen = FramesToActOn(image, selection);
    if (chosen.size() < 3)
        return false; // two frames back and forth are the same two frames
    std::vector<int> order;
    for (int i = 0; i <= chosen.back(); ++i)
        order.push_back(i);
    for (std::size_t k = chosen.size() - 2; k >= 1; --k)
        order.push_back(chosen[k]);
    for (int i = chosen.back() + 1; i < image.Frames().Count(); ++i)
        order.push_back(i);
    return Resequence(image, order, Delays(image, order), log);
}

bool RemoveDuplicateFrames(TGIFImage& image, const std::vector<int>& selection, TFrameEditLog& log) {
    const std::vector<int> chosen = FramesToActOn(image, selection);
    // What each frame shows, compared with what the frame before it showed.
    TGIFImage copy;
    copy.Assign(&image);
    std::vector<bool> same(static_cast<std::size_t>(image.Frames().Count()), false);
    std::vector<std::uint8_t> previous, now;
    int previousIndex = -2;
    TGIFCompositor(copy).Run([&](int index, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, now);
        if (index == previousIndex + 1 && now == previous && index < int(same.size()))
            same[static_cast<std::size_t>(index)] = true;
        previous.swap(now);
        previousIndex = index;
    });
    std::vector<bool> gone(same.size(), false);
    for (int i : chosen)
        gone[static_cast<std::size_t>(i)] = i > 0 && same[static_cast<std::size_t>(i)];
    return WithoutFrames(image, gone, log);
}

bool DropEveryNthFrame(TGIFImage& image, const std::vector<int>& selection, int n, TFrameEditLog& log) {
    if (n < 2)
        return false;
    const std::vector<int> chosen = FramesToActOn(image, selection);
    std::vector<bool> gone(static_cast<std::size_t>(image.Frames().Count()), false);
    for (std::size_t k = 0; k < chosen.size(); ++k)
        gone[static_cast<std::size_t>(chosen[k])] = (k + 1) % static_cast<std::size_t>(n) == 0;
    return WithoutFrames(image, gone, log);
}

bool SetDelays(TGIFImage& image, const std::vector<int>& selection, int delay, TFrameEditLog& log) {
    const std::vector<int> chosen = FramesToActOn(image, selection);
    return WriteDelays(image, chosen, std::vector<long long>(chosen.size(), delay), log);
}

bool ShiftDelays(TGIFImage& image, const std::vector<int>& selection, int delta, TFrameEditLog& log) {
    const std::vector<int> chosen = FramesToActOn(image, selection);
    std::vector<long long> delays;
    for (int i : chosen)
        delays.push_back(static_cast<long long>(DelayOf(*image.Frames()[i])) + delta);
    return WriteDelays(image, chosen, delays, log);
}

bool ScaleDelays(TGIFImage& image, const std::vector<int>& selection, int percent, TFrameEditLog& log) {
    if (percent <= 0)
        return false;
    const std::vector<int> chosen = FramesToActOn(image, selection);
    // Where each frame ends, scaled and rounded: the rounding of one frame is
    // made good by the next, so the whole scales to the hundredth.
    std::vector<long long> delays;
    long long oldEnd = 0;
    long long newEnd = 0;
    for (int i : chosen) {
        oldEnd += DelayOf(*image.Frames()[i]);
        const long long end = (oldEnd * percent + 50) / 100;
        delays.push_back(end - newEnd);
        newEnd = end;
    }
    return WriteDelays(image, chosen, delays, log);
}
