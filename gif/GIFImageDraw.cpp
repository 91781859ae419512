// The whole image as one picture (its first frame on the logical screen) and
// the still-image paths of Draw.

#include "gif/GIFImageDraw.h"

#include "gif/FlagGuard.h"
#include "gif/GIFImage.h"
#include "gif/GIFPainterHost.h"
#include "raster/Canvas.h"

TBitmap* TGIFImage::GetFlatBitmap() {
    if (Empty()) return nullptr;
    if (FlatBitmap) return FlatBitmap.get();
    TGIFSubImage* first = Frames()[0];
    if (first->Left() == 0 && first->Top() == 0 && first->Width() == Width() && first->Height() == Height()) {
        if (const TBitmap* rendered = first->RenderedBitmap()) FlatBitmap.reset(new TBitmap(*rendered));
        return FlatBitmap.get();
    }
    if (Width() <= 0 || Height() <= 0) return nullptr;
    // The screen in the image's palette when the first frame is coloured by it;
    // a frame with colours of its own would lose them there, so it gets a
    // true-colour screen instead.
    const TPalette* screen = Palette();
    const TPalette* own = first->PaletteHandle();
    TBitmapPtr flat;
    if (screen && own && *screen == *own) {
        flat.reset(new TBitmap(Width(), Height(), pf8bit));
        flat->SetPalette(*screen);
    } else {
        flat.reset(new TBitmap(Width(), Height(), pf24bit));
    }
    TCanvas canvas(*flat);
    first->DrawFrame(canvas, flat->BoundsRect(), false, false);
    FlatBitmap = std::move(flat);
    return FlatBitmap.get();
}

void TGIFImage::AssignTo(TBitmap& bitmap) {
    if (const TBitmap* flat = GetFlatBitmap())
        bitmap.Assign(*flat);
    else
        bitmap.Clear();
}

void DrawGIFFlatBitmap(TGIFImage& image, TCanvas& canvas, const TRect& rect) {
    const TBitmap* flat = image.FlatBitmap.get();
    if (!flat || flat->Empty() || rect.IsEmpty()) return;
    if (!image.HasPaintOption(poTile)) {
        canvas.StretchDraw(rect, *flat);
        return;
    }
    const int w = image.Width() > 0 ? image.Width() : flat->Width();
    const int h = image.Height() > 0 ? image.Height() : flat->Height();
    const TRect visible = rect.Intersect(canvas.ClipRect());
    for (int y = rect.top; y < rect.bottom && y < visible.bottom; y += h) {
        if (y + h <= visible.top) continue;
        for (int x = rect.left; x < rect.right && x < visible.right; x += w) {
            if (x + w <= visible.left) continue;
            const TRect dest = MakeRect(x, y, w, h).Intersect(rect);
            canvas.StretchCopy(dest, *flat, dest.Offset(-x, -y));
        }
    }
}

void TGIFImage::Draw(TCanvas& canvas, const TRect& rect) {
    if (InDraw || Empty()) return;
    TFlagGuard guard(InDraw);
    if (Frames().Count() == 1 || !HasPaintOption(poAnimate)) {
        Frames()[0]->DrawFrame(canvas, rect, HasPaintOption(poTile), HasPaintOption(poTransparent));
        return;
    }
    if (FlatBitmap && !HasPaintOption(poDirect)) {
        DrawGIFFlatBitmap(*this, canvas, rect);
        return;
    }
    if (TGIFAnimatedDrawer drawer = GIFAnimatedDrawer()) {
        drawer(*this, canvas, rect);
        return;
    }
    // No painter available: the still picture is the best we can show.
    GetFlatBitmap();
    DrawGIFFlatBitmap(*this, canvas, rect);
}
