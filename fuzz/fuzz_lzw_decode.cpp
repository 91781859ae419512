// Decodes arbitrary bytes as the image data of one frame. The first four bytes
// give the frame's width and height (capped so a run stays fast), the top bit of
// the width asks for interlacing; the rest is the code size byte and sub-blocks.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "raster/GIFException.h"
#include "gif/LZW.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const int width = (data[0] | (data[1] & 0x7F) << 8) % 1025;
    const int height = (data[2] | data[3] << 8) % 1025;
    const bool interlaced = data[1] & 0x80;
    constexpr std::uint8_t fill = 0xA5;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height, fill);
    TMemoryStream in(data + 4, size - 4);
    try {
        DecodeImageData(in, pixels.data(), width, height, interlaced, [](const std::string&) {});
    } catch (const GIFException&) {
        return 0;
    }
    // The decoder must leave the stream within the data it was given.
    if (in.Position() > in.Size()) std::abort();
    return 0;
}
