// The two image-data encoders and their sub-block writer: exact byte layouts,
// code widths and clear points, and round trips through our decoder and giflib.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "raster/GIFException.h"
#include "gif/LZW.h"
#include "gif/LookaheadLZWEncoder.h"
#include "gif/LZWEncoder.h"
#include "gif/LZWInterlace.h"
#include "gif/ParsedLZWEncoder.h"

#if __has_include(<gif_lib.h>)
#include <gif_lib.h>
#define REELIX_TEST_GIFLIB 1
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encode(TGIFEncoding encoding, const Bytes& pixels, int width, int height, int bits,
             bool interlaced = false) {
    TMemoryStream out;
    EncodeImageData(out, encoding, bits, 1 << bits, pixels.data(), interlaced, height, width);
    return out.TakeBytes();
}

Bytes Decode(const Bytes& data, int width, int height, bool interlaced,
             std::vector<std::string>* warnings = nullptr) {
    Bytes pixels(static_cast<std::size_t>(width) * height, 0xEE);
    TMemoryStream in(data.data(), data.size());
    DecodeImageData(in, pixels.data(), width, height, interlaced, [&](const std::string& text) {
        if (warnings) warnings->push_back(text);
    });
    return pixels;
}

// The data bytes of the sub-blocks, after checking the framing: code size byte,
// blocks of 1..255 bytes (all but the last exactly 255), then one 0x00 at the end.
Bytes Unframe(const Bytes& data, std::string& problem) {
    Bytes raw;
    std::size_t i = 1;
    while (i < data.size() && data[i] != 0) {
        const std::size_t n = data[i];
        if (i + 1 + n > data.size()) {
            problem = "sub-block runs past the end";
            return raw;
        }
        if (n != 255 && i + 1 + n + 1 != data.size()) problem = "short sub-block before the last";
        raw.insert(raw.end(), data.begin() + static_cast<std::ptrdiff_t>(i + 1),
                   data.begin() + static_cast<std::ptrdiff_t>(i + 1 + n));
        i += 1 + n;
    }
    if (i + 1 != data.size()) problem = "terminator missing or not last";
    return raw;
}

// Reads a code stream the way a decoder sizes its codes and records each code
// with its width, so tests can see exactly what the encoder emitted.
struct TCode {
    unsigned code;
    int width;
};

std::vector<TCode> ParseCodes(const Bytes& data) {
    std::string problem;
    const Bytes raw = Unframe(data, problem);
    EXPECT_EQ(problem, "");
    const int s = data[0];
    const unsigned clear = 1u << s;
    unsigned width = s + 1, limit = 2 * clear, nextFree = clear + 2;
    bool afterClear = true;
    std::vector<TCode> codes;
    std::uint64_t bitPos = 0;
    while (bitPos + width <= raw.size() * 8) {
        unsigned code = 0;
        for (unsigned b = 0; b < width; ++b, ++bitPos)
            code |= ((raw[bitPos / 8] >> (bitPos % 8)) & 1u) << b;
        codes.push_back({code, static_cast<int>(width)});
        if (code == clear) {
            width = s + 1, limit = 2 * clear, nextFree = clear + 2, afterClear = true;
        } else if (code == clear + 1) {
            break;
        } else if (afterClear) {
            afterClear = false;
        } else if (nextFree < 4096) {
            if (++nextFree >= limit && limit < 4096) limit *= 2, ++width;
        }
    }
    return codes;
}

#ifdef REELIX_TEST_GIFLIB
// Wraps image data into a minimal GIF file and lets giflib decode it.
bool GiflibDecode(const Bytes& data, int width, int height, int bits, bool interlaced, Bytes& pixels) {
    Bytes file = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&](int v) {
        file.push_back(static_cast<std::uint8_t>(v));
        file.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put16(width);
    put16(height);
    file.push_back(static_cast<std::uint8_t>(0x80 | (bits - 1)));
    file.push_back(0);
    file.push_back(0);
    for (int i = 0; i < (1 << bits); ++i) file.insert(file.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)});
    file.push_back(0x2C);
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    file.push_back(interlaced ? 0x40 : 0x00);
    file.insert(file.end(), data.begin(), data.end());
    file.push_back(';');

    struct TReader {
        const Bytes* bytes;
        std::size_t pos;
    } reader{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, [](GifFileType* g, GifByteType* buf, int n) {
        auto* r = static_cast<TReader*>(g->UserData);
        const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(n), r->bytes->size() - r->pos);
        std::memcpy(buf, r->bytes->data() + r->pos, k);
        r->pos += k;
        return static_cast<int>(k);
    }, &error);
    if (!gif) return false;
    const bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1;
    if (ok) pixels.assign(gif->SavedImages[0].RasterBits, gif->SavedImages[0].RasterBits + static_cast<std::size_t>(width) * height);
    DGifCloseFile(gif, &error);
    return ok;
}
#endif

void ExpectRoundTrip(TGIFEncoding encoding, const Bytes& pixels, int width, int height, int bits,
                     bool interlaced, const std::string& what) {
    const Bytes data = Encode(encoding, pixels, width, height, bits, interlaced);
    std::string problem;
    Unframe(data, problem);
    EXPECT_EQ(problem, "") << what;
    EXPECT_EQ(data[0], std::max(bits, 2)) << what;
    std::vector<std::string> warnings;
    EXPECT_EQ(Decode(data, width, height, interlaced, &warnings), pixels) << what;
    EXPECT_TRUE(warnings.empty()) << what;
    for (const TCode& c : ParseCodes(data)) {
        if (c.width > 12) {
            ADD_FAILURE() << what << ": code of " << c.width << " bits";
            break;
        }
    }
#ifdef REELIX_TEST_GIFLIB
    Bytes theirs;
    EXPECT_TRUE(GiflibDecode(data, width, height, std::max(bits, 1), interlaced, theirs)) << what << ": giflib refused it";
    EXPECT_EQ(theirs, pixels) << what << ": giflib decodes something else";
#endif
}

const char* Name(TGIFEncoding e) { return e == encRLE ? "RLE" : e == encLZWBest ? "best LZW" : "LZW"; }

}  // namespace

TEST(LZWEncoder, OnePixelFrameLayout) {
    // Code size 2 (1-bit table): Clear 4, End 5, 3-bit codes; clear, the pixel
    // and the end code fill 9 bits = one sub-block of 2 bytes.
    for (TGIFEncoding e : {encLZW, encRLE}) {
        EXPECT_EQ(Encode(e, Bytes{0}, 1, 1, 1), (Bytes{2, 2, 0x44, 0x01, 0})) << Name(e);
        EXPECT_EQ(Encode(e, Bytes{1}, 1, 1, 1), (Bytes{2, 2, 0x4C, 0x01, 0})) << Name(e);
        const std::vector<TCode> codes = ParseCodes(Encode(e, Bytes{1}, 1, 1, 1));
        ASSERT_EQ(codes.size(), 3u);
        EXPECT_EQ(codes[0].code, 4u);
        EXPECT_EQ(codes[0].width, 3);
        EXPECT_EQ(codes[2].code, 5u);
    }
}

TEST(LZWEncoder, EmptyFrameWritesEndCodeOnly) {
    for (TGIFEncoding e : {encLZW, encRLE}) {
        TMemoryStream out;
        EncodeImageData(out, e, 8, 256, nullptr, false, 0, 0);
        EXPECT_EQ(out.Bytes(), (Bytes{8, 2, 0x01, 0x01, 0})) << Name(e) << ": 9-bit end code 257";
    }
}

TEST(LZWEncoder, ColorAtTheLimitIsRefusedBeforeWriting) {
    for (TGIFEncoding e : {encLZW, encRLE}) {
        for (int limit : {1, 2, 5, 16, 255}) {
            Bytes pixels(50, 0);
            pixels[37] = static_cast<std::uint8_t>(limit);
            TMemoryStream out;
            try {
                EncodeImageData(out, e, 8, limit, pixels.data(), false, 5, 10);
                ADD_FAILURE() << Name(e) << " limit " << limit << ": no error";
            } catch (const GIFException& error) {
                EXPECT_STREQ(error.what(), "Color not in color table") << Name(e);
            }
            EXPECT_EQ(out.Size(), 0) << Name(e) << " limit " << limit << ": nothing may be written";
            pixels[37] = static_cast<std::uint8_t>(limit - 1);
            EXPECT_NO_THROW(EncodeImageData(out, e, 8, limit, pixels.data(), false, 5, 10)) << Name(e);
        }
    }
}

TEST(LZWEncoder, InterlacedHeightThreeWritesRows021) {
    const Bytes pixels = {0, 0, 1, 1, 2, 2};  // row r holds r
    for (TGIFEncoding e : {encLZW, encRLE}) {
        const Bytes data = Encode(e, pixels, 2, 3, 2, true);
        EXPECT_EQ(Decode(data, 2, 3, false), (Bytes{0, 0, 2, 2, 1, 1})) << Name(e) << ": stream order";
        EXPECT_EQ(Decode(data, 2, 3, true), pixels) << Name(e);
    }
}

TEST(LZWEncoder, RoundTripsAllShapes) {
    std::mt19937 rng(99);
    for (TGIFEncoding e : {encLZW, encRLE, encLZWBest}) {
        for (int bits : {1, 2, 4, 8}) {
            for (int width : {1, 2, 3, 7, 16, 33}) {
                for (int height : {1, 2, 3, 5, 8, 9, 17}) {
                    for (bool interlaced : {false, true}) {
                        for (int kind = 0; kind < 3; ++kind) {
                            Bytes pixels(static_cast<std::size_t>(width) * height);
                            const unsigned colors = 1u << bits;
                            if (kind == 0) std::fill(pixels.begin(), pixels.end(), colors - 1);
                            if (kind == 1) for (auto& p : pixels) p = static_cast<std::uint8_t>(rng() % colors);
                            if (kind == 2) for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>((i / 5) % colors);
                            ExpectRoundTrip(e, pixels, width, height, bits, interlaced,
                                            std::string(Name(e)) + " bits " + std::to_string(bits) + " " +
                                                std::to_string(width) + "x" + std::to_string(height) +
                                                (interlaced ? " interlaced" : "") + " kind " + std::to_string(kind));
                            if (HasFailure()) return;
                        }
                    }
                }
            }
        }
    }
}

TEST(LZWEncoder, RunsOfEveryLengthRoundTrip) {
    // The run-only encoder takes different paths for short runs, runs that fit the
    // table, and runs that force a clear; long random runs exercise all of them.
    std::mt19937 rng(2024);
    for (int bits : {1, 3, 4, 8}) {
        for (int trial = 0; trial < 6; ++trial) {
            Bytes pixels;
            while (pixels.size() < 60000) {
                const unsigned pick = rng() % 10;
                const std::size_t run = pick < 4 ? 1 + rng() % 4 : pick < 8 ? 1 + rng() % 200 : 1 + rng() % 20000;
                pixels.insert(pixels.end(), run, static_cast<std::uint8_t>(rng() % (1u << bits)));
            }
            pixels.resize(60000);
            ExpectRoundTrip(encRLE, pixels, 300, 200, bits, trial % 2 == 1,
                            "bits " + std::to_string(bits) + " trial " + std::to_string(trial));
            ExpectRoundTrip(encLZW, pixels, 300, 200, bits, trial % 2 == 1,
                            "LZW bits " + std::to_string(bits) + " trial " + std::to_string(trial));
            ExpectRoundTrip(encLZWBest, pixels, 300, 200, bits, trial % 2 == 1,
                            "best LZW bits " + std::to_string(bits) + " trial " + std::to_string(trial));
        }
    }
}

TEST(LZWEncoder, FiveThousandPixelsOfOneValueThroughRLE) {
    for (int value : {0, 1, 200}) {
        const Bytes pixels(5000, static_cast<std::uint8_t>(value));
        ExpectRoundTrip(encRLE, pixels, 100, 50, 8, false, "value " + std::to_string(value));
        ExpectRoundTrip(encRLE, pixels, 5000, 1, 8, false, "one row, value " + std::to_string(value));
        // Runs use the table: far fewer codes than pixels.
        EXPECT_LT(Encode(encRLE, pixels, 100, 50, 8).size(), 500u);
    }
}

TEST(LZWEncoder, AFullTableStaysWithin12BitsAndNeverUsesCode4095) {
    std::mt19937 rng(1);
    for (int bits : {2, 5, 8}) {
        Bytes pixels(400 * 400);
        for (auto& p : pixels) p = static_cast<std::uint8_t>(rng() % (1u << bits));
        const Bytes data = Encode(encLZW, pixels, 400, 400, bits);
        const std::vector<TCode> codes = ParseCodes(data);
        const unsigned clear = 1u << std::max(bits, 2);
        ASSERT_GT(codes.size(), 8000u);
        EXPECT_EQ(codes[0].code, clear);
        for (std::size_t i = 0; i < codes.size(); ++i) {
            ASSERT_LE(codes[i].width, 12) << "code " << i;
            ASSERT_LT(codes[i].code, 4095u) << "code " << i;
        }
        EXPECT_EQ(codes.back().code, clear + 1);
        EXPECT_EQ(Decode(data, 400, 400, false), pixels);
    }
}

// A full table is kept while its strings go on serving the picture (no
// clear code at all after the first), and cleared once they stop.
TEST(LZWEncoder, AFullTableIsKeptWhileItServesAndClearedWhenItStops) {
    auto clearsAfterTheFirst = [](const Bytes& data) {
        int clears = 0;
        const std::vector<TCode> codes = ParseCodes(data);
        for (std::size_t i = 1; i < codes.size(); ++i) clears += codes[i].code == 256;
        return clears;
    };
    std::mt19937 rng(7);
    // A stretch of 8-colour noise, then the same stretch again and again.
    Bytes repeated(500 * 400);
    for (std::size_t i = 0; i < 500 * 40; ++i) repeated[i] = static_cast<std::uint8_t>(rng() % 8);
    for (std::size_t i = 500 * 40; i < repeated.size(); ++i) repeated[i] = repeated[i % (500 * 40)];
    const Bytes kept = Encode(encLZW, repeated, 500, 400, 8);
    EXPECT_EQ(clearsAfterTheFirst(kept), 0);
    EXPECT_EQ(Decode(kept, 500, 400, false), repeated);
    // Flat stripes, then noise of all 256 colours the stripes taught nothing about.
    Bytes changing(500 * 400);
    for (std::size_t i = 0; i < changing.size(); ++i)
        changing[i] = i < changing.size() / 4 ? static_cast<std::uint8_t>((i / 37) % 3) : static_cast<std::uint8_t>(rng());
    const Bytes cleared = Encode(encLZW, changing, 500, 400, 8);
    EXPECT_GE(clearsAfterTheFirst(cleared), 1);
    EXPECT_EQ(Decode(cleared, 500, 400, false), changing);
}

TEST(LZWEncoder, RLECodesNeverPass12Bits) {
    // Growing runs keep the run table growing towards its maximum between clears.
    Bytes pixels;
    for (int run = 1; pixels.size() < 200000; ++run) pixels.insert(pixels.end(), static_cast<std::size_t>(run), 1);
    pixels.resize(200000);
    for (int bits : {1, 8}) {
        for (const TCode& c : ParseCodes(Encode(encRLE, pixels, 1000, 200, bits))) ASSERT_LE(c.width, 12);
        ExpectRoundTrip(encRLE, pixels, 1000, 200, bits, false, "growing runs");
    }
}

TEST(LZWEncoder, RunCodeCountMatchesExhaustiveTriangles) {
    for (int n : {1, 2, 3, 10, 100, 3837}) {
        for (int count = 0; count < 3000; ++count) {
            // Greedy: whole triangles 1..n, then the smallest triangle covering the rest.
            int want = 0, rest = count;
            const int triangle = n * (n + 1) / 2;
            while (rest >= triangle) rest -= triangle, want += n;
            int k = 0;
            while (k * (k + 1) / 2 < rest) ++k;
            want += k;
            ASSERT_EQ(TRLEEncoder::RunCodeCount(count, n), want) << "count " << count << ", n " << n;
        }
    }
    // 2^30 = 145 whole triangles of 3837 codes, and 6077389 pixels left: 3486 codes.
    EXPECT_EQ(TRLEEncoder::RunCodeCount(1 << 30, 3837), 145 * 3837 + 3486);
}

TEST(LZWEncoder, WriterPacksSubBlocks) {
    for (std::size_t total : {0u, 1u, 254u, 255u, 256u, 600u, 765u}) {
        TMemoryStream out;
        {
            TGIFWriter writer(out);
            Bytes data(total);
            for (std::size_t i = 0; i < total; ++i) data[i] = static_cast<std::uint8_t>(i);
            // Mixed paths: bulk writes and single bytes.
            const std::size_t half = total / 2;
            writer.Write(data.data(), half);
            for (std::size_t i = half; i < total; ++i) writer.PutByte(data[i]);
        }  // destruction flushes the partial block
        Bytes want;
        for (std::size_t i = 0; i < total; i += 255) {
            const std::size_t n = std::min<std::size_t>(255, total - i);
            want.push_back(static_cast<std::uint8_t>(n));
            for (std::size_t k = 0; k < n; ++k) want.push_back(static_cast<std::uint8_t>(i + k));
        }
        EXPECT_EQ(out.Bytes(), want) << total << " bytes";
    }
    TMemoryStream out;
    TGIFWriter writer(out);
    std::uint8_t b;
    for (auto op : {0, 1}) {
        try {
            if (op == 0) writer.Read(&b, 1);
            if (op == 1) writer.SetPosition(3);
            ADD_FAILURE() << "operation " << op << " allowed";
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Invalid stream operation");
        }
    }
}

TEST(LZWEncoder, HashTableFindsAcrossCollisions) {
    THashTable table;
    EXPECT_EQ(table.FindCode(0), -1);
    // Keys sharing their first slot must all be found through the probe sequence.
    std::vector<std::uint32_t> keys;
    for (std::uint32_t key = 0; keys.size() < 40 && key < (1u << 20); ++key)
        if (THashTable::FirstSlot(key) == THashTable::FirstSlot(0x12345)) keys.push_back(key);
    ASSERT_EQ(keys.size(), 40u);
    for (std::size_t i = 0; i < keys.size(); ++i) table.StoreCode(keys[i], static_cast<std::uint32_t>(258 + i));
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(table.FindCode(keys[i]), static_cast<int>(258 + i)) << "key " << keys[i];
    EXPECT_EQ(table.FindCode(0xFFEFF), -1);
    // Slot 0 uses a step of 1; fill the table almost completely and find everything.
    THashTable full;
    for (std::uint32_t i = 0; i < 8000; ++i) full.StoreCode(i * 97 + 5, i % 4095);
    for (std::uint32_t i = 0; i < 8000; ++i) ASSERT_EQ(full.FindCode(i * 97 + 5), static_cast<int>(i % 4095));
    EXPECT_EQ(full.FindCode(3), -1);
    full.ResetTable();
    EXPECT_EQ(full.FindCode(5), -1);
}

// The encoder's fast dictionary (ids, sized tables) and the per-code cache
// must not change a single output byte compared with the plain hash table, at
// every table size, bit depth and mix of predictable and noisy stretches.
struct TDictionaryCase {
    const char* name;
    int width, height, bits;
    bool interlaced;
    std::uint8_t (*pixel)(std::size_t index, std::mt19937& rng, int bits);
};

const TDictionaryCase DictionaryCases[] = {
    {"1x1", 1, 1, 8, false, [](std::size_t, std::mt19937& r, int b) { return std::uint8_t(r() % (1u << b)); }},
    {"tiny noise", 7, 3, 2, false, [](std::size_t, std::mt19937& r, int b) { return std::uint8_t(r() % (1u << b)); }},
    {"smallest table, full", 64, 64, 8, false,
     [](std::size_t, std::mt19937& r, int b) { return std::uint8_t(r() % (1u << b)); }},
    {"one past the smallest table", 4097, 1, 8, false,
     [](std::size_t, std::mt19937& r, int b) { return std::uint8_t(r() % (1u << b)); }},
    {"photo-like noise, many clears", 1000, 600, 8, false,
     [](std::size_t i, std::mt19937& r, int) { return std::uint8_t((i % 1000) / 4 + r() % 9); }},
    {"flat then noise, 1 bit", 900, 200, 1, true,
     [](std::size_t i, std::mt19937& r, int) { return std::uint8_t(i < 90000 ? (i / 5000) % 2 : r() % 2); }},
    {"ramps, 4 bits", 640, 480, 4, false, [](std::size_t i, std::mt19937&, int) { return std::uint8_t(i / 7 % 16); }},
    {"alternating stretches, 7 bits", 700, 300, 7, true,
     [](std::size_t i, std::mt19937& r, int) { return std::uint8_t(((i / 3000) % 2 ? r() : (i / 40)) % 128); }},
};

void PrintTo(const TDictionaryCase& c, std::ostream* os) { *os << c.name; }

class FastDictionary : public testing::TestWithParam<TDictionaryCase> {};

TEST_P(FastDictionary, WritesTheSameAsTheHashTable) {
    const TDictionaryCase& c = GetParam();
    std::mt19937 rng(77);
    Bytes pixels(static_cast<std::size_t>(c.width) * c.height);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = c.pixel(i, rng, c.bits);
    TMemoryStream fast, plain;
    TLZWEncoder a, b;
    b.UseHashTable(true);
    a.Encode(fast, c.bits, 1 << c.bits, pixels.data(), c.interlaced, c.height, c.width);
    b.Encode(plain, c.bits, 1 << c.bits, pixels.data(), c.interlaced, c.height, c.width);
    ASSERT_EQ(fast.Bytes(), plain.Bytes());
    EXPECT_EQ(Decode(fast.Bytes(), c.width, c.height, c.interlaced), pixels);
}

INSTANTIATE_TEST_SUITE_P(LZWEncoder, FastDictionary, testing::ValuesIn(DictionaryCases),
                         [](const testing::TestParamInfo<TDictionaryCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST(LZWEncoder, FastDictionaryWritesTheSameAsTheHashTableOnRandomShapes) {
    std::mt19937 rng(77);
    for (int trial = 0; trial < 12; ++trial) {
        const int bits = 1 + trial % 8;
        const int width = 1 + static_cast<int>(rng() % 700), height = 1 + static_cast<int>(rng() % 300);
        Bytes pixels(static_cast<std::size_t>(width) * height);
        // Alternate noisy and flat stretches so that both loops take turns.
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<std::uint8_t>(((i / 3000) % 2 ? rng() : (i / 40)) % (1u << bits));
        TMemoryStream fast, plain;
        TLZWEncoder a, b;
        b.UseHashTable(true);
        a.Encode(fast, bits, 1 << bits, pixels.data(), trial % 3 == 0, height, width);
        b.Encode(plain, bits, 1 << bits, pixels.data(), trial % 3 == 0, height, width);
        ASSERT_EQ(fast.Bytes(), plain.Bytes()) << "trial " << trial;
        EXPECT_EQ(Decode(fast.Bytes(), width, height, trial % 3 == 0), pixels) << "trial " << trial;
    }
}

// The lookahead parse on its own (the best encoding may fall back to the
// greedy one): whatever shorter strings it writes, decoders read the pixels
// back, through full tables, clears and interlacing; and on patterns broken
// by noise it is shorter than the greedy parse.
TEST(LZWEncoder, LookaheadParseRoundTripsAndShortensNoisyPictures) {
    std::mt19937 rng(7);
    for (int bits : {1, 2, 4, 8}) {
        Bytes noisy(320 * 200);
        for (auto& p : noisy) p = static_cast<std::uint8_t>(rng() % (1u << bits));
        Bytes banded(320 * 200);
        for (std::size_t i = 0; i < banded.size(); ++i)
            banded[i] = static_cast<std::uint8_t>((i / 7 + (rng() % 3 == 0)) % (1u << bits));
        for (const Bytes* pixels : {&noisy, &banded}) {
            for (bool interlaced : {false, true}) {
                const std::string what = "bits " + std::to_string(bits) + (pixels == &noisy ? " noisy" : " banded") +
                                         (interlaced ? " interlaced" : "");
                for (const auto& [horizon, margin] : {std::pair<int, std::size_t>{2, 0}, {2, 1}, {3, 2}}) {
                    TMemoryStream out;
                    TLookaheadLZWEncoder(horizon, margin).Encode(out, bits, 256, pixels->data(), interlaced, 200, 320);
                    const Bytes data = out.Bytes();
                    EXPECT_EQ(Decode(data, 320, 200, interlaced), *pixels) << what << " horizon " << horizon;
                    for (const TCode& c : ParseCodes(data)) ASSERT_LT(c.code, 4095u) << what;
#ifdef REELIX_TEST_GIFLIB
                    Bytes theirs;
                    EXPECT_TRUE(GiflibDecode(data, 320, 200, std::max(bits, 1), interlaced, theirs)) << what;
                    EXPECT_EQ(theirs, *pixels) << what << ": giflib decodes something else";
#endif
                }
                const std::size_t greedy = Encode(encLZW, *pixels, 320, 200, bits, interlaced).size();
                const std::size_t best = Encode(encLZWBest, *pixels, 320, 200, bits, interlaced).size();
                EXPECT_LE(best, greedy) << what;
                if (pixels == &banded && bits >= 2) {
                    EXPECT_LT(best, greedy) << what;
                }
            }
        }
    }
}

// Strings start where they are told: wherever that is (nowhere, at every
// pixel, at random), the data decodes to the pixels in our decoder and in
// giflib, with a full table cleared or kept to the end. Told nothing, the
// parse is the greedy one.
TEST(LZWEncoder, ParsedStringsRoundTripWhereverTheyStart) {
    std::mt19937 rng(11);
    for (int bits : {1, 4, 8}) {
        Bytes pixels(320 * 200);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<std::uint8_t>((i / 5 + (rng() % 4 == 0 ? rng() : 0)) % (1u << bits));
        for (int pattern = 0; pattern < 3; ++pattern) {
            std::vector<std::uint8_t> starts(pixels.size(), pattern == 1 ? 1 : 0);
            if (pattern == 2)
                for (auto& start : starts) start = rng() % 3 == 0;
            for (bool interlaced : {false, true})
                for (bool keep : {false, true}) {
                    const std::string what = "bits " + std::to_string(bits) + " pattern " + std::to_string(pattern) +
                                             (interlaced ? " interlaced" : "") + (keep ? " kept" : "");
                    TMemoryStream out;
                    EncodeParsedImageData(out, bits, 256, pixels.data(), starts, interlaced, 200, 320, keep);
                    const Bytes data = out.Bytes();
                    EXPECT_EQ(Decode(data, 320, 200, interlaced), pixels) << what;
                    for (const TCode& c : ParseCodes(data)) ASSERT_LT(c.code, 4095u) << what;
#ifdef REELIX_TEST_GIFLIB
                    Bytes theirs;
                    EXPECT_TRUE(GiflibDecode(data, 320, 200, std::max(bits, 1), interlaced, theirs)) << what;
                    EXPECT_EQ(theirs, pixels) << what << ": giflib decodes something else";
#endif
                    if (pattern == 0 && !keep) {
                        TMemoryStream greedy;
                        EncodeImageDataOnce(greedy, encLZW, bits, 256, pixels.data(), interlaced, 200, 320);
                        EXPECT_EQ(data, greedy.Bytes()) << what;
                    }
                }
        }
    }
}
