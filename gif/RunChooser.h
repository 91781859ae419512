#pragma once

#include <cstdint>
#include <vector>

#include "gif/EncoderModel.h"

// Pixels that may be transparent or keep their colour take whichever
// continues the string the LZW encoder is building (when both do, the one the
// next pixel continues too); otherwise the clear one.
// `want` holds the fixed index of each pixel, or -1 where `option` (the
// pixel's colour, or -1 when the table lacks it) and `clear` are both right.
class TRunChooser {
public:
    void Choose(const std::vector<int>& want, const std::vector<int>& option, int clear, int bits,
                std::vector<std::uint8_t>& out);

private:
    TStringDictionary dictionary_;
};
