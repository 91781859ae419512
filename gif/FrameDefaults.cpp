#include "gif/FrameDefaults.h"

#include "gif/GIFImage.h"

#include <algorithm>
#include <memory>

namespace {
constexpr std::uint8_t DisposalLeave = 1;

TGIFAppExtNSLoop* LoopExtensionOf(TGIFSubImage& frame) {
    return frame.FindExtension<TGIFAppExtNSLoop>();
}

void AddLoopExtension(TGIFSubImage& frame, int loopCount) {
    auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
    loop->LoopCount = static_cast<std::uint16_t>(std::clamp(loopCount, 0, 0xFFFF));
    frame.ExtensionBlocks().Insert(0, std::move(loop));
}
} // namespace

void EnsureLoopExtension(TGIFImage& image, int defaultLoop) {
    if (image.Frames().Count() == 0)
        return;
    TGIFSubImage& first = *image.Frames()[0];
    if (!LoopExtensionOf(first))
        AddLoopExtension(first, defaultLoop);
}

void NormalizeLoopExtension(TGIFImage& image, int defaultLoop) {
    for (int f = 1; f < image.Frames().Count(); ++f) {
        TGIFExtensionList& list = image.Frames()[f]->ExtensionBlocks();
        for (int e = list.Count() - 1; e >= 0; --e)
            if (dynamic_cast<TGIFAppExtNSLoop*>(list[e]))
                list.Delete(e);
    }
    EnsureLoopExtension(image, defaultLoop);
}

void PrepareNewFrame(TGIFImage& image, int index, int defaultDelay, int defaultLoop) {
    EnsureLoopExtension(image, defaultLoop);
    TGIFSubImage& frame = *image.Frames()[index];

    TGIFGraphicControlExtension* control = frame.ControlExtension();
    const bool keepTransparency = control && control->UsesTransparency();
    if (!control) {
        auto fresh = std::make_unique<TGIFGraphicControlExtension>(&frame);
        control = fresh.get();
        frame.ExtensionBlocks().Add(std::move(fresh));
    }
    control->DelayTime = static_cast<std::uint16_t>(std::clamp(defaultDelay, 0, 0xFFFF));
    control->SetDisposalMethod(DisposalLeave);

    if (!frame.LocalColors().IsEmpty())
        frame.LocalColors().SortByUse();

    // Remembered so that switching transparency on later picks the corner colour.
    if (!keepTransparency) {
        control->SetUsesTransparency(false);
        if (!frame.IsEmpty())
            control->SetTransparentIndex(frame.PixelAt(0, frame.Height() - 1));
    }

    if (image.GlobalColors().IsEmpty() && !frame.LocalColors().IsEmpty())
        image.GlobalColors().Assign(&frame.LocalColors());
}

void MoveFrameKeepingLoop(TGIFImage& image, int from, int to) {
    TGIFImageList& frames = image.Frames();
    if (from < 0 || from >= frames.Count() || to < 0 || to >= frames.Count() || from == to)
        return;
    const bool touchesFirst = from == 0 || to == 0;
    int loopCount = 0;
    if (touchesFirst) {
        TGIFExtensionList& list = frames[0]->ExtensionBlocks();
        for (int e = 0; e < list.Count(); ++e)
            if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(list[e])) {
                loopCount = loop->LoopCount;
                list.Delete(e);
                break;
            }
    }
    frames.Move(from, to);
    if (touchesFirst)
        AddLoopExtension(*frames[0], loopCount);
}

void MoveEmptyFramesToEnd(TGIFImage& image) {
    TGIFImageList& frames = image.Frames();
    for (int i = frames.Count() - 1; i >= 0; --i)
        if (frames[i]->IsEmpty())
            MoveFrameKeepingLoop(image, i, frames.Count() - 1);
}

std::unique_ptr<TGIFImage> PreparedForSaving(const TGIFImage& image, int defaultLoop) {
    auto copy = std::make_unique<TGIFImage>();
    copy->Assign(&image);
    copy->Encoding = image.Encoding;
    NormalizeLoopExtension(*copy, defaultLoop);
    return copy;
}
