#include "painter/FrameImport.h"

#include "gif/FrameDefaults.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "painter/PictureScaler.h"

#include <algorithm>
#include <cstring>

namespace {

// The screen takes the picture's size, but never cuts into a frame already
// placed on it.
void GrowScreenTo(TGIFImage& image, const TBitmap& picture, TFrameEditLog& log) {
    int right = 0;
    int bottom = 0;
    for (int i = 0; i < image.Frames().Count(); ++i) {
        const TGIFSubImage& f = *image.Frames()[i];
        right = std::max(right, f.Left() + f.Width());
        bottom = std::max(bottom, f.Top() + f.Height());
    }
    log.SetScreenSize(image, std::max(picture.Width(), right), std::max(picture.Height(), bottom));
}

// The picture as straight RGBA; its transparent colour's pixels draw nothing.
TRGBAPicture ToRGBA(const TBitmap& picture) {
    TBitmap rows = picture;
    rows.SetPixelFormat(pf24bit);
    const TColorRef key = picture.TransparentColor();
    TRGBAPicture out(rows.Width(), rows.Height());
    for (int y = 0; y < rows.Height(); ++y) {
        const std::uint8_t* p = rows.ScanLine(y);
        for (int x = 0; x < rows.Width(); ++x, p += 3) {
            std::uint8_t* q = out.Pixel(x, y);
            if (picture.Transparent() && RGBColor(p[2], p[1], p[0]) == key) continue;  // stays 0, 0, 0, 0
            q[0] = p[2], q[1] = p[1], q[2] = p[0], q[3] = 255;
        }
    }
    return out;
}

// The picture scaled to fit width x height with its ratio kept.
TBitmap FittedPicture(const TBitmap& source, int width, int height, const IPictureScaler* scaler) {
    const double scale = std::min(double(width) / source.Width(), double(height) / source.Height());
    const int w = std::clamp(int(source.Width() * scale), 1, width), h = std::clamp(int(source.Height() * scale), 1, height);
    const TRGBAPicture in = ToRGBA(source);
    TRGBAPicture out(w, h);
    if (!scaler || !scaler->Scale(in, out, TResizeFilter::Smooth)) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                std::memcpy(out.Pixel(x, y), in.Pixel(x * in.Width / w, y * in.Height / h), 4);
    }
    // Back to rows, the transparent colour where (mostly) nothing is drawn.
    const TColorRef key = source.TransparentColor();
    TBitmap fitted(w, h, pf24bit);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = fitted.ScanLine(y);
        for (int x = 0; x < w; ++x, row += 3) {
            const std::uint8_t* p = out.Pixel(x, y);
            const unsigned alpha = p[3];
            if (alpha < 128) {
                row[0] = BlueOf(key), row[1] = GreenOf(key), row[2] = RedOf(key);
                continue;
            }
            // An edge against nothing: the colour without the nothing mixed in.
            auto straight = [alpha](unsigned c) { return std::uint8_t(std::min(255u, (c * 255 + alpha / 2) / alpha)); };
            row[0] = straight(p[2]), row[1] = straight(p[1]), row[2] = straight(p[0]);
        }
    }
    fitted.SetTransparent(source.Transparent());
    fitted.SetTransparentColor(key);
    return fitted;
}

} // namespace

bool PictureExceedsScreen(const TGIFImage& image, const TBitmap& picture) {
    return image.Frames().Count() > 0 &&
           (picture.Width() > image.Width() + 1 || picture.Height() > image.Height() + 1);
}

TBitmap TopLeftPart(const TBitmap& source, int width, int height) {
    width = std::min(width, source.Width());
    height = std::min(height, source.Height());
    TBitmap part(width, height, source.PixelFormat());
    part.SetPalette(source.Palette());
    part.SetTransparent(source.Transparent());
    part.SetTransparentColor(source.TransparentColor());
    const std::size_t bytes = std::min(part.Stride(), source.Stride());
    for (int y = 0; y < height; ++y)
        std::memcpy(part.ScanLine(y), source.ScanLine(y), bytes);
    return part;
}

int AddPicture(TGIFImage& image, const TAddPicture& add, TFrameEditLog& log) {
    const TBitmap* picture = &add.Picture;
    TBitmap clipped;
    if (PictureExceedsScreen(image, add.Picture)) {
        if (add.Large == TLargePicture::Clip) {
            clipped = TopLeftPart(add.Picture, image.Width(), image.Height());
            picture = &clipped;
        } else if (add.Large == TLargePicture::Fit) {
            clipped = FittedPicture(add.Picture, image.Width(), image.Height(), add.Scaler);
            picture = &clipped;
        } else {
            GrowScreenTo(image, add.Picture, log);
        }
    }
    const bool shared = add.Palette.Shared;
    if (BitsPerPixel(picture->PixelFormat()) >= 8) {
        image.ColorReductionKind = add.Palette.Reduction;
        image.SetReductionBits(add.Palette.Bits);
        image.DitherKind = add.Palette.Dither;
    }
    // A shared palette remaps every frame; an empty global table takes the
    // new frame's: both are kept so the step can be taken back.
    const bool colorsChange = shared || image.GlobalColors().IsEmpty();
    if (colorsChange)
        log.Colors(image);
    TGIFSubImage* first = image.Frames().Count() > 0 ? image.Frames()[0] : nullptr;
    const bool firstHadLoop = first && first->FindExtension<TGIFAppExtNSLoop>();
    const int index = image.AddFrame(*picture);
    log.FrameAdded(image, index);
    PrepareNewFrame(image, index, add.DefaultDelay, add.DefaultLoop);
    if (first && !firstHadLoop)
        log.ExtensionAdded(*first, first->ExtensionBlocks().IndexOf(first->FindExtension<TGIFAppExtNSLoop>()));
    if (shared)
        image.OptimizeColorMaps();
    if (colorsChange)
        log.ColorsChanged(image);
    const int position = std::clamp(add.Position, 0, index);
    if (position != index)
        log.MoveFrameKeepingLoop(image, index, position);
    return position;
}

TPastedAttributes AttributesOf(const TGIFSubImage& frame) {
    TPastedAttributes a;
    a.Interlaced = frame.IsInterlaced();
    if (TGIFGraphicControlExtension* c = frame.ControlExtension()) {
        a.HasControl = true;
        a.Delay = c->DelayTime;
        a.WaitForInput = c->WaitForInput();
        a.Disposal = c->DisposalMethod();
        a.Transparent = c->UsesTransparency();
        if (a.Transparent)
            a.TransparentColor = c->TransparentColor();
    }
    return a;
}

int PasteFrame(TGIFImage& image, const TAddPicture& add, const TPastedAttributes& attributes,
               TFrameEditLog& log) {
    const int index = AddPicture(image, add, log);
    TGIFSubImage& target = *image.Frames()[index];
    // The new frame is the log's own (it came with FrameAdded): what is set
    // on it goes when the step is taken back.
    target.SetInterlaced(attributes.Interlaced);
    if (attributes.KeepPlace) {
        target.SetLeft(static_cast<std::uint16_t>(attributes.Left));
        target.SetTop(static_cast<std::uint16_t>(attributes.Top));
    }
    TGIFGraphicControlExtension* to = target.ControlExtension();
    if (!attributes.HasControl || !to)
        return index;
    to->DelayTime = static_cast<std::uint16_t>(attributes.Delay);
    to->SetWaitForInput(attributes.WaitForInput);
    to->SetDisposalMethod(static_cast<std::uint8_t>(attributes.Disposal));
    if (!attributes.Transparent) {
        to->SetUsesTransparency(false);
    } else {
        // The pasted frame's colours were reduced again: find the colour, not the index.
        const int found = target.EffectiveColors() ? target.EffectiveColors()->FindColor(attributes.TransparentColor) : -1;
        if (found >= 0) {
            to->SetTransparentIndex(found);
            to->SetUsesTransparency(true);
        }
    }
    return index;
}

std::unique_ptr<TGIFImage> FrameAsAnimation(const TGIFImage& image, int index) {
    if (index < 0 || index >= image.Frames().Count() || image.Frames()[index]->IsEmpty())
        return nullptr;
    TGIFSubImage& frame = *image.Frames()[index];
    auto store = std::make_unique<TGIFImage>();
    store->SetReductionBits(image.ReductionBits());
    store->ColorReductionKind = image.ColorReductionKind;
    store->DitherKind = image.DitherKind;
    store->Header().ScreenWidth = frame.Width();
    store->Header().ScreenHeight = frame.Height();
    auto copy = std::make_unique<TGIFSubImage>(store.get());
    copy->Assign(&frame);
    // Alone, the frame needs the colours it borrowed from the animation.
    if (copy->LocalColors().IsEmpty() && frame.EffectiveColors())
        copy->LocalColors().Assign(frame.EffectiveColors());
    copy->SetLeft(0);
    copy->SetTop(0);
    store->AddFrame(std::move(copy));
    return store;
}

std::unique_ptr<TGIFImage> FramesAsAnimation(const TGIFImage& image, const std::vector<int>& frames) {
    std::unique_ptr<TGIFImage> store;
    for (int index : frames) {
        auto one = FrameAsAnimation(image, index);
        if (!one)
            continue;
        if (!store) {
            store = std::move(one);
            continue;
        }
        TGIFHeader& header = store->Header();
        header.ScreenWidth = std::max(header.ScreenWidth, one->Header().ScreenWidth);
        header.ScreenHeight = std::max(header.ScreenHeight, one->Header().ScreenHeight);
        auto copy = std::make_unique<TGIFSubImage>(store.get());
        copy->Assign(one->Frames()[0]);
        store->AddFrame(std::move(copy));
    }
    return store;
}

int PasteFrames(TGIFImage& image, const TGIFImage& pasted, TAddPicture add, const std::vector<std::pair<int, int>>& places,
                TFrameEditLog& log) {
    int added = 0;
    for (int k = 0; k < pasted.Frames().Count(); ++k) {
        TGIFSubImage& source = *pasted.Frames()[k];
        if (source.IsEmpty())
            continue;
        source.AssignTo(add.Picture);
        TPastedAttributes attributes = AttributesOf(source);
        if (static_cast<std::size_t>(k) < places.size()) {
            attributes.KeepPlace = true;
            attributes.Left = places[static_cast<std::size_t>(k)].first;
            attributes.Top = places[static_cast<std::size_t>(k)].second;
        }
        add.Position = PasteFrame(image, add, attributes, log) + 1;
        ++added;
    }
    return added;
}
