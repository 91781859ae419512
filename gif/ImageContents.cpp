#include "gif/ImageContents.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "gif/GIFImage.h"

namespace {
std::vector<std::unique_ptr<TGIFSubImage>> TakeFrames(TGIFImage& image) {
    std::vector<std::unique_ptr<TGIFSubImage>> frames;
    for (int i = image.Frames().Count() - 1; i >= 0; --i) frames.push_back(image.Frames().Extract(i));
    std::reverse(frames.begin(), frames.end());
    return frames;
}

void GiveFrames(TGIFImage& image, std::vector<std::unique_ptr<TGIFSubImage>> frames) {
    for (auto& frame : frames) {
        frame->SetOwnerImage(&image);
        image.Frames().Insert(image.Frames().Count(), std::move(frame));
    }
}
}  // namespace

void MoveImageContents(TGIFImage& target, TGIFImage& source) {
    target.ClearImage();
    target.Header().Assign(&source.Header());
    GiveFrames(target, TakeFrames(source));
    target.ReleaseCaches();
}

void TradeImageContents(TGIFImage& a, TGIFImage& b) {
    auto framesOfA = TakeFrames(a);
    auto framesOfB = TakeFrames(b);
    TGIFImage scratch;
    scratch.Header().Assign(&a.Header());
    a.Header().Assign(&b.Header());
    b.Header().Assign(&scratch.Header());
    GiveFrames(a, std::move(framesOfB));
    GiveFrames(b, std::move(framesOfA));
    a.ReleaseCaches();
    b.ReleaseCaches();
}
