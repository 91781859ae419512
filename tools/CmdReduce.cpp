// reelix-tool reduce IN OUT.gif [--kind N] [--bits B] [--dither D]: reduces a
// binary PPM (P6) to a palette and writes it as a one-frame GIF whose local
// table is the reduction's palette.

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "color/ColorReduction.h"
#include "gif/GIFImage.h"
#include "tools/Command.h"

namespace {

constexpr const char* kUsage = "reduce IN.ppm OUT.gif [--kind N] [--bits B] [--dither D]   one-frame GIF, colours reduced";

// Reads a P6 file (comments allowed, maxval up to 65535) into a 24-bit bitmap.
// Answers an empty string or the reason it cannot.
std::string ReadPPM(const std::string& path, TBitmap& bitmap) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot open " + path;
    const std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t pos = 0;
    auto skipSpace = [&] {
        while (pos < data.size()) {
            if (data[pos] == '#') {
                while (pos < data.size() && data[pos] != '\n') ++pos;
            } else if (std::isspace(data[pos])) {
                ++pos;
            } else {
                break;
            }
        }
    };
    auto number = [&](long& value) {
        skipSpace();
        value = 0;
        std::size_t digits = 0;
        while (pos < data.size() && std::isdigit(data[pos]) && digits < 9) {
            value = value * 10 + (data[pos++] - '0');
            ++digits;
        }
        return digits > 0 && (pos >= data.size() || !std::isdigit(data[pos]));
    };
    if (data.size() < 2 || data[0] != 'P' || data[1] != '6') return path + " is not a binary PPM (P6)";
    pos = 2;
    long width = 0, height = 0, maxval = 0;
    if (!number(width) || !number(height) || !number(maxval)) return path + ": bad PPM header";
    if (width < 1 || height < 1 || width > 65535 || height > 65535)
        return path + ": image size must be 1..65535 on each side for a GIF";
    if (maxval < 1 || maxval > 65535) return path + ": bad maximum sample value";
    if (pos >= data.size() || !std::isspace(data[pos])) return path + ": bad PPM header";
    ++pos;  // the single white-space character before the samples
    const std::size_t sampleBytes = maxval > 255 ? 2 : 1;
    const std::size_t need = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3 * sampleBytes;
    if (data.size() - pos < need) return path + ": pixel data is truncated";

    bitmap = TBitmap(static_cast<int>(width), static_cast<int>(height), pf24bit);
    const unsigned char* s = data.data() + pos;
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            for (int c = 0; c < 3; ++c) {
                long v = sampleBytes == 2 ? (s[0] << 8 | s[1]) : s[0];
                s += sampleBytes;
                if (maxval != 255) v = (std::min(v, maxval) * 255 + maxval / 2) / maxval;
                row[3 * x + (2 - c)] = static_cast<std::uint8_t>(v);  // blue-green-red
            }
        }
    }
    return {};
}

bool ParseInt(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 3) return false;
    for (char ch : text)
        if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
    value = std::stoi(text);
    return value >= low && value <= high;
}

int Reduce(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    int kind = crQuantize, bits = 8, dither = dkFloydSteinberg;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--kind" || a == "--bits" || a == "--dither") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "reelix-tool reduce: %s needs a value\n", a.c_str());
                return 1;
            }
            const std::string& v = args[++i];
            const bool ok = a == "--kind" ? ParseInt(v, 1, 9, kind)
                            : a == "--bits" ? ParseInt(v, 1, 8, bits)
                                            : ParseInt(v, 0, 6, dither);
            if (!ok) {
                std::fprintf(stderr, "reelix-tool reduce: bad value '%s' for %s (kind 1..9, bits 1..8, dither 0..6)\n",
                             v.c_str(), a.c_str());
                return 1;
            }
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "usage: reelix-tool %s\n", kUsage);
        return 1;
    }

    TBitmap source;
    if (const std::string error = ReadPPM(files[0], source); !error.empty()) {
        std::fprintf(stderr, "reelix-tool reduce: %s\n", error.c_str());
        return 1;
    }
    try {
        const std::unique_ptr<TBitmap> reduced =
            ReduceBitmapColors(source, TColorReductionKind(kind), TDitherKind(dither), bits, nullptr);
        if (reduced->Empty() || reduced->PixelFormat() != pf8bit) {
            // crCustomPalette without a palette file lands here.
            std::fprintf(stderr, "reelix-tool reduce: reduction kind %d gave no picture\n", kind);
            return 1;
        }
        TGIFImage image;
        image.OnWarn = [](TPersistent*, int, const std::string& text) {
            std::fprintf(stderr, "warning: %s\n", text.c_str());
        };
        image.SetWidth(static_cast<std::uint16_t>(reduced->Width()));
        image.SetHeight(static_cast<std::uint16_t>(reduced->Height()));
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, reduced->Width(), reduced->Height());
        frame->AllocatePixels();
        for (const TPaletteEntry& e : reduced->Palette().Entries())
            frame->LocalColors().AddColor(MakeColor(e.red, e.green, e.blue));
        for (int y = 0; y < reduced->Height(); ++y) {
            const std::uint8_t* row = reduced->ScanLine(y);
            std::copy(row, row + reduced->Width(), frame->RowPointer(y));
        }
        image.AddFrame(std::move(frame));
        image.SaveToFile(files[1]);
        std::printf("%dx%d, %d colours in the table\n", reduced->Width(), reduced->Height(), reduced->Palette().Count());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "reelix-tool reduce: %s\n", e.what());
        return 1;
    }
    return 0;
}

const bool registered = RegisterToolCommand({"reduce", kUsage, Reduce});

}  // namespace
