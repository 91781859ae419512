#include "painter/FrameOperations.h"

#include "gif/FrameEditLog.h"
#include "gif/FrameProperties.h"
#include "gif/GIFImage.h"

#include <algorithm>
#include <functional>

namespace {
bool IsFrame(const TGIFImage& image, int index) { return index >= 0 && index < image.Frames().Count(); }

// The frames named that exist, in order, each once.
std::vector<int> ExistingFrames(const TGIFImage& image, const std::vector<int>& frames) {
    std::vector<int> chosen;
    for (int i : frames)
        if (IsFrame(image, i)) chosen.push_back(i);
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    return chosen;
}
}  // namespace

bool DeleteFrame(TGIFImage& image, int index, TFrameEditLog& log) {
    if (!IsFrame(image, index)) return false;
    const int loops = index == 0 ? log.TakeLoop(image) : 0;
    log.RemoveFrame(image, index);
    if (index == 0 && image.Frames().Count() > 0) log.GiveLoop(image, loops);
    return true;
}

bool MoveFrame(TGIFImage& image, int from, int to, TFrameEditLog& log) {
    if (!IsFrame(image, from) || !IsFrame(image, to) || from == to) return false;
    log.MoveFrameKeepingLoop(image, from, to);
    return true;
}

bool SetDelay(TGIFImage& image, int index, int delay, TFrameEditLog& log) {
    if (index != -1 && !IsFrame(image, index)) return false;
    TFramePropertyValues values;
    values.Delay = delay;
    values.Transparent.reset();
    values.Interlaced.reset();
    values.Disposal.reset();
    bool changed = false;
    const int first = index == -1 ? 0 : index;
    const int last = index == -1 ? image.Frames().Count() - 1 : index;
    for (int i = first; i <= last; ++i) {
        TGIFSubImage& frame = *image.Frames()[i];
        log.FrameProperties(image, frame);
        changed = ApplyFrameProperties(image, frame, values) || changed;
        log.FramePropertiesChanged(image);
    }
    return changed;
}

bool SetLoopCount(TGIFImage& image, int count, TFrameEditLog& log) {
    if (image.Frames().Count() == 0 || count < 0 || count > 0xFFFF) return false;
    const auto* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    if (loop && loop->LoopCount == count) return false;
    log.TakeLoop(image);
    log.GiveLoop(image, count);
    return true;
}

bool DeleteFrames(TGIFImage& image, const std::vector<int>& frames, TFrameEditLog& log) {
    std::vector<int> order(frames);
    std::sort(order.begin(), order.end(), std::greater<>());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    bool changed = false;
    // From the last, so the numbers of those still to go stay right.
    for (int index : order)
        changed = DeleteFrame(image, index, log) || changed;
    return changed;
}

bool DeleteAllFrames(TGIFImage& image, TFrameEditLog& log) {
    const int count = image.Frames().Count();
    for (int i = count - 1; i >= 0; --i)
        log.RemoveFrame(image, i);
    return count > 0;
}

bool SetFrameProperties(TGIFImage& image, const std::vector<int>& frames, const TFramePropertyValues& values,
                        TFrameEditLog& log) {
    std::vector<int> chosen(frames);
    if (chosen.size() == 1 && chosen[0] == -1) {
        chosen.clear();
        for (int i = 0; i < image.Frames().Count(); ++i)
            chosen.push_back(i);
    }
    bool changed = false;
    for (int index : chosen) {
        if (!IsFrame(image, index))
            continue;
        TGIFSubImage& frame = *image.Frames()[index];
        log.FrameProperties(image, frame);
        changed = ApplyFrameProperties(image, frame, values) || changed;
        log.FramePropertiesChanged(image);
    }
    return changed;
}

bool SetFramePalette(TGIFImage& image, int index, const std::vector<TGIFRGB>& colors, TFrameEditLog& log) {
    if (!IsFrame(image, index) || colors.empty() || colors.size() > 256)
        return false;
    TGIFSubImage& frame = *image.Frames()[index];
    log.FrameProperties(image, frame);
    frame.LocalColors().LoadFromTable(colors.data(), static_cast<int>(colors.size()));
    frame.DropBitmap();
    log.FramePropertiesChanged(image);
    return true;
}

bool ReplaceAnimation(TGIFImage& image, TGIFImage& replacement, TFrameEditLog& log) {
    log.ReplaceImage(image, replacement);
    return true;
}

bool ReplaceWithOptimized(TGIFImage& image, TGIFImage& optimized, TFrameEditLog& log) {
    const TGIFEncoding encoding = optimized.Encoding;
    log.ReplaceImage(image, optimized);
    if (image.Encoding != encoding) log.SetEncoding(image, encoding);
    return true;
}

bool MoveFrames(TGIFImage& image, const std::vector<int>& frames, TBlockMove move, TFrameEditLog& log) {
    const std::vector<int> chosen = ExistingFrames(image, frames);
    const int count = image.Frames().Count();
    if (chosen.empty())
        return false;
    bool changed = false;
    const int n = static_cast<int>(chosen.size());
    switch (move) {
    case TBlockMove::Up:
        if (chosen.front() == 0)
            return false;
        for (int i : chosen)
            changed = MoveFrame(image, i, i - 1, log) || changed;
        break;
    case TBlockMove::Down:
        if (chosen.back() == count - 1)
            return false;
        for (int k = n - 1; k >= 0; --k)
            changed = MoveFrame(image, chosen[k], chosen[k] + 1, log) || changed;
        break;
    case TBlockMove::ToStart:
        for (int k = 0; k < n; ++k)
            changed = MoveFrame(image, chosen[k], k, log) || changed;
        break;
    case TBlockMove::ToEnd:
        for (int k = n - 1; k >= 0; --k)
            changed = MoveFrame(image, chosen[k], count - n + k, log) || changed;
        break;
    }
    return changed;
}

bool MoveFramesTo(TGIFImage& image, const std::vector<int>& frames, int to, TFrameEditLog& log) {
    const std::vector<int> chosen = ExistingFrames(image, frames);
    const int n = static_cast<int>(chosen.size());
    if (n == 0)
        return false;
    const int count = image.Frames().Count();
    const int start = std::clamp(to, 0, count - n);
    // The order wanted, as the frames' present numbers: the others in their
    // order with the block put in at `start`.
    std::vector<int> wanted;
    for (int i = 0; i < count; ++i)
        if (!std::binary_search(chosen.begin(), chosen.end(), i))
            wanted.push_back(i);
    wanted.insert(wanted.begin() + start, chosen.begin(), chosen.end());
    // Place after place, the frame wanted there is moved to it.
    std::vector<int> now(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        now[static_cast<std::size_t>(i)] = i;
    bool changed = false;
    for (int k = 0; k < count; ++k) {
        const int from = static_cast<int>(std::find(now.begin(), now.end(), wanted[static_cast<std::size_t>(k)]) - now.begin());
        if (from == k)
            continue;
        changed = MoveFrame(image, from, k, log) || changed;
        const int moved = now[static_cast<std::size_t>(from)];
        now.erase(now.begin() + from);
        now.insert(now.begin() + k, moved);
    }
    return changed;
}
