#include "gif/GIFImage.h"

#include "gif/ColorMapOptimizer.h"
#include "gif/FlagGuard.h"
#include "gif/GIFClipboard.h"
#include "gif/GIFFrameOptimizer.h"
#include "gif/GIFPainterHost.h"

#include <algorithm>
#include <thread>

#include "color/FixedPalettes.h"
#include "raster/Palette.h"

#include "raster/Bitmap.h"

void TBitmapDeleter::operator()(TBitmap* bitmap) const noexcept { delete bitmap; }

std::atomic<bool> TGIFSettings::RenderOnLoad{false};
std::atomic<bool> TGIFSettings::PaletteDevice{false};

TGIFImage::TGIFImage()
    : frames_(std::make_unique<TGIFImageList>(this)), header_(std::make_unique<TGIFHeader>(this)) {
    ClearImage();
}

TGIFImage::~TGIFImage() {
    StopPainting();
    // Painters that are still registered must not reach back into a dead image.
    painters_.ForEachLocked([](TGIFPainterBase* painter) { painter->DetachImage(); });
    ActivePainter = nullptr;
    ClearImage();
}

// --- notifications ----------------------------------------------------------

void TGIFImage::Changed() {
    if (OnChange) OnChange(this);
}

void TGIFImage::Progress(TPersistent* sender, TProgressStage stage, int percent, bool redrawNow,
                         const std::string& text) {
    if (OnProgress) OnProgress(sender, stage, percent, redrawNow, TRect{}, text);
}

void TGIFImage::DispatchWarning(TPersistent* sender, int severity, const std::string& text) {
    if (OnWarn) OnWarn(sender, severity, text);
}

// --- size and palette -------------------------------------------------------

void TGIFImage::SetWidth(std::uint16_t value) {
    for (int i = 0; i < frames_->Count(); ++i) {
        const TGIFSubImage* frame = (*frames_)[i];
        if (frame->Left() + frame->Width() > value) throw GIFException("Image width too small for contained frames");
    }
    if (value == header_->ScreenWidth) return;
    header_->ScreenWidth = value;
    ReleaseFlatBitmap();
    Changed();
}

void TGIFImage::SetHeight(std::uint16_t value) {
    for (int i = 0; i < frames_->Count(); ++i) {
        const TGIFSubImage* frame = (*frames_)[i];
        if (frame->Top() + frame->Height() > value)
            throw GIFException("Image height too small for contained frames");
    }
    if (value == header_->ScreenHeight) return;
    header_->ScreenHeight = value;
    ReleaseFlatBitmap();
    Changed();
}

const TPalette* TGIFImage::Palette() {
    // A frame without colours asks the image, which asks the first frame again.
    if (inPalette_) throw GIFException("No global or local color table defined");
    TFlagGuard guard(inPalette_);
    if (FlatBitmap && FlatBitmap->Palette().Count() > 0) return &FlatBitmap->Palette();
    if (screenPalette_) return screenPalette_.get();
    if (ShouldDither()) {
        screenPalette_ = CreateWebSafePalette();
        return screenPalette_.get();
    }
    if (!GlobalColors().IsEmpty()) {
        screenPalette_ = GlobalColors().CreatePaletteHandle();
        return screenPalette_.get();
    }
    return frames_->Count() > 0 ? (*frames_)[0]->PaletteHandle() : nullptr;
}

void TGIFImage::SetPalette(std::unique_ptr<TPalette> palette) {
    if (palette && palette.get() == screenPalette_.get()) {
        (void)palette.release();  // the same handle again: it is already ours
        return;
    }
    screenPalette_ = std::move(palette);
    if (FlatBitmap && !(screenPalette_ && FlatBitmap->Palette() == *screenPalette_)) {
        ReleaseFlatBitmap();
        PaletteModified = true;
        Changed();
    }
}

bool TGIFImage::ShouldDither() const {
    return HasPaintOption(poDither) && (!HasPaintOption(poAutoDither) || TGIFSettings::PaletteDevice);
}

// --- settings ---------------------------------------------------------------

void TGIFImage::SetPaintOptions(std::uint16_t options) {
    if (options == paintOptions_) return;
    StopActivePainter();
    paintOptions_ = options;
    ReleaseCaches();
    Changed();
}

void TGIFImage::SetReductionBits(int bits) {
    if (bits < 3 || bits > 8) throw GIFException("Invalid Bits Per Pixel value");
    reductionBits_ = bits;
}

// --- painters ---------------------------------------------------------------

void TGIFImage::StopPainting() {
    for (;;) {
        int threaded = 0;
        painters_.ForEachLocked([&threaded](TGIFPainterBase* painter) {
            painter->Stop();
            if (painter->IsThreaded()) ++threaded;
        });
        // Threaded painters finish through synchronised calls on this thread,
        // so those calls must be let through while we wait.
        if (threaded == 0) return;
        if (!RunGIFSynchronizePump()) return;
        std::this_thread::yield();
    }
}

void TGIFImage::StopActivePainter() {
    TGIFPainterBase* painter = ActivePainter;
    ActivePainter = nullptr;
    if (!painter || !painters_.Contains(painter)) return;
    painter->Stop();
    while (painter->IsThreaded() && painters_.Contains(painter)) {
        if (!RunGIFSynchronizePump()) return;
        std::this_thread::yield();
    }
}

// --- caches -----------------------------------------------------------------

void TGIFImage::ReleaseFlatBitmap() { FlatBitmap.reset(); }

void TGIFImage::ReleaseCaches() {
    ReleaseFlatBitmap();
    SetPalette(nullptr);
    for (int i = 0; i < frames_->Count(); ++i) {
        TGIFSubImage* frame = (*frames_)[i];
        frame->ReplaceBitmap(nullptr);
        frame->DropMask();
        frame->ReplacePalette(nullptr);
    }
    // A single frame's local table serves just as well as the global one, and
    // the global table is what most decoders handle best.
    if (GlobalColors().IsEmpty() && frames_->Count() == 1) {
        TGIFSubImage* frame = (*frames_)[0];
        GlobalColors().Assign(&frame->LocalColors());
        frame->LocalColors().ClearColors();
        frame->LocalColors().NotifyChanged();
    }
}

// --- document ---------------------------------------------------------------

void TGIFImage::ClearImage() {
    StopPainting();
    StopActivePainter();
    ReleaseFlatBitmap();
    frames_->Clear();
    GlobalColors().ClearColors();
    header_->ScreenWidth = 0;
    header_->ScreenHeight = 0;
    header_->UpdateScreenFlags();
    SetPalette(nullptr);
}

int TGIFImage::AddFrame(std::unique_ptr<TGIFSubImage> frame) {
    if (!frame) throw GIFException("Object type not supported for operation");
    frame->SetOwnerImage(this);
    const int index = frames_->Add(std::move(frame));
    ReleaseFlatBitmap();
    Changed();
    return index;
}

int TGIFImage::AddFrame(const TPersistent& source) {
    // Pictures become frames through the raster conversion; nothing else can.
    (void)source;
    throw GIFException("Object type not supported for operation");
}

void TGIFImage::Assign(const TPersistent* source) {
    if (source == this) return;
    if (!source) {
        ClearImage();
        return;
    }
    const auto* other = dynamic_cast<const TGIFImage*>(source);
    if (!other) {
        ClearImage();
        auto frame = std::make_unique<TGIFSubImage>(this);
        frame->Assign(source);  // raises for sources that cannot become a frame
        AddFrame(std::move(frame));
        return;
    }

    ClearImage();
    // The copy reports to whoever listens to the source; afterwards this image
    // has no listeners of its own.
    OnProgress = other->OnProgress;
    OnWarn = other->OnWarn;
    struct TClearHandlers {
        TGIFImage& image;
        ~TClearHandlers() {
            image.OnProgress = nullptr;
            image.OnWarn = nullptr;
        }
    } clearHandlers{*this};

    Progress(this, psStarting, 0, false, "Copying...");
    try {
        header_->Assign(&other->Header());
        PaintPriority = other->PaintPriority;
        PaintBackground = other->PaintBackground;
        paintOptions_ = other->paintOptions_;
        ColorReductionKind = other->ColorReductionKind;
        DitherKind = other->DitherKind;
        const int count = other->Frames().Count();
        for (int i = 0; i < count; ++i) {
            auto frame = std::make_unique<TGIFSubImage>(this);
            frame->Assign(other->Frames()[i]);
            AddFrame(std::move(frame));
            Progress(this, psRunning, i * 100 / count, false, "Copying...");
        }
    } catch (...) {
        Progress(this, psEnding, 0, false, "Copying...");
        throw;
    }
    Progress(this, psEnding, 100, false, "Copying...");
}

TGIFVersion TGIFImage::FileVersion() const {
    TGIFVersion version = gvUnknown;
    for (int i = 0; i < frames_->Count() && version != gv89a; ++i)
        version = std::max(version, (*frames_)[i]->RequiredVersion());
    return version;
}

int TGIFImage::MaxBitDepth() const {
    if (bitDepthWhileSaving_) return *bitDepthWhileSaving_;
    int depth = header_->GlobalColors().BitDepth();
    for (int i = 0; i < frames_->Count(); ++i) depth = std::max(depth, (*frames_)[i]->BitDepth());
    return depth;
}

int TGIFImage::MaxResolutionBits() const {
    int bits = header_->GlobalColors().BitDepth() - 1;
    for (int i = 0; i < frames_->Count(); ++i) bits = std::max(bits, (*frames_)[i]->ResolutionBits());
    return bits;
}

// --- reading and writing ----------------------------------------------------

void TGIFImage::SaveToStream(TStream& stream) {
    // Every frame without a table of its own asks for the depth; nothing
    // changes it while writing.
    bitDepthWhileSaving_ = MaxBitDepth();
    struct TEndOfSaving {
        std::optional<int>& depth;
        ~TEndOfSaving() { depth.reset(); }
    } endOfSaving{bitDepthWhileSaving_};
    Progress(this, psStarting, 0, false, "Saving...");
    try {
        header_->SaveToStream(stream);
        const int count = frames_->Count();
        for (int i = 0; i < count; ++i) {
            (*frames_)[i]->SaveToStream(stream);
            Progress(this, psRunning, (i + 1) * 100 / count, false, "Saving...");
        }
        stream.WriteByte(';');
    } catch (...) {
        Progress(this, psEnding, 0, false, "Saving...");
        throw;
    }
    Progress(this, psEnding, 100, false, "Saving...");
}

void TGIFImage::FitEmptyScreenToFrames() {
    // A screen of no width or height shows nothing; browsers size it to the
    // frames instead, and so does this reader.
    if (header_->ScreenWidth != 0 && header_->ScreenHeight != 0) return;
    int right = 0, bottom = 0;
    for (int i = 0; i < frames_->Count(); ++i) {
        const TGIFSubImage& frame = *(*frames_)[i];
        right = std::max(right, frame.Left() + frame.Width());
        bottom = std::max(bottom, frame.Top() + frame.Height());
    }
    if (right == 0 || bottom == 0) return;
    DispatchWarning(this, 1, "Image exceeds Logical Screen size");
    // Every frame lies on the screen afterwards (a frame read beside an empty
    // screen was decoded whole and must stay so when the file is read again).
    header_->ScreenWidth = static_cast<std::uint16_t>(std::min(std::max<int>(header_->ScreenWidth, right), 0xFFFF));
    header_->ScreenHeight = static_cast<std::uint16_t>(std::min(std::max<int>(header_->ScreenHeight, bottom), 0xFFFF));
}

void TGIFImage::LoadFromStream(TStream& stream) {
    Progress(this, psStarting, 0, false, "Loading...");
    try {
        ClearImage();
        header_->LoadFromStream(stream);
        frames_->LoadFromStream(stream, this);
        FitEmptyScreenToFrames();
        // A missing trailer is common in truncated files and harmless.
        const int trailer = stream.ReadByte();
        if (trailer >= 0 && trailer != ';') DispatchWarning(this, 1, "Invalid Image trailer");
    } catch (...) {
        Progress(this, psEnding, 0, false, "Loading...");
        throw;
    }
    Progress(this, psEnding, 100, false, "Loading...");
}

void TGIFImage::SaveToFile(const std::string& fileName) {
    // Encoded completely before the file is touched: a failure (a pixel outside
    // its table, say) must not leave the old file truncated.
    TMemoryStream encoded;
    SaveToStream(encoded);
    TFileStream stream(fileName, TFileStream::Mode::Create);
    stream.Write(encoded.Data(), static_cast<std::size_t>(encoded.Size()));
}

void TGIFImage::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileStream::Mode::Read);
    LoadFromStream(stream);
}

// --- optimisation: the document's part; the steps are operations of their own
// (gif/GIFFrameOptimizer.cpp, gif/ColorMapOptimizer.cpp).

void TGIFImage::OptimizeAnimation(int options) {
    StopPainting();
    // No painter may start on the frames while they change under it.
    std::lock_guard<std::recursive_mutex> lock(PainterList().Lock());
    Progress(this, psStarting, 0, false, "Copying...");
    // Placing a trimmed frame grows a logical screen that a frame sticks out
    // of (read from a damaged file); the screen is part of what is shown, so
    // it keeps its size.
    const std::uint16_t screenWidth = Header().ScreenWidth;
    const std::uint16_t screenHeight = Header().ScreenHeight;
    try {
        TGIFFrameOptimizer(*this).Run(options);
    } catch (...) {
        Header().ScreenWidth = screenWidth;
        Header().ScreenHeight = screenHeight;
        Progress(this, psEnding, 0, false, "Copying...");
        throw;
    }
    Header().ScreenWidth = screenWidth;
    Header().ScreenHeight = screenHeight;
    FlatBitmap.reset();
    SetPalette(nullptr);
    Changed();
    Progress(this, psEnding, 100, false, "Copying...");
}

void TGIFImage::OptimizeColorMaps() { TColorMapOptimizer(*this).Optimize(); }

// --- clipboard (gif/GIFClipboard.cpp) ----------------------------------------

void TGIFImage::SaveToClipboardFormat(TGIFClipboardData& data) { SaveImageToClipboard(*this, data); }

void TGIFImage::LoadFromClipboardFormat(const std::string& format, const TGIFClipboardData* data) {
    LoadImageFromClipboard(*this, format, data);
}

// --- pictures (the frame converts itself: gif/GIFSubImageBitmap.cpp) --------

int TGIFImage::AddFrame(const TBitmap& bitmap) {
    // The frame belongs to this image while it converts (reduction settings,
    // screen growth) and is freed if the conversion fails.
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->AssignBitmap(bitmap);
    return AddFrame(std::move(frame));
}

void TGIFImage::AssignBitmap(const TBitmap& bitmap) {
    ClearImage();
    AddFrame(bitmap);
}
