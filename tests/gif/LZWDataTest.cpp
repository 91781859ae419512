// The image-data codec on streams other programs wrote: Wuffs' bare LZW streams
// with their exact output, every frame of the shared GIF corpus against giflib's
// decode of the same bytes, and our encodings of real pictures against giflib's.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/LZW.h"

#if __has_include(<gif_lib.h>)
#include <gif_lib.h>
#define REELIX_TEST_GIFLIB 1
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

const fs::path GifData = fs::path(REELIX_TESTDATA_DIR) / "gif";

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Code size byte, the data cut into 255-byte sub-blocks, the terminator.
Bytes Frame(std::uint8_t codeSize, const std::uint8_t* raw, std::size_t size) {
    Bytes out{codeSize};
    for (std::size_t i = 0; i < size; i += 255) {
        const std::size_t n = std::min<std::size_t>(255, size - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), raw + i, raw + i + n);
    }
    out.push_back(0);
    return out;
}

Bytes DecodeOurs(const Bytes& data, int width, int height, bool interlaced, std::vector<std::string>& warnings) {
    Bytes pixels(static_cast<std::size_t>(width) * height, 0);
    TMemoryStream in(data.data(), data.size());
    DecodeImageData(in, pixels.data(), width, height, interlaced,
                    [&](const std::string& text) { warnings.push_back(text); });
    return pixels;
}

#ifdef REELIX_TEST_GIFLIB
struct TReader {
    const Bytes* bytes;
    std::size_t pos;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int count) {
    auto* r = static_cast<TReader*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), r->bytes->size() - r->pos);
    std::memcpy(buffer, r->bytes->data() + r->pos, n);
    r->pos += n;
    return static_cast<int>(n);
}

struct TFrameData {
    int width, height;
    bool interlaced;
    Bytes imageData;  // as stored in the file: code size byte, sub-blocks, terminator
};

// The raw image data of every frame, through giflib's code-block interface.
bool RawFrames(const Bytes& file, std::vector<TFrameData>& frames) {
    TReader reader{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadMemory, &error);
    if (!gif) return false;
    bool ok = true;
    GifRecordType type;
    while (ok && DGifGetRecordType(gif, &type) == GIF_OK && type != TERMINATE_RECORD_TYPE) {
        if (type == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType* ext;
            ok = DGifGetExtension(gif, &code, &ext) == GIF_OK;
            while (ok && ext) ok = DGifGetExtensionNext(gif, &ext) == GIF_OK;
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            ok = DGifGetImageDesc(gif) == GIF_OK;
            if (!ok) break;
            TFrameData frame{gif->Image.Width, gif->Image.Height, gif->Image.Interlace, {}};
            int codeSize = 0;
            GifByteType* block = nullptr;
            ok = DGifGetCode(gif, &codeSize, &block) == GIF_OK;
            frame.imageData.push_back(static_cast<std::uint8_t>(codeSize));
            while (ok && block) {
                frame.imageData.insert(frame.imageData.end(), block, block + block[0] + 1);
                ok = DGifGetCodeNext(gif, &block) == GIF_OK;
            }
            frame.imageData.push_back(0);
            frames.push_back(std::move(frame));
        } else {
            ok = false;
        }
    }
    DGifCloseFile(gif, &error);
    return ok;
}

// giflib's decode of every frame; false when giflib refuses the file.
bool GiflibFrames(const Bytes& file, std::vector<Bytes>& frames) {
    TReader reader{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadMemory, &error);
    if (!gif) return false;
    const bool ok = DGifSlurp(gif) == GIF_OK;
    if (ok) {
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& image = gif->SavedImages[i];
            const std::size_t n = static_cast<std::size_t>(image.ImageDesc.Width) * image.ImageDesc.Height;
            frames.emplace_back(image.RasterBits, image.RasterBits + n);
        }
    }
    DGifCloseFile(gif, &error);
    return ok;
}

int WriteMemory(GifFileType* gif, const GifByteType* buffer, int count) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

// Size of giflib's image data for the pixels (code size byte to terminator).
std::size_t GiflibEncodedSize(const Bytes& pixels, int width, int height, int bits) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteMemory, &error);
    ColorMapObject* map = GifMakeMapObject(1 << bits, nullptr);
    EGifPutScreenDesc(gif, width, height, bits, 0, map);
    EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
    EGifPutLine(gif, const_cast<GifPixelType*>(pixels.data()), width * height);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out.size() - (6 + 7 + 3 * (std::size_t{1} << bits) + 10) - 1;
}
#endif

}  // namespace

TEST(LZWData, WuffsBareStreamsDecodeToTheirOutput) {
    const fs::path dir = GifData / "wuffs";
    if (!fs::exists(dir)) GTEST_SKIP() << "no test data at " << dir;
    int checked = 0;
    for (const char* name : {"bricks-dither.indexes", "bricks-gray.indexes", "bricks-nodither.indexes", "pi.txt"}) {
        const Bytes stream = ReadFile(dir / (std::string(name) + ".giflzw"));
        const Bytes want = ReadFile(dir / name);
        ASSERT_FALSE(stream.empty()) << name;
        ASSERT_FALSE(want.empty()) << name;
        const Bytes data = Frame(stream[0], stream.data() + 1, stream.size() - 1);
        std::vector<std::string> warnings;
        const int width = static_cast<int>(want.size());
        EXPECT_EQ(DecodeOurs(data, width, 1, false, warnings), want) << name;
        EXPECT_TRUE(warnings.empty()) << name << ": " << (warnings.empty() ? "" : warnings[0]);
        ++checked;
    }
    EXPECT_EQ(checked, 4);
}

TEST(LZWData, MuybridgeFramesMatchTheirIndexes) {
    const fs::path dir = GifData / "wuffs";
    if (!fs::exists(dir / "muybridge.gif")) GTEST_SKIP() << "no test data";
#ifndef REELIX_TEST_GIFLIB
    GTEST_SKIP() << "needs giflib to find the frames";
#else
    std::vector<TFrameData> frames;
    ASSERT_TRUE(RawFrames(ReadFile(dir / "muybridge.gif"), frames));
    ASSERT_EQ(frames.size(), 15u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "muybridge-frame-%03zu.indexes", i);
        std::vector<std::string> warnings;
        const Bytes have = DecodeOurs(frames[i].imageData, frames[i].width, frames[i].height, frames[i].interlaced, warnings);
        EXPECT_EQ(have, ReadFile(dir / name)) << "frame " << i;
        EXPECT_TRUE(warnings.empty()) << "frame " << i;
    }
#endif
}

TEST(LZWData, EveryFrameOfTheCorpusDecodesAsGiflibDoes) {
#ifndef REELIX_TEST_GIFLIB
    GTEST_SKIP() << "needs giflib";
#else
    if (!fs::exists(GifData)) GTEST_SKIP() << "no test data at " << GifData;
    int files = 0, frames = 0;
    for (const auto& entry : fs::recursive_directory_iterator(GifData)) {
        if (entry.path().extension() != ".gif") continue;
        const Bytes file = ReadFile(entry.path());
        std::vector<Bytes> theirs;
        std::vector<TFrameData> raw;
        // Only files giflib reads without complaint give a reference.
        if (!GiflibFrames(file, theirs) || !RawFrames(file, raw) || raw.size() != theirs.size()) continue;
        ++files;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            std::vector<std::string> warnings;
            const Bytes ours = DecodeOurs(raw[i].imageData, raw[i].width, raw[i].height, raw[i].interlaced, warnings);
            EXPECT_EQ(ours, theirs[i]) << entry.path().string() << " frame " << i;
            ++frames;
        }
    }
    EXPECT_GT(files, 100);
    std::printf("%d files, %d frames compared\n", files, frames);
#endif
}

TEST(LZWData, ReencodedPicturesMatchGiflibSizeAndDecodeBack) {
    const fs::path dir = GifData / "wuffs";
    if (!fs::exists(dir)) GTEST_SKIP() << "no test data";
    for (const char* name : {"bricks-dither.indexes", "bricks-gray.indexes", "bricks-nodither.indexes"}) {
        const Bytes pixels = ReadFile(dir / name);
        ASSERT_EQ(pixels.size(), 160u * 120u) << name;
        for (TGIFEncoding encoding : {encLZW, encRLE}) {
            TMemoryStream out;
            EncodeImageData(out, encoding, 8, 256, pixels.data(), false, 120, 160);
            std::vector<std::string> warnings;
            EXPECT_EQ(DecodeOurs(out.Bytes(), 160, 120, false, warnings), pixels) << name;
#ifdef REELIX_TEST_GIFLIB
            if (encoding == encLZW) {
                const std::size_t theirs = GiflibEncodedSize(pixels, 160, 120, 8);
                EXPECT_LE(out.Bytes().size() * 100, theirs * 101) << name << ": more than 1% above giflib";
            }
#endif
        }
    }
}
