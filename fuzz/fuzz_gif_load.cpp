// Loads arbitrary bytes as a GIF document. When that succeeds and the document
// has frames, it is saved and loaded again: every frame with pixels must come
// back with the same size and the same indices.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "raster/GIFException.h"
#include "gif/GIFImage.h"
#include "LoadQuietly.h"

namespace {

[[noreturn]] void Fail(const char* what, int frame) {
    std::fprintf(stderr, "save/load round trip: %s (frame %d)\n", what, frame);
    std::abort();
}

}  // namespace

// The frames that hold pixels. Frames without any (extension-only frames, zero
// width or height) have no image to write and may rightly vanish on saving.
std::vector<const TGIFSubImage*> PixelFrames(const TGIFImage& image) {
    std::vector<const TGIFSubImage*> frames;
    for (int i = 0; i < image.Frames().Count(); ++i)
        if (!image.Frames()[i]->IsEmpty()) frames.push_back(image.Frames()[i]);
    return frames;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::unique_ptr<TGIFImage> first = LoadQuietly(data, size);
    if (!first || first->Frames().Count() == 0) return 0;

    TMemoryStream saved;
    try {
        first->SaveToStream(saved);
    } catch (const GIFException&) {
        return 0;  // e.g. indices beyond the colour table: refused, not a fault
    }
    const std::unique_ptr<TGIFImage> second = LoadQuietly(saved.Data(), static_cast<std::size_t>(saved.Size()));
    if (!second) Fail("saved file does not load", -1);
    const std::vector<const TGIFSubImage*> a = PixelFrames(*first);
    const std::vector<const TGIFSubImage*> b = PixelFrames(*second);
    if (a.size() != b.size()) Fail("number of frames with pixels differs", -1);
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int frame = static_cast<int>(i);
        if (a[i]->Width() != b[i]->Width() || a[i]->Height() != b[i]->Height()) Fail("size differs", frame);
        if (a[i]->PixelDataSize() != b[i]->PixelDataSize() ||
            std::memcmp(a[i]->PixelData(), b[i]->PixelData(), static_cast<std::size_t>(a[i]->PixelDataSize())) != 0)
            Fail("indices differ", frame);
    }
    return 0;
}
