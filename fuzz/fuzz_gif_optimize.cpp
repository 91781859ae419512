// Optimises arbitrary bytes read as a GIF document with every technique (the
// usual steps and the smallest encoding, lossless; then lossy on a copy). The
// lossless result, saved and read back, must show the same pictures for the
// same time as the document did; the lossy one must read back as it is.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFFrameOptimizer.h"
#include "gif/GIFImage.h"
#include "LoadQuietly.h"
#include "gif/SmallestEncoding.h"
#include "painter/GIFCompositor.h"
#include "raster/GIFException.h"

namespace {

// Composed pictures and how long each shows; a repeat only adds its time.
using TTimeline = std::vector<std::pair<std::vector<std::uint8_t>, long>>;

TTimeline Timeline(TGIFImage& image) {
    TTimeline timeline;
    std::vector<std::uint8_t> rgba;
    TGIFCompositor(image).Run([&](int index, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, rgba);
        const TGIFGraphicControlExtension* control = image.Frames()[index]->ControlExtension();
        const long delay = control ? control->DelayTime : 0;
        if (!timeline.empty() && timeline.back().first == rgba) timeline.back().second += delay;
        else timeline.emplace_back(rgba, delay);
    });
    // A single picture shows for ever: its delay means nothing (and goes).
    if (timeline.size() == 1) timeline[0].second = 0;
    return timeline;
}

std::unique_ptr<TGIFImage> SavedAndRead(TGIFImage& image) {
    TMemoryStream saved;
    image.SaveToStream(saved);
    return LoadQuietly(saved.Data(), static_cast<std::size_t>(saved.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::unique_ptr<TGIFImage> image = LoadQuietly(data, size);
    if (!image || image->Frames().Count() == 0) return 0;
    // Keep each input quick: the optimiser works on whole screens per frame.
    if (std::uint64_t(image->Width()) * image->Height() * std::uint64_t(image->Frames().Count()) > 4'000'000) return 0;
    TGIFImage lossy;
    lossy.Assign(image.get());
    TTimeline before;
    try {
        before = Timeline(*image);
        image->OptimizeAnimation(kAllFrameOptimizations | ooSmallest);
        FindSmallestEncoding(lossy, 100);
    } catch (const GIFException&) {
        return 0;  // a document the optimiser refuses, e.g. pixels past their table
    }
    std::unique_ptr<TGIFImage> reread;
    try {
        reread = SavedAndRead(*image);
        // Its frames are written as the strings the lossy choice made: they
        // must read back as the pixels it chose.
        const std::unique_ptr<TGIFImage> lossyReread = SavedAndRead(lossy);
        if (!lossyReread || Timeline(*lossyReread) != Timeline(lossy)) {
            std::fputs("the lossy result does not read back as it is\n", stderr);
            std::abort();
        }
    } catch (const GIFException&) {
        return 0;  // refused on saving, as the document itself would be
    }
    if (!reread || Timeline(*reread) != before) {
        std::fputs("the optimised document shows something else\n", stderr);
        std::abort();
    }
    return 0;
}
