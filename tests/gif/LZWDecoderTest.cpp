// The image-data decoder: hand-built code streams with known meaning, damaged
// and hostile data, and a cross-check of the table-driven decoder against a
// plain stack-based decoder on random and truncated streams.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "raster/GIFException.h"
#include "gif/LZW.h"
#include "gif/LZWDecoder.h"
#include "gif/LZWInterlace.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Packs codes LSB first, the way GIF image data stores them.
class TCodeWriter {
public:
    void Put(unsigned code, int width) {
        acc_ |= static_cast<std::uint64_t>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(acc_));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    Bytes Finish() {
        if (bits_ > 0) out_.push_back(static_cast<std::uint8_t>(acc_));
        bits_ = 0;
        acc_ = 0;
        return out_;
    }

private:
    Bytes out_;
    std::uint64_t acc_ = 0;
    int bits_ = 0;
};

// Frames raw LZW bytes as image data: code size byte, sub-blocks of `blockSize`
// bytes, and (optionally) the zero-length terminator.
Bytes Frame(int codeSize, const Bytes& raw, std::size_t blockSize = 255, bool terminate = true) {
    Bytes out{static_cast<std::uint8_t>(codeSize)};
    for (std::size_t i = 0; i < raw.size(); i += blockSize) {
        const std::size_t n = std::min(blockSize, raw.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(i),
                   raw.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    if (terminate) out.push_back(0);
    return out;
}

struct TResult {
    Bytes pixels;
    std::vector<std::string> warnings;
    std::string error;
    std::int64_t position = 0;
};

TResult Decode(const Bytes& data, int width, int height, bool interlaced = false,
               std::uint8_t fill = 0xEE) {
    TResult r;
    r.pixels.assign(static_cast<std::size_t>(width) * height, fill);
    TMemoryStream in(data.data(), data.size());
    try {
        DecodeImageData(in, r.pixels.data(), width, height, interlaced,
                        [&](const std::string& text) { r.warnings.push_back(text); });
    } catch (const GIFException& e) {
        r.error = e.what();
    }
    r.position = in.Position();
    return r;
}

// A plain decoder written straight from the algorithm: a bit reader that pulls
// sub-blocks on demand, prefix/suffix tables, and a pixel stack popped one index
// at a time. Used to cross-check the table-driven decoder.
class TReferenceDecoder {
public:
    TReferenceDecoder(TStream& in, const TGIFWarnFn& warn) : in_(in), warn_(warn) {}

    void Run(std::uint8_t* pixels, int width, int height, bool interlaced) {
        const int codeSize = in_.ReadByte();
        if (codeSize < 0) return;
        if (codeSize < 1 || codeSize > 11) throw GIFException("Invalid GIF data");
        s_ = codeSize;
        clear_ = 1 << s_;
        end_ = clear_ + 1;
        std::vector<int> rows;
        if (interlaced) rows = InterlacedRowOrder(height);
        bool stopped = false;
        for (int r = 0; r < height && !stopped; ++r) {
            const int row = interlaced ? rows[static_cast<std::size_t>(r)] : r;
            for (int x = 0; x < width; ++x) {
                const int index = NextIndex();
                if (index == -3) WarnText("Invalid GIF data");
                if (index < 0) {
                    stopped = true;
                    break;
                }
                pixels[static_cast<std::size_t>(row) * width + x] = static_cast<std::uint8_t>(index);
            }
        }
        SkipRest();
    }

private:
    void WarnText(const char* text) {
        if (warn_) warn_(text);
    }

    int ReadCode(int size) {
        if (firstRequest_) {
            firstRequest_ = false;
            return clear_;
        }
        while (bits_ < size) {
            if (dataEnded_) {
                WarnText("Decoder bit buffer under-run");
                return -1;
            }
            if (eof_) return -1;
            if (blockLeft_ == 0) {
                const int length = in_.ReadByte();
                if (length < 0) {
                    eof_ = true;
                    return -1;
                }
                if (length == 0) {
                    dataEnded_ = true;
                    continue;
                }
                blockLeft_ = length;
            }
            const int b = in_.ReadByte();
            if (b < 0) {
                WarnText("Premature end of data");
                eof_ = true;
                return -1;
            }
            --blockLeft_;
            acc_ |= static_cast<std::uint64_t>(b) << bits_;
            bits_ += 8;
        }
        const int code = static_cast<int>(acc_ & ((1u << size) - 1));
        acc_ >>= size;
        bits_ -= size;
        return code;
    }

    void SkipRest() {
        if (dataEnded_ || eof_) return;
        for (;;) {
            while (blockLeft_ > 0) {
                if (in_.ReadByte() < 0) {
                    WarnText("Premature end of data");
                    return;
                }
                --blockLeft_;
            }
            const int length = in_.ReadByte();
            if (length <= 0) return;
            blockLeft_ = length;
        }
    }

    int NextIndex() {
        if (!stack_.empty()) {
            const int v = stack_.back();
            stack_.pop_back();
            return v;
        }
        int code = ReadCode(size_);
        if (code < 0) return code;
        if (code == clear_) {
            for (int i = 0; i < 4096; ++i) {
                prefix_[i] = 0;
                suffix_[i] = i < clear_ ? i : 0;
            }
            size_ = s_ + 1;
            limit_ = 2 * clear_;
            nextFree_ = clear_ + 2;
            do code = ReadCode(size_);
            while (code == clear_);
            if (code < 0) return code;
            if (code == end_) return -2;
            if (code > end_) return -3;  // the first code after a clear must be a literal
            first_ = old_ = code;
            return code;
        }
        if (code == end_) return -2;
        if (code > nextFree_) return -3;
        const int in = code;
        if (code == nextFree_) {
            stack_.push_back(first_);
            code = old_;
        }
        while (code >= clear_) {
            stack_.push_back(suffix_[code]);
            if (prefix_[code] == code || stack_.size() > 8192) throw GIFException("Circular decoder table entry");
            code = prefix_[code];
        }
        first_ = suffix_[code];
        stack_.push_back(first_);
        if (nextFree_ <= 4095) {
            prefix_[nextFree_] = old_;
            suffix_[nextFree_] = first_;
            ++nextFree_;
            if (nextFree_ >= limit_ && limit_ <= 4095) {
                limit_ *= 2;
                ++size_;
            }
        }
        old_ = in;
        const int v = stack_.back();
        stack_.pop_back();
        return v;
    }

    TStream& in_;
    TGIFWarnFn warn_;
    int s_ = 0, clear_ = 0, end_ = 0, size_ = 0, limit_ = 0, nextFree_ = 0;
    int first_ = 0, old_ = 0;
    int prefix_[4096] = {}, suffix_[4096] = {};
    std::vector<int> stack_;
    bool firstRequest_ = true, dataEnded_ = false, eof_ = false;
    std::uint64_t acc_ = 0;
    int bits_ = 0, blockLeft_ = 0;
};

TResult DecodeReference(const Bytes& data, int width, int height, bool interlaced = false,
                        std::uint8_t fill = 0xEE) {
    TResult r;
    r.pixels.assign(static_cast<std::size_t>(width) * height, fill);
    TMemoryStream in(data.data(), data.size());
    try {
        TReferenceDecoder(in, [&](const std::string& text) { r.warnings.push_back(text); })
            .Run(r.pixels.data(), width, height, interlaced);
    } catch (const GIFException& e) {
        r.error = e.what();
    }
    r.position = in.Position();
    return r;
}

// Compares two decodes; warnings are compared as sets since the two decoders
// may notice a short sub-block and a bad code in either order.
void ExpectSame(TResult have, TResult want, const std::string& what) {
    std::sort(have.warnings.begin(), have.warnings.end());
    std::sort(want.warnings.begin(), want.warnings.end());
    EXPECT_EQ(have.error, want.error) << what;
    EXPECT_EQ(have.warnings, want.warnings) << what;
    EXPECT_EQ(have.position, want.position) << what;
    ASSERT_EQ(have.pixels.size(), want.pixels.size()) << what;
    for (std::size_t i = 0; i < have.pixels.size(); ++i)
        ASSERT_EQ(have.pixels[i], want.pixels[i]) << what << ", pixel " << i;
}

// Encodes pixels with our LZW encoder, for streams with real structure.
Bytes Encode(const Bytes& pixels, int width, int height, int bits, bool interlaced = false,
             TGIFEncoding encoding = encLZW) {
    TMemoryStream out;
    EncodeImageData(out, encoding, bits, 1 << bits, pixels.data(), interlaced, height, width);
    return out.TakeBytes();
}

}  // namespace

TEST(LZWDecoder, HandBuiltStreamWithRepeatCode) {
    // Code size 2: Clear 4, End 5, first free 6, 3-bit codes. Literal 1, then
    // code 6 before it is defined ("1 1": previous string plus its first byte),
    // then 6 again; entry 7 fills the 3-bit range, so the end code takes 4 bits.
    TCodeWriter w;
    w.Put(4, 3);
    w.Put(1, 3);
    w.Put(6, 3);
    w.Put(6, 3);
    w.Put(5, 4);
    const TResult r = Decode(Frame(2, w.Finish()), 5, 1);
    EXPECT_EQ(r.pixels, (Bytes{1, 1, 1, 1, 1}));
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.error, "");
}

TEST(LZWDecoder, CodeWidthGrowsWhenTableReachesLimit) {
    // Code size 2: after codes 6 and 7 are assigned the width becomes 4 bits.
    TCodeWriter w;
    w.Put(4, 3);
    w.Put(0, 3);  // first code, no entry
    w.Put(1, 3);  // entry 6 = 0 1
    w.Put(2, 3);  // entry 7 = 1 2, next free 8: width 4
    w.Put(6, 4);  // 0 1; entry 8 = 2 0
    w.Put(8, 4);  // 2 0
    w.Put(5, 4);
    const TResult r = Decode(Frame(2, w.Finish()), 7, 1);
    EXPECT_EQ(r.pixels, (Bytes{0, 1, 2, 0, 1, 2, 0}));
    EXPECT_TRUE(r.warnings.empty());
}

TEST(LZWDecoder, CodeSizeBounds) {
    // Below code size 2 decoders disagree on when codes first widen; ours
    // follows the classic rule (and ImageMagick): after the table's first new
    // entry, as at every size. Code size 1: Clear 2, End 3, first free 4.
    TCodeWriter w;
    w.Put(2, 2);
    w.Put(1, 2);
    w.Put(0, 2);  // entry 4 = 1 0, next free 5 >= 4: width 3
    w.Put(4, 3);  // entry 5 = 0 1
    w.Put(3, 3);
    TResult r = Decode(Frame(1, w.Finish()), 5, 1);
    EXPECT_EQ(r.pixels, (Bytes{1, 0, 1, 0, 0xEE}));
    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(r.warnings.empty());

    // Code size 0 leaves the single literal 0: Clear 1, End 2, first free 3;
    // 1-bit codes until the first entry, then 2, then 3.
    w = TCodeWriter();
    w.Put(1, 1);
    w.Put(0, 1);
    w.Put(0, 1);  // entry 3 = 0 0, next free 4: width 2
    w.Put(3, 2);  // entry 4 = 0 0 0, next free 5: width 3
    w.Put(2, 3);
    r = Decode(Frame(0, w.Finish()), 5, 1);
    EXPECT_EQ(r.pixels, (Bytes{0, 0, 0, 0, 0xEE}));
    EXPECT_EQ(r.error, "");

    // Anything above 11 cannot be decoded with a 4096-entry table: the frame
    // keeps its fill, with a warning.
    for (int size : {12, 13, 200, 255}) {
        r = Decode(Frame(size, Bytes{0xFF, 0xFF}), 4, 4);
        EXPECT_EQ(r.error, "") << "code size " << size;
        EXPECT_EQ(r.warnings, std::vector<std::string>{"Invalid GIF data"}) << "code size " << size;
        EXPECT_EQ(r.pixels, Bytes(16, 0xEE)) << "code size " << size;
    }
    // 11 is the widest accepted: 12-bit codes from the start.
    w = TCodeWriter();
    w.Put(2048, 12);
    w.Put(300, 12);
    w.Put(2049, 12);
    r = Decode(Frame(11, w.Finish()), 1, 1);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.pixels, (Bytes{300 & 0xFF}));
}

TEST(LZWDecoder, NoImageDataKeepsFill) {
    const TResult r = Decode(Bytes{}, 3, 2);
    EXPECT_EQ(r.pixels, Bytes(6, 0xEE));
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.error, "");
}

TEST(LZWDecoder, DamagedDataKeepsFillAndWarns) {
    Bytes pixels(40 * 30);
    std::mt19937 rng(7);
    for (auto& p : pixels) p = static_cast<std::uint8_t>(rng() % 16);
    const Bytes good = Encode(pixels, 40, 30, 4);
    Bytes raw(good.begin() + 2, good.begin() + 2 + good[1]);  // the first sub-block's data

    struct TCase {
        const char* name;
        Bytes data;
        std::vector<std::string> warnings;
    } cases[] = {
        // A sub-block that claims more bytes than the stream holds.
        {"cut inside a sub-block", Bytes(good.begin(), good.begin() + 100), {"Premature end of data"}},
        // The terminator comes before the pixels are complete.
        {"terminated early", Frame(4, Bytes(raw.begin(), raw.begin() + 100)), {"Decoder bit buffer under-run"}},
        // The stream simply ends between sub-blocks.
        {"ends between sub-blocks", Frame(4, Bytes(raw.begin(), raw.begin() + 100), 50, false), {}},
    };
    for (const TCase& c : cases) {
        for (std::uint8_t fill : {0, 5}) {
            const TResult r = Decode(c.data, 40, 30, false, fill);
            EXPECT_EQ(r.warnings, c.warnings) << c.name;
            EXPECT_EQ(r.error, "") << c.name;
            // Some prefix decodes as the original, everything after it is fill.
            std::size_t same = 0;
            while (same < pixels.size() && r.pixels[same] == pixels[same]) ++same;
            EXPECT_GT(same, 50u) << c.name;
            EXPECT_LT(same, pixels.size()) << c.name;
            std::size_t filled = pixels.size();
            while (filled > 0 && r.pixels[filled - 1] == fill) --filled;
            EXPECT_LE(filled, same + 1) << c.name << ": pixels after the decoded part must keep the fill";
            ExpectSame(r, DecodeReference(c.data, 40, 30, false, fill), c.name);
        }
    }
}

TEST(LZWDecoder, EndCodeEarlyStopsAndSkipsRemainingData) {
    TCodeWriter w;
    w.Put(256, 9);
    w.Put(7, 9);
    w.Put(257, 9);
    w.Put(9, 9);  // after the end code: never decoded
    Bytes data = Frame(8, w.Finish());
    data.push_back(';');
    const TResult r = Decode(data, 3, 1);
    EXPECT_EQ(r.pixels, (Bytes{7, 0xEE, 0xEE}));
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.position, static_cast<std::int64_t>(data.size() - 1)) << "stream stands on the trailer";
}

TEST(LZWDecoder, ClearThenEndIsAnEmptyImage) {
    TCodeWriter w;
    w.Put(256, 9);
    w.Put(257, 9);
    const TResult r = Decode(Frame(8, w.Finish()), 2, 2);
    EXPECT_EQ(r.pixels, Bytes(4, 0xEE));
    EXPECT_TRUE(r.warnings.empty());
}

TEST(LZWDecoder, SurplusDataIsConsumedUpToTheTerminator) {
    // Twice the pixels the frame needs; the stream must still end up after the
    // terminator so the next block is read correctly.
    Bytes pixels(64, 3);
    Bytes data = Encode(Bytes(128, 3), 128, 1, 2);
    data.push_back(0x2C);
    const TResult r = Decode(data, 64, 1);
    EXPECT_EQ(r.pixels, pixels);
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.position, static_cast<std::int64_t>(data.size() - 1));
}

TEST(LZWDecoder, InvalidCodesStopDecodingWithWarning) {
    struct TCase {
        const char* name;
        std::vector<std::pair<unsigned, int>> codes;
        Bytes want;
    } cases[] = {
        {"code beyond next free", {{256, 9}, {1, 9}, {2, 9}, {300, 9}, {3, 9}}, {1, 2, 0xEE, 0xEE}},
        {"table code right after clear", {{256, 9}, {258, 9}, {1, 9}}, {0xEE, 0xEE, 0xEE, 0xEE}},
        {"table code after a mid-stream clear", {{256, 9}, {4, 9}, {256, 9}, {259, 9}}, {4, 0xEE, 0xEE, 0xEE}},
    };
    for (const TCase& c : cases) {
        TCodeWriter w;
        for (auto [code, width] : c.codes) w.Put(code, width);
        const Bytes data = Frame(8, w.Finish());
        const TResult r = Decode(data, 4, 1);
        EXPECT_EQ(r.pixels, c.want) << c.name;
        EXPECT_EQ(r.warnings, std::vector<std::string>{"Invalid GIF data"}) << c.name;
        EXPECT_EQ(r.position, static_cast<std::int64_t>(data.size())) << c.name;
    }
}

TEST(LZWDecoder, CodesStraddlingOneByteSubBlocks) {
    // Sub-blocks of 1 byte hold less than one 12-bit code; codes must still be
    // assembled from as many sub-blocks as they span.
    Bytes pixels(300 * 200);
    std::mt19937 rng(3);
    for (auto& p : pixels) p = static_cast<std::uint8_t>(rng() % 200);
    const Bytes encoded = Encode(pixels, 300, 200, 8);
    Bytes raw;
    for (std::size_t i = 1; encoded[i] != 0; i += encoded[i] + 1u)
        raw.insert(raw.end(), encoded.begin() + static_cast<std::ptrdiff_t>(i + 1),
                   encoded.begin() + static_cast<std::ptrdiff_t>(i + 1 + encoded[i]));
    for (std::size_t block : {1u, 2u, 3u, 7u, 254u}) {
        const TResult r = Decode(Frame(8, raw, block), 300, 200);
        EXPECT_EQ(r.pixels, pixels) << "blocks of " << block;
        EXPECT_TRUE(r.warnings.empty()) << "blocks of " << block;
    }
}

TEST(LZWDecoder, InterlacedRowsArePlacedInPassOrder) {
    for (int height : {1, 2, 3, 4, 5, 8, 9, 17, 33}) {
        const int width = 3;
        // Stream row i holds the value i, so the output says which stream row went where.
        Bytes stream;
        for (int i = 0; i < height; ++i) stream.insert(stream.end(), width, static_cast<std::uint8_t>(i));
        const TResult r = Decode(Encode(stream, width * height, 1, 8), width, height, true);
        const std::vector<int> order = InterlacedRowOrder(height);
        for (int i = 0; i < height; ++i)
            EXPECT_EQ(r.pixels[static_cast<std::size_t>(order[i]) * width], i) << "height " << height << ", stream row " << i;
    }
    EXPECT_EQ(InterlacedRowOrder(3), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(InterlacedRowOrder(10), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
}

TEST(LZWDecoder, InterlacedTruncationKeepsFillInUnreachedRows) {
    Bytes pixels(16 * 16);
    std::mt19937 rng(5);
    for (auto& p : pixels) p = static_cast<std::uint8_t>(rng() % 256);
    const Bytes good = Encode(pixels, 16, 16, 8, true);
    const Bytes cut(good.begin(), good.begin() + 120);
    const TResult r = Decode(cut, 16, 16, true, 9);
    EXPECT_EQ(r.warnings, std::vector<std::string>{"Premature end of data"});
    ExpectSame(r, DecodeReference(cut, 16, 16, true, 9), "interlaced cut");
    EXPECT_EQ(r.pixels[15 * 16], 9) << "last row comes last in the stream and keeps the fill";
}

TEST(LZWDecoder, LongestStringsDecode) {
    // One value throughout builds strings of up to ~4000 pixels per code; strings
    // this long must neither overflow anything nor be cut.
    for (int bits : {2, 8}) {
        const Bytes pixels(3'000'000, 1);
        const Bytes data = Encode(pixels, 3000, 1000, bits);
        EXPECT_LE(MaxDecodablePixels(data.size()), 4096 * data.size()) << bits;
        EXPECT_GE(MaxDecodablePixels(data.size()), pixels.size()) << bits;
        const TResult r = Decode(data, 3000, 1000);
        EXPECT_EQ(r.pixels, pixels) << bits;
        EXPECT_TRUE(r.warnings.empty());
    }
}

TEST(LZWDecoder, MaxDecodablePixelsBoundsAnyStream) {
    EXPECT_GE(MaxDecodablePixels(0), 1u);
    for (std::uint64_t n : {1ull, 10ull, 1000ull, 1ull << 30})
        EXPECT_LT(MaxDecodablePixels(n), MaxDecodablePixels(n + 1000)) << n;
    EXPECT_EQ(MaxDecodablePixels(~0ull), ~0ull) << "saturates instead of wrapping";
}

TEST(LZWDecoder, AgreesWithPlainDecoderOnRandomStreams) {
    // Random code streams explore clear codes, repeat codes, invalid codes, early
    // ends and truncations; both decoders must agree on every pixel and warning.
    std::mt19937 rng(12345);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const int codeSize = 1 + static_cast<int>(rng() % 11);
        const int width = 1 + static_cast<int>(rng() % 40);
        const int height = 1 + static_cast<int>(rng() % 40);
        const bool interlaced = rng() % 2;
        Bytes data;
        switch (iteration % 3) {
            case 0: {  // random bytes
                Bytes raw(rng() % 600);
                for (auto& b : raw) b = static_cast<std::uint8_t>(rng());
                data = Frame(codeSize, raw, 1 + rng() % 255, rng() % 4 != 0);
                break;
            }
            case 1: {  // plausible codes: mostly valid, sometimes invalid
                TCodeWriter w;
                const unsigned clear = 1u << codeSize;
                unsigned nextFree = clear + 2, width9 = codeSize + 1, limit = 2 * clear;
                bool afterClear = true;
                w.Put(clear, static_cast<int>(width9));
                for (int k = 0; k < 400; ++k) {
                    unsigned code;
                    const unsigned pick = rng() % 100;
                    if (pick < 2) code = clear;
                    else if (pick < 3) code = clear + 1;
                    else if (pick < 5) code = rng() % (1u << width9);
                    else if (pick < 50 || afterClear) code = rng() % clear;
                    else code = clear + 2 + rng() % (nextFree - clear - 1);
                    w.Put(code, static_cast<int>(width9));
                    if (code == clear) {
                        nextFree = clear + 2, width9 = codeSize + 1, limit = 2 * clear, afterClear = true;
                    } else if (!afterClear && nextFree < 4096) {
                        if (++nextFree >= limit && limit < 4096) limit *= 2, ++width9;
                    } else {
                        afterClear = false;
                    }
                }
                data = Frame(codeSize, w.Finish(), 1 + rng() % 255, rng() % 4 != 0);
                break;
            }
            default: {  // a real stream, cut anywhere
                Bytes pixels(static_cast<std::size_t>(width) * height);
                const int bits = std::min(codeSize, 8);
                for (auto& p : pixels) p = static_cast<std::uint8_t>(rng() % (1u << bits));
                data = Encode(pixels, width, height, bits, interlaced, rng() % 2 ? encLZW : encRLE);
                data.resize(rng() % (data.size() + 1));
                break;
            }
        }
        const std::string what = "iteration " + std::to_string(iteration);
        ExpectSame(Decode(data, width, height, interlaced), DecodeReference(data, width, height, interlaced), what);
        if (HasFatalFailure()) return;
    }
}

TEST(LZWDecoder, LargeInterlacedFrameWithLittleData) {
    // A few bytes cannot describe a 4000x4000 frame: the decoded rows land in
    // their pass positions and everything else keeps the fill.
    const Bytes rowPixels(3 * 4000, 7);
    const Bytes data = Encode(rowPixels, 12000, 1, 3);
    const TResult r = Decode(data, 4000, 4000, true, 1);
    EXPECT_TRUE(r.warnings.empty());
    for (int row : {0, 8, 16}) EXPECT_EQ(r.pixels[static_cast<std::size_t>(row) * 4000 + 3999], 7) << "row " << row;
    for (int row : {1, 4, 24, 3999}) EXPECT_EQ(r.pixels[static_cast<std::size_t>(row) * 4000], 1) << "row " << row;
}
