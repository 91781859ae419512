#pragma once
// An LZW encoder that writes the strings it is given: the pixels, and where
// each string starts. The lossy chooser picks its strings as it picks the
// pixels; a greedy encoder would parse those pixels into other strings, its
// dictionary would grow apart from the one the choice followed, and most of
// what was given up for shorter data would be lost. The dictionary, code
// widths and clears are those of any LZW decoder.

#include <cstdint>
#include <vector>

#include "gif/ChosenStringsEncoder.h"

class TParsedLZWEncoder : public TChosenStringsEncoder {
public:
    // `starts[k]`: whether a string starts at the k-th pixel in the order the
    // data stores them (one flag per pixel). A string the dictionary does not
    // hold ends where it stops matching (the data stays valid).
    explicit TParsedLZWEncoder(const std::vector<std::uint8_t>& starts) : starts_(starts) {}

protected:
    void EncodePixels() override;

private:
    const std::vector<std::uint8_t>& starts_;
};

// Image data (as EncodeImageData writes it) whose strings start where
// `starts` says, in stored order; see TGIFEncoder::KeepFullTable.
void EncodeParsedImageData(TStream& out, int bits, int colorLimit, const std::uint8_t* pixels,
                           const std::vector<std::uint8_t>& starts, bool interlaced, int height, int width,
                           bool keepFullTable);
