#include "gif/ParsedLZWEncoder.h"

namespace {
// Codes stop before 4095, as with the usual encoder.
constexpr std::uint16_t kLastCode = 4094;
}  // namespace

void TParsedLZWEncoder::PutCode(unsigned code) {
    PackCode(code);
    AdvanceWidth(FreeCode);
}

void TParsedLZWEncoder::ResetCodes() { Clear(); }

void TParsedLZWEncoder::Clear() {
    JustCleared = true;
    PutCode(ClearCode);
    dictionary_.Clear();
    FreeCode = FirstFree;
}

void TParsedLZWEncoder::WriteString(unsigned code, std::size_t end) {
    PutCode(code);
    if (end >= stored_.size()) return;
    if (FreeCode > kLastCode) {
        if (FullTable.ShouldClear(end, std::size_t(FreeCode - FirstFree))) Clear();
        return;
    }
    if (dictionary_.Find(static_cast<int>(code), stored_[end]) < 0)
        dictionary_.Store(static_cast<int>(code), stored_[end], FreeCode);
    ++FreeCode;
}

void TParsedLZWEncoder::EncodePixels() {
    stored_ = StoredPixels();
    Clear();
    const std::size_t n = stored_.size();
    for (std::size_t p = 0; p < n;) {
        int code = stored_[p];
        std::size_t i = p + 1;
        for (; i < n && (i >= starts_.size() || !starts_[i]); ++i) {
            const int next = dictionary_.Find(code, stored_[i]);
            if (next < 0) break;
            code = next;
        }
        WriteString(static_cast<unsigned>(code), i);
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
