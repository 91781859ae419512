// Loads arbitrary bytes as a GIF document. When that succeeds and the document
// has frames, it is saved and loaded again: every frame must come back with the
// same size and the same indices.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "gif/GIFException.h"
#include "gif/GIFImage.h"

namespace {

std::unique_ptr<TGIFImage> Load(const void* data, std::size_t size) {
    auto image = std::make_unique<TGIFImage>();
    image->OnWarn = [](TPersistent*, int, const std::string&) {};
    TMemoryStream in(data, size);
    try {
        image->LoadFromStream(in);
    } catch (const GIFException&) {
        return nullptr;
    }
    return image;
}

[[noreturn]] void Fail(const char* what, int frame) {
    std::fprintf(stderr, "save/load round trip: %s (frame %d)\n", what, frame);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::unique_ptr<TGIFImage> first = Load(data, size);
    if (!first || first->Frames().Count() == 0) return 0;

    TMemoryStream saved;
    try {
        first->SaveToStream(saved);
    } catch (const GIFException&) {
        return 0;  // e.g. indices beyond the colour table: refused, not a fault
    }
    const std::unique_ptr<TGIFImage> second = Load(saved.Data(), static_cast<std::size_t>(saved.Size()));
    if (!second) Fail("saved file does not load", -1);
    if (second->Frames().Count() != first->Frames().Count()) Fail("frame count differs", -1);
    for (int i = 0; i < first->Frames().Count(); ++i) {
        const TGIFSubImage* a = first->Frames()[i];
        const TGIFSubImage* b = second->Frames()[i];
        if (a->IsEmpty() != b->IsEmpty()) Fail("emptiness differs", i);
        if (a->IsEmpty()) continue;
        if (a->Width() != b->Width() || a->Height() != b->Height()) Fail("size differs", i);
        if (a->PixelDataSize() != b->PixelDataSize() ||
            std::memcmp(a->PixelData(), b->PixelData(), static_cast<std::size_t>(a->PixelDataSize())) != 0)
            Fail("indices differ", i);
    }
    return 0;
}
