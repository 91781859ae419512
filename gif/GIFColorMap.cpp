#include "gif/GIFColorMap.h"

#include <algorithm>
#include <numeric>

#include "raster/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "raster/Palette.h"

namespace {
TGIFRGB ToRGB(TColor color) { return {ColorRed(color), ColorGreen(color), ColorBlue(color)}; }
TColor ToColor(const TGIFRGB& rgb) { return MakeColor(rgb.red, rgb.green, rgb.blue); }
}  // namespace

void TGIFColorMap::ClearColors() {
    entries_.clear();
    entries_.shrink_to_fit();
    count_ = 0;
    sorted_ = false;
}

void TGIFColorMap::Grow(int needed) {
    if (needed <= Capacity()) return;
    // Small tables get 16 slots, larger ones grow in steps of 32.
    const int capacity = needed <= 16 ? 16 : std::min(kMaxColors, (needed + 31) / 32 * 32);
    entries_.resize(static_cast<std::size_t>(capacity));
}

int TGIFColorMap::AddColor(TColor color) {
    if (count_ >= kMaxColors) throw GIFException("Color table overflow");
    Grow(count_ + 1);
    entries_[static_cast<std::size_t>(count_)] = ToRGB(color);
    ++count_;
    sorted_ = false;
    NotifyChanged();
    return count_ - 1;
}

void TGIFColorMap::DeleteColor(int index) {
    if (index < 0 || index >= count_) throw GIFException("Invalid color index");
    std::copy(entries_.begin() + index + 1, entries_.begin() + count_, entries_.begin() + index);
    --count_;
    sorted_ = false;
    NotifyChanged();
}

TColor TGIFColorMap::GetColor(int index) {
    if (index < 0 || index >= count_) {
        ReportWarning(1, "Invalid color index");
        if (count_ == 0) throw GIFException("Color table is empty");
        index = 0;
    }
    return ToColor(Entry(index));
}

void TGIFColorMap::SetColor(int index, TColor color) {
    if (index < 0 || index >= count_) throw GIFException("Invalid color index");
    entries_[static_cast<std::size_t>(index)] = ToRGB(color);
    NotifyChanged();
}

int TGIFColorMap::FindColor(TColor color) const {
    const TGIFRGB wanted = ToRGB(color);
    if (sorted_) {
        // Most used first: the earliest match is the most likely one.
        for (int i = 0; i < count_; ++i)
            if (Entry(i) == wanted) return i;
    } else {
        for (int i = count_ - 1; i >= 0; --i)
            if (Entry(i) == wanted) return i;
    }
    return -1;
}

void TGIFColorMap::LoadFromPalette(const TPalette* palette) {
    ClearColors();
    const int n = palette ? std::min(palette->Count(), kMaxColors) : 0;
    if (n == 0) return;
    Grow(n);
    for (int i = 0; i < n; ++i) {
        const TPaletteEntry& e = (*palette)[i];
        entries_[static_cast<std::size_t>(i)] = {e.red, e.green, e.blue};
    }
    count_ = n;
    NotifyChanged();
}

void TGIFColorMap::LoadFromTable(const TGIFRGB* table, int count) {
    ClearColors();
    count = std::clamp(count, 0, kMaxColors);
    if (count > 0 && table) {
        Grow(count);
        std::copy(table, table + count, entries_.begin());
        count_ = count;
    }
    NotifyChanged();
}

std::unique_ptr<TPalette> TGIFColorMap::CreatePaletteHandle() const {
    if (count_ == 0) return nullptr;
    std::vector<TPaletteEntry> entries(static_cast<std::size_t>(count_));
    for (int i = 0; i < count_; ++i) {
        const TGIFRGB& c = Entry(i);
        entries[static_cast<std::size_t>(i)] = {c.red, c.green, c.blue, PC_NOCOLLAPSE};
    }
    return std::make_unique<TPalette>(std::move(entries));
}

int TGIFColorMap::BitDepth() const {
    if (count_ == 0) return 0;
    int n = 1;
    while ((1 << n) < count_) ++n;
    return n;
}

void TGIFColorMap::Assign(const TPersistent* source) {
    const auto* other = dynamic_cast<const TGIFColorMap*>(source);
    if (!other) RaiseCannotAssign(source, *this);
    if (other == this) return;
    entries_ = other->entries_;
    count_ = other->count_;
    sorted_ = other->sorted_;
    NotifyChanged();
}

void TGIFColorMap::LoadEntries(TStream& stream, int count) {
    count = std::clamp(count, 0, kMaxColors);
    std::vector<TGIFRGB> table(static_cast<std::size_t>(count));
    stream.ReadBuffer(table.data(), table.size() * sizeof(TGIFRGB));
    ClearColors();
    if (count > 0) {
        Grow(count);
        std::copy(table.begin(), table.end(), entries_.begin());
        count_ = count;
    }
    NotifyChanged();
}

void TGIFColorMap::SaveEntries(TStream& stream) const {
    if (count_ == 0) return;
    // The file's table size is a power of two; the gap is filled with black.
    std::vector<TGIFRGB> table(std::size_t(1) << BitDepth());
    std::copy(entries_.begin(), entries_.begin() + count_, table.begin());
    stream.Write(table.data(), table.size() * sizeof(TGIFRGB));
}

bool TGIFColorMap::SortByUse() {
    if (count_ <= 1) return false;
    sorted_ = true;
    TGIFColorHistogram histogram{};
    for (int i = 0; i < kMaxColors; ++i) histogram[static_cast<std::size_t>(i)] = {0, i};
    CountUse(histogram);
    // A stable order keeps equally used entries where they were, so a table that
    // is already in order of use is recognised as such and left whole.
    std::stable_sort(histogram.begin(), histogram.begin() + count_,
                     [](const TGIFColorUse& a, const TGIFColorUse& b) { return a.uses > b.uses; });
    bool unchanged = true;
    for (int k = 0; k < count_; ++k)
        if (histogram[static_cast<std::size_t>(k)].index != k) unchanged = false;
    if (unchanged) return true;

    TGIFColorTranslation translation;
    std::iota(translation.begin(), translation.end(), std::uint8_t{0});
    std::vector<TGIFRGB> reordered(entries_.size());
    int used = count_;
    for (int k = 0; k < count_; ++k) {
        const TGIFColorUse& pair = histogram[static_cast<std::size_t>(k)];
        translation[static_cast<std::size_t>(pair.index)] = static_cast<std::uint8_t>(k);
        reordered[static_cast<std::size_t>(k)] = Entry(pair.index);
        if (pair.uses == 0 && used == count_) used = k;
    }
    RemapPixels(translation);
    entries_ = std::move(reordered);
    count_ = used;
    NotifyChanged();
    return true;
}

// --- global table -----------------------------------------------------------

void TGIFGlobalColorMap::ReportWarning(int severity, const std::string& text) {
    if (TGIFImage* image = header_ ? header_->OwnerImage() : nullptr) image->DispatchWarning(this, severity, text);
}

void TGIFGlobalColorMap::CountUse(TGIFColorHistogram& histogram) {
    TGIFImage* image = header_ ? header_->OwnerImage() : nullptr;
    if (!image) return;
    for (int i = 0; i < image->Frames().Count(); ++i) {
        TGIFSubImage* frame = image->Frames()[i];
        if (frame->EffectiveColors() == this) frame->CountPixelUse(histogram);
    }
}

void TGIFGlobalColorMap::RemapPixels(const TGIFColorTranslation& translation) {
    TGIFImage* image = header_ ? header_->OwnerImage() : nullptr;
    if (!image) return;
    for (int i = 0; i < image->Frames().Count(); ++i) {
        TGIFSubImage* frame = image->Frames()[i];
        if (frame->EffectiveColors() == this) frame->RemapPixelData(translation);
    }
}

bool TGIFGlobalColorMap::SortByUse() {
    TGIFImage* image = header_ ? header_->OwnerImage() : nullptr;
    if (!image || image->Frames().Count() == 0) return false;
    return TGIFColorMap::SortByUse();
}

void TGIFGlobalColorMap::NotifyChanged() {
    TGIFImage* image = header_ ? header_->OwnerImage() : nullptr;
    if (image) image->SetPalette(nullptr);
}

// --- local table ------------------------------------------------------------

void TGIFLocalColorMap::ReportWarning(int severity, const std::string& text) {
    if (TGIFImage* image = frame_ ? frame_->OwnerImage() : nullptr) image->DispatchWarning(this, severity, text);
}

void TGIFLocalColorMap::CountUse(TGIFColorHistogram& histogram) {
    if (frame_) frame_->CountPixelUse(histogram);
}

void TGIFLocalColorMap::RemapPixels(const TGIFColorTranslation& translation) {
    if (frame_) frame_->RemapPixelData(translation);
}

void TGIFLocalColorMap::NotifyChanged() {
    if (frame_) frame_->ReplacePalette(nullptr);
}
