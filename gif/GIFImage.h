#pragma once

#include <optional>
// The animated GIF document: header and frames, document-wide settings, frame
// management, cached palette and picture, warning and progress dispatch, and
// the bookkeeping of the painters that play it. This is the GIF layer's chief
// header; it brings in the whole object model.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "gif/GIFColorMap.h"
#include "raster/GIFException.h"
#include "gif/GIFExtensionRegistry.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFHeader.h"
#include "gif/GIFItem.h"
#include "gif/GIFPainterBase.h"
#include "gif/GIFSubImage.h"
#include "gif/GIFTypes.h"
#include "gif/LZW.h"
#include "raster/PixelBudget.h"
#include "gif/Stream.h"

class TCanvas;
#include "raster/Palette.h"  // palettes are passed by unique_ptr
struct TGIFClipboardData;

// Painting options: bit numbers in TGIFImage::PaintOptions.
enum TGIFPaintOption : std::uint8_t {
    poThreaded = 0,
    poTransparent = 1,
    poAnimate = 2,
    poLoop = 3,
    poLoopForever = 4,
    poCheckCanvas = 5,
    poDirect = 6,
    poClearOnLoop = 7,
    poTile = 8,
    poDither = 9,
    poAutoDither = 10
};
constexpr std::uint16_t PaintOptionBit(TGIFPaintOption option) { return std::uint16_t(1u << option); }
constexpr std::uint16_t kDefaultPaintOptions = 0x060F;  // threaded, transparent, animate, loop, dither, auto-dither

// Process-wide settings of the GIF layer.
struct TGIFSettings {
    // Render each frame's bitmap as soon as it is read (done by the raster layer).
    static std::atomic<bool> RenderOnLoad;
    // The display shows at most 256 colours; set at start-up.
    static std::atomic<bool> PaletteDevice;
};

class TGIFImage : public TPersistent {
public:
    TGIFImage();
    ~TGIFImage() override;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    const char* ClassName() const override { return "TGIFImage"; }

    TGIFHeader& Header() { return *header_; }
    const TGIFHeader& Header() const { return *header_; }
    TGIFImageList& Frames() { return *frames_; }
    const TGIFImageList& Frames() const { return *frames_; }
    TGIFGlobalColorMap& GlobalColors() { return header_->GlobalColors(); }

    // --- framework graphic ------------------------------------------------
    bool Empty() const { return frames_->Count() == 0; }
    bool Equals(const TGIFImage* other) const { return other == this; }
    int Width() const { return header_->ScreenWidth; }
    int Height() const { return header_->ScreenHeight; }
    // "Image width too small for contained frames" when a frame would stick out.
    void SetWidth(std::uint16_t value);
    // "Image height too small for contained frames" when a frame would stick out.
    void SetHeight(std::uint16_t value);
    // The image's palette: the flat picture's own, else a cached one (web
    // palette when dithering, else from the global table), else the first
    // frame's. Not owned; may be null.
    const TPalette* Palette();
    // Takes over the cached image palette (null drops it).
    void SetPalette(std::unique_ptr<TPalette> palette);

    TGIFChangeHandler OnChange;
    TGIFProgressHandler OnProgress;
    TGIFWarningHandler OnWarn;
    bool PaletteModified = false;
    // Fires OnChange.
    void Changed();
    void Progress(TPersistent* sender, TProgressStage stage, int percent, bool redrawNow, const std::string& text);
    virtual void DispatchWarning(TPersistent* sender, int severity, const std::string& text);

    // --- settings ---------------------------------------------------------
    std::uint16_t PaintOptions() const { return paintOptions_; }
    bool HasPaintOption(TGIFPaintOption option) const { return (paintOptions_ & PaintOptionBit(option)) != 0; }
    // A change stops the active painter and drops the caches.
    void SetPaintOptions(std::uint16_t options);
    // Limits of what reading may allocate (see PixelBudget.h).
    TPixelBudget PixelBudget = DefaultPixelBudget;
    TColorReductionKind ColorReductionKind = crWebSafe;
    TDitherKind DitherKind = dkNearest;
    TGIFEncoding Encoding = encLZW;
    int ReductionBits() const { return reductionBits_; }
    // "Invalid Bits Per Pixel value" outside 3..8.
    void SetReductionBits(int bits);
    // Dithered rendering: poDither, and poAutoDither only on a palette display.
    bool ShouldDither() const;

    // --- painters ---------------------------------------------------------
    TGIFPainterList& PainterList() { return painters_; }
    TGIFPainterBase* ActivePainter = nullptr;
    // Kept and copied with the image; painter threads run at the standard
    // library's one priority, which has no setting.
    TGIFPaintPriority PaintPriority = tpNormal;
    int AnimationSpeed = 100;
    TColor PaintBackground = clNone;
    // Asks every painter to stop and waits for the threaded ones.
    void StopPainting();

    // --- caches -----------------------------------------------------------
    TBitmapPtr FlatBitmap;
    bool InDraw = false;
    // Drops the flat picture, palettes and frame bitmaps; a lone frame's local
    // table becomes the global table.
    void ReleaseCaches();

    // --- drawing, conversion, clipboard, colour tables ----------------------
    // (drawing in GIFImageDraw.cpp; the rest in GIFImage.cpp, handing the work to
    // GIFClipboard.cpp and ColorMapOptimizer.cpp)
    // The first frame as seen on the logical screen, built once into FlatBitmap;
    // null for an empty image.
    TBitmap* GetFlatBitmap();
    // The bitmap receives a copy of the flat picture.
    void AssignTo(TBitmap& bitmap);
    // Draws the image into `rect` of the canvas (the first frame, the flat
    // picture or an animation painter, by PaintOptions).
    void Draw(TCanvas& canvas, const TRect& rect);
    // A bitmap becomes a new last frame; answers its index.
    int AddFrame(const TBitmap& bitmap);
    // Clears the image and makes the bitmap its one frame.
    void AssignBitmap(const TBitmap& bitmap);
    // Bitmap data plus the complete GIF file; nothing for an empty image.
    void SaveToClipboardFormat(TGIFClipboardData& data);
    // GIF data is read as a file, bitmap data becomes one frame; other formats
    // raise "Unsupported clipboard format". Null data asks the installed
    // clipboard reader for the format.
    void LoadFromClipboardFormat(const std::string& format, const TGIFClipboardData* data);
    // Replaces every colour table by one global table of the colours in use.
    void OptimizeColorMaps();
    // Shrinks the stored animation without changing what it shows; `options`
    // combines TGIFOptimizeOption bits (GIFFrameOptimizer.cpp).
    void OptimizeAnimation(int options);

    // --- document ---------------------------------------------------------
    // Back to an empty image; background index, aspect ratio and options stay.
    void ClearImage();
    // Takes the frame (re-homed to this image) and appends it; answers its index.
    int AddFrame(std::unique_ptr<TGIFSubImage> frame);
    // Other sources become frames by conversion; anything that cannot raises
    // "Object type not supported for operation".
    int AddFrame(const TPersistent& source);
    // From another image: a copy of header, frames and painting settings; from
    // null: ClearImage; other sources become one frame.
    void Assign(const TPersistent* source);

    // The highest version the frames need; gvUnknown without frames.
    TGIFVersion FileVersion() const;
    // The deepest colour table of the image (global or any frame's). While
    // the image is written it is worked out once, not once per frame.
    int MaxBitDepth() const;
    int MaxResolutionBits() const;
    TColor BackgroundColor() { return header_->BackgroundColor(); }

    void SaveToStream(TStream& stream);
    void LoadFromStream(TStream& stream);
    void SaveToFile(const std::string& fileName);
    void LoadFromFile(const std::string& fileName);

private:
    void ReleaseFlatBitmap();
    // A screen read as 0 wide or high takes the frames' extent.
    void FitEmptyScreenToFrames();
    void StopActivePainter();

    bool inPalette_ = false;
    std::unique_ptr<TGIFImageList> frames_;
    std::unique_ptr<TGIFHeader> header_;
    std::optional<int> bitDepthWhileSaving_;
    std::unique_ptr<TPalette> screenPalette_;
    TGIFPainterList painters_;
    std::uint16_t paintOptions_ = kDefaultPaintOptions;
    int reductionBits_ = 8;
};
