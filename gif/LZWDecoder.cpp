#include "gif/LZWDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>

#include "raster/GIFException.h"
#include "gif/KeptImageData.h"
#include "gif/LZWInterlace.h"

namespace {

constexpr std::size_t Padding = 8;

inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

inline void Store64(std::uint8_t* p, std::uint64_t v) {
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    std::memcpy(p, &v, sizeof v);
}

void Warn(const TGIFWarnFn& warn, const char* text) {
    if (warn) warn(text);
}

// Walks the sub-block chain in place when the bytes are already in memory: two
// virtual calls per sub-block add up on large frames.
bool GatherFromMemory(TStream& in, TLZWData& data, const TGIFWarnFn& warn) {
    auto* memory = dynamic_cast<TMemoryStream*>(&in);
    if (!memory || !memory->Data()) return false;
    const std::uint8_t* bytes = memory->Data();
    const std::size_t size = static_cast<std::size_t>(memory->Size());
    std::size_t pos = static_cast<std::size_t>(memory->Position());
    // First pass: measure, so the buffer is allocated once.
    std::size_t total = 0;
    for (std::size_t p = pos; p < size;) {
        const std::size_t length = bytes[p++];
        if (length == 0) break;
        const std::size_t avail = std::min(length, size - p);
        total += avail;
        p += avail;
    }
    data.Bytes.resize(total + Padding);
    std::uint8_t* dst = data.Bytes.data();
    while (pos < size) {
        const std::size_t length = bytes[pos++];
        if (length == 0) {
            data.BlockEndSeen = true;
            break;
        }
        const std::size_t avail = std::min(length, size - pos);
        std::memcpy(dst, bytes + pos, avail);
        dst += avail;
        pos += avail;
        if (avail < length) Warn(warn, "Premature end of data");
    }
    data.Size = total;
    memory->SetPosition(static_cast<std::int64_t>(pos));
    return true;
}

}  // namespace

void GatherLZWData(TStream& in, TLZWData& data, const TGIFWarnFn& warn) {
    data.Bytes.clear();
    data.Size = 0;
    data.BlockEndSeen = false;
    if (GatherFromMemory(in, data, warn)) {
        std::memset(data.Bytes.data() + data.Size, 0, Padding);
        return;
    }
    std::uint8_t block[255];
    for (;;) {
        const int length = in.ReadByte();
        if (length < 0) break;
        if (length == 0) {
            data.BlockEndSeen = true;
            break;
        }
        const std::size_t got = in.Read(block, static_cast<std::size_t>(length));
        data.Bytes.insert(data.Bytes.end(), block, block + got);
        if (got < static_cast<std::size_t>(length)) {
            Warn(warn, "Premature end of data");
            break;
        }
    }
    data.Size = data.Bytes.size();
    data.Bytes.resize(data.Size + Padding, 0);
}

TLZWDecoder::TLZWDecoder(int codeSize)
    : codeSize_(codeSize), clearCode_(1u << codeSize), endCode_((1u << codeSize) + 1) {
    // Literals never change; indices wider than a byte keep their low byte, as
    // the pixels are bytes.
    for (unsigned code = 0; code < clearCode_; ++code)
        table_[code] = TEntry{code & 0xFF, 0, 1, static_cast<std::uint8_t>(code)};
}

// A string of up to 8 bytes is held by its entry; a longer one is copied
// from where it appeared before: its source ends before `pos`, at least 8
// bytes back (a string that repeats its own start, as in a run, is the
// previous one plus its first byte, one string length back), so every 8-byte
// word read in order is already written. The first 16 bytes are two words
// from either place, chosen without a branch (short and long strings come in
// unpredictable order); past that, where the source is 64 or more bytes
// back, the next 48 bytes are copied at once and the rest in 16-byte words,
// and where it is 16 or more back, all in 16-byte words. Writes up to 47
// bytes past the string.
inline void TLZWDecoder::CopyStringFast(const TEntry& entry, std::uint8_t* out, std::size_t pos) {
    std::uint8_t* dst = out + pos;
    const std::uint8_t* src = out + entry.offset;
    if constexpr (std::endian::native == std::endian::little) {
        // A short string's bytes are its entry's first; the rest of the
        // entry lands past it.
        const std::uint8_t* from = entry.length <= 8 ? reinterpret_cast<const std::uint8_t*>(&entry) : src;
        std::uint64_t word;
        std::memcpy(&word, from, 8);
        std::memcpy(dst, &word, 8);
        std::memcpy(&word, from + 8, 8);
        std::memcpy(dst + 8, &word, 8);
        if (entry.length <= 16) return;
    } else if (entry.length <= 8) {
        Store64(dst, entry.tail);
        return;
    }
    unsigned i = std::endian::native == std::endian::little ? 16 : 0;
    if (std::endian::native == std::endian::little && pos - entry.offset >= 64) {
        // Most strings of patterned pictures end within 64 bytes: copied in
        // one go, with no loop whose count the branch predictor must guess.
        std::uint8_t words[48];
        std::memcpy(words, src + 16, 48);
        std::memcpy(dst + 16, words, 48);
        for (i = 64; i < entry.length; i += 16) {
            std::uint8_t word[16];
            std::memcpy(word, src + i, 16);
            std::memcpy(dst + i, word, 16);
        }
        return;
    }
    if (pos - entry.offset >= 16) {
        for (; i < entry.length; i += 16) {
            std::uint8_t word[16];
            std::memcpy(word, src + i, 16);
            std::memcpy(dst + i, word, 16);
        }
        return;
    }
    for (; i < entry.length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, src + i, 8);
        std::memcpy(dst + i, &word, 8);
    }
}

void TLZWDecoder::CopyStringExact(unsigned code, std::uint8_t* out, std::size_t pos, std::size_t limit) const {
    const TEntry& entry = table_[code];
    limit = std::min<std::size_t>(limit, entry.length);
    if (entry.length <= 8) {
        std::uint8_t buffer[8];
        Store64(buffer, entry.tail);
        std::memcpy(out + pos, buffer, limit);
        return;
    }
    for (std::size_t i = 0; i < limit; ++i) out[pos + i] = out[entry.offset + i];  // byte by byte: may overlap
}

std::size_t TLZWDecoder::Decode(const TLZWData& data, std::uint8_t* out, std::size_t count,
                                std::size_t capacity, std::uint8_t fill, TStop& stop) {
    stop = TStop::Done;
    if (count == 0) return 0;
    const std::uint8_t* src = data.Bytes.data();
    const std::uint64_t bitEnd = std::uint64_t{data.Size} * 8;
    std::uint64_t bitPos = 0;
    std::size_t pos = 0;
    // Strings copied with the word copy must end this far before `capacity`.
    constexpr std::size_t kSlack = 64;
    const std::size_t fastEnd = std::min(count, capacity >= kSlack ? capacity - kSlack : 0);
    // The word copy scribbles up to 47 bytes past a string; later strings
    // cover that, but past the last one it must be put back to the caller's fill.

    // The table state lives in locals: as members it would be reloaded after
    // every pixel store, since byte stores may alias anything. The first code
    // is read as if after a clear code, which sets them.
    unsigned size = 0, limit = 0, nextFree = 0;
    const unsigned clearCode = clearCode_, endCode = endCode_;
    TEntry* table = table_.data();
    // The previous string's entry, kept here: the next entry extends it.
    unsigned oldCode = 0;
    std::size_t oldStart = 0;  // where the previous string was written
    auto readCode = [&](unsigned& code) {
        if (bitPos + size > bitEnd) return false;
        code = static_cast<unsigned>(Load64(src + (bitPos >> 3)) >> (bitPos & 7)) & (limit - 1);
        bitPos += size;
        return true;
    };

    stop = TStop::Done;
    unsigned code = clearCode;  // the stream starts as if a clear code had been read
    for (;;) {
        if (code == clearCode) {
            size = static_cast<unsigned>(codeSize_) + 1;
            limit = 1u << size;
            nextFree = clearCode + 2;
            // The first code after a clear is a literal with no entry to add.
            do {
                if (!readCode(code)) {
                    stop = TStop::OutOfData;
                    goto done;
                }
            } while (code == clearCode);
            if (code == endCode) {
                stop = TStop::EndCode;
                break;
            }
            if (code > endCode) {
                stop = TStop::InvalidCode;
                break;
            }
            oldStart = pos;
            out[pos++] = static_cast<std::uint8_t>(code);
            oldCode = code;
        }
        if (pos >= count) break;
        if (!readCode(code)) {
            stop = TStop::OutOfData;
            break;
        }
        // Literals and strings take one path: a literal is a string of length
        // one in the table, and in photographic data the two come in random
        // order, so a branch between them would mostly be mispredicted.
        if (code - clearCode <= 1) {  // clear or end code, both rare
            if (code == clearCode) continue;
            stop = TStop::EndCode;
            break;
        }
        if (code > nextFree) {
            stop = TStop::InvalidCode;
            break;
        }
        // The new entry: the previous string plus the first byte of this one
        // (code == nextFree is the string being defined by this very code: the
        // previous string plus its own first byte).
        {
            const TEntry& p = table[oldCode];
            const std::uint8_t byte = table[code == nextFree ? oldCode : code].first;
            const unsigned used = (p.length - 1u) % 8 + 1;  // bytes in the previous tail
            TEntry& added = table[nextFree];
            added.tail = used == 8 ? byte : p.tail | (std::uint64_t{byte} << (8 * used));
            added.offset = static_cast<std::uint32_t>(oldStart);
            added.length = static_cast<std::uint16_t>(p.length + 1);
            added.first = p.first;
            if (nextFree < MaxCodes) {
                ++nextFree;
                if (nextFree >= limit && limit < MaxCodes) {
                    limit *= 2;
                    ++size;
                }
            }
        }
        oldCode = code;
        const TEntry& old = table[code];
        oldStart = pos;
        if (pos + old.length <= fastEnd) {
            CopyStringFast(old, out, pos);
            pos += old.length;
        } else {
            const std::size_t n = std::min<std::size_t>(old.length, count - pos);
            CopyStringExact(code, out, pos, n);
            pos += n;
        }
    }
done:
    std::memset(out + pos, fill, std::min<std::size_t>(kSlack, capacity - pos));
    return pos;
}

namespace {
// Moves the rows of `pixels`, held in interlaced stream order, to display
// order in place: one row of scratch, each row copied once (plus one per cycle
// of the permutation).
void DeinterlaceInPlace(std::uint8_t* pixels, std::size_t width, std::size_t height) {
    const std::vector<int> rows = InterlacedRowOrder(static_cast<int>(height));
    std::vector<int> from(height);  // display row -> stream row
    for (std::size_t i = 0; i < height; ++i) from[static_cast<std::size_t>(rows[i])] = static_cast<int>(i);
    std::vector<bool> placed(height);
    std::vector<std::uint8_t> held(width);
    auto row = [&](std::size_t r) { return pixels + r * width; };
    for (std::size_t start = 0; start < height; ++start) {
        if (placed[start] || static_cast<std::size_t>(from[start]) == start) continue;
        std::memcpy(held.data(), row(start), width);  // stream row `start`
        std::size_t at = start;
        for (;;) {
            placed[at] = true;
            const std::size_t source = static_cast<std::size_t>(from[at]);
            if (source == start) {
                std::memcpy(row(at), held.data(), width);
                break;
            }
            std::memcpy(row(at), row(source), width);
            at = source;
        }
    }
}
}  // namespace

void DecodeImageData(TStream& in, std::uint8_t* pixels, int width, int height, bool interlaced,
                     const TGIFWarnFn& warn, std::uint8_t fill) {
    DecodeImageData(in, pixels, width, height, interlaced, warn, fill, nullptr);
}

void DecodeImageData(TStream& in, std::uint8_t* pixels, int width, int height, bool interlaced,
                     const TGIFWarnFn& warn, std::uint8_t fill, TReadImageData* read) {
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    const std::size_t h = height > 0 ? static_cast<std::size_t>(height) : 0;
    const std::size_t count = w * h;
    std::size_t decoded = 0;
    // Whatever is not decoded (data missing or corrupt) shows the fill.
    struct TFillRest {
        std::uint8_t* pixels;
        std::size_t count;
        const std::size_t& decoded;
        std::uint8_t fill;
        ~TFillRest() {
            if (decoded < count) std::memset(pixels + decoded, fill, count - decoded);
        }
    };

    const int codeSize = in.ReadByte();
    if (codeSize < 0) {  // no image data at all
        if (count) std::memset(pixels, fill, count);
        return;
    }
    TLZWData data;
    {
        TFillRest rest{pixels, count, decoded, fill};
        GatherLZWData(in, data, warn);
        // Above 11 the codes no longer fit the 4096-entry table: nothing can be
        // decoded, but the frame keeps its place and fill, and the frames after
        // it are read. Code sizes 0 and 1, below the format's minimum of 2, are
        // read as other decoders read them.
        if (codeSize > 11) {
            Warn(warn, "Invalid GIF data");
            return;
        }
        if (count == 0) return;
        TLZWDecoder decoder(codeSize);  // 64 KiB of table: on the stack, not asked of the heap per frame
        TLZWDecoder::TStop stop = TLZWDecoder::TStop::Done;
        decoded = decoder.Decode(data, pixels, count, count, fill, stop);
        switch (stop) {
            case TLZWDecoder::TStop::OutOfData:
                // Data that simply stops at the end of the stream was already reported
                // (or the file just ends); a terminated stream short of bits is reported here.
                if (data.BlockEndSeen) Warn(warn, "Decoder bit buffer under-run");
                break;
            case TLZWDecoder::TStop::InvalidCode:
                Warn(warn, "Invalid GIF data");
                break;
            case TLZWDecoder::TStop::Done:
            case TLZWDecoder::TStop::EndCode:
                // Whole and sound (a code size the format allows): worth keeping.
                if (read && decoded == count && data.BlockEndSeen && codeSize >= 2 && codeSize <= 8) {
                    read->CodeSize = codeSize;
                    data.Bytes.resize(data.Size);
                    read->Bytes = std::move(data.Bytes);
                }
                break;
        }
    }
    // Decoded in stream order; the rows (or the part of a row) never reached
    // hold the fill wherever they end up.
    if (interlaced && h > 1) DeinterlaceInPlace(pixels, w, h);
}

void DecodeImageData(TStream& in, std::uint8_t* pixels, int width, int height, bool interlaced,
                     const TGIFWarnFn& warn) {
    const std::uint8_t fill = width > 0 && height > 0 ? pixels[0] : 0;
    DecodeImageData(in, pixels, width, height, interlaced, warn, fill);
}

std::uint64_t MaxDecodablePixels(std::uint64_t byteCount) {
    // A code of width w names one of at most 2^w strings, each no longer than
    // 2^w pixels; 4096 pixels per 12 bits is the best any code does.
    constexpr std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() / 4096 / 8;
    if (byteCount >= limit) return std::numeric_limits<std::uint64_t>::max();
    return (byteCount * 8 * 4096 + 11) / 12 + 4096;
}
