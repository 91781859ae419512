#include "gif/ColorTableRepair.h"

#include "gif/GIFImage.h"

#include <algorithm>

namespace {
int HighestIndex(const TGIFSubImage& frame) {
    const std::uint8_t* p = frame.PixelData();
    if (!p)
        return -1;
    const auto n = static_cast<std::size_t>(frame.PixelDataSize());
    return *std::max_element(p, p + n);
}

bool ExtendTo(TGIFColorMap& table, int needed) {
    if (table.Count() >= needed)
        return false;
    while (table.Count() < needed)
        table.AddColor(0); // black
    return true;
}
} // namespace

int ExtendColorTablesToPixels(TGIFImage& image) {
    int grown = 0;
    for (int f = 0; f < image.Frames().Count(); ++f) {
        TGIFSubImage& frame = *image.Frames()[f];
        const int highest = HighestIndex(frame);
        if (highest < 0)
            continue;
        TGIFColorMap& table = frame.LocalColors().IsEmpty()
                                  ? static_cast<TGIFColorMap&>(image.GlobalColors())
                                  : static_cast<TGIFColorMap&>(frame.LocalColors());
        if (ExtendTo(table, highest + 1)) {
            ++grown;
            frame.DropBitmap();
        }
    }
    return grown;
}
