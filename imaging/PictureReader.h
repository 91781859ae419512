#pragma once
// Still pictures through Qt's image readers (PNG with its transparency,
// JPEG, BMP, and whatever else the installed readers know), as packed
// 0xRRGGBB pixels with kClear where a pixel is less than half opaque.

#include <cstdint>
#include <string>
#include <vector>

struct TPackedPicture {
    int Width = 0, Height = 0;
    std::vector<std::uint32_t> Pixels;
    bool HasClear = false;  // some pixel is kClear
};

// Reads the first picture of the file; false with `error` set ("Unknown
// picture format", "Image too large", ...) when there is none.
bool ReadPackedPicture(const std::string& path, TPackedPicture& picture, std::string& error);

// The picture's pixels packed; `straightAlpha` is RGBA bytes row by row.
TPackedPicture PackRGBA(const std::uint8_t* straightAlpha, int width, int height);
