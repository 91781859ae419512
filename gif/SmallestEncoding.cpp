#include "gif/SmallestEncoding.h"

#include <algorithm>
#include <array>
#include <vector>

#include "gif/FrameControl.h"
#include "gif/FrameRebuilder.h"
#include "gif/LookaheadPass.h"
#include "gif/GIFImage.h"

namespace {

// Every frame is drawable as the optimiser sees it: inside the screen, with a
// table, and no pixel past it.
bool Simple(const TGIFImage& image) {
    const TGIFImageList& frames = image.Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        const TGIFSubImage& frame = *frames[i];
        if (frame.IsEmpty()) continue;
        if (frame.PixelDataSize() != std::int64_t(frame.Width()) * frame.Height()) return false;
        if (frame.Left() + frame.Width() > image.Width() || frame.Top() + frame.Height() > image.Height()) return false;
        const TGIFColorMap* table = frame.EffectiveColors();
        if (!table || table->IsEmpty()) return false;
        const int transparent = UsesTransparency(frame) ? frame.ControlExtension()->TransparentIndex() : -1;
        const std::uint8_t* p = frame.PixelData();
        for (std::int64_t k = 0; k < frame.PixelDataSize(); ++k)
            if (p[k] >= table->Count() && p[k] != transparent) return false;
    }
    return true;
}

// Draws the frame's visible pixels onto the screen.
void Draw(const TGIFSubImage& frame, int screenWidth, std::vector<std::uint32_t>& screen) {
    if (frame.IsEmpty()) return;
    const TGIFColorMap& table = *frame.EffectiveColors();
    std::array<std::uint32_t, 256> keys{};
    for (int i = 0; i < table.Count(); ++i) keys[static_cast<std::size_t>(i)] = KeyOf(table.Entry(i));
    const int transparent = UsesTransparency(frame) ? frame.ControlExtension()->TransparentIndex() : -1;
    const std::uint8_t* p = frame.PixelData();
    for (int y = 0; y < frame.Height(); ++y) {
        std::uint32_t* row = screen.data() + std::size_t(frame.Top() + y) * std::size_t(screenWidth) + std::size_t(frame.Left());
        for (int x = 0; x < frame.Width(); ++x, ++p)
            if (*p != transparent) row[x] = keys[*p];
    }
}

TScreenArea AreaOf(const TGIFSubImage& frame) {
    return {frame.Left(), frame.Top(), frame.Left() + frame.Width(), frame.Top() + frame.Height()};
}

// Clears the area, or brings back what `from` shows there.
void Fill(const TScreenArea& area, int screenWidth, std::vector<std::uint32_t>& screen,
          const std::vector<std::uint32_t>* from) {
    for (int y = area.top; y < area.bottom; ++y) {
        const std::size_t start = std::size_t(y) * std::size_t(screenWidth) + std::size_t(area.left);
        const int count = area.right - area.left;
        if (from) std::copy_n(from->begin() + std::ptrdiff_t(start), count, screen.begin() + std::ptrdiff_t(start));
        else std::fill_n(screen.begin() + std::ptrdiff_t(start), count, kNothing);
    }
}

// Entries past the last one in use go; the writer pads what is left to the
// next power of two.
void TrimTable(TGIFColorMap& table, int needed) {
    needed = std::max(needed, 1);
    if (needed < table.Count()) {
        std::vector<TGIFRGB> kept(table.Entries(), table.Entries() + needed);
        table.LoadFromTable(kept.data(), needed);
    }
}

void TrimTables(TGIFImage& image) {
    TGIFImageList& frames = image.Frames();
    int globalNeeded = image.Header().BackgroundIndex + 1;
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage& frame = *frames[i];
        if (frame.IsEmpty()) continue;
        int needed = UsesTransparency(frame) ? frame.ControlExtension()->TransparentIndex() + 1 : 0;
        const std::uint8_t* p = frame.PixelData();
        const std::uint8_t highest = *std::max_element(p, p + frame.PixelDataSize());
        needed = std::max(needed, int(highest) + 1);
        if (!frame.LocalColors().IsEmpty()) TrimTable(frame.LocalColors(), needed);
        else globalNeeded = std::max(globalNeeded, needed);
    }
    if (!image.GlobalColors().IsEmpty()) TrimTable(image.GlobalColors(), globalNeeded);
}

// For each frame, the area where it shows pixels that the next frame no
// longer shows (nothing is drawn there again): a frame that leaves its
// picture would have to clear that area when it goes. Without such areas
// every frame could leave its picture, the next one drawing what changes.
// Empty when a frame has no pixels: the trials work on a copy, and a copied
// frame without pixels loses its extensions (its time).
std::vector<TScreenArea> ClearedAreas(const TGIFImage& image, std::size_t area) {
    const TGIFImageList& frames = image.Frames();
    const int width = image.Width();
    std::vector<TScreenArea> cleared(static_cast<std::size_t>(frames.Count()));
    std::vector<std::uint32_t> screen(area, kNothing), shown, saved;
    for (int i = 0; i < frames.Count(); ++i) {
        const TGIFSubImage& frame = *frames[i];
        if (frame.IsEmpty()) return {};
        const int disposal = Disposal(frame);
        if (disposal == dispPrevious) saved = screen;
        Draw(frame, width, screen);
        for (std::size_t at = 0; !shown.empty() && at < area; ++at)
            if (shown[at] != kNothing && screen[at] == kNothing) {
                const std::size_t w = std::size_t(width);
                cleared[static_cast<std::size_t>(i - 1)].Include(int(at % w), int(at / w));
            }
        shown = screen;
        if (disposal == dispBackground) Fill(AreaOf(frame), width, screen, nullptr);
        else if (disposal == dispPrevious) Fill(AreaOf(frame), width, screen, &saved);
    }
    return cleared;
}

// How the rebuilt frames go: as they went (only frames that leave their
// picture are rebuilt); every one leaving it (see ClearedAreas); or each
// leaving it unless it must clear an area, which it then covers and clears.
enum class TDisposals { kept, leaveEvery, clearWhereNeeded };

// Rebuilds the frames (see TDisposals); a frame whose screen before it
// changes is rebuilt whatever its size. Answers the frames rebuilt, or -1
// when such a frame could not be.
int RebuildFrames(TGIFImage& image, int lossy, TDisposals disposals, const std::vector<TScreenArea>& cleared) {
    const int width = image.Width();
    const std::size_t area = std::size_t(width) * std::size_t(image.Height());
    // What the animation shows (the target) and what the rebuilt frames show
    // (the same, unless lossy).
    std::vector<std::uint32_t> target(area, kNothing), actual(area, kNothing), savedTarget, savedActual, wanted;
    const int bound = std::clamp(lossy, 0, 200) * 27 / 100;
    TFrameRebuilder rebuilder(image, bound * bound);
    int rebuilt = 0;
    bool mustRebuild = false;
    TGIFImageList& frames = image.Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage& frame = *frames[i];
        const int disposal = Disposal(frame);
        if (disposal == dispPrevious) {
            savedTarget = target;
            savedActual = actual;
        }
        int going = disposal;  // how the rebuilt frame goes
        TScreenArea cover;
        if (disposals == TDisposals::clearWhereNeeded) {
            cover = cleared[static_cast<std::size_t>(i)];
            going = cover.Empty() ? dispLeave : dispBackground;
            mustRebuild = true;
        } else if (disposals == TDisposals::leaveEvery && !LeavesPicture(disposal)) {
            going = dispLeave;
        }
        if (going != disposal) RequireControl(frame).SetDisposalMethod(going);
        // Only a frame that stays on the screen may change its rectangle:
        // restoring would clear or bring back a different area otherwise.
        const bool free = (disposals == TDisposals::clearWhereNeeded || LeavesPicture(going)) && !frame.IsEmpty();
        if (lossy > 0) wanted = target;
        Draw(frame, width, target);
        const TScreenArea drawn = AreaOf(frame);  // what the animation clears or restores
        if (free && rebuilder.Rebuild(frame, actual, target, wanted, mustRebuild, cover)) ++rebuilt;
        else if (mustRebuild) return -1;
        mustRebuild = going != disposal;
        Draw(frame, width, actual);
        if (frame.IsEmpty()) continue;
        if (disposal == dispBackground) Fill(drawn, width, target, nullptr);
        else if (disposal == dispPrevious) Fill(drawn, width, target, &savedTarget);
        if (going == dispBackground) Fill(AreaOf(frame), width, actual, nullptr);
        else if (going == dispPrevious) Fill(AreaOf(frame), width, actual, &savedActual);
    }
    TrimTables(image);
    return rebuilt;
}

std::int64_t ComparedSize(TGIFImage& image) {
    const TGIFEncoding written = image.Encoding;
    image.Encoding = ComparingEncoding(written);
    TCountingStream counter;
    image.SaveToStream(counter);
    image.Encoding = written;
    return counter.Size();
}

}  // namespace

namespace {
int RebuildSmallest(TGIFImage& image, int lossy);
}  // namespace

int FindSmallestEncoding(TGIFImage& image, int lossy) {
    if (image.Frames().Count() == 0 || image.Width() <= 0 || image.Height() <= 0 || !Simple(image)) return 0;
    // Its screens hold 4 bytes a pixel, up to four of them: a screen that
    // would be refused as a picture is not worth that memory.
    if (!image.PixelBudget.FrameFits(std::uint64_t(image.Width()), std::uint64_t(image.Height()))) return 0;
    const int rebuilt = RebuildSmallest(image, lossy);
    ParseAheadWherePaying(image);
    return rebuilt;
}

namespace {

int RebuildSmallest(TGIFImage& image, int lossy) {
    const std::size_t area = std::size_t(image.Width()) * std::size_t(image.Height());
    // Frames that clear or restore keep their rectangles; leaving every
    // picture instead frees them, and so does clearing just where the next
    // frame shows nothing: tried beside and kept when shorter.
    const std::vector<TScreenArea> cleared = ClearedAreas(image, area);
    const bool clears = std::any_of(cleared.begin(), cleared.end(), [](const TScreenArea& a) { return !a.Empty(); });
    const TGIFImageList& frames = image.Frames();
    bool restores = false;
    for (int i = 0; i < frames.Count(); ++i) restores = restores || !LeavesPicture(Disposal(*frames[i]));
    if (cleared.empty() || (!clears && !restores)) return RebuildFrames(image, lossy, TDisposals::kept, cleared);
    // Copying reports progress and drops the copy's listeners: the image's
    // own are set aside meanwhile.
    struct TSetAside {
        TGIFImage& image;
        decltype(TGIFImage::OnProgress) progress = std::move(image.OnProgress);
        decltype(TGIFImage::OnWarn) warn = std::move(image.OnWarn);
        ~TSetAside() {
            image.OnProgress = std::move(progress);
            image.OnWarn = std::move(warn);
        }
    } setAside{image};
    image.OnProgress = nullptr;
    image.OnWarn = nullptr;
    TGIFImage trial;
    trial.Assign(&image);
    trial.Encoding = image.Encoding;
    const int rebuilt =
        RebuildFrames(trial, lossy, clears ? TDisposals::clearWhereNeeded : TDisposals::leaveEvery, cleared);
    const int kept = RebuildFrames(image, lossy, TDisposals::kept, cleared);
    if (rebuilt < 0 || ComparedSize(trial) >= ComparedSize(image)) return kept;
    image.Assign(&trial);
    return rebuilt;
}

}  // namespace
