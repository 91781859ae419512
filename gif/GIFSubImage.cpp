#include "gif/GIFSubImage.h"

#include <algorithm>

#include "color/FixedPalettes.h"
#include "raster/GIFException.h"
#include "gif/GIFExtensionRegistry.h"
#include "gif/GIFFrameOptimizer.h"
#include "gif/GIFImage.h"
#include "gif/LZW.h"
#include "gif/Stream.h"
#include "raster/Bitmap.h"
#include "raster/Palette.h"

namespace {
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
}  // namespace

TGIFSubImage::TGIFSubImage(TGIFImage* owner)
    : TGIFItem(owner), localColors_(this), extensions_(owner, this) {}

TGIFSubImage::~TGIFSubImage() {
    // Extensions reach back into this frame while they go, so they go first.
    extensions_.Clear();
}

// --- placement --------------------------------------------------------------

void TGIFSubImage::PlaceFrame(int left, int top, int width, int height) {
    const bool resized = width != width_ || height != height_;
    left_ = static_cast<std::uint16_t>(left);
    top_ = static_cast<std::uint16_t>(top);
    width_ = static_cast<std::uint16_t>(width);
    height_ = static_cast<std::uint16_t>(height);
    if (resized) {
        DropBitmap();
        DropMask();
        AllocatePixels();
    }
    GrowScreen();
}

void TGIFSubImage::GrowScreen() {
    TGIFImage* image = OwnerImage();
    if (!image) return;
    // The screen cannot grow past 16 bits; a frame beyond that keeps sticking out.
    const int right = std::min(left_ + width_, 0xFFFF);
    const int bottom = std::min(top_ + height_, 0xFFFF);
    bool warned = false;
    bool grown = false;
    if (image->Width() < right) {
        if (image->Width() >= 1) {
            ReportWarning(1, "Image width too small for contained frames");
            warned = true;
        }
        image->Header().ScreenWidth = static_cast<std::uint16_t>(right);
        grown = true;
    }
    if (image->Height() < bottom) {
        if (image->Height() > 0) {
            ReportWarning(1, "Image height too small for contained frames");
            warned = true;
        }
        image->Header().ScreenHeight = static_cast<std::uint16_t>(bottom);
        grown = true;
    }
    if (warned) ReportWarning(1, "Image exceeds Logical Screen size");
    // Set directly: the size setters would refuse a frame clipped at 65535.
    if (grown) {
        image->FlatBitmap.reset();
        image->Changed();
    }
}

void TGIFSubImage::SetInterlaced(bool value) {
    descriptorFlags_ = static_cast<std::uint8_t>(value ? descriptorFlags_ | 0x40 : descriptorFlags_ & ~0x40);
}

void TGIFSubImage::UpdateDescriptorFlags() {
    std::uint8_t flags = descriptorFlags_ & 0x58;  // interlace and the reserved bits stay
    if (!localColors_.IsEmpty()) {
        flags |= 0x80;
        if (localColors_.Sorted()) flags |= 0x20;
        flags |= static_cast<std::uint8_t>(ResolutionBits() & 7);
    }
    descriptorFlags_ = flags;
}

// --- colours ----------------------------------------------------------------

TGIFColorMap* TGIFSubImage::EffectiveColors() {
    if (!localColors_.IsEmpty()) return &localColors_;
    TGIFImage* image = OwnerImage();
    if (image && !image->GlobalColors().IsEmpty()) return &image->GlobalColors();
    return &localColors_;
}

const TGIFColorMap* TGIFSubImage::EffectiveColors() const {
    return const_cast<TGIFSubImage*>(this)->EffectiveColors();
}

// --- pixels -----------------------------------------------------------------

void TGIFSubImage::AllocatePixels() {
    ReleasePixels();
    const std::size_t size = std::size_t(width_) * height_;
    if (size == 0) return;
    try {
        pixels_.assign(size, 0);
    } catch (const std::bad_alloc&) {
        throw EGIFOutOfMemory("Out of memory");
    }
}

void TGIFSubImage::ReleasePixels() {
    pixels_.clear();
    pixels_.shrink_to_fit();
}

void TGIFSubImage::RequirePixels() {
    if (!pixels_.empty()) return;
    if (std::size_t(width_) * height_ == 0) throw GIFException("Image is empty");
    AllocatePixels();
}

std::uint8_t* TGIFSubImage::RowPointer(int y) {
    if (y < 0 || y >= height_) throw GIFException("Invalid pixel coordinates");
    RequirePixels();
    return pixels_.data() + std::size_t(y) * width_;
}

std::uint8_t TGIFSubImage::PixelAt(int x, int y) {
    if (x < 0 || x >= width_) throw GIFException("Invalid pixel coordinates");
    return RowPointer(y)[x];
}

void TGIFSubImage::CountPixelUse(TGIFColorHistogram& histogram) const {
    std::array<std::uint64_t, 256> counts{};
    for (const std::uint8_t p : pixels_) ++counts[p];
    for (std::size_t i = 0; i < counts.size(); ++i) histogram[i].uses += counts[i];
}

void TGIFSubImage::RemapPixelData(const TGIFColorTranslation& translation) {
    for (std::uint8_t& p : pixels_) p = translation[p];
    if (isTransparent_ && controlExtension_)
        controlExtension_->transparentIndex_ = translation[controlExtension_->transparentIndex_];
    DropBitmap();
    DropMask();
}

// --- caches -----------------------------------------------------------------

void TGIFSubImage::DropBitmap() { CachedBitmap.reset(); }

void TGIFSubImage::DropMask() {
    TransparencyMask.reset();
    MaskStale = true;
}

const TPalette* TGIFSubImage::PaletteHandle() {
    if (CachedBitmap && CachedBitmap->Palette().Count() > 0) return &CachedBitmap->Palette();
    if (paletteHandle_) return paletteHandle_.get();
    TGIFImage* image = OwnerImage();
    if (image && image->ShouldDither()) {
        paletteHandle_ = CreateWebSafePalette();
        return paletteHandle_.get();
    }
    if (localColors_.IsEmpty()) return image ? image->Palette() : nullptr;
    paletteHandle_ = localColors_.CreatePaletteHandle();
    return paletteHandle_.get();
}

void TGIFSubImage::ReplacePalette(std::unique_ptr<TPalette> palette) {
    if (palette && palette.get() == paletteHandle_.get()) {
        (void)palette.release();  // the same handle again: it is already ours
        return;
    }
    paletteHandle_ = std::move(palette);
    // A cached bitmap with other colours must be rendered again.
    if (CachedBitmap && !(paletteHandle_ && CachedBitmap->Palette() == *paletteHandle_)) {
        DropBitmap();
        if (TGIFImage* image = OwnerImage()) {
            image->PaletteModified = true;
            image->Changed();
        }
    }
}

// --- life cycle -------------------------------------------------------------

void TGIFSubImage::ClearFrame() {
    extensions_.Clear();
    localColors_.ClearColors();
    ReleasePixels();
    height_ = 0;
    width_ = 0;
    isTransparent_ = false;
    controlExtension_ = nullptr;
    keptData_.reset();
    DropBitmap();
    DropMask();
}

TGIFVersion TGIFSubImage::RequiredVersion() const {
    return localColors_.Sorted() || extensions_.Count() > 0 ? gv89a : gv87a;
}

void TGIFSubImage::SetOwnerImage(TGIFImage* image) {
    TGIFItem::SetOwnerImage(image);
    extensions_.SetOwnerImage(image);
    paletteHandle_.reset();
}

void TGIFSubImage::Assign(const TPersistent* source) {
    if (source == this) return;
    if (!source) {
        ClearFrame();
        return;
    }
    const auto* other = dynamic_cast<const TGIFSubImage*>(source);
    if (!other) RaiseCannotAssign(source, *this);
    ClearFrame();
    if (other->IsEmpty()) return;
    left_ = other->left_;
    top_ = other->top_;
    width_ = other->width_;
    height_ = other->height_;
    descriptorFlags_ = other->descriptorFlags_;
    isTransparent_ = other->isTransparent_;
    pixels_ = other->pixels_;
    keptData_ = other->keptData_;
    localColors_.Assign(&other->localColors_);
    // Writing and re-reading the extensions makes each a new object of this frame.
    TMemoryStream copy;
    const_cast<TGIFSubImage*>(other)->extensions_.SaveToStream(copy);
    copy.SetPosition(0);
    LoadExtensions(copy);
    if (other->CachedBitmap) ReplaceBitmap(other->CachedBitmap.get());
}

// --- reading and writing ----------------------------------------------------

namespace {
// Skips padding zero bytes; answers the next byte without consuming it (-1 at end).
int SkipZeros(TStream& stream) {
    int b;
    do b = stream.ReadByte();
    while (b == 0);
    if (b >= 0) stream.Seek(-1);
    return b;
}

// Whether the extension at the stream's position (its label) is an application
// block too short to hold an identifier; the position is kept.
bool IsShortApplicationBlock(TStream& stream) {
    const std::int64_t at = stream.Position();
    const int label = stream.ReadByte();
    const int size = stream.ReadByte();
    stream.SetPosition(at);
    return label == 0xFF && size >= 0 && size < 10;
}

// Steps over an extension's label and its sub-blocks, up to and including the
// terminator (or to the end of a truncated stream).
void SkipUnknownExtension(TStream& stream) {
    if (stream.ReadByte() < 0) return;
    for (int size = stream.ReadByte(); size > 0; size = stream.ReadByte())
        stream.Seek(std::min<std::int64_t>(size, stream.Remaining()));
}
} // namespace

void TGIFSubImage::LoadExtensions(TStream& stream) {
    int b = stream.ReadByte();
    while (b >= 0 && b != ',' && b != ';') {
        if (b != '!') {
            ReportWarning(1, "Invalid extension introducer");
            break;
        }
        const TGIFExtensionClass* cls = FindExtensionClass(stream);
        const char* unreadable = !cls                           ? "Unknown extension type"
                                 : IsShortApplicationBlock(stream) ? "Unsupported Application Extension block size"
                                                                   : nullptr;
        if (unreadable) {
            // Browsers step over an extension they cannot read; so do we.
            ReportWarning(1, unreadable);
            SkipUnknownExtension(stream);
            b = stream.ReadByte();
            continue;
        }
        stream.Seek(-1);
        std::unique_ptr<TGIFExtension> ext = cls->create(this);
        ext->LoadFromStream(stream);
        auto* control = dynamic_cast<TGIFGraphicControlExtension*>(ext.get());
        extensions_.Add(std::move(ext));
        if (control && controlExtension_ != control) KeepOnlyLatestControl(control);
        b = stream.ReadByte();
    }
    if (b >= 0) stream.Seek(-1);  // leave the stream on the byte that ended the list
}

void TGIFSubImage::KeepOnlyLatestControl(TGIFGraphicControlExtension* latest) {
    // Browsers apply the last control block before an image; a frame holds one.
    ReportWarning(1, "Invalid GIF data");
    extensions_.Delete(extensions_.IndexOf(controlExtension_));
    controlExtension_ = latest;
    isTransparent_ = latest->UsesTransparency();
}

void TGIFSubImage::LoadFromStream(TStream& stream) {
    ClearFrame();
    for (;;) {
        LoadExtensions(stream);
        // Stray zero bytes between blocks are stepped over: extensions before
        // them belong to the image that follows, as browsers show it.
        const int next = SkipZeros(stream);
        if (next == '!') continue;
        if (next == ',') break;
        // Extensions with no image after them (a trailing comment) make an
        // empty frame; so do extensions followed by bytes that start no block,
        // where browsers stop reading.
        return;
    }
    LoadImage(stream);
}

namespace {
// Steps over a frame's image data: the code size byte and the sub-blocks.
void SkipImageData(TStream& stream) {
    if (stream.ReadByte() < 0)
        return;
    for (int size = stream.ReadByte(); size > 0; size = stream.ReadByte())
        stream.Seek(std::min<std::int64_t>(size, stream.Remaining()));
}
} // namespace

void TGIFSubImage::LoadImage(TStream& stream) {
    keptData_.reset();
    std::uint8_t d[10];
    stream.ReadBuffer(d, sizeof d);
    left_ = Get16(d + 1);
    top_ = Get16(d + 3);
    width_ = Get16(d + 5);
    height_ = Get16(d + 7);
    descriptorFlags_ = d[9];
    if (width_ == 0 || height_ == 0) {
        TGIFImage* image = OwnerImage();
        // On a screen without width or height too, the frame keeps one pixel
        // on that side, so that it can be seen and sizes the screen.
        width_ = static_cast<std::uint16_t>(std::max(image ? image->Width() : 0, 1));
        height_ = static_cast<std::uint16_t>(std::max(image ? image->Height() : 0, 1));
        ReportWarning(1, "Image exceeds Logical Screen size");
    }
    if (descriptorFlags_ & 0x80) {
        const int entries = 2 << (descriptorFlags_ & 7);
        const std::int64_t remaining = stream.Remaining();
        TGIFImage* image = OwnerImage();
        bool firstImage = true;
        for (int i = 0; image && i < image->Frames().Count() && firstImage; ++i)
            firstImage = image->Frames()[i]->IsEmpty();
        if (firstImage && remaining >= 0 && remaining < 3 * entries) {
            // The file ends inside the first image's colour table. As a download
            // cut short, the image keeps its place: the entries that are there,
            // black for the rest, and the fill for its pixels.
            std::vector<std::uint8_t> table(static_cast<std::size_t>(3 * entries), 0);
            stream.Read(table.data(), static_cast<std::size_t>(remaining));
            TMemoryStream padded(table.data(), table.size());
            localColors_.LoadEntries(padded, entries);
            ReportWarning(1, "Premature end of data");
        } else {
            localColors_.LoadEntries(stream, entries);
        }
        localColors_.SetSorted((descriptorFlags_ & 0x20) != 0);
    }

    const std::uint64_t pixelCount = std::uint64_t(width_) * height_;
    TGIFImage* owner = OwnerImage();
    const TPixelBudget budget = owner ? owner->PixelBudget : DefaultPixelBudget;
    // Nothing of a frame far beyond the screen can be seen: instead of decoding
    // what may be a huge picture, it stays as one pixel at its place, so its
    // delay and extensions keep their part in the animation. One no larger
    // than the screen costs no more than any frame and is read as it is.
    const int screenWidth = owner ? owner->Width() : 0;
    const int screenHeight = owner ? owner->Height() : 0;
    if (screenWidth > 0 && screenHeight > 0 && (left_ > 2 * screenWidth || top_ > 2 * screenHeight) &&
        pixelCount > std::uint64_t(screenWidth) * std::uint64_t(screenHeight)) {
        ReportWarning(1, "Image exceeds Logical Screen size");
        SkipImageData(stream);
        width_ = 1;
        height_ = 1;
        descriptorFlags_ = static_cast<std::uint8_t>(descriptorFlags_ & ~0x40);
        pixels_.assign(1, 0);
        return;
    }
    if (!budget.FrameFits(width_, height_))
        throw GIFException(ImageTooLargeText);
    if (owner) {
        const std::uint64_t decoded = owner->Frames().DecodedPixels() + pixelCount;
        if (decoded > budget.DocumentPixels)
            throw GIFException(ImageTooLargeText, budget.DocumentLimitText());
        // Frames short of data are filled, but all of them together never
        // hold more than the file's data could fill and one picture of fill.
        const std::uint64_t fillable = MaxDecodablePixels(static_cast<std::uint64_t>(std::max<std::int64_t>(0, stream.Size())));
        if (decoded > fillable + budget.FramePixels)
            throw GIFException(ImageTooLargeText, "The file declares more pixels than its data can hold.");
    }

    // Hostile sizes: a large frame is only allocated when the remaining data
    // could fill it. Frames up to kAlwaysKeptPixels are always kept, filled
    // where their data is missing, as a truncated download deserves.
    constexpr std::uint64_t kAlwaysKeptPixels = std::uint64_t(1) << 24;
    const std::int64_t remaining = std::max<std::int64_t>(0, stream.Remaining());
    if (pixelCount > kAlwaysKeptPixels && pixelCount > MaxDecodablePixels(static_cast<std::uint64_t>(remaining)))
        throw GIFException("Invalid GIF data");
    const std::uint8_t fill = isTransparent_ && controlExtension_ ? controlExtension_->TransparentIndex() : 0;
    try {
        // Not filled here: the decoder writes every pixel, decoded or fill.
        pixels_.resize(static_cast<std::size_t>(pixelCount));
    } catch (const std::bad_alloc&) {
        throw EGIFOutOfMemory("Out of memory");
    }
    TReadImageData read;
    DecodeImageData(stream, PixelData(), width_, height_, IsInterlaced(),
                    [this](const std::string& text) { ReportWarning(1, text); }, fill, &read);
    if (!read.Bytes.empty())
        keptData_ =
            std::make_shared<const TKeptImageData>(std::move(read), width_, height_, IsInterlaced());
    if (TGIFSettings::RenderOnLoad) RenderedBitmap();
}

void TGIFSubImage::SaveToStream(TStream& stream) {
    extensions_.SaveToStream(stream);
    if (IsEmpty()) return;
    UpdateDescriptorFlags();
    std::uint8_t d[10] = {0x2C};
    Put16(d + 1, left_);
    Put16(d + 3, top_);
    Put16(d + 5, width_);
    Put16(d + 7, height_);
    d[9] = descriptorFlags_;
    stream.Write(d, sizeof d);
    if (descriptorFlags_ & 0x80) localColors_.SaveEntries(stream);

    const TGIFImage* image = OwnerImage();
    const auto [bits, colorLimit] = WrittenWith();
    const TGIFEncoding encoding = image ? image->Encoding : encLZW;
    if (!keptData_) {
        EncodeImageData(stream, encoding, bits, colorLimit, PixelData(), IsInterlaced(), height_, width_);
        return;
    }
    // What the encoder itself wrote for these pixels it would write again
    // (the optimiser keeps the data it measured): decoding it to check that
    // the pixels are still the same costs far less.
    if (keptData_->EncodedWith(encoding, bits, colorLimit) && KeptDataSize() >= 0) {
        keptData_->Write(stream);
        return;
    }
    // Encoded anyway: that also checks every pixel against the table.
    TMemoryStream encoded;
    EncodeImageData(encoded, encoding, bits, colorLimit, PixelData(), IsInterlaced(), height_, width_);
    if (KeptDataSizeBelow(encoded.Size()) >= 0) keptData_->Write(stream);
    else stream.Write(encoded.Data(), static_cast<std::size_t>(encoded.Size()));
}

TEncodedWith TGIFSubImage::WrittenWith() const {
    const TGIFImage* image = OwnerImage();
    return WrittenWith(localColors_.IsEmpty() && image ? image->MaxBitDepth() : 0);
}

TEncodedWith TGIFSubImage::WrittenWith(int imageBitDepth) const {
    if (!localColors_.IsEmpty()) return {localColors_.BitDepth(), localColors_.Count()};
    return {imageBitDepth, 1 << imageBitDepth};
}

void TGIFSubImage::KeepImageData(TReadImageData data, std::optional<TEncodedWith> encodedWith) {
    keptData_ = std::make_shared<const TKeptImageData>(std::move(data), width_, height_, IsInterlaced(), encodedWith);
}

std::int64_t TGIFSubImage::KeptDataSizeBelow(std::int64_t bound) const {
    const TGIFImage* image = OwnerImage();
    // Only an image written with LZW writes it: the other encoding is asked
    // for by name.
    if (!keptData_ || (image && image->Encoding == encRLE) || IsEmpty() ||
        pixels_.size() != std::size_t(width_) * std::size_t(height_) || keptData_->Size() >= bound)
        return -1;
    return keptData_->Holds(pixels_.data(), width_, height_, IsInterlaced()) ? keptData_->Size() : -1;
}

// --- frame list -------------------------------------------------------------

std::uint64_t TGIFImageList::DecodedPixels() const {
    if (pixelsWhileLoading_) return *pixelsWhileLoading_;
    std::uint64_t pixels = 0;
    for (int i = 0; i < Count(); ++i) pixels += static_cast<std::uint64_t>((*this)[i]->PixelDataSize());
    return pixels;
}

void TGIFImageList::LoadFromStream(TStream& stream, TGIFImage* parent) {
    pixelsWhileLoading_ = DecodedPixels();
    struct TEndOfLoading {
        std::optional<std::uint64_t>& total;
        ~TEndOfLoading() { total.reset(); }
    } endOfLoading{pixelsWhileLoading_};
    int b = SkipZeros(stream);
    while (b >= 0 && b != ';') {
        if (b != '!' && b != ',') {
            ReportWarning(1, "Unknown GIF block type");
            return;
        }
        // Freed by unique_ptr if reading fails: the frames read before stay.
        auto frame = std::make_unique<TGIFSubImage>(parent);
        try {
            frame->LoadFromStream(stream);
        } catch (const EGIFOutOfMemory&) {
            throw;
        } catch (const GIFException& e) {
            // A file cut off inside a frame's blocks shows, as a download cut
            // short does in a browser, the images before it.
            bool anyImage = false;
            for (int i = 0; i < Count() && !anyImage; ++i) anyImage = !(*this)[i]->IsEmpty();
            if (stream.Remaining() > 0 || !anyImage) throw;
            ReportWarning(1, e.what());
            return;
        }
        *pixelsWhileLoading_ += static_cast<std::uint64_t>(frame->PixelDataSize());
        Add(std::move(frame));
        if (parent) {
            const std::int64_t size = std::max<std::int64_t>(1, stream.Size());
            parent->Progress(parent, psRunning, static_cast<int>(stream.Position() * 100 / size),
                             TGIFSettings::RenderOnLoad, "Loading...");
        }
        b = SkipZeros(stream);
    }
}

// The frame optimiser's per-frame steps (gif/GIFFrameOptimizer.cpp).
void TGIFSubImage::Crop() { CropFrame(*this); }
void TGIFSubImage::Merge(TGIFSubImage* previous) { MergeFrame(*this, previous); }
