#pragma once
// Builds small GIF files for tests from readable steps, so that each odd file
// in a test says what is odd about it:
//   auto gif = TGIFRecipe().Header(2, 1).GlobalTable(2).Image(0, 0, 2, 1, {0, 1}).Trailer();
// Image data is written as literal LZW codes (a clear code before the table
// would grow), independent of the encoder under test.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class TGIFRecipe {
public:
    using Bytes = std::vector<std::uint8_t>;

    TGIFRecipe& Raw(std::initializer_list<int> bytes) {
        for (int b : bytes) out_.push_back(static_cast<std::uint8_t>(b));
        return *this;
    }
    TGIFRecipe& Text(const std::string& text) {
        out_.insert(out_.end(), text.begin(), text.end());
        return *this;
    }
    TGIFRecipe& U16(int value) { return Raw({value & 0xFF, (value >> 8) & 0xFF}); }

    // Signature and logical screen descriptor.
    TGIFRecipe& Header(int width, int height, int flags = 0, int background = 0, int aspect = 0,
                       const std::string& signature = "GIF89a") {
        Text(signature).U16(width).U16(height);
        return Raw({flags, background, aspect});
    }
    // n entries (i*10, i*20, i*30); used for global and local tables alike.
    TGIFRecipe& Table(int n) {
        for (int i = 0; i < n; ++i) Raw({(i * 10) & 0xFF, (i * 20) & 0xFF, (i * 30) & 0xFF});
        return *this;
    }
    TGIFRecipe& GraphicControl(int flags, int delay, int transparentIndex) {
        Raw({0x21, 0xF9, 4, flags}).U16(delay);
        return Raw({transparentIndex, 0});
    }
    TGIFRecipe& Comment(const std::vector<std::string>& blocks) {
        Raw({0x21, 0xFE});
        SubBlocks(blocks);
        return Raw({0});
    }
    TGIFRecipe& Loop(int count) {
        Raw({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Raw({3, 1}).U16(count);
        return Raw({0});
    }
    // Data sub-blocks without the terminator.
    TGIFRecipe& SubBlocks(const std::vector<std::string>& blocks) {
        for (const std::string& b : blocks) Raw({static_cast<int>(b.size())}).Text(b);
        return *this;
    }
    TGIFRecipe& Descriptor(int left, int top, int width, int height, int flags = 0) {
        Raw({0x2C}).U16(left).U16(top).U16(width).U16(height);
        return Raw({flags});
    }
    // Code size byte, literal-code sub-blocks, terminator.
    TGIFRecipe& ImageData(const std::vector<int>& pixels, int codeSize = 2) {
        const Bytes data = LiteralCodes(pixels, codeSize);
        Raw({codeSize});
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, data.size() - at);
            out_.push_back(static_cast<std::uint8_t>(n));
            out_.insert(out_.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n));
        }
        return Raw({0});
    }
    // Descriptor plus image data.
    TGIFRecipe& Image(int left, int top, int width, int height, const std::vector<int>& pixels, int flags = 0,
                      int codeSize = 2) {
        return Descriptor(left, top, width, height, flags).ImageData(pixels, codeSize);
    }
    TGIFRecipe& Trailer() { return Raw({0x3B}); }

    const Bytes& Get() const { return out_; }
    operator const Bytes&() const { return out_; }

    // Each pixel as a literal code of codeSize+1 bits; a clear code is sent
    // whenever the decoder's table would otherwise widen the codes.
    static Bytes LiteralCodes(const std::vector<int>& pixels, int codeSize) {
        const int clear = 1 << codeSize;
        const int width = codeSize + 1;
        // After a clear the first code adds no table entry and each later one adds
        // one; the width grows once the next free code reaches 2 * clear.
        const int perClear = clear - 2;
        Bytes out;
        std::uint32_t buffer = 0;
        int bits = 0;
        auto put = [&](int code) {
            buffer |= static_cast<std::uint32_t>(code) << bits;
            bits += width;
            while (bits >= 8) {
                out.push_back(static_cast<std::uint8_t>(buffer & 0xFF));
                buffer >>= 8;
                bits -= 8;
            }
        };
        // Code size 1 adds its first entry at the width's limit: one literal a clear.
        const int literalsPerClear = std::max(perClear, 1);
        int sinceClear = literalsPerClear;
        for (int p : pixels) {
            if (sinceClear == literalsPerClear) {
                put(clear);
                sinceClear = 0;
            }
            put(p);
            ++sinceClear;
        }
        put(clear + 1);
        if (bits > 0) out.push_back(static_cast<std::uint8_t>(buffer & 0xFF));
        return out;
    }

private:
    Bytes out_;
};
