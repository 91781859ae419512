#include "painter/FrameOperations.h"

#include "gif/FrameEditLog.h"
#include "gif/FrameProperties.h"
#include "gif/GIFImage.h"

namespace {
bool IsFrame(const TGIFImage& image, int index) { return index >= 0 && index < image.Frames().Count(); }
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
