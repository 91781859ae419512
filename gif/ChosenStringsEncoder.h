#pragma once
// What the LZW encoders that choose their own strings share (the usual one
// always writes the longest match): the pixels in the order the data stores
// them, the dictionary a decoder builds, its next free code, and writing a
// chosen string so that the dictionary stays the decoder's.

#include <cstdint>
#include <vector>

#include "gif/EncoderModel.h"
#include "gif/LZWEncoder.h"

class TChosenStringsEncoder : public TGIFEncoder {
protected:
    // Codes stop before 4095, as with the usual encoder.
    static constexpr std::uint16_t kLastCode = 4094;

    void PutCode(unsigned code) override;
    void ResetCodes() override;

    // Takes the pixels in stored order and writes the first clear code.
    void Begin();
    void Clear();
    // Writes `code`, its string ending at `end`, and spends the next code on
    // the string it makes with the pixel at `end`. A string the dictionary
    // holds already (`learnsNew` false) still takes a code, as every decoder
    // assigns one. A full table is cleared where the policy says so.
    void WriteString(unsigned code, std::size_t end, bool learnsNew);

    std::vector<std::uint8_t> stored_;
    TStringDictionary dictionary_;
    std::uint16_t FreeCode = 0;
};
