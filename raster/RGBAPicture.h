#pragma once
// A true-colour picture as straight (not premultiplied) RGBA bytes, row by
// row from the top: what scalers and text renderers hand to the core.

#include <cstdint>
#include <vector>

struct TRGBAPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;  // Width x Height x 4

    TRGBAPicture() = default;
    TRGBAPicture(int width, int height)
        : Width(width), Height(height), Pixels(std::size_t(width) * std::size_t(height) * 4, 0) {}
    bool Empty() const { return Width <= 0 || Height <= 0; }
    std::uint8_t* Pixel(int x, int y) { return Pixels.data() + (std::size_t(y) * std::size_t(Width) + std::size_t(x)) * 4; }
    const std::uint8_t* Pixel(int x, int y) const {
        return Pixels.data() + (std::size_t(y) * std::size_t(Width) + std::size_t(x)) * 4;
    }
};
