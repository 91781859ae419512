#pragma once
// Colour tables of at most 256 RGB entries: the image's global table and each
// frame's local table. Changes notify the owner so that cached palettes go stale.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFTypes.h"

class TGIFHeader;
class TGIFSubImage;
class TPalette;
class TStream;

// Use count of one table entry, as CountUse reports it.
struct TGIFColorUse {
    std::uint64_t uses = 0;
    int index = 0;
};
using TGIFColorHistogram = std::array<TGIFColorUse, 256>;
// Old index -> new index.
using TGIFColorTranslation = std::array<std::uint8_t, 256>;

class TGIFColorMap : public TPersistent {
public:
    static constexpr int kMaxColors = 256;

    TGIFColorMap() = default;
    ~TGIFColorMap() override = default;
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;

    const char* ClassName() const override { return "TGIFColorMap"; }

    virtual void ReportWarning(int severity, const std::string& text) = 0;
    // Fills histogram[i] = {pixels holding index i, i} for the frames this table colours.
    virtual void CountUse(TGIFColorHistogram& histogram) = 0;
    // Rewrites the pixels (and transparent indices) of the frames this table colours.
    virtual void RemapPixels(const TGIFColorTranslation& translation) = 0;
    // Reorders by decreasing use, dropping unused entries unless the order was
    // already right; answers whether the table counts as sorted now.
    virtual bool SortByUse();
    // Drops the palettes cached from this table.
    virtual void NotifyChanged() = 0;

    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(entries_.size()); }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted) { sorted_ = sorted; }
    bool IsEmpty() const { return count_ == 0; }
    const TGIFRGB* Entries() const { return entries_.data(); }
    const TGIFRGB& Entry(int index) const { return entries_[static_cast<std::size_t>(index)]; }

    void ClearColors();
    // Appends; "Color table overflow" when 256 entries are present.
    int AddColor(TColor color);
    // "Invalid color index" for an index outside the table.
    void DeleteColor(int index);
    // An index outside the table warns "Invalid color index" and answers entry 0,
    // or raises "Color table is empty" when there is no entry.
    TColor GetColor(int index);
    // "Invalid color index" for an index outside the table; keeps Sorted.
    void SetColor(int index, TColor color);
    // Sorted tables answer the first match, unsorted ones the last; -1 when absent.
    int FindColor(TColor color) const;
    void LoadFromPalette(const TPalette* palette);
    // `table` holds 256 triples; the first `count` are taken.
    void LoadFromTable(const TGIFRGB* table, int count);
    // A new logical palette of Count entries; null for an empty table.
    std::unique_ptr<TPalette> CreatePaletteHandle() const;
    // 0 for an empty table, else the smallest n >= 1 with 2^n >= Count.
    int BitDepth() const;
    // Copies another colour table; any other source raises the cannot-assign error.
    void Assign(const TPersistent* source);

    // Reads `count` triples from a file (short read: "Premature end of data").
    void LoadEntries(TStream& stream, int count);
    // Writes Count triples padded with zero triples to 2^BitDepth entries.
    void SaveEntries(TStream& stream) const;

private:
    void Grow(int needed);

    std::vector<TGIFRGB> entries_;  // size() is the capacity
    int count_ = 0;
    bool sorted_ = false;
};

class TGIFGlobalColorMap : public TGIFColorMap {
public:
    explicit TGIFGlobalColorMap(TGIFHeader* header) : header_(header) {}
    const char* ClassName() const override { return "TGIFGlobalColorMap"; }
    TGIFHeader* Header() const { return header_; }

    void ReportWarning(int severity, const std::string& text) override;
    void CountUse(TGIFColorHistogram& histogram) override;
    void RemapPixels(const TGIFColorTranslation& translation) override;
    bool SortByUse() override;
    void NotifyChanged() override;

private:
    TGIFHeader* header_;
};

class TGIFLocalColorMap : public TGIFColorMap {
public:
    explicit TGIFLocalColorMap(TGIFSubImage* frame) : frame_(frame) {}
    const char* ClassName() const override { return "TGIFLocalColorMap"; }
    TGIFSubImage* Frame() const { return frame_; }

    void ReportWarning(int severity, const std::string& text) override;
    void CountUse(TGIFColorHistogram& histogram) override;
    void RemapPixels(const TGIFColorTranslation& translation) override;
    void NotifyChanged() override;

private:
    TGIFSubImage* frame_;
};
