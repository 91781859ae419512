#pragma once
// The two image-data encoders: TLZWEncoder (a real LZW compressor over a hash
// table) and TRLEEncoder (a code stream built only from runs of equal pixels,
// which every GIF decoder reads). Both put their codes through TGIFWriter, which
// packs bytes into data sub-blocks of at most 255 bytes.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gif/LZW.h"

// A stream that refuses every operation; subclasses open up what they support.
class TGIFStream : public TStream {
public:
    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return 0; }
    void SetPosition(std::int64_t position) override;
    std::int64_t Size() const override { return 0; }
};

// Write-only stream that cuts what it is given into data sub-blocks (a length
// byte and up to 255 bytes) on the destination stream.
class TGIFWriter : public TGIFStream {
public:
    explicit TGIFWriter(TStream& destination) : destination_(destination) {}
    // Flushes a pending partial block; errors are swallowed here, so call
    // FlushBlock first when they must be seen.
    ~TGIFWriter() override;
    TGIFWriter(const TGIFWriter&) = delete;
    TGIFWriter& operator=(const TGIFWriter&) = delete;

    void Write(const void* buffer, std::size_t count) override;
    // The encoders' path: one byte into the block buffer, no virtual call.
    void PutByte(std::uint8_t value) {
        buffer_[fill_++] = value;
        dirty_ = true;
        if (fill_ > 255) FlushBlock();
    }
    // Four bytes, least significant first.
    void PutWord(std::uint32_t value) {
        if (fill_ + 4 <= 256) {
            for (int i = 0; i < 4; ++i) buffer_[fill_ + static_cast<unsigned>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
            fill_ += 4;
            dirty_ = true;
            if (fill_ > 255) FlushBlock();
        } else {
            for (int i = 0; i < 4; ++i) PutByte(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    void FlushBlock();

private:
    TStream& destination_;
    std::array<std::uint8_t, 256> buffer_{};  // length byte, then the data
    unsigned fill_ = 1;
    bool dirty_ = false;
};

// Open-addressed dictionary of the LZW encoder: (prefix code, pixel) -> code.
class THashTable {
public:
    static constexpr int Slots = 8009;

    THashTable() { ResetTable(); }
    void ResetTable();
    void StoreCode(std::uint32_t key, std::uint32_t code);
    // The code stored under key, or -1.
    int FindCode(std::uint32_t key) const;

    static std::uint32_t FirstSlot(std::uint32_t key) { return (key ^ (key >> 4)) % Slots; }

    // FindCode that also answers where the probe ended: the slot holding the key,
    // or the free slot StoreCode would fill. Inline for the encoder's hot loop.
    int Lookup(std::uint32_t key, std::uint32_t& slot) const {
        std::uint32_t h = FirstSlot(key);
        std::uint32_t value = slots_[h];
        if (!Occupied(value) || (value >> 12) == key) {
            slot = h;
            return Occupied(value) ? static_cast<int>(value & 0xFFF) : -1;
        }
        const std::uint32_t d = h == 0 ? 1 : Slots - h;
        for (;;) {
            h = h >= d ? h - d : h + Slots - d;
            value = slots_[h];
            if (!Occupied(value)) {
                slot = h;
                return -1;
            }
            if ((value >> 12) == key) {
                slot = h;
                return static_cast<int>(value & 0xFFF);
            }
        }
    }
    void StoreAt(std::uint32_t slot, std::uint32_t key, std::uint32_t code) {
        slots_[slot] = (key << 12) | code;
    }

    // The interface the encoder's loops use (see TLZWCodeTable): this table
    // names codes by themselves, and is its own view.
    static unsigned IdOf(unsigned code) { return code; }
    static unsigned CodeOf(unsigned id) { return id; }
    int Lookup(unsigned prefix, unsigned pixel, std::uint32_t& slot) const {
        return Lookup((prefix << 8) | pixel, slot);
    }
    void StoreAt(std::uint32_t slot, unsigned prefix, unsigned pixel, unsigned code) {
        StoreAt(slot, (prefix << 8) | pixel, code);
    }
    THashTable& View() { return *this; }
    static constexpr std::uint32_t Empty = 0xFFFFFFFF;

private:
    static bool Occupied(std::uint32_t slot) { return slot < 0xFFFFF000u; }
    std::array<std::uint32_t, Slots> slots_;
};

// Fixed tables of the encoder's dictionary (see TLZWCodeTable).
namespace lzw_tables {

// Ids: pixels (and every code below 256) are their own id; the codes from 256
// on are spread over 256..4095 by a step coprime to 3840, so that codes made
// one after the other get ids far apart.
constexpr std::uint32_t IdStep = 2533;

struct TIdMaps {
    std::array<std::uint16_t, 4096> idOf{};
    std::array<std::uint16_t, 4096> codeOf{};
};

constexpr TIdMaps MakeIdMaps() {
    TIdMaps maps;
    for (std::uint32_t code = 0; code < 4096; ++code) {
        const std::uint32_t id = code < 256 ? code : 256 + (code - 256) * IdStep % 3840;
        maps.idOf[code] = static_cast<std::uint16_t>(id);
        maps.codeOf[id] = static_cast<std::uint16_t>(code);
    }
    return maps;
}

inline constexpr TIdMaps IdMaps = MakeIdMaps();

constexpr bool IsPermutation(const TIdMaps& maps) {
    for (std::uint32_t code = 0; code < 4096; ++code)
        if (maps.codeOf[maps.idOf[code]] != code || (code < 256 && maps.idOf[code] != code)) return false;
    return true;
}
static_assert(IsPermutation(IdMaps), "ids must name every code exactly once, pixels by themselves");

// A fixed pseudo-random 15-bit value per pixel (splitmix64).
constexpr std::array<std::uint32_t, 256> MakePixelMix() {
    std::array<std::uint32_t, 256> mix{};
    std::uint64_t state = 0x5EED;
    for (std::uint32_t& value : mix) {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        value = static_cast<std::uint32_t>(z ^ (z >> 31)) & 0x7FFF;
    }
    return mix;
}

inline constexpr std::array<std::uint32_t, 256> PixelMix = MakePixelMix();

}  // namespace lzw_tables

// The LZW encoder's working dictionary: the same strings get the same codes as
// with THashTable, laid out for speed.
// - Inside the table a code goes by an id (IdOf/CodeOf, a fixed permutation),
//   so that the slot of (prefix, pixel) is one xor away from the prefix's id:
//   the lookup after a found string waits for nothing but a load and an xor.
//   Pixels are their own ids, so nothing is looked up after a code goes out.
// - A generation holds at most 3838 entries; the table is sized to keep its
//   load at or below 1/8, so that most lookups end in their first slot (a
//   collision is a mispredicted branch on the critical path). Small frames get
//   a small table: they cannot hold more entries than pixels.
class TLZWCodeTable {
public:
    static constexpr std::uint32_t Empty = 0xFFFFFFFF;
    // At least as many slots as ids, so that id ^ mix needs no masking.
    static constexpr int MinBits = 12;
    static constexpr int MaxBits = 15;

    // A table for a frame of `pixels` pixels.
    explicit TLZWCodeTable(std::size_t pixels);
    void ResetTable();

    static unsigned IdOf(unsigned code) { return lzw_tables::IdMaps.idOf[code]; }
    static unsigned CodeOf(unsigned id) { return lzw_tables::IdMaps.codeOf[id]; }

    // The table's fields by value, for the encoder's loops: held in registers
    // there, where members would be reloaded after every store the compiler
    // cannot prove apart from them. Prefixes and answers are ids.
    struct TView {
        std::uint32_t* slots;
        const std::uint32_t* mix;  // PixelMix cut to the table's size
        std::uint32_t mask;

        std::uint32_t FirstSlot(unsigned prefix, unsigned pixel) const { return prefix ^ mix[pixel]; }
        // The id stored for (prefix, pixel), or -1; `slot` answers where the
        // entry is or where it would go.
        int Lookup(unsigned prefix, unsigned pixel, std::uint32_t& slot) const {
            const std::uint32_t key = (prefix << 8) | pixel;
            std::uint32_t h = FirstSlot(prefix, pixel);
            std::uint32_t value = slots[h];
            while (value != Empty && (value >> 12) != key) [[unlikely]] {
                h = (h + 1) & mask;
                value = slots[h];
            }
            slot = h;
            return value == Empty ? -1 : static_cast<int>(value & 0xFFF);
        }
        void StoreAt(std::uint32_t slot, unsigned prefix, unsigned pixel, unsigned id) const {
            slots[slot] = (((prefix << 8) | pixel) << 12) | id;
        }
    };
    TView View() const { return {slots_.get(), mix_.data(), mask_}; }

private:
    int bits_;
    std::uint32_t mask_;
    std::array<std::uint32_t, 256> mix_;
    std::unique_ptr<std::uint32_t[]> slots_;
};

// When the LZW encoder clears a full dictionary. A full table is kept, not
// cleared at once: strings learned so far often go on serving the rest of
// the picture. It is cleared when the strings written since it filled (a
// moving average of pixels per code) fall well below what the table managed
// while it was filling. Whoever simulates the encoder asks the same policy.
class TFullTablePolicy {
public:
    // `clears` false: a full table is kept to the end. Which is shorter
    // depends on the picture (a band of dithered gradient after flat areas
    // goes on using the strings it filled the table with), so writers try
    // both once a full table has been cleared.
    explicit TFullTablePolicy(bool clears = true) : clears_(clears) {}
    // Whether a full table was cleared (kept, it would have given other data).
    bool Cleared() const { return cleared_; }

    // Called for each code written while the table is full (after the
    // `learned` codes of this generation), with the pixel position that code
    // ends at; answers whether to clear now (and starts the next generation there).
    bool ShouldClear(std::size_t position, std::size_t learned) {
        if (!clears_) return false;
        if (!full_) {
            full_ = true;
            filledRate_ = double(position - generationStart_) / double(std::max<std::size_t>(1, learned));
            recentRate_ = filledRate_;
            lastCodeEnd_ = position;
            return false;
        }
        const double run = double(position - lastCodeEnd_);
        lastCodeEnd_ = position;
        recentRate_ += (run - recentRate_) / 32.0;
        if (recentRate_ >= filledRate_ * 0.85) return false;
        generationStart_ = position;
        full_ = false;
        cleared_ = true;
        return true;
    }

private:
    bool clears_;
    bool cleared_ = false;
    std::size_t generationStart_ = 0;  // where this table generation began
    bool full_ = false;
    std::size_t lastCodeEnd_ = 0;
    double filledRate_ = 0;  // pixels per code while the table filled
    double recentRate_ = 0;  // the same, lately (a moving average)
};

// Shared state and bit packing of both encoders.
class TGIFEncoder {
public:
    virtual ~TGIFEncoder() = default;

    // Keeps a full table to the end instead of clearing it when it stops
    // paying (see TFullTablePolicy).
    void KeepFullTable(bool keep) { keepFullTable_ = keep; }
    // Whether the last Encode cleared a full table.
    bool TableCleared() const { return FullTable.Cleared(); }

    // Writes the code size byte (max(bits, 2)), the sub-blocks and the terminating
    // 0x00. Raises "Color not in color table" (before writing anything) when a
    // pixel is not below colorLimit.
    void Encode(TStream& stream, int bits, int colorLimit, const std::uint8_t* pixels,
                bool interlaced, int height, int width);

protected:
    virtual void PutCode(unsigned code);
    virtual void ResetCodes();
    virtual void EncodePixels() = 0;

    // The bit packing of PutCode without the virtual call.
    void PackCode(unsigned code) {
        BitBuffer |= static_cast<std::uint32_t>(code) << BitCount;
        BitCount += CodeWidth;
        while (BitCount > 7) {
            Writer->PutByte(static_cast<std::uint8_t>(BitBuffer));
            BitBuffer >>= 8;
            BitCount -= 8;
        }
    }
    // After a code went out, with `freeCode` the next code the dictionary
    // assigns: a clear code restarts the width; otherwise it grows once that
    // code no longer fits (12 bits at most).
    void AdvanceWidth(unsigned freeCode) {
        if (JustCleared) {
            CodeWidth = StartWidth;
            MaxCode = static_cast<std::uint16_t>((1u << CodeWidth) - 1);
            JustCleared = false;
        } else if (MaxCode < freeCode) {
            ++CodeWidth;
            MaxCode = static_cast<std::uint16_t>(CodeWidth == 12 ? 4096 : (1u << CodeWidth) - 1);
        }
    }
    // Calls fn(rowPointer) for every row, in the order the data stores them.
    template <typename Fn>
    void ForEachRow(Fn&& fn) const;
    // The pixels in the order the data stores them.
    std::vector<std::uint8_t> StoredPixels() const;

    int ColorLimit = 0;
    std::uint8_t InitialCodeSize = 0;
    int RowWidth = 0;
    int RowCount = 0;
    bool Interlaced = false;
    const std::uint8_t* Pixels = nullptr;
    std::unique_ptr<TGIFWriter> Writer;
    std::uint32_t BitBuffer = 0;
    int BitCount = 0;
    bool JustCleared = false;
    int CodeWidth = 0;
    int StartWidth = 0;
    std::uint16_t MaxCode = 0;
    std::uint16_t ClearCode = 0;
    std::uint16_t EndCode = 0;
    std::uint16_t FirstFree = 0;
    TFullTablePolicy FullTable;

private:
    bool keepFullTable_ = false;
};

class TLZWEncoder : public TGIFEncoder {
public:
    // Selects THashTable instead of the faster TLZWCodeTable; the output is the
    // same, which the tests check.
    void UseHashTable(bool value) { useHashTable_ = value; }

protected:
    void PutCode(unsigned code) override;
    void ResetCodes() override;
    void EncodePixels() override;

private:
    void PutCodeFinal(unsigned code);  // PutCode without the virtual dispatch
    template <typename TTable>
    void EncodeWith(TTable& table);

    template <typename TTable>
    void ClearCodes(TTable& table);
    struct TCoderState;
    TCoderState LoadState() const;
    void StoreState(const TCoderState& state);
    // Pixels per call of the stretch loops; the loop for the next stretch is
    // chosen from how many codes the last one wrote.
    static constexpr std::size_t RunLength = 2048;
    static constexpr std::size_t PixelsPerCodeForCache = 6;
    template <typename TTable>
    std::size_t EncodeRun(TTable& table, const std::uint8_t* pixels, std::size_t n, unsigned& prefix);
    template <typename TTable>
    std::size_t EncodeRunNoisy(TTable& table, const std::uint8_t* pixels, std::size_t n, unsigned& prefix);

    // `freeCode`: the stretch loops' own (FreeCode is stored once a stretch).
    bool FullTableShouldClear(std::size_t position, unsigned freeCode) {
        return FullTable.ShouldClear(position, std::size_t(freeCode - FirstFree));
    }

    std::uint16_t Prefix = 0;
    std::uint16_t FreeCode = 0;
    bool useHashTable_ = false;
    // Pixels fed before the stretch being encoded.
    std::size_t stretchStart_ = 0;
    // The dictionary of the frame being encoded (one of the two).
    std::unique_ptr<THashTable> table_;
    std::unique_ptr<TLZWCodeTable> fastTable_;
    // Per prefix (by the dictionary's id): the pixel it was last extended by
    // and the resulting id; a cache in front of the dictionary, emptied with it.
    static constexpr std::uint16_t NoPixel = 0xFFFF;
    std::array<std::uint16_t, 4096> lastPixel_{};
    std::array<std::uint16_t, 4096> lastChild_{};
};

class TRLEEncoder : public TGIFEncoder {
public:
    // Fewest codes that write `count` pixels of one value when the table may grow
    // up to n run codes: whole triangles 1 + 2 + ... + n, then the shortest
    // triangle covering the rest.
    static int RunCodeCount(int count, int n);

protected:
    void ResetCodes() override;
    void EncodePixels() override;

private:
    void EmitPlain(unsigned code);
    void FlushRun(int count);
    void FlushFromClear(int count);
    void FlushClearOrRepeat(int count);
    void FlushWithTable(int count);
    void ResetClearAt();

    int MaxOutCodes = 0;
    int BumpInit = 0;
    int ClearInit = 0;
    int RunPixel = -1;
    int TableMax = 0;
    int TablePixel = 0;
    int OutCount = 0;
    int ClearAt = 0;
    int BumpAt = 0;
};
