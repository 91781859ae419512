#include "painter/AnimationResize.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "color/ColorLookup.h"
#include "color/ColorReduction.h"
#include "raster/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "raster/PixelBudget.h"
#include "painter/GIFCompositor.h"
#include "painter/ScaledFrames.h"

namespace {

// The composed screen at width x height (the nearest pixel, as Stretch
// picks it) as one 0x00RRGGBB value per pixel, kClear where nothing was
// drawn. Read straight from the screen: a shrunk picture reads only the
// pixels it keeps.
void PackScreen(const TBitmap& screen, int width, int height, std::vector<std::uint32_t>& out) {
    const int oldWidth = screen.Width(), oldHeight = screen.Height();
    const std::uint8_t undrawn = TGIFCompositor::UndrawnMarker();
    out.resize(std::size_t(width) * std::size_t(height));
    std::vector<std::size_t> offset(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        offset[static_cast<std::size_t>(x)] =
            4 * std::size_t(std::min(oldWidth - 1, int((2LL * x + 1) * oldWidth / (2LL * width))));
    std::uint32_t* dst = out.data();
    for (int y = 0; y < height; ++y) {
        const int sy = std::min(oldHeight - 1, int((2LL * y + 1) * oldHeight / (2LL * height)));
        const std::uint8_t* row = screen.ScanLine(sy);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = row + offset[static_cast<std::size_t>(x)];
            // Blue, green, red in memory (the compiler makes this one load).
            *dst++ = p[3] == undrawn ? kClear : (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
        }
    }
}

// A picture at the old size stretched to the new one, nearest source pixel.
template <class TPixel>
void Stretch(const TPixel* source, int oldWidth, int oldHeight, int width, int height, TPixel* out) {
    std::vector<int> column(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        column[static_cast<std::size_t>(x)] = std::min(oldWidth - 1, int((2LL * x + 1) * oldWidth / (2LL * width)));
    for (int y = 0; y < height; ++y) {
        const int sy = std::min(oldHeight - 1, int((2LL * y + 1) * oldHeight / (2LL * height)));
        const TPixel* row = source + std::size_t(sy) * std::size_t(oldWidth);
        TPixel* dst = out + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) dst[x] = row[column[static_cast<std::size_t>(x)]];
    }
}

// Exact colours when the picture has at most 256 values (nothing-drawn
// counting as one); answers false past that. A small direct-mapped cache in
// front of the map makes repeated colours cheap.
bool IndexExactly(const std::vector<std::uint32_t>& picture, std::uint8_t* indices, TScaledFrame& frame) {
    struct TSlot {
        std::uint32_t value = 0xFFFFFFFFu;  // no packed pixel has this value
        std::uint8_t index = 0;
    };
    std::vector<TSlot> cache(4096);
    std::unordered_map<std::uint32_t, std::uint8_t> index;
    std::vector<std::uint32_t> values;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        const std::uint32_t value = picture[i];
        TSlot& slot = cache[(value * 2654435761u) >> 20];
        if (slot.value != value) {
            auto found = index.find(value);
            if (found == index.end()) {
                if (values.size() == 256) return false;
                found = index.emplace(value, static_cast<std::uint8_t>(values.size())).first;
                values.push_back(value);
            }
            slot.value = value;
            slot.index = found->second;
        }
        indices[i] = slot.index;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] == kClear) {
            frame.transparent = static_cast<int>(i);
            frame.colors.push_back(MakeColor(0, 0, 0));
        } else {
            frame.colors.push_back(MakeColor(std::uint8_t(values[i] >> 16), std::uint8_t(values[i] >> 8),
                                             std::uint8_t(values[i])));
        }
    }
    return true;
}

// More colours than a table holds: an adaptive table of 255 (one entry left
// for nothing-drawn) and the nearest of them for each pixel.
void IndexByQuantizing(const std::vector<std::uint32_t>& picture, int width, int height, std::uint8_t* indices,
                       TScaledFrame& frame) {
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        const std::uint32_t* src = picture.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x, row += 3) {
            const std::uint32_t value = src[x] == kClear ? 0 : src[x];
            row[0] = std::uint8_t(value);
            row[1] = std::uint8_t(value >> 8);
            row[2] = std::uint8_t(value >> 16);
        }
    }
    const std::unique_ptr<TPalette> palette = CreateOptimizedPalette(bitmap, 255, 8, false);
    TFastColorLookup lookup(*palette);
    for (const TPaletteEntry& e : palette->Entries()) frame.colors.push_back(MakeColor(e.red, e.green, e.blue));
    std::uint8_t r, g, b;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        const std::uint32_t value = picture[i];
        if (value == kClear) {
            if (frame.transparent < 0) {
                frame.transparent = static_cast<int>(frame.colors.size());
                frame.colors.push_back(MakeColor(0, 0, 0));
            }
            indices[i] = static_cast<std::uint8_t>(frame.transparent);
        } else {
            indices[i] = static_cast<std::uint8_t>(
                lookup.Lookup(std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value), r, g, b));
        }
    }
}

TGIFGraphicControlExtension& ControlOf(TGIFSubImage& frame) {
    if (TGIFGraphicControlExtension* gce = frame.ControlExtension()) return *gce;
    auto gce = std::make_unique<TGIFGraphicControlExtension>(&frame);
    TGIFGraphicControlExtension& made = *gce;
    frame.ExtensionBlocks().Add(std::move(gce));
    return made;
}

void Install(TGIFSubImage& frame, const TScaledFrame& scaled, int width, int height, bool disposeToBackground) {
    frame.LocalColors().ClearColors();
    frame.PlaceFrame(0, 0, width, height);
    frame.AllocatePixels();
    std::copy(scaled.pixels.get(), scaled.pixels.get() + frame.PixelDataSize(), frame.PixelData());
    for (TColor color : scaled.colors) frame.LocalColors().AddColor(color);
    if (scaled.transparent >= 0) {
        TGIFGraphicControlExtension& gce = ControlOf(frame);
        gce.SetUsesTransparency(true);
        gce.SetTransparentIndex(scaled.transparent);
    } else if (TGIFGraphicControlExtension* gce = frame.ControlExtension()) {
        gce->SetUsesTransparency(false);
    }
    // Each frame is now the whole picture. Only where the next one shows
    // nothing over something this one shows must this one be cleared first;
    // otherwise it stays, so that optimising can still merge the next one.
    if (disposeToBackground) ControlOf(frame).SetDisposalMethod(2);
    else if (TGIFGraphicControlExtension* gce = frame.ControlExtension(); gce && gce->DisposalMethod() >= 2)
        gce->SetDisposalMethod(1);
    frame.DropBitmap();
    frame.DropMask();
}

// The colours of all frames (and one entry for nothing-drawn) fit one table.
bool SharedTableFits(const std::vector<TScaledFrame>& frames) {
    std::unordered_set<TColor> colors;
    bool clear = false;
    for (const TScaledFrame& frame : frames) {
        for (std::size_t i = 0; i < frame.colors.size(); ++i) {
            if (int(i) == frame.transparent) clear = true;
            else colors.insert(frame.colors[i]);
        }
        if (colors.size() > 256) return false;
    }
    return colors.size() + (clear ? 1 : 0) <= 256;
}

}  // namespace

void InstallScaledFrames(TGIFImage& image, std::vector<TScaledFrame>& scaled, int width, int height) {
    const int oldWidth = image.Width(), oldHeight = image.Height();
    TGIFImageList& frames = image.Frames();
    // For each made frame: the next one shows nothing somewhere it shows something.
    std::vector<bool> clearAfter(scaled.size(), false);
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    for (std::size_t i = 0; i < scaled.size(); ++i) {
        if (!scaled[i].made) continue;
        std::size_t next = (i + 1) % scaled.size();
        while (next != i && !scaled[next].made) next = (next + 1) % scaled.size();
        const TScaledFrame& a = scaled[i];
        const TScaledFrame& b = scaled[next];
        if (b.transparent < 0) continue;
        for (std::size_t p = 0; p < pixels && !clearAfter[i]; ++p)
            clearAfter[i] = b.pixels[p] == b.transparent && a.pixels[p] != a.transparent;
    }

    // The screen first takes the larger of both sizes so no placed frame is
    // outside it; frames of a damaged file may stick out of the old screen
    // until they are placed, so the size is written without that check.
    image.Header().ScreenWidth = static_cast<std::uint16_t>(std::max(width, oldWidth));
    image.Header().ScreenHeight = static_cast<std::uint16_t>(std::max(height, oldHeight));
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage& frame = *frames[i];
        TScaledFrame& made = scaled[static_cast<std::size_t>(i)];
        if (made.made) {
            Install(frame, made, width, height, clearAfter[static_cast<std::size_t>(i)]);
            made.pixels.reset();  // keeps the peak low
        } else if (frame.Left() + frame.Width() > width || frame.Top() + frame.Height() > height) {
            frame.PlaceFrame(0, 0, 0, 0);  // never shown: nothing to keep
        }
    }
    image.Header().ScreenWidth = static_cast<std::uint16_t>(width);
    image.Header().ScreenHeight = static_cast<std::uint16_t>(height);
    image.ReleaseCaches();
}

namespace {
bool ResizeToExactly(TGIFImage& image, int width, int height, const std::function<bool(int)>& keepGoing);
}

void RequireResizeBudget(const TGIFImage& image, int width, int height) {
    std::uint64_t shown = 0;
    for (int i = 0; i < image.Frames().Count(); ++i) shown += image.Frames()[i]->IsEmpty() ? 0 : 1;
    if (std::uint64_t(width) * std::uint64_t(height) * shown > image.PixelBudget.DocumentPixels)
        throw GIFException(ImageTooLargeText);
}

int ClampAnimationSide(int side) {
    if (side < 1) return 10;
    return std::min(side, 1000);
}

bool ResizeAnimation(TGIFImage& image, int width, int height, const std::function<bool(int)>& keepGoing) {
    return ResizeToExactly(image, ClampAnimationSide(width), ClampAnimationSide(height), keepGoing);
}

bool FlattenAnimation(TGIFImage& image, const std::function<bool(int)>& keepGoing) {
    return ResizeToExactly(image, image.Width(), image.Height(), keepGoing);
}

namespace {

bool ResizeToExactly(TGIFImage& image, int width, int height, const std::function<bool(int)>& keepGoing) {
    const int oldWidth = image.Width(), oldHeight = image.Height();
    TGIFImageList& frames = image.Frames();
    if (frames.Count() == 0 || oldWidth <= 0 || oldHeight <= 0) return true;

    RequireResizeBudget(image, width, height);

    std::vector<TScaledFrame> scaled(static_cast<std::size_t>(frames.Count()));
    std::vector<std::uint32_t> packed, picture;
    std::vector<std::uint8_t> indices;
    bool cancelled = false;
    int done = 0;
    TGIFCompositor compositor(image);
    compositor.KeepGoing = [&] {
        cancelled = cancelled || (keepGoing && !keepGoing(80 * ++done / std::max(1, frames.Count())));
        return !cancelled;
    };
    compositor.Run([&](int index, const TBitmap& screen) {
        if (index < 0 || index >= frames.Count() || frames[index]->IsEmpty()) return;
        // Colours are indexed at the smaller of both sizes; stretching the
        // picture or its indices brings no colour in that was not there.
        const bool shrinking = std::int64_t(width) * height < std::int64_t(oldWidth) * oldHeight;
        if (shrinking) PackScreen(screen, width, height, picture);
        else PackScreen(screen, oldWidth, oldHeight, packed);
        const std::vector<std::uint32_t>& source = shrinking ? picture : packed;
        const int sourceWidth = shrinking ? width : oldWidth, sourceHeight = shrinking ? height : oldHeight;
        indices.resize(source.size());
        TScaledFrame& frame = scaled[static_cast<std::size_t>(index)];
        if (!IndexExactly(source, indices.data(), frame)) {
            frame = TScaledFrame{};
            IndexByQuantizing(source, sourceWidth, sourceHeight, indices.data(), frame);
        }
        frame.pixels.reset(new std::uint8_t[std::size_t(width) * std::size_t(height)]);
        if (shrinking)
            std::copy(indices.begin(), indices.end(), frame.pixels.get());
        else
            Stretch(indices.data(), oldWidth, oldHeight, width, height, frame.pixels.get());
        frame.made = true;
    });
    if (cancelled) return false;

    InstallScaledFrames(image, scaled, width, height);
    if (keepGoing) keepGoing(90);
    // One shared table when it loses nothing; past 256 colours in all each
    // frame keeps its own exact table.
    if (SharedTableFits(scaled)) image.OptimizeColorMaps();
    if (keepGoing) keepGoing(100);
    return true;
}

}  // namespace
