// The lossy pixel choice: every pixel keeps to what it may be, and strings
// get longer than the exact pixels allow.

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "gif/LZWEncoder.h"
#include "gif/LossyChooser.h"
#include "gif/ParsedLZWEncoder.h"
#include "gif/Stream.h"

namespace {

constexpr std::uint32_t kShown = 0x01000000;

std::uint32_t Grey(int level) { return kShown | std::uint32_t(level) * 0x010101u; }

std::int64_t EncodedBytes(const std::vector<std::uint8_t>& pixels, int width) {
    TMemoryStream stream;
    EncodeImageData(stream, encLZW, 8, 256, pixels.data(), false, static_cast<int>(pixels.size()) / width, width);
    return stream.Size();
}

// 64 greys 4 apart, and a picture of noisy greys in bands of 8 columns:
// the first 4 columns must be transparent, every eighth row may show what
// is under it (the same colour).
struct TNoisyGreys {
    static constexpr int kWidth = 128, kHeight = 96, kClear = 63;
    std::vector<std::uint32_t> colors;
    std::vector<TPlanPixel> plan;
    std::vector<std::uint8_t> exact;
    TNoisyGreys() {
        for (int i = 0; i < 64; ++i) colors.push_back(Grey(i * 4));
        unsigned noise = 12345;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                noise = noise * 1103515245u + 12345u;
                const int index = std::min(62, (x / 8) * 2 + int(noise >> 16) % 3);
                const std::uint8_t kind = x < 4 ? kMustClear : (y % 8 == 0 ? kOptional : kMustDraw);
                plan.push_back({colors[std::size_t(index)], kind, kind == kOptional ? colors[std::size_t(index)] : 0});
                exact.push_back(static_cast<std::uint8_t>(kind == kMustClear ? kClear : index));
            }
    }
};

}  // namespace

// A table of 64 greys 4 apart and a picture of noisy greys: within a bound of
// 16 (a step costs far less than a pixel of string is worth) every pixel
// stays close, transparency goes only where allowed, and the encoding shrinks.
TEST(LossyChooser, KeepsEveryPixelWithinItsBoundAndShortensTheStrings) {
    const TNoisyGreys picture;
    const auto& [colors, plan, exact] = std::tie(picture.colors, picture.plan, picture.exact);
    constexpr int kWidth = TNoisyGreys::kWidth, kHeight = TNoisyGreys::kHeight, clear = TNoisyGreys::kClear;
    const int bound2 = 16 * 16;
    TLossyChooser chooser;
    std::vector<std::uint8_t> chosen;
    std::vector<std::uint8_t> starts;
    chooser.Choose(plan, colors, clear, bound2, 8, chosen, starts, false);
    ASSERT_EQ(chosen.size(), plan.size());
    for (std::size_t k = 0; k < plan.size(); ++k) {
        const int symbol = chosen[k];
        if (plan[k].kind == kMustClear) {
            ASSERT_EQ(symbol, clear) << k;
        } else if (symbol == clear) {
            ASSERT_EQ(plan[k].kind, kOptional) << k;
        } else {
            ASSERT_LE(ColorDistance2(colors[std::size_t(symbol)], plan[k].key), bound2) << k;
        }
    }
    // Written as the strings chosen, the data decodes to the choice and is
    // shorter still than the same pixels parsed greedily.
    TMemoryStream parsed;
    EncodeParsedImageData(parsed, 8, 256, chosen.data(), starts, false, kHeight, kWidth, false);
    parsed.SetPosition(0);
    std::vector<std::uint8_t> decoded(chosen.size());
    DecodeImageData(parsed, decoded.data(), kWidth, kHeight, false, [](const std::string& text) { FAIL() << text; });
    EXPECT_EQ(decoded, chosen);
    EXPECT_LT(EncodedBytes(chosen, kWidth), EncodedBytes(exact, kWidth) * 3 / 4);
    EXPECT_LE(parsed.Size(), EncodedBytes(chosen, kWidth));
}

// With no room to stray the choice is the exact picture.
TEST(LossyChooser, ABoundOfZeroKeepsThePixels) {
    std::vector<std::uint32_t> colors = {Grey(0), Grey(1), Grey(2), Grey(3)};
    std::vector<TPlanPixel> plan;
    std::vector<std::uint8_t> exact;
    for (int k = 0; k < 5000; ++k) {
        const int index = (k * k + k / 7) % 4;
        plan.push_back({colors[std::size_t(index)], kMustDraw, 0});
        exact.push_back(static_cast<std::uint8_t>(index));
    }
    TLossyChooser chooser;
    std::vector<std::uint8_t> chosen;
    std::vector<std::uint8_t> starts;
    chooser.Choose(plan, colors, -1, 0, 2, chosen, starts, false);
    EXPECT_EQ(chosen, exact);
}

// The pixel worth trades error for string length: a dearer pixel buys
// longer strings (fewer of them) at more error, every pixel within the
// bound whatever the worth; the error told is the choice's own.
TEST(LossyChooser, ADearerPixelBuysLongerStringsWithMoreError) {
    const TNoisyGreys picture;
    const int bound2 = 16 * 16;
    TLossyChooser chooser;
    long long lastError = -1;
    std::size_t lastStrings = picture.plan.size() + 1, firstStrings = 0;
    for (int worth : {50, 100, 200, 400, 800}) {
        chooser.SetPixelWorth(worth);
        std::vector<std::uint8_t> chosen, starts;
        chooser.Choose(picture.plan, picture.colors, TNoisyGreys::kClear, bound2, 8, chosen, starts, false);
        long long error = 0;
        for (std::size_t k = 0; k < chosen.size(); ++k) {
            const int symbol = chosen[k];
            if (symbol == TNoisyGreys::kClear) continue;  // clear only where allowed, and then exact here
            const int d = ColorDistance2(picture.colors[std::size_t(symbol)], picture.plan[k].key);
            ASSERT_LE(d, bound2) << worth << " " << k;
            error += d;
        }
        EXPECT_EQ(chooser.ErrorOfChoice(picture.plan, chosen), error) << worth;
        const auto strings = static_cast<std::size_t>(std::count(starts.begin(), starts.end(), 1));
        EXPECT_GE(error, lastError) << worth;
        EXPECT_LE(strings, lastStrings) << worth;
        lastError = error;
        lastStrings = strings;
        if (firstStrings == 0) firstStrings = strings;
    }
    EXPECT_LT(lastStrings * 10, firstStrings * 9);  // the worth does act
}
