#pragma once
#include <optional>
// One frame of an animation: placement on the logical screen, a local colour
// table, one index byte per pixel, and the extension blocks that precede its
// image in the file. Bitmaps, masks and palettes derived from it are caches.

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "gif/DefaultInitAllocator.h"
#include "gif/GIFColorMap.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFItem.h"
#include "gif/KeptImageData.h"

class TCanvas;
#include "raster/Palette.h"  // palettes are passed by unique_ptr

class TGIFSubImage : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* owner);
    ~TGIFSubImage() override;
    const char* ClassName() const override { return "TGIFSubImage"; }

    // --- placement and descriptor -----------------------------------------
    std::uint16_t Left() const { return left_; }
    std::uint16_t Top() const { return top_; }
    std::uint16_t Width() const { return width_; }
    std::uint16_t Height() const { return height_; }
    void SetLeft(std::uint16_t value) { PlaceFrame(value, top_, width_, height_); }
    void SetTop(std::uint16_t value) { PlaceFrame(left_, value, width_, height_); }
    void SetWidth(std::uint16_t value) { PlaceFrame(left_, top_, value, height_); }
    void SetHeight(std::uint16_t value) { PlaceFrame(left_, top_, width_, value); }
    TRect FrameRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    // Stores the placement; a new size drops the caches and reallocates zeroed
    // pixels. A frame beyond a non-zero logical screen grows it, with warnings.
    void PlaceFrame(int left, int top, int width, int height);

    // bit 7 local table, bit 6 interlaced, bit 5 sorted, bits 0-2 table size code
    std::uint8_t DescriptorFlags() const { return descriptorFlags_; }
    void SetDescriptorFlags(std::uint8_t flags) { descriptorFlags_ = flags; }
    bool IsInterlaced() const { return (descriptorFlags_ & 0x40) != 0; }
    void SetInterlaced(bool value);
    // Recomputes the table bits of DescriptorFlags (done before writing).
    void UpdateDescriptorFlags();

    // --- colours ----------------------------------------------------------
    TGIFLocalColorMap& LocalColors() { return localColors_; }
    const TGIFLocalColorMap& LocalColors() const { return localColors_; }
    // Local table when non-empty, else a non-empty global table, else the local one.
    TGIFColorMap* EffectiveColors();
    const TGIFColorMap* EffectiveColors() const;
    int BitDepth() const { return localColors_.BitDepth(); }
    int ResolutionBits() const { return BitDepth() - 1; }

    // --- pixels -----------------------------------------------------------
    std::uint8_t* PixelData() { return pixels_.empty() ? nullptr : pixels_.data(); }
    const std::uint8_t* PixelData() const { return pixels_.empty() ? nullptr : pixels_.data(); }
    std::int64_t PixelDataSize() const { return static_cast<std::int64_t>(pixels_.size()); }
    bool IsEmpty() const { return pixels_.empty() || width_ == 0 || height_ == 0; }
    // Frees, then allocates Width*Height zero bytes (none when the product is 0).
    void AllocatePixels();
    void ReleasePixels();
    // Allocates when missing; "Image is empty" when the size is 0.
    void RequirePixels();
    // "Invalid pixel coordinates" outside the frame.
    std::uint8_t* RowPointer(int y);
    std::uint8_t PixelAt(int x, int y);
    // Adds the use count of each index over this frame's pixels.
    void CountPixelUse(TGIFColorHistogram& histogram) const;
    // Rewrites every pixel (and a transparent index in force) through the table.
    void RemapPixelData(const TGIFColorTranslation& translation);

    // --- frame optimisation (GIFFrameOptimizer.cpp) -----------------------
    // Trims a non-empty transparent frame to the smallest rectangle holding a
    // visible pixel; a frame with no visible pixel is cleared (becomes empty).
    void Crop();
    // Turns the pixels that repeat `previous` (the frame this one is drawn over)
    // into transparent ones, adding a transparent index when the frame lacks one.
    void Merge(TGIFSubImage* previous);

    // --- extensions -------------------------------------------------------
    TGIFExtensionList& ExtensionBlocks() { return extensions_; }
    const TGIFExtensionList& ExtensionBlocks() const { return extensions_; }
    bool IsTransparent() const { return isTransparent_; }
    // The frame's first graphic control extension, or null.
    TGIFGraphicControlExtension* ControlExtension() const { return controlExtension_; }
    // The first extension of type T in ExtensionBlocks, or null.
    template <class T>
    T* FindExtension() const {
        for (int i = 0; i < extensions_.Count(); ++i)
            if (auto* ext = dynamic_cast<T*>(extensions_[i])) return ext;
        return nullptr;
    }

    // --- caches -----------------------------------------------------------
    // Rendered picture and transparency mask; built by the raster conversion.
    TBitmapPtr CachedBitmap;
    TBitmapPtr TransparencyMask;
    bool MaskStale = true;
    void DropBitmap();
    void DropMask();
    // The frame's palette: a rendered bitmap's own, else the fixed web palette
    // when the image dithers, else one built from the local table (both cached),
    // else the image's palette. Not owned; may be null.
    const TPalette* PaletteHandle();
    // Takes over `palette` as the cached palette (null drops it).
    void ReplacePalette(std::unique_ptr<TPalette> palette);

    // --- rasters and drawing (GIFSubImageRaster.cpp, GIFSubImageBitmap.cpp) --
    // The frame as an 8-bit bitmap, rendered on demand (null for an empty frame
    // or when the rendering was aborted).
    TBitmap* RenderedBitmap();
    // Takes a copy of `source` as the cached bitmap (null drops it).
    void ReplaceBitmap(const TBitmap* source);
    bool BitmapCached() const { return CachedBitmap != nullptr; }
    // True renders the bitmap now, false drops it.
    void SetBitmapCached(bool value);
    // Renders again when the mask is stale; answers whether a mask exists.
    bool MaskAvailable();
    // Where the frame lands when `rect` stands for the whole logical screen.
    TRect ScaledFrameRect(const TRect& rect) const;
    // Draws the frame at its place on a screen stretched into `rect` (or tiled).
    void DrawFrame(TCanvas& canvas, const TRect& rect, bool tile, bool transparent);
    // Draws the frame stretched into `rect` (or tiled at its own size).
    void PaintFrame(TCanvas& canvas, const TRect& rect, bool tile, bool transparent);
    // The bitmap receives a copy of RenderedBitmap (cleared for an empty frame).
    void AssignTo(TBitmap& bitmap);
    // Becomes a frame of the bitmap's size and colours; a transparent bitmap's
    // transparent colour becomes the frame's transparent index.
    void AssignBitmap(const TBitmap& bitmap);
    // Pixels under set bits of the pf1bit mask get a new transparent index.
    void ApplyMask(const TBitmap& mask);

    // --- life cycle -------------------------------------------------------
    // Deletes the extensions, clears the table, frees pixels, size 0, caches dropped.
    void ClearFrame();
    TGIFVersion RequiredVersion() const override;
    void SetOwnerImage(TGIFImage* image) override;
    // From another frame: a full copy with new extension objects; from null:
    // ClearFrame; any other source raises the cannot-assign error.
    void Assign(const TPersistent* source);

    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    // The bytes of the image data as it was read, where they are fewer than
    // `bound` and the pixels are still the ones it holds; -1 otherwise.
    // Telling decodes the data again, so callers pass the size it must beat.
    std::int64_t KeptDataSizeBelow(std::int64_t bound) const;
    std::int64_t KeptDataSize() const { return KeptDataSizeBelow(std::numeric_limits<std::int64_t>::max()); }
    // Saving encodes the pixels anew from now on.
    void DropKeptData() { keptData_.reset(); }
    // `data` decodes to the frame's pixels as they are: saving writes it while
    // they stay so, as it does data as read. Data the usual encoder wrote,
    // or no longer than what it writes (`encodedWith`), is written without
    // encoding the pixels again.
    void KeepImageData(TReadImageData data, std::optional<TEncodedWith> encodedWith = std::nullopt);
    // The data saving may write instead of a new encoding, if any.
    const TKeptImageData* KeptData() const { return keptData_.get(); }
    // The code size and table size the pixels are written with: the local
    // table's, or the image's deepest.
    TEncodedWith WrittenWith() const;
    // The same with the image's deepest table given (asking the image scans
    // every frame).
    TEncodedWith WrittenWith(int imageBitDepth) const;

private:
    friend class TGIFGraphicControlExtension;
    // Reads extension blocks until an image separator, trailer or end of data.
    void LoadExtensions(TStream& stream);
    // Drops an earlier control block of this frame in favour of the one just read.
    void KeepOnlyLatestControl(TGIFGraphicControlExtension* latest);
    void LoadImage(TStream& stream);
    void GrowScreen();

    std::vector<std::uint8_t, TDefaultInitAllocator<std::uint8_t>> pixels_;
    TGIFLocalColorMap localColors_;
    std::uint16_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::uint8_t descriptorFlags_ = 0;
    TGIFExtensionList extensions_;
    bool isTransparent_ = false;
    TGIFGraphicControlExtension* controlExtension_ = nullptr;
    std::unique_ptr<TPalette> paletteHandle_;
    // Shared by copies: it never changes once read.
    std::shared_ptr<const TKeptImageData> keptData_;
};

// The frames of an image, in display order.
class TGIFImageList : public TGIFTypedList<TGIFSubImage> {
public:
    using TGIFTypedList::TGIFTypedList;
    const char* ClassName() const override { return "TGIFImageList"; }
    // Reads frames up to the trailer; leaves the stream on the byte that ended them.
    void LoadFromStream(TStream& stream, TGIFImage* parent);
    // The pixels the frames hold, for the pixel budget. While frames are read
    // this is a running total, so that reading stays linear in their number.
    std::uint64_t DecodedPixels() const;

protected:
    // A frame taken over from another image now warns and looks up colours here.
    void ItemInserted(TGIFItem* item) override { item->SetOwnerImage(OwnerImage()); }

private:
    std::optional<std::uint64_t> pixelsWhileLoading_;
};
