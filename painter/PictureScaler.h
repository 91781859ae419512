#pragma once
// Scaling of true-colour pictures with a filter, done by a real scaling
// library in the layers above; the core only names the filters and asks.

#include <optional>
#include <string>
#include <string_view>

#include "raster/RGBAPicture.h"

enum class TResizeFilter {
    Nearest,   // the nearest source pixel: pixel art stays crisp, no new colours
    Bilinear,  // a weighted mean of the four nearest pixels
    Smooth     // area averaging when shrinking, Lanczos when growing
};

// "nearest", "bilinear", "smooth": the names the tool and the settings use.
std::string ResizeFilterName(TResizeFilter filter);
std::optional<TResizeFilter> ResizeFilterNamed(std::string_view name);

class IPictureScaler {
public:
    virtual ~IPictureScaler() = default;
    // Scales `source` to out.Width x out.Height (set by the caller) into
    // out.Pixels. Straight alpha in and out. Answers false when it cannot.
    virtual bool Scale(const TRGBAPicture& source, TRGBAPicture& out, TResizeFilter filter) const = 0;
};
