#include "gif/ColorMapOptimizer.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <mutex>

#include "gif/GIFImage.h"
#include "raster/Palette.h"

namespace {
int ColorKey(const TGIFRGB& c) { return (c.red << 16) | (c.green << 8) | c.blue; }
int ComponentSum(const TGIFRGB& c) { return c.red + c.green + c.blue; }
}  // namespace

void TColorMapOptimizer::Optimize() {
    image_.StopPainting();
    // No painter may start or draw while the tables and pixels change under it.
    std::lock_guard<std::recursive_mutex> lock(image_.PainterList().Lock());
    BuildHistograms();
    MergeColors();
    AssignIndexes();
    InstallTable();
    RemapFrames();
}

void TColorMapOptimizer::BuildHistograms() {
    TGIFImageList& frames = image_.Frames();
    TGIFGlobalColorMap& global = image_.GlobalColors();
    if (!global.IsEmpty()) {
        auto histogram = std::make_unique<THistogram>(global);
        for (int i = 0; i < frames.Count(); ++i) {
            TGIFSubImage* frame = frames[i];
            if (frame->IsEmpty() || !frame->LocalColors().IsEmpty()) continue;
            if (histogram->ProcessFrame(*frame)) usesTransparency_ = true;
        }
        if (!histogram->Frames().empty()) histograms_.push_back(std::move(histogram));
    }
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage* frame = frames[i];
        if (frame->IsEmpty() || frame->LocalColors().IsEmpty()) continue;
        auto histogram = std::make_unique<THistogram>(frame->LocalColors());
        if (histogram->ProcessFrame(*frame)) usesTransparency_ = true;
        histograms_.push_back(std::move(histogram));
    }
}

void TColorMapOptimizer::MergeColors() {
    for (const auto& h : histograms_) {
        h->Prune();
        combined_.insert(combined_.end(), h->List().begin(), h->List().end());
    }
    // Equal colours side by side; the first of each run stands for the others.
    std::stable_sort(combined_.begin(), combined_.end(),
                     [](const THistogramEntry* a, const THistogramEntry* b) { return ColorKey(a->color) < ColorKey(b->color); });
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    for (std::size_t run = 0; run < combined_.size();) {
        THistogramEntry* first = combined_[run];
        std::size_t next = run + 1;
        for (; next < combined_.size() && combined_[next]->color == first->color; ++next) {
            THistogramEntry* duplicate = combined_[next];
            first->count = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{first->count} + duplicate->count, kMax));
            duplicate->count = 0;
            duplicate->mapping = first;
        }
        run = next;
    }
    std::stable_sort(combined_.begin(), combined_.end(),
                     [](const THistogramEntry* a, const THistogramEntry* b) { return a->count > b->count; });
}

void TColorMapOptimizer::AssignIndexes() {
    const int limit = usesTransparency_ ? 255 : 256;
    colorCount_ = 0;
    while (colorCount_ < static_cast<int>(combined_.size()) && colorCount_ < limit &&
           combined_[static_cast<std::size_t>(colorCount_)]->count > 0) {
        THistogramEntry* e = combined_[static_cast<std::size_t>(colorCount_)];
        e->newIndex = colorCount_;
        newColors_[static_cast<std::size_t>(colorCount_)] = e->color;
        ++colorCount_;
    }
    // Colours that did not fit take the kept colour nearest by component sum;
    // the search runs from the most used colour and only a strictly closer one
    // replaces it, so ties go to the more used colour. It starts from entry 0
    // rather than from "none", so that even the largest possible distance (765)
    // still yields a valid index.
    std::array<int, 256> keptSums{};
    for (int i = 0; i < colorCount_; ++i) keptSums[static_cast<std::size_t>(i)] = ComponentSum(newColors_[static_cast<std::size_t>(i)]);
    for (std::size_t k = static_cast<std::size_t>(colorCount_); k < combined_.size(); ++k) {
        THistogramEntry* e = combined_[k];
        if (e->count <= 0 || colorCount_ == 0) continue;
        const int sum = ComponentSum(e->color);
        int best = 0;
        int bestDistance = std::abs(keptSums[0] - sum);
        for (int i = 1; i < colorCount_ && bestDistance > 0; ++i) {
            const int d = std::abs(keptSums[static_cast<std::size_t>(i)] - sum);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        e->newIndex = best;
    }
    // Duplicates follow their representative, wherever it went.
    for (THistogramEntry* e : combined_)
        if (e->mapping) e->newIndex = e->mapping->newIndex;
    if (usesTransparency_) {
        transparentIndex_ = colorCount_;
        newColors_[static_cast<std::size_t>(colorCount_)] = TGIFRGB{0, 0, 0};
        ++colorCount_;
    }
}

void TColorMapOptimizer::InstallTable() {
    TGIFImageList& frames = image_.Frames();
    for (int i = 0; i < frames.Count(); ++i)
        if (!frames[i]->LocalColors().IsEmpty()) frames[i]->LocalColors().ClearColors();
    TGIFGlobalColorMap& global = image_.GlobalColors();
    TGIFHeader& header = image_.Header();
    const bool hadBackground = header.BackgroundIndex < global.Count();
    const TGIFRGB background = hadBackground ? global.Entry(header.BackgroundIndex) : TGIFRGB{};
    if (hadBackground) header.BackgroundIndex = static_cast<std::uint8_t>(BackgroundIndexFor(background));
    global.LoadFromTable(newColors_.data(), colorCount_);
    global.SetSorted(true);
}

int TColorMapOptimizer::BackgroundIndexFor(const TGIFRGB& background) {
    // The background index points into the table being replaced; players
    // that fill with the background colour must find the same colour. It is
    // kept as an extra entry when no pixel uses it, room permitting.
    const int transparent = usesTransparency_ ? transparentIndex_ : -1;
    for (int i = 0; i < colorCount_; ++i)
        if (i != transparent && newColors_[static_cast<std::size_t>(i)] == background) return i;
    if (colorCount_ < 256) {
        newColors_[static_cast<std::size_t>(colorCount_)] = background;
        return colorCount_++;
    }
    int best = 0;
    for (int i = 1; i < colorCount_; ++i)
        if (std::abs(ComponentSum(newColors_[static_cast<std::size_t>(i)]) - ComponentSum(background)) <
            std::abs(ComponentSum(newColors_[static_cast<std::size_t>(best)]) - ComponentSum(background)))
            best = i;
    return best;
}

void TColorMapOptimizer::RemapFrames() {
    for (const auto& h : histograms_) {
        const TGIFColorTranslation translation = h->Translation();
        for (TGIFSubImage* frame : h->Frames()) {
            if (frame->IsEmpty()) continue;
            TGIFColorTranslation table = translation;
            TGIFGraphicControlExtension* gce = frame->ControlExtension();
            const bool transparent = usesTransparency_ && frame->IsTransparent() && gce;
            if (transparent) table[gce->TransparentIndex()] = static_cast<std::uint8_t>(transparentIndex_);
            std::uint8_t* pixels = frame->PixelData();
            const std::size_t size = static_cast<std::size_t>(frame->PixelDataSize());
            for (std::size_t i = 0; i < size; ++i) pixels[i] = table[pixels[i]];
            if (transparent) gce->SetTransparentIndex(transparentIndex_);
        }
    }
    // Every picture made from the old tables is stale now.
    TGIFImageList& frames = image_.Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        frames[i]->DropBitmap();
        frames[i]->DropMask();
        frames[i]->ReplacePalette(nullptr);
    }
    image_.FlatBitmap.reset();
    image_.SetPalette(nullptr);
}
