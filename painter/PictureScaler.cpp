#include "painter/PictureScaler.h"

#include <array>
#include <utility>

namespace {
constexpr std::array<std::pair<TResizeFilter, std::string_view>, 3> kNames{{
    {TResizeFilter::Nearest, "nearest"}, {TResizeFilter::Bilinear, "bilinear"}, {TResizeFilter::Smooth, "smooth"}}};
}

std::string ResizeFilterName(TResizeFilter filter) {
    for (const auto& [value, name] : kNames)
        if (value == filter) return std::string(name);
    return "smooth";
}

std::optional<TResizeFilter> ResizeFilterNamed(std::string_view name) {
    for (const auto& [value, text] : kNames)
        if (text == name) return value;
    return std::nullopt;
}
