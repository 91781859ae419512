#include "gif/LZWEncoder.h"

#include <algorithm>
#include <cstring>

#include "gif/GIFException.h"
#include "gif/LZWInterlace.h"

// ---- TGIFStream / TGIFWriter ------------------------------------------------

std::size_t TGIFStream::Read(void*, std::size_t) { throw GIFException("Invalid stream operation"); }
void TGIFStream::Write(const void*, std::size_t) { throw GIFException("Invalid stream operation"); }
void TGIFStream::SetPosition(std::int64_t) { throw GIFException("Invalid stream operation"); }

TGIFWriter::~TGIFWriter() {
    try {
        if (dirty_) FlushBlock();
    } catch (...) {
        // A destructor must not throw; Encode flushes explicitly so that write
        // errors surface there.
    }
}

void TGIFWriter::Write(const void* buffer, std::size_t count) {
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    while (count > 0) {
        const std::size_t n = std::min<std::size_t>(count, 256 - fill_);
        std::memcpy(buffer_.data() + fill_, bytes, n);
        fill_ += static_cast<unsigned>(n);
        dirty_ = true;
        bytes += n;
        count -= n;
        if (fill_ > 255) FlushBlock();
    }
}

void TGIFWriter::FlushBlock() {
    if (fill_ > 1) {
        buffer_[0] = static_cast<std::uint8_t>(fill_ - 1);
        destination_.Write(buffer_.data(), fill_);
    }
    fill_ = 1;
    dirty_ = false;
}

// ---- THashTable ---------------------------------------------------------------

void THashTable::ResetTable() { slots_.fill(Empty); }

void THashTable::StoreCode(std::uint32_t key, std::uint32_t code) {
    std::uint32_t slot;
    Lookup(key, slot);
    StoreAt(slot, key, code);
}

int THashTable::FindCode(std::uint32_t key) const {
    std::uint32_t slot;
    return Lookup(key, slot);
}

// ---- TGIFEncoder ----------------------------------------------------------------

template <typename Fn>
void TGIFEncoder::ForEachRow(Fn&& fn) const {
    const std::size_t width = static_cast<std::size_t>(RowWidth);
    if (!Interlaced) {
        fn(Pixels, width * static_cast<std::size_t>(RowCount));
        return;
    }
    for (int row : InterlacedRowOrder(RowCount)) fn(Pixels + static_cast<std::size_t>(row) * width, width);
}

void TGIFEncoder::Encode(TStream& stream, int bits, int colorLimit, const std::uint8_t* pixels,
                         bool interlaced, int height, int width) {
    const bool hasPixels = pixels && height > 0 && width > 0;
    const std::size_t count = hasPixels ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height) : 0;
    // Checked before anything is written, so a refused frame leaves no partial data.
    if (hasPixels && colorLimit < 256) {
        std::uint8_t highest = 0;
        for (std::size_t i = 0; i < count; ++i) highest = std::max(highest, pixels[i]);
        if (highest >= colorLimit) throw GIFException("Color not in color table");
    }
    // Pixels are bytes, so 8 bits always suffice; wider sizes would overflow 12-bit codes.
    InitialCodeSize = static_cast<std::uint8_t>(std::clamp(bits, 2, 8));
    ColorLimit = colorLimit;
    RowWidth = width;
    RowCount = height;
    Interlaced = interlaced;
    Pixels = pixels;
    BitBuffer = 0;
    BitCount = 0;
    JustCleared = false;
    StartWidth = CodeWidth = InitialCodeSize + 1;
    MaxCode = static_cast<std::uint16_t>((1u << CodeWidth) - 1);
    ClearCode = static_cast<std::uint16_t>(1u << InitialCodeSize);
    EndCode = static_cast<std::uint16_t>(ClearCode + 1);
    FirstFree = static_cast<std::uint16_t>(ClearCode + 2);

    stream.WriteByte(InitialCodeSize);
    Writer = std::make_unique<TGIFWriter>(stream);
    if (hasPixels) EncodePixels();
    PutCode(EndCode);
    if (BitCount > 0) Writer->PutByte(static_cast<std::uint8_t>(BitBuffer));
    BitBuffer = 0;
    BitCount = 0;
    Writer->FlushBlock();
    Writer.reset();
    stream.WriteByte(0);
}

void TGIFEncoder::PutCode(unsigned code) { PackCode(code); }

void TGIFEncoder::ResetCodes() {
    JustCleared = true;
    PutCode(ClearCode);
}

// ---- TLZWEncoder ------------------------------------------------------------------

inline void TLZWEncoder::PutCodeFinal(unsigned code) {
    PackCode(code);
    if (JustCleared) {
        CodeWidth = StartWidth;
        MaxCode = static_cast<std::uint16_t>((1u << CodeWidth) - 1);
        JustCleared = false;
    } else if (MaxCode < FreeCode) {
        ++CodeWidth;
        // Codes never pass 4095, so the width stops at 12.
        MaxCode = static_cast<std::uint16_t>(CodeWidth == 12 ? 4096 : (1u << CodeWidth) - 1);
    }
}

void TLZWEncoder::PutCode(unsigned code) { PutCodeFinal(code); }

template <typename TTable>
inline void TLZWEncoder::ClearCodes(TTable& table) {
    JustCleared = true;
    PutCodeFinal(ClearCode);
    table.ResetTable();
    lastPixel_.fill(NoPixel);
    FreeCode = static_cast<std::uint16_t>(ClearCode + 2);
}

void TLZWEncoder::ResetCodes() {
    if (FastTable) ClearCodes(*FastTable);
    else if (Table) ClearCodes(*Table);
}

// One stretch of pixels. With UseCache the one-entry cache per prefix code is
// asked first: most lookups in flat areas and repeated patterns repeat the
// previous extension of the same prefix, and the cache answers them with one
// load on the critical path. In noisy data it mostly misses and its branch is
// unpredictable, so it is then only kept up to date. Answers how often it
// would have hit.
template <bool UseCache, typename TTable>
std::size_t TLZWEncoder::EncodeRun(TTable& table, const std::uint8_t* pixels, std::size_t n,
                                   unsigned& prefixInOut) {
    // The coder's state lives in locals here: member fields would be reloaded
    // after every byte written, as byte stores may alias them.
    unsigned prefix = prefixInOut;
    std::uint64_t bits = BitBuffer;
    unsigned bitCount = static_cast<unsigned>(BitCount);
    unsigned width = static_cast<unsigned>(CodeWidth);
    unsigned maxCode = MaxCode;
    unsigned freeCode = FreeCode;
    std::uint16_t* lastPixel = lastPixel_.data();
    std::uint16_t* lastChild = lastChild_.data();
    TGIFWriter& writer = *Writer;
    auto save = [&] {
        while (bitCount >= 8) {
            writer.PutByte(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            bitCount -= 8;
        }
        BitBuffer = static_cast<std::uint32_t>(bits);
        BitCount = static_cast<int>(bitCount);
        CodeWidth = static_cast<int>(width);
        MaxCode = static_cast<std::uint16_t>(maxCode);
        FreeCode = static_cast<std::uint16_t>(freeCode);
    };
    auto load = [&] {
        bits = BitBuffer;
        bitCount = static_cast<unsigned>(BitCount);
        width = static_cast<unsigned>(CodeWidth);
        maxCode = MaxCode;
        freeCode = FreeCode;
    };

    std::size_t hits = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned c = pixels[i];
        const bool cached = lastPixel[prefix] == c;
        hits += cached;
        if (UseCache && cached) {
            prefix = lastChild[prefix];
            continue;
        }
        const std::uint32_t key = (prefix << 8) | c;
        std::uint32_t slot;
        const int found = table.Lookup(key, slot);
        if (found >= 0) {
            lastPixel[prefix] = static_cast<std::uint16_t>(c);
            lastChild[prefix] = static_cast<std::uint16_t>(found);
            prefix = static_cast<unsigned>(found);
            continue;
        }
        // PutCode(prefix): pack, hand out whole 32-bit words, widen when the next
        // code to assign no longer fits (12 bits at most: MaxCode 4096).
        bits |= static_cast<std::uint64_t>(prefix) << bitCount;
        bitCount += width;
        if (bitCount >= 32) {
            writer.PutWord(static_cast<std::uint32_t>(bits));
            bits >>= 32;
            bitCount -= 32;
        }
        if (maxCode < freeCode) {
            ++width;
            maxCode = width == 12 ? 4096 : (1u << width) - 1;
        }
        if (freeCode > 4094) {
            save();
            ClearCodes(table);
            load();
        } else {
            table.StoreAt(slot, key, freeCode);
            lastPixel[prefix] = static_cast<std::uint16_t>(c);
            lastChild[prefix] = static_cast<std::uint16_t>(freeCode);
            ++freeCode;
        }
        prefix = c;
    }
    save();
    prefixInOut = prefix;
    return hits;
}

template <typename TTable>
void TLZWEncoder::EncodeWith(TTable& table) {
    ClearCodes(table);
    bool first = true;
    bool useCache = true;
    ForEachRow([&](const std::uint8_t* row, std::size_t n) {
        std::size_t i = 0;
        if (first) {
            Prefix = row[0];
            i = 1;
            first = false;
        }
        unsigned prefix = Prefix;
        // Decide per stretch whether the cache pays, from how it did on the last one.
        constexpr std::size_t Stretch = 2048;
        while (i < n) {
            const std::size_t k = std::min(Stretch, n - i);
            const std::size_t hits = useCache ? EncodeRun<true>(table, row + i, k, prefix)
                                              : EncodeRun<false>(table, row + i, k, prefix);
            useCache = hits * 4 > k * 3;
            i += k;
        }
        Prefix = static_cast<std::uint16_t>(prefix);
    });
    PutCodeFinal(Prefix);
}

void TLZWEncoder::EncodePixels() {
    if (useHashTable_) {
        Table = std::make_unique<THashTable>();
        EncodeWith(*Table);
    } else {
        FastTable = std::make_unique<TLZWCodeTable>();
        EncodeWith(*FastTable);
    }
}

// ---- TRLEEncoder ----------------------------------------------------------------------

namespace {

// Smallest k with k(k+1)/2 >= r, for r > 0.
int TriangleSide(int r) {
    // Newton's iteration for the integer square root of 2r gives k within one.
    const long long target = 2LL * r;
    long long x = target;
    long long y = (x + 1) / 2;
    while (y < x) {
        x = y;
        y = (x + target / x) / 2;
    }
    long long k = x;
    while (k > 0 && k * (k - 1) >= target) --k;  // (k-1)k/2 >= r: k-1 suffices
    while (k * (k + 1) < target) ++k;
    return static_cast<int>(k);
}

}  // namespace

int TRLEEncoder::RunCodeCount(int count, int n) {
    const long long triangle = static_cast<long long>(n) * (n + 1) / 2;
    int result = 0;
    if (triangle > 0 && count >= triangle) {
        const long long whole = count / triangle;
        result += static_cast<int>(whole * n);
        count -= static_cast<int>(whole * triangle);
    }
    if (count > 0) result += TriangleSide(count);
    return result;
}

void TRLEEncoder::ResetCodes() {
    BumpAt = BumpInit;
    ClearAt = ClearInit;
    OutCount = 0;
    TableMax = 0;
    TGIFEncoder::ResetCodes();
    CodeWidth = StartWidth;
}

void TRLEEncoder::EmitPlain(unsigned code) {
    JustCleared = false;
    PackCode(code);
    ++OutCount;
    if (OutCount >= BumpAt) {
        BumpAt += 1 << CodeWidth;
        ++CodeWidth;
    }
    if (OutCount >= ClearAt) ResetCodes();
}

void TRLEEncoder::ResetClearAt() {
    ClearAt = ClearInit;
    if (OutCount >= ClearAt) ResetCodes();
}

void TRLEEncoder::FlushFromClear(int count) {
    ClearAt = MaxOutCodes;
    TablePixel = RunPixel;
    int k = 1;
    while (count > 0) {
        if (k == 1) {
            TableMax = 1;
            EmitPlain(static_cast<unsigned>(RunPixel));
            count -= 1;
        } else if (count >= k) {
            TableMax = k;
            EmitPlain(static_cast<unsigned>(FirstFree + k - 2));
            count -= k;
        } else if (count == 1) {
            ++TableMax;
            EmitPlain(static_cast<unsigned>(RunPixel));
            count = 0;
        } else {
            ++TableMax;
            EmitPlain(static_cast<unsigned>(FirstFree + count - 2));
            count = 0;
        }
        k = OutCount == 0 ? 1 : k + 1;
    }
    ResetClearAt();
}

void TRLEEncoder::FlushClearOrRepeat(int count) {
    if (1 + RunCodeCount(count, MaxOutCodes) < count) {
        ResetCodes();
        FlushFromClear(count);
        return;
    }
    for (; count > 0; --count) EmitPlain(static_cast<unsigned>(RunPixel));
}

void TRLEEncoder::FlushWithTable(int count) {
    int repeats = count / TableMax;
    int leftover = count % TableMax;
    int extra = leftover > 0 ? 1 : 0;
    if (OutCount + repeats + extra > MaxOutCodes) {
        repeats = MaxOutCodes - OutCount;
        leftover = count - repeats * TableMax;
        extra = 1 + RunCodeCount(leftover, MaxOutCodes);
    }
    if (1 + RunCodeCount(count, MaxOutCodes) < repeats + extra) {
        ResetCodes();
        FlushFromClear(count);
        return;
    }
    ClearAt = MaxOutCodes;
    for (; repeats > 0; --repeats) EmitPlain(static_cast<unsigned>(FirstFree + TableMax - 2));
    if (leftover > 0) {
        if (JustCleared)
            FlushFromClear(leftover);
        else if (leftover == 1)
            EmitPlain(static_cast<unsigned>(RunPixel));
        else
            EmitPlain(static_cast<unsigned>(FirstFree + leftover - 2));
    }
    ResetClearAt();
}

void TRLEEncoder::FlushRun(int count) {
    if (count == 1)
        EmitPlain(static_cast<unsigned>(RunPixel));
    else if (JustCleared)
        FlushFromClear(count);
    else if (TableMax >= 2 && TablePixel == RunPixel)
        FlushWithTable(count);
    else
        FlushClearOrRepeat(count);
}

void TRLEEncoder::EncodePixels() {
    BumpInit = ClearCode - 1;
    ClearInit = InitialCodeSize <= 3 ? 9 : ClearCode - 2;
    MaxOutCodes = 4095 - FirstFree;
    ResetCodes();
    RunPixel = -1;
    int length = 0;
    ForEachRow([&](const std::uint8_t* row, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            const int c = row[i];
            // A run is cut at 2^30 pixels so its length stays an int even for the
            // largest frames (65535 x 65535).
            if (c == RunPixel && length < (1 << 30)) {
                ++length;
                continue;
            }
            if (length > 0) FlushRun(length);
            RunPixel = c;
            length = 1;
        }
    });
    FlushRun(length);
}

// ---- Entry point ------------------------------------------------------------------------

void EncodeImageData(TStream& out, TGIFEncoding encoding, int bits, int colorLimit,
                     const std::uint8_t* pixels, bool interlaced, int height, int width) {
    if (encoding == encRLE) {
        TRLEEncoder encoder;
        encoder.Encode(out, bits, colorLimit, pixels, interlaced, height, width);
    } else {
        TLZWEncoder encoder;
        encoder.Encode(out, bits, colorLimit, pixels, interlaced, height, width);
    }
}
