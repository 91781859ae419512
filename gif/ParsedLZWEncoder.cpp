#include "gif/ParsedLZWEncoder.h"

void TParsedLZWEncoder::EncodePixels() {
    Begin();
    const std::size_t n = stored_.size();
    for (std::size_t p = 0; p < n;) {
        int code = stored_[p];
        std::size_t i = p + 1;
        for (; i < n && (i >= starts_.size() || !starts_[i]); ++i) {
            const int next = dictionary_.Find(code, stored_[i]);
            if (next < 0) break;
            code = next;
        }
        WriteString(static_cast<unsigned>(code), i, i < n && dictionary_.Find(code, stored_[i]) < 0);
        p = i;
    }
}

void EncodeParsedImageData(TStream& out, int bits, int colorLimit, const std::uint8_t* pixels,
                           const std::vector<std::uint8_t>& starts, bool interlaced, int height, int width,
                           bool keepFullTable) {
    TParsedLZWEncoder encoder(starts);
    encoder.KeepFullTable(keepFullTable);
    encoder.Encode(out, bits, colorLimit, pixels, interlaced, height, width);
}
