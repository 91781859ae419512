#include "gif/GIFFrameOptimizer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <vector>

#include "gif/FrameControl.h"
#include "gif/GIFImage.h"
#include "gif/SmallestEncoding.h"

namespace {

// Pixels exist and agree with the frame's size, so whole-buffer loops stay in bounds.
bool HasPixels(const TGIFSubImage& frame) {
    return !frame.IsEmpty() && frame.PixelDataSize() == std::int64_t(frame.Width()) * frame.Height();
}

bool Contains(const TRect& outer, const TRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

TRect Intersection(const TRect& a, const TRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

std::array<bool, 256> UsedIndexes(const TGIFSubImage& frame) {
    std::array<bool, 256> used{};
    if (!HasPixels(frame)) return used;
    const std::uint8_t* p = frame.PixelData();
    const std::uint8_t* end = p + frame.PixelDataSize();
    for (; p != end; ++p) used[*p] = true;
    return used;
}

bool UsesIndex(const TGIFSubImage& frame, std::uint8_t index) {
    if (!HasPixels(frame)) return false;
    const std::uint8_t* p = frame.PixelData();
    return std::memchr(p, index, static_cast<std::size_t>(frame.PixelDataSize())) != nullptr;
}

// Colour keys of a table for comparing pixels of two frames: equal keys mean
// the same colour on screen. Indexes outside the table get `missing`, a value
// no colour has, so they never match anything.
std::array<std::uint32_t, 256> ColorKeys(const TGIFColorMap& table, std::uint32_t missing) {
    std::array<std::uint32_t, 256> keys;
    keys.fill(missing);
    for (int i = 0; i < table.Count(); ++i) {
        const TGIFRGB& c = table.Entry(i);
        keys[static_cast<std::size_t>(i)] = std::uint32_t(c.red) | (std::uint32_t(c.green) << 8) |
                                            (std::uint32_t(c.blue) << 16);
    }
    return keys;
}

// Cuts the frame down to `rect` (frame coordinates, inside the frame).
void CropFrameTo(TGIFSubImage& frame, const TRect& rect) {
    const int width = frame.Width();
    if (rect.left == 0 && rect.top == 0 && rect.right == width && rect.bottom == frame.Height()) return;
    std::vector<std::uint8_t> kept(std::size_t(rect.Width()) * std::size_t(rect.Height()));
    const std::uint8_t* source = frame.PixelData();
    for (int y = rect.top; y < rect.bottom; ++y)
        std::memcpy(kept.data() + std::size_t(y - rect.top) * std::size_t(rect.Width()),
                    source + std::size_t(y) * std::size_t(width) + std::size_t(rect.left), std::size_t(rect.Width()));
    // A new size reallocates the pixels and drops the bitmap and mask.
    frame.PlaceFrame(frame.Left() + rect.left, frame.Top() + rect.top, rect.Width(), rect.Height());
    std::memcpy(frame.PixelData(), kept.data(), kept.size());
    frame.DropBitmap();
    frame.DropMask();
}

}  // namespace

TRect VisibleBounds(const TGIFSubImage& frame) {
    const int width = frame.Width();
    const int height = frame.Height();
    if (!HasPixels(frame)) return {};
    if (!UsesTransparency(frame)) return {0, 0, width, height};
    const std::uint8_t transparent = frame.ControlExtension()->TransparentIndex();
    TRect bounds{width, height, 0, 0};
    const std::uint8_t* row = frame.PixelData();
    for (int y = 0; y < height; ++y, row += width) {
        int first = 0;
        while (first < width && row[first] == transparent) ++first;
        if (first == width) continue;
        int last = width - 1;
        while (row[last] == transparent) --last;
        bounds.left = std::min(bounds.left, first);
        bounds.right = std::max(bounds.right, last + 1);
        if (bounds.top > y) bounds.top = y;
        bounds.bottom = y + 1;
    }
    return bounds.IsEmpty() ? TRect{} : bounds;
}

// --- frame operations -------------------------------------------------------

void CropFrame(TGIFSubImage& frame) {
    if (!HasPixels(frame) || !UsesTransparency(frame)) return;
    const TRect visible = VisibleBounds(frame);
    if (visible.IsEmpty()) {
        frame.ClearFrame();
        return;
    }
    CropFrameTo(frame, visible);
}

void MergeFrame(TGIFSubImage& frame, TGIFSubImage* previous) {
    if (!previous || previous == &frame || !HasPixels(frame) || !HasPixels(*previous)) return;
    // Only a picture left in place is under this frame while it shows.
    if (!LeavesPicture(Disposal(*previous))) return;
    const TRect overlap = Intersection(frame.FrameRect(), previous->FrameRect());
    if (overlap.IsEmpty()) return;
    TGIFColorMap* table = frame.EffectiveColors();
    const TGIFColorMap* previousTable = previous->EffectiveColors();
    // Without colours nothing can be said about what either frame shows.
    if (table->IsEmpty() || previousTable->IsEmpty()) return;

    const bool transparent = UsesTransparency(frame);
    int transparentIndex = transparent ? frame.ControlExtension()->TransparentIndex() : -1;
    if (transparent && transparentIndex >= table->Count()) return;
    if (!transparent && table->Count() >= TGIFColorMap::kMaxColors) return;

    std::array<std::uint32_t, 256> mine = ColorKeys(*table, 0x01000000);
    std::array<std::uint32_t, 256> theirs = ColorKeys(*previousTable, 0x02000000);
    if (transparent) mine[static_cast<std::size_t>(transparentIndex)] = 0x03000000;  // already see-through
    if (UsesTransparency(*previous)) theirs[previous->ControlExtension()->TransparentIndex()] = 0x04000000;

    const int width = frame.Width();
    const int previousWidth = previous->Width();
    const int columns = overlap.Width();
    auto rowOf = [&](std::uint8_t* base, int frameWidth, const TRect& rect, int y) {
        return base + std::size_t(y - rect.top) * std::size_t(frameWidth) + std::size_t(overlap.left - rect.left);
    };
    const TRect ownRect = frame.FrameRect();
    const TRect previousRect = previous->FrameRect();

    bool anyRepeat = false;
    for (int y = overlap.top; y < overlap.bottom && !anyRepeat; ++y) {
        const std::uint8_t* a = rowOf(frame.PixelData(), width, ownRect, y);
        const std::uint8_t* b = rowOf(previous->PixelData(), previousWidth, previousRect, y);
        for (int x = 0; x < columns; ++x)
            if (mine[a[x]] == theirs[b[x]]) {
                anyRepeat = true;
                break;
            }
    }
    if (!anyRepeat) return;

    if (!transparent) {
        // The new transparent index must not be a colour some pixel of this
        // frame shows, or those pixels would vanish.
        const std::array<bool, 256> used = UsedIndexes(frame);
        TGIFImage* image = frame.OwnerImage();
        if (frame.LocalColors().IsEmpty() && image) {
            // Sharing another frame's transparent index keeps the global table small.
            for (int i = 0; i < image->Frames().Count() && transparentIndex < 0; ++i) {
                const TGIFSubImage* other = image->Frames()[i];
                if (other == &frame || !other->LocalColors().IsEmpty() || !UsesTransparency(*other)) continue;
                const int candidate = other->ControlExtension()->TransparentIndex();
                if (candidate < table->Count() && !used[static_cast<std::size_t>(candidate)])
                    transparentIndex = candidate;
            }
        }
        if (transparentIndex < 0) {
            if (used[static_cast<std::size_t>(table->Count())]) return;  // a pixel already points past the table
            transparentIndex = table->AddColor(MakeColor(0, 0, 0));
        }
        TGIFGraphicControlExtension& control = RequireControl(frame);
        control.SetUsesTransparency(true);
        control.SetTransparentIndex(transparentIndex);
    }

    const std::uint8_t replacement = static_cast<std::uint8_t>(transparentIndex);
    for (int y = overlap.top; y < overlap.bottom; ++y) {
        std::uint8_t* a = rowOf(frame.PixelData(), width, ownRect, y);
        const std::uint8_t* b = rowOf(previous->PixelData(), previousWidth, previousRect, y);
        for (int x = 0; x < columns; ++x)
            if (mine[a[x]] == theirs[b[x]]) a[x] = replacement;
    }
    frame.DropBitmap();
    frame.DropMask();
}

// --- whole animation --------------------------------------------------------

void TGIFFrameOptimizer::Run(int options) {
    if ((options & ooReduceColors) && image_.ColorReductionKind == crCustomPalette)
        throw GIFException("Invalid reduction method");
    const int frames = image_.Frames().Count();
    steps_ = 6 * frames;
    done_ = 0;
    const std::uint16_t screenWidth = image_.Header().ScreenWidth;
    const std::uint16_t screenHeight = image_.Header().ScreenHeight;
    auto skip = [&] { done_ += frames; };

    // One shared palette first, so the later steps compare and trim frames
    // against the table they will be written with.
    if (options & ooReduceColors) image_.OptimizeColorMaps();
    if (options & ooColorMaps) OptimizeColorTables(); else skip();
    if (options & ooCleanup) {
        DropUnusedTransparency();
        DropNeedlessDisposal();
    } else {
        skip();
        skip();
    }
    if (options & ooMerge) MergeFrames(); else skip();
    if (options & ooCrop) CropFrames(); else skip();
    if (options & ooSmallest) {
        // Placing trimmed frames may have grown the screen around a frame far
        // outside it; the smallest encoding works on what is shown, the
        // animation's own screen (which a frame sticking out of it leaves
        // as it is), never on buffers the size of the grown one.
        image_.Header().ScreenWidth = screenWidth;
        image_.Header().ScreenHeight = screenHeight;
        FindSmallestEncoding(image_);
    }
    if (options & ooCleanup) DropNeedlessExtensions();
}

void TGIFFrameOptimizer::Step() {
    ++done_;
    if (steps_ > 0) image_.Progress(&image_, psRunning, std::min(100, done_ * 100 / steps_), false, "Copying...");
}

void TGIFFrameOptimizer::OptimizeColorTables() {
    // Sorting moves the global entries, but the background index points into
    // the same table: players that fill with the background colour must keep
    // finding the same colour there.
    TGIFGlobalColorMap& global = image_.GlobalColors();
    TGIFHeader& header = image_.Header();
    const bool hasBackground = header.BackgroundIndex < global.Count();
    const TColor background = hasBackground ? global.GetColor(header.BackgroundIndex) : 0;
    global.SortByUse();
    if (hasBackground && (header.BackgroundIndex >= global.Count() ||
                          global.GetColor(header.BackgroundIndex) != background)) {
        int index = global.FindColor(background);
        if (index < 0 && global.Count() < TGIFColorMap::kMaxColors) index = global.AddColor(background);
        if (index >= 0) header.BackgroundIndex = static_cast<std::uint8_t>(index);
    }
    TGIFImageList& frames = image_.Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage* frame = frames[i];
        if (!frame->IsEmpty() && !frame->LocalColors().IsEmpty()) frame->LocalColors().SortByUse();
        Step();
    }
}

void TGIFFrameOptimizer::DropUnusedTransparency() {
    TGIFImageList& frames = image_.Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage* frame = frames[i];
        if (UsesTransparency(*frame) && !UsesIndex(*frame, frame->ControlExtension()->TransparentIndex()))
            frame->ControlExtension()->SetUsesTransparency(false);
        Step();
    }
}

void TGIFFrameOptimizer::DropNeedlessDisposal() {
    TGIFImageList& frames = image_.Frames();
    for (int i = 0; i + 1 < frames.Count(); ++i) {
        Step();
        TGIFGraphicControlExtension* control = frames[i]->ControlExtension();
        if (!control) continue;
        const int disposal = control->DisposalMethod();
        if (disposal != dispBackground && disposal != dispPrevious) continue;
        const TGIFSubImage& next = *frames[i + 1];
        // A next frame that restores to previous would bring this frame's
        // picture back once it goes, so its disposal still matters then.
        if (next.IsEmpty() || UsesTransparency(next) || Disposal(next) == dispPrevious) continue;
        if (Contains(next.FrameRect(), frames[i]->FrameRect())) control->SetDisposalMethod(dispUnspecified);
    }
    Step();
}

void TGIFFrameOptimizer::MergeFrames() {
    TGIFImageList& frames = image_.Frames();
    for (int i = frames.Count() - 1; i >= 1; --i) {
        // Frames restoring to previous leave the screen as it was before them.
        int under = i - 1;
        while (under > 0 && Disposal(*frames[under]) == dispPrevious) --under;
        frames[i]->Merge(frames[under]);
        Step();
    }
    Step();
}

bool TGIFFrameOptimizer::CanDropInvisibleFrame(int index) const {
    if (index <= 0) return false;  // the first frame carries the loop and starts each pass
    const TGIFImageList& frames = image_.Frames();
    const TGIFSubImage& frame = *frames[index];
    const TGIFSubImage& previous = *frames[index - 1];
    const TGIFGraphicControlExtension* control = frame.ControlExtension();
    const TGIFGraphicControlExtension* previousControl = previous.ControlExtension();
    if (control && control->WaitForInput()) return false;
    if (previousControl && previousControl->WaitForInput()) return false;
    // While this frame shows, the screen must look as it did under the previous one.
    if (!LeavesPicture(Disposal(previous))) return false;
    const int delay = control ? control->DelayTime : 0;
    const int previousDelay = previousControl ? previousControl->DelayTime : 0;
    return delay + previousDelay <= 0xFFFF;
}

void TGIFFrameOptimizer::DropInvisibleFrame(int index) {
    TGIFImageList& frames = image_.Frames();
    const TGIFGraphicControlExtension* control = frames[index]->ControlExtension();
    const int delay = control ? control->DelayTime : 0;
    // The frame's time goes to the frame before, so the animation keeps its pace.
    if (delay > 0) {
        TGIFGraphicControlExtension& previous = RequireControl(*frames[index - 1]);
        previous.DelayTime = static_cast<std::uint16_t>(previous.DelayTime + delay);
    }
    frames.Delete(index);
}

void TGIFFrameOptimizer::CropFrames() {
    TGIFImageList& frames = image_.Frames();
    for (int i = frames.Count() - 1; i >= 0; --i) {
        Step();
        TGIFSubImage& frame = *frames[i];
        if (!HasPixels(frame) || !UsesTransparency(frame)) continue;
        // Restoring to background clears the whole frame rectangle, so that
        // rectangle must stay as it is.
        const int disposal = Disposal(frame);
        if (!LeavesPicture(disposal) && disposal != dispPrevious) continue;
        const TRect visible = VisibleBounds(frame);
        if (!visible.IsEmpty()) {
            CropFrameTo(frame, visible);
        } else if (CanDropInvisibleFrame(i)) {
            DropInvisibleFrame(i);
        } else if (frame.Width() != 1 || frame.Height() != 1) {
            // The frame must stay for its time on screen: one see-through pixel.
            const std::uint8_t transparent = frame.ControlExtension()->TransparentIndex();
            frame.PlaceFrame(frame.Left(), frame.Top(), 1, 1);
            frame.PixelData()[0] = transparent;
        }
    }
}

void TGIFFrameOptimizer::DropNeedlessExtensions() {
    TGIFImageList& frames = image_.Frames();
    const int count = frames.Count();
    // A looping extension found on a later frame still belongs to the animation:
    // it moves to the first frame instead of being lost.
    if (count > 1 && !frames[0]->FindExtension<TGIFAppExtNSLoop>()) {
        for (int i = 1; i < count; ++i) {
            const TGIFAppExtNSLoop* loop = frames[i]->FindExtension<TGIFAppExtNSLoop>();
            if (!loop) continue;
            auto moved = std::make_unique<TGIFAppExtNSLoop>(frames[0]);
            moved->LoopCount = loop->LoopCount;
            moved->BufferSize = loop->BufferSize;
            frames[0]->ExtensionBlocks().Insert(0, std::move(moved));
            break;
        }
    }
    for (int i = count - 1; i >= 0; --i) {
        Step();
        TGIFSubImage& frame = *frames[i];
        TGIFExtensionList& extensions = frame.ExtensionBlocks();
        const bool keepLoop = i == 0 && count > 1;
        for (int k = extensions.Count() - 1; k >= 0; --k) {
            TGIFExtension* extension = extensions[k];
            const bool needless = dynamic_cast<TGIFCommentExtension*>(extension) ||
                                  dynamic_cast<TGIFTextExtension*>(extension) ||
                                  dynamic_cast<TGIFUnknownAppExtension*>(extension) ||
                                  (!keepLoop && dynamic_cast<TGIFAppExtNSLoop*>(extension));
            if (needless) extensions.Delete(k);
        }
        if (TGIFGraphicControlExtension* control = frame.ControlExtension()) {
            const bool carriesNothing =
                !control->UsesTransparency() && !control->WaitForInput() &&
                (count == 1 || (control->DelayTime == 0 && LeavesPicture(control->DisposalMethod())));
            if (carriesNothing) extensions.Delete(extensions.IndexOf(control));
        }
        if (frame.IsEmpty() && extensions.Count() == 0) frames.Delete(i);
    }
}
