#pragma once
// Small frames and bitmaps built by hand for tests, and a pixel-by-pixel check
// of a bitmap against the colours it must show.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "raster/Bitmap.h"
#include "raster/Palette.h"

// What the animation saves, written from a copy ("no frames" for an empty
// one, which cannot be saved): for comparing states of it.
inline std::string Saved(const TGIFImage& image) {
    if (image.Frames().Count() == 0) return "no frames";
    TGIFImage copy;
    copy.Assign(&image);
    TMemoryStream s;
    copy.SaveToStream(s);
    return std::string(reinterpret_cast<const char*>(s.Data()), std::size_t(s.Size()));
}

// Adds an extension of type T to `frame` and answers it.
template <class T>
T* AddExtension(TGIFSubImage* frame) {
    auto ext = std::make_unique<T>(frame);
    T* raw = ext.get();
    frame->ExtensionBlocks().Add(std::move(ext));
    return raw;
}

// Adds an empty frame placed at (left, top), width x height, through
// TGIFImage::AddFrame (which may grow the screen), and answers it.
inline TGIFSubImage* AddPlacedFrame(TGIFImage& image, int left, int top, int width, int height) {
    auto owned = std::make_unique<TGIFSubImage>(&image);
    TGIFSubImage* frame = owned.get();
    frame->PlaceFrame(left, top, width, height);
    image.AddFrame(std::move(owned));
    return frame;
}

// Appends a frame of no size straight to the image's list, past everything
// TGIFImage::AddFrame does, and answers it.
inline TGIFSubImage* AppendFrame(TGIFImage& image) {
    auto owned = std::make_unique<TGIFSubImage>(&image);
    TGIFSubImage* frame = owned.get();
    image.Frames().Add(std::move(owned));
    return frame;
}

// Adds a frame to `image` at (left, top) with a local table of `colors` and
// one colour index per pixel; a graphic control extension marks
// `transparentIndex` as transparent when it is not -1.
inline TGIFSubImage* AddIndexedFrame(TGIFImage& image, int left, int top, int width, int height,
                                     const std::vector<int>& pixels, const std::vector<TColor>& colors,
                                     int transparentIndex = -1) {
    auto owned = std::make_unique<TGIFSubImage>(&image);
    TGIFSubImage* frame = owned.get();
    frame->PlaceFrame(left, top, width, height);
    for (TColor c : colors) frame->LocalColors().AddColor(c);
    for (int i = 0; i < width * height; ++i)
        frame->PixelData()[i] = static_cast<std::uint8_t>(pixels[static_cast<std::size_t>(i)]);
    if (transparentIndex >= 0) {
        auto gce = std::make_unique<TGIFGraphicControlExtension>(frame);
        gce->SetUsesTransparency(true);
        gce->SetTransparentIndex(transparentIndex);
        frame->ExtensionBlocks().Add(std::move(gce));
    }
    image.AddFrame(std::move(owned));
    return frame;
}

// A palette of the given colours, no entry flags.
inline TPalette MakePalette(const std::vector<TColorRef>& colors) {
    std::vector<TPaletteEntry> entries;
    for (TColorRef c : colors) entries.push_back({RedOf(c), GreenOf(c), BlueOf(c), 0});
    return TPalette(std::move(entries));
}

// Compares every pixel's colour with the expected grid (rows of columns).
inline void ExpectColors(const TBitmap& b, const std::vector<std::vector<TColorRef>>& want,
                         const std::string& what) {
    ASSERT_EQ(b.Height(), static_cast<int>(want.size())) << what;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            EXPECT_EQ(b.Pixel(x, y), want[y][x]) << what << ": pixel (" << x << "," << y << ")";
}
