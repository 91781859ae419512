// Encodes arbitrary pixels with every encoder and decodes them again: what
// comes back must be exactly what went in, without a warning. The strings of
// the parsed encoder start where the pixel bytes' top bit is set, and it runs
// with a full table cleared and kept. The LZW encoder's fast dictionary must
// also write exactly what the plain hash table writes. The first byte selects
// the bit depth, the interlacing and the row width; the rest are the pixels.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gif/LZW.h"
#include "gif/LZWEncoder.h"
#include "gif/ParsedLZWEncoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int bits = 1 + (data[0] & 7);
    const bool interlaced = data[0] & 8;
    const int width = 1 + data[1] % 64;
    std::vector<std::uint8_t> pixels(data + 2, data + size);
    const int height = static_cast<int>(pixels.size()) / width;
    if (height == 0) return 0;
    pixels.resize(static_cast<std::size_t>(width) * height);
    std::vector<std::uint8_t> starts(pixels.size());
    for (std::size_t k = 0; k < pixels.size(); ++k) starts[k] = pixels[k] >> 7;
    // Sparse bit patterns stretch into long runs so both encoders' table logic is reached.
    for (auto& p : pixels) p = static_cast<std::uint8_t>(p % (1u << bits));

    auto roundTrip = [&](const TMemoryStream& out, const char* what) {
        std::vector<std::uint8_t> back(pixels.size(), 0xEE);
        int warnings = 0;
        TMemoryStream in(out.Data(), static_cast<std::size_t>(out.Size()));
        DecodeImageData(in, back.data(), width, height, interlaced, [&](const std::string&) { ++warnings; });
        if (back != pixels || warnings != 0 || in.Position() != in.Size()) {
            std::fprintf(stderr, "round trip failed: %s, %dx%d, %d bits\n", what, width, height, bits);
            std::abort();
        }
    };
    for (TGIFEncoding encoding : {encLZW, encRLE, encLZWBest}) {
        TMemoryStream out;
        EncodeImageData(out, encoding, bits, 1 << bits, pixels.data(), interlaced, height, width);
        roundTrip(out, encoding == encLZW ? "LZW" : encoding == encRLE ? "RLE" : "best");
    }
    for (bool keep : {false, true}) {
        TMemoryStream out;
        EncodeParsedImageData(out, bits, 1 << bits, pixels.data(), starts, interlaced, height, width, keep);
        roundTrip(out, keep ? "parsed, full table kept" : "parsed");
    }
    for (bool keep : {false, true}) {
        TMemoryStream fast, plain;
        TLZWEncoder fastEncoder, plainEncoder;
        plainEncoder.UseHashTable(true);
        fastEncoder.KeepFullTable(keep);
        plainEncoder.KeepFullTable(keep);
        fastEncoder.Encode(fast, bits, 1 << bits, pixels.data(), interlaced, height, width);
        plainEncoder.Encode(plain, bits, 1 << bits, pixels.data(), interlaced, height, width);
        if (fast.Bytes() != plain.Bytes()) {
            std::fprintf(stderr, "fast dictionary differs: %dx%d, %d bits\n", width, height, bits);
            std::abort();
        }
        roundTrip(fast, keep ? "LZW, full table kept" : "LZW");
    }
    return 0;
}
