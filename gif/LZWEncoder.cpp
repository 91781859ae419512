#include "gif/LZWEncoder.h"

#include <algorithm>
#include <cstring>
#include <future>

#include "raster/GIFException.h"
#include "gif/LZWInterlace.h"
#include "gif/LookaheadLZWEncoder.h"

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

// ---- TLZWCodeTable ---------------------------------------------------------------

TLZWCodeTable::TLZWCodeTable(std::size_t pixels) {
    // A generation holds at most 4096 entries, and never more than the pixels.
    const std::size_t entries = std::min<std::size_t>(pixels, 4096);
    bits_ = MinBits;
    while (bits_ < MaxBits && (std::size_t{1} << bits_) < entries * 8) ++bits_;
    mask_ = (1u << bits_) - 1;
    for (std::size_t i = 0; i < mix_.size(); ++i) mix_[i] = lzw_tables::PixelMix[i] & mask_;
    slots_ = std::make_unique<std::uint32_t[]>(std::size_t{1} << bits_);
    ResetTable();
}

void TLZWCodeTable::ResetTable() { std::fill_n(slots_.get(), std::size_t{1} << bits_, Empty); }

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

std::vector<std::uint8_t> TGIFEncoder::StoredPixels() const {
    std::vector<std::uint8_t> stored;
    stored.reserve(static_cast<std::size_t>(RowWidth) * static_cast<std::size_t>(RowCount));
    ForEachRow([&](const std::uint8_t* row, std::size_t n) { stored.insert(stored.end(), row, row + n); });
    return stored;
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

    FullTable = TFullTablePolicy(!keepFullTable_);
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
    AdvanceWidth(FreeCode);
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
    if (fastTable_) ClearCodes(*fastTable_);
    else if (table_) ClearCodes(*table_);
}

// Keeps the coder's state in locals for the duration of a stretch: member
// fields would be reloaded after every byte written, as byte stores may alias
// them.
struct TLZWEncoder::TCoderState {
    std::uint64_t bits;
    unsigned bitCount;
    unsigned width;
    unsigned maxCode;
    unsigned freeCode;
};

inline TLZWEncoder::TCoderState TLZWEncoder::LoadState() const {
    return {BitBuffer, static_cast<unsigned>(BitCount), static_cast<unsigned>(CodeWidth), MaxCode, FreeCode};
}

inline void TLZWEncoder::StoreState(const TCoderState& s) {
    BitBuffer = static_cast<std::uint32_t>(s.bits);
    BitCount = static_cast<int>(s.bitCount);
    CodeWidth = static_cast<int>(s.width);
    MaxCode = static_cast<std::uint16_t>(s.maxCode);
    FreeCode = static_cast<std::uint16_t>(s.freeCode);
}

// One stretch of predictable pixels (flat areas, repeated patterns): the
// one-entry cache per prefix code answers most lookups with one load, and
// its branch is then well predicted. Answers how many codes went out.
template <typename TTable>
std::size_t TLZWEncoder::EncodeRun(TTable& table, const std::uint8_t* pixels, std::size_t n,
                                   unsigned& prefixInOut) {
    unsigned prefix = prefixInOut;
    TCoderState s = LoadState();
    decltype(auto) dict = table.View();
    std::uint16_t* lastPixel = lastPixel_.data();
    std::uint16_t* lastChild = lastChild_.data();
    TGIFWriter& writer = *Writer;
    auto save = [&] {
        while (s.bitCount >= 8) {
            writer.PutByte(static_cast<std::uint8_t>(s.bits));
            s.bits >>= 8;
            s.bitCount -= 8;
        }
        StoreState(s);
    };

    std::size_t codes = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned c = pixels[i];
        if (lastPixel[prefix] == c) {
            prefix = lastChild[prefix];
            continue;
        }
        std::uint32_t slot;
        const int found = dict.Lookup(prefix, c, slot);
        if (found >= 0) {
            lastPixel[prefix] = static_cast<std::uint16_t>(c);
            lastChild[prefix] = static_cast<std::uint16_t>(found);
            prefix = static_cast<unsigned>(found);
            continue;
        }
        ++codes;
        // PutCode(prefix): pack, hand out whole 32-bit words, widen when the next
        // code to assign no longer fits (12 bits at most: MaxCode 4096).
        s.bits |= static_cast<std::uint64_t>(TTable::CodeOf(prefix)) << s.bitCount;
        s.bitCount += s.width;
        if (s.bitCount >= 32) {
            writer.PutWord(static_cast<std::uint32_t>(s.bits));
            s.bits >>= 32;
            s.bitCount -= 32;
        }
        if (s.maxCode < s.freeCode) {
            ++s.width;
            s.maxCode = s.width == 12 ? 4096 : (1u << s.width) - 1;
        }
        if (s.freeCode > 4094) {
            if (FullTableShouldClear(stretchStart_ + i, s.freeCode)) {
                save();
                ClearCodes(table);
                s = LoadState();
            }
        } else {
            const unsigned id = TTable::IdOf(s.freeCode);
            dict.StoreAt(slot, prefix, c, id);
            lastPixel[prefix] = static_cast<std::uint16_t>(c);
            lastChild[prefix] = static_cast<std::uint16_t>(id);
            ++s.freeCode;
        }
        prefix = c;
    }
    save();
    prefixInOut = prefix;
    return codes;
}

// One stretch of noisy pixels (photographs): strings are short and the cache
// mostly misses, so only the dictionary is asked, and the cache is left as it
// is. That is safe because an entry never changes within a generation: what
// the cache still holds stays true until the next clear empties it. Codes are
// packed into a local buffer with one unconditional 8-byte store each, so
// writing out takes no branch. Answers how many codes went out.
template <typename TTable>
std::size_t TLZWEncoder::EncodeRunNoisy(TTable& table, const std::uint8_t* pixels, std::size_t n,
                                        unsigned& prefixInOut) {
    // At most one code per pixel plus a clear code, 12 bits each, and room for
    // the 8-byte store past the last whole byte.
    std::array<std::uint8_t, RunLength * 3 / 2 + 16> buffer;
    std::uint8_t* out = buffer.data();
    unsigned prefix = prefixInOut;
    TCoderState s = LoadState();
    decltype(auto) dict = table.View();
    TGIFWriter& writer = *Writer;

    std::size_t codes = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned c = pixels[i];
        std::uint32_t slot;
        const int found = dict.Lookup(prefix, c, slot);
        if (found >= 0) {
            prefix = static_cast<unsigned>(found);
            continue;
        }
        ++codes;
        s.bits |= static_cast<std::uint64_t>(TTable::CodeOf(prefix)) << s.bitCount;
        s.bitCount += s.width;
        std::memcpy(out, &s.bits, sizeof s.bits);
        out += s.bitCount >> 3;
        s.bits >>= s.bitCount & ~7u;
        s.bitCount &= 7;
        if (s.maxCode < s.freeCode) {
            ++s.width;
            s.maxCode = s.width == 12 ? 4096 : (1u << s.width) - 1;
        }
        if (s.freeCode > 4094) {
            if (FullTableShouldClear(stretchStart_ + i, s.freeCode)) {
                writer.Write(buffer.data(), static_cast<std::size_t>(out - buffer.data()));
                out = buffer.data();
                StoreState(s);
                ClearCodes(table);
                s = LoadState();
            }
        } else {
            dict.StoreAt(slot, prefix, c, TTable::IdOf(s.freeCode));
            ++s.freeCode;
        }
        prefix = c;
    }
    writer.Write(buffer.data(), static_cast<std::size_t>(out - buffer.data()));
    StoreState(s);
    prefixInOut = prefix;
    return codes;
}

template <typename TTable>
void TLZWEncoder::EncodeWith(TTable& table) {
    ClearCodes(table);
    std::size_t fed = 0;  // pixels of the rows before this one
    bool first = true;
    bool predictable = true;
    ForEachRow([&](const std::uint8_t* row, std::size_t n) {
        std::size_t i = 0;
        if (first) {
            Prefix = row[0];
            i = 1;
            first = false;
        }
        unsigned prefix = Prefix;
        // Long strings (few codes per pixel) are what the cache is good at.
        while (i < n) {
            const std::size_t k = std::min(RunLength, n - i);
            stretchStart_ = fed + i;
            const std::size_t codes = predictable ? EncodeRun(table, row + i, k, prefix)
                                                  : EncodeRunNoisy(table, row + i, k, prefix);
            predictable = codes * PixelsPerCodeForCache < k;
            i += k;
        }
        fed += n;
        Prefix = static_cast<std::uint16_t>(prefix);
    });
    PutCodeFinal(TTable::CodeOf(Prefix));
}

void TLZWEncoder::EncodePixels() {
    if (useHashTable_) {
        table_ = std::make_unique<THashTable>();
        EncodeWith(*table_);
    } else {
        fastTable_ = std::make_unique<TLZWCodeTable>(static_cast<std::size_t>(RowWidth) * static_cast<std::size_t>(RowCount));
        EncodeWith(*fastTable_);
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

namespace {
// The lookahead parses the best encoding tries beside the greedy one.
constexpr std::pair<int, std::size_t> kLookaheads[2] = {{2, 1}, {3, 2}};

// The data of one parse, with a full table cleared when it stops paying
// and, where it was, kept to the end instead: the shorter.
template <typename TMake>
TMemoryStream EncodedBothWays(TMake make, int bits, int colorLimit, const std::uint8_t* pixels, bool interlaced,
                              int height, int width) {
    TMemoryStream data;
    auto encoder = make();
    encoder.Encode(data, bits, colorLimit, pixels, interlaced, height, width);
    if (!encoder.TableCleared()) return data;
    TMemoryStream kept;
    auto keeping = make();
    keeping.KeepFullTable(true);
    keeping.Encode(kept, bits, colorLimit, pixels, interlaced, height, width);
    return kept.Size() < data.Size() ? std::move(kept) : std::move(data);
}
}  // namespace

void EncodeImageData(TStream& out, TGIFEncoding encoding, int bits, int colorLimit,
                     const std::uint8_t* pixels, bool interlaced, int height, int width) {
    if (encoding != encLZWBest) {
        EncodeImageDataOnce(out, encoding, bits, colorLimit, pixels, interlaced, height, width);
        return;
    }
    // Which parse wins depends on the picture: each is tried (the slower two
    // side by side), each also keeping a full table it cleared, the shortest kept.
    auto lookahead = [=](int horizon, std::size_t margin) {
        return EncodedBothWays([=] { return TLookaheadLZWEncoder(horizon, margin); }, bits, colorLimit, pixels,
                               interlaced, height, width);
    };
    std::future<TMemoryStream> further =
        std::async(std::launch::async, lookahead, kLookaheads[1].first, kLookaheads[1].second);
    TMemoryStream best = lookahead(kLookaheads[0].first, kLookaheads[0].second);
    TMemoryStream greedy =
        EncodedBothWays([] { return TLZWEncoder(); }, bits, colorLimit, pixels, interlaced, height, width);
    if (greedy.Size() <= best.Size()) best = std::move(greedy);
    TMemoryStream other = further.get();
    if (other.Size() < best.Size()) best = std::move(other);
    out.Write(best.Data(), static_cast<std::size_t>(best.Size()));
}

void EncodeImageDataOnce(TStream& out, TGIFEncoding encoding, int bits, int colorLimit,
                         const std::uint8_t* pixels, bool interlaced, int height, int width) {
    if (encoding == encRLE) TRLEEncoder().Encode(out, bits, colorLimit, pixels, interlaced, height, width);
    else TLZWEncoder().Encode(out, bits, colorLimit, pixels, interlaced, height, width);
}

void EncodeImageDataLookingAhead(TStream& out, int bits, int colorLimit, const std::uint8_t* pixels,
                                 bool interlaced, int height, int width) {
    TLookaheadLZWEncoder(3, 1).Encode(out, bits, colorLimit, pixels, interlaced, height, width);
}
