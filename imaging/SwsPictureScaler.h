#pragma once
// Filtered scaling by libswscale. Each channel is scaled as a plane of its
// own, so no colour conversion touches the pixels; the result is bit-exact
// on every machine and equal input gives equal output.

#include "painter/PictureScaler.h"

class TSwsPictureScaler final : public IPictureScaler {
public:
    bool Scale(const TRGBAPicture& source, TRGBAPicture& out, TResizeFilter filter) const override;
};
