// Check Animation: one recipe per rule (an animation that breaks it and one
// that does not), each fix as a logged step after which the rule passes and
// the rest shows the same, undone by the log; the flash rule at its
// thresholds; the byte cost adding up to the file's size.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

#include "gif/ByteCost.h"
#include "gif/FrameControl.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "painter/AnimationCheck.h"
#include "painter/FlashCheck.h"
#include "support/FrameBuilders.h"
#include "support/TestData.h"
#include "ShownFrames.h"

namespace {

using painter_test::Frames;
using painter_test::Shown;

// `count` frames of w x h, a grey field with a dark block moving one column
// a frame; delay and loop (-1: no looping block) as given.
std::unique_ptr<TGIFImage> Moving(int count, int w, int h, int delay, int loop) {
    auto image = std::make_unique<TGIFImage>();
    for (int f = 0; f < count; ++f) {
        std::vector<int> pixels(std::size_t(w * h), 0);
        for (int y = 0; y < h; ++y) pixels[std::size_t(y * w + f % w)] = 1;
        TGIFSubImage* frame = AddIndexedFrame(*image, 0, 0, w, h, pixels, {0x808080, 0x202020});
        RequireControl(*frame).DelayTime = std::uint16_t(delay);
        if (f == 0 && loop >= 0) AddExtension<TGIFAppExtNSLoop>(frame)->LoopCount = std::uint16_t(loop);
    }
    return image;
}

const TCheckFinding* Find(const TCheckReport& report, const std::string& rule) {
    for (const TCheckFinding& f : report.Findings)
        if (f.Rule == rule) return &f;
    return nullptr;
}

// The rule fires on `broken` and not on `sound`; its fix (when it has one)
// is one step after which the rule passes and `same` holds between the
// pictures before and after; undone, the rule is back.
void ExpectRule(const std::string& rule, TGIFImage& broken, TGIFImage& sound, bool fixable,
                const std::function<void(const Frames&, const Frames&)>& same = {}) {
    SCOPED_TRACE(rule);
    EXPECT_EQ(Find(CheckAnimation(sound, 0), rule), nullptr) << "the sound animation";
    const TCheckReport report = CheckAnimation(broken, 0);
    const TCheckFinding* finding = Find(report, rule);
    ASSERT_NE(finding, nullptr) << CheckReportText(report);
    EXPECT_FALSE(finding->Explanation.empty());
    EXPECT_EQ(finding->Fix != TCheckFix::None, fixable) << finding->FixCaption;
    if (!fixable) return;
    const std::string before = Saved(broken);
    const Frames shownBefore = Shown(broken);
    TFrameEditLog log;
    ASSERT_TRUE(ApplyCheckFix(broken, *finding, log));
    EXPECT_EQ(Find(CheckAnimation(broken, 0), rule), nullptr) << "after the fix";
    if (same) same(shownBefore, Shown(broken));
    else EXPECT_EQ(Shown(broken), shownBefore);
    log.Undo(broken);
    EXPECT_EQ(Saved(broken), before) << "undone";
}

// 8-bit grey or colour fields for the flash rule: straight RGBA.
std::vector<std::uint8_t> Field(int w, int h, std::uint32_t rgb, int patchW = -1, int patchH = -1, std::uint32_t patch = 0) {
    std::vector<std::uint8_t> p(std::size_t(w) * std::size_t(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = x < patchW && y < patchH ? patch : rgb;
            std::uint8_t* q = &p[(std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4];
            q[0] = std::uint8_t(c >> 16), q[1] = std::uint8_t(c >> 8), q[2] = std::uint8_t(c), q[3] = 255;
        }
    return p;
}

// `changes` alternations between a and b, each shown `delay` hundredths.
TFlashReport Alternating(int w, int h, const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, int pictures,
                         int delay) {
    std::vector<std::vector<std::uint8_t>> sequence;
    for (int i = 0; i < pictures; ++i) sequence.push_back(i % 2 ? b : a);
    return FindFlashes(sequence, std::vector<int>(std::size_t(pictures), delay), w, h);
}

// The sRGB level whose relative luminance is nearest `luminance`.
std::uint32_t GreyOf(double luminance) {
    int best = 0;
    for (int i = 0; i < 256; ++i) {
        const auto lin = [](int v) {
            const double c = v / 255.0;
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        if (std::fabs(lin(i) - luminance) < std::fabs(lin(best) - luminance)) best = i;
    }
    return std::uint32_t(best) * 0x010101;
}

}  // namespace

TEST(AnimationCheck, PlaybackRulesFireOnTheirRecipesAndTheirFixesMendThem) {
    {  // delays of 0 and 1 become 2; the pictures stay
        auto broken = Moving(4, 8, 4, 2, 0), sound = Moving(4, 8, 4, 2, 0);
        RequireControl(*broken->Frames()[1]).DelayTime = 0;
        RequireControl(*broken->Frames()[2]).DelayTime = 1;
        ExpectRule("short-delays", *broken, *sound, true);
        EXPECT_EQ(Find(CheckAnimation(*Moving(4, 8, 4, 0, 0), 0), "short-delays")->Frames, (std::vector<int>{0, 1, 2, 3}));
    }
    {  // a count of 4 over a 2 s play: read as 5 or 4 plays, past 5 s; fixed to a count that ends in time
        auto broken = Moving(4, 8, 4, 50, 4), sound = Moving(4, 8, 4, 50, 0);
        EXPECT_EQ(Find(CheckAnimation(*broken, 0), "loop-count")->Value, 1);  // 1 repeat: 2 plays, 4 s
        ExpectRule("loop-count", *broken, *sound, true);
    }
    {  // the first frame restores to previous: made restore to background
        auto broken = Moving(3, 8, 4, 10, 0), sound = Moving(3, 8, 4, 10, 0);
        RequireControl(*broken->Frames()[0]).SetDisposalMethod(3);
        RequireControl(*sound->Frames()[1]).SetDisposalMethod(3);
        ExpectRule("first-restores-previous", *broken, *sound, true);
    }
    {  // codes 4-7 become "leave", which is how they are shown
        auto broken = Moving(3, 8, 4, 10, 0), sound = Moving(3, 8, 4, 10, 0);
        RequireControl(*broken->Frames()[1]).SetDisposalMethod(5);
        ExpectRule("reserved-disposal", *broken, *sound, true);
    }
    {  // a frame past the screen: no fix
        auto broken = Moving(2, 8, 4, 10, 0), sound = Moving(2, 8, 4, 10, 0);
        broken->Frames()[1]->PlaceFrame(4, 2, 8, 4);
        broken->Header().ScreenWidth = 8, broken->Header().ScreenHeight = 4;
        ExpectRule("outside-screen", *broken, *sound, false);
    }
    {  // everything drawn lies in 8 x 4 at (3, 2) of a 20 x 10 screen: cropped to it
        auto broken = Moving(3, 8, 4, 10, 0), sound = Moving(3, 8, 4, 10, 0);
        for (int i = 0; i < 3; ++i) broken->Frames()[i]->PlaceFrame(3, 2, 8, 4);
        broken->Header().ScreenWidth = 20, broken->Header().ScreenHeight = 10;
        const TCheckReport report = CheckAnimation(*broken, 0);
        const TCheckFinding* f = Find(report, "unused-screen");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->Kept.left, 3);
        EXPECT_EQ(f->Kept.Width(), 8);
        ExpectRule("unused-screen", *broken, *sound, true, [](const Frames& before, const Frames& after) {
            ASSERT_EQ(before.size(), after.size());
            for (std::size_t i = 0; i < after.size(); ++i)
                for (int y = 0; y < 4; ++y)
                    EXPECT_TRUE(std::equal(&after[i][std::size_t(y) * 8 * 4], &after[i][std::size_t(y) * 8 * 4] + 32,
                                           &before[i][(std::size_t(y + 2) * 20 + 3) * 4]))
                        << "frame " << i << " row " << y;
        });
    }
    {  // past what pages carry: 31 s; 50 frames a second of noise, over 5 MB; no fix
        ExpectRule("running-time", *Moving(31, 8, 4, 100, 0), *Moving(30, 8, 4, 100, 0), false);
        auto noise = [](int delay) {
            auto image = std::make_unique<TGIFImage>();
            std::vector<TColor> colors;
            for (int i = 0; i < 256; ++i) colors.push_back(TColor(i * 0x010203 & 0xFFFFFF));
            std::uint32_t seed = 1;
            for (int f = 0; f < 40; ++f) {
                std::vector<int> pixels(400 * 300);
                for (int& p : pixels) p = int((seed = seed * 1664525u + 1013904223u) >> 24);
                RequireControl(*AddIndexedFrame(*image, 0, 0, 400, 300, pixels, colors)).DelayTime = std::uint16_t(delay);
            }
            return image;
        };
        ExpectRule("frame-rate", *noise(2), *noise(4), false);
        ExpectRule("file-size", *noise(2), *Moving(10, 8, 4, 2, 0), false);
        ExpectRule("frame-rate", *noise(2), *Moving(10, 8, 4, 2, 0), false);  // small files may run fast
    }
}

TEST(AnimationCheck, AccessibilityRulesFireOnTheirRecipesAndTheirFixesMendThem) {
    {  // moving without end: a count whose plays end within 5 s (0.4 s a play: 11 repeats)
        auto broken = Moving(4, 8, 4, 10, 0), sound = Moving(4, 8, 4, 10, 3);
        EXPECT_EQ(Find(CheckAnimation(*broken, 0), "endless-motion")->Value, 11);
        ExpectRule("endless-motion", *broken, *sound, true);
        // A file without a looping block plays once, as it is; saved by the
        // editor it gains the default count (0: without end).
        auto once = Moving(4, 8, 4, 10, -1);
        EXPECT_EQ(CheckAnimation(*once, -1).Plays, 1);
        EXPECT_EQ(Find(CheckAnimation(*once, -1), "endless-motion"), nullptr);
        EXPECT_NE(Find(CheckAnimation(*once, 0), "endless-motion"), nullptr);
        // A still picture that loops does not move; a play of 3 s cannot be fixed by a count.
        EXPECT_EQ(Find(CheckAnimation(*Moving(1, 8, 4, 10, 0), 0), "endless-motion"), nullptr);
        ExpectRule("endless-motion", *Moving(3, 8, 4, 100, 0), *sound, false);
    }
    {  // black and white over 400 x 300, 10 frames a second: slowed to 17 hundredths each
        auto broken = std::make_unique<TGIFImage>(), sound = std::make_unique<TGIFImage>();
        for (int f = 0; f < 12; ++f)
            for (TGIFImage* image : {broken.get(), sound.get()}) {
                TGIFSubImage* frame = AddIndexedFrame(*image, 0, 0, 400, 300, std::vector<int>(400 * 300, f % 2),
                                                      {0x000000, 0xFFFFFF});
                RequireControl(*frame).DelayTime = image == broken.get() ? 10 : 20;
            }
        const TCheckReport report = CheckAnimation(*broken, 0);
        const TCheckFinding* f = Find(report, "flashes");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->Area, TCheckArea::Accessibility);
        ExpectRule("flashes", *broken, *sound, true);
        EXPECT_EQ(broken->Frames()[0]->ControlExtension()->DelayTime, 10) << "undone";
    }
}

TEST(AnimationCheck, FlashesAreCountedAtTheThresholds) {
    const int w = 400, h = 300;
    const auto black = Field(w, h, 0x000000), white = Field(w, h, 0xFFFFFF);
    // 3 flashes a second (changes 17 hundredths apart) pass, 4 (12 apart) fail.
    EXPECT_EQ(Alternating(w, h, black, white, 12, 17).MostFlashes, 3);
    EXPECT_FALSE(Alternating(w, h, black, white, 12, 17).Fails());
    EXPECT_EQ(Alternating(w, h, black, white, 12, 12).MostFlashes, 4);
    EXPECT_TRUE(Alternating(w, h, black, white, 12, 12).Fails());
    // The area: a changing patch just under and just over a quarter of the 341 x 256 field.
    const auto under = Field(w, h, 0x000000, 147, 148, 0xFFFFFF), over = Field(w, h, 0x000000, 148, 148, 0xFFFFFF);
    EXPECT_FALSE(Alternating(w, h, black, under, 12, 5).Fails());
    EXPECT_TRUE(Alternating(w, h, black, over, 12, 5).Fails());
    // Spread over the picture it counts only within one field: two patches of
    // 120 x 120 (28,800 pixels in all) far apart do not add up.
    std::vector<std::uint8_t> apart = black;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            for (const int left : {0, 280})
                std::fill_n(&apart[(std::size_t(y + (left ? 180 : 0)) * w + std::size_t(x + left)) * 4], 3, 0xFF);
    EXPECT_FALSE(Alternating(w, h, black, apart, 12, 5).Fails());
    // Luminance: a change of 0.09 does not count, one of 0.11 does (the darker under 0.80).
    const auto dark = Field(w, h, GreyOf(0.30));
    EXPECT_FALSE(Alternating(w, h, dark, Field(w, h, GreyOf(0.39)), 12, 5).Fails());
    EXPECT_TRUE(Alternating(w, h, dark, Field(w, h, GreyOf(0.41)), 12, 5).Fails());
    // Both brighter than 0.80: no flash however large the change of ... nothing to see.
    EXPECT_FALSE(Alternating(w, h, Field(w, h, GreyOf(0.82)), Field(w, h, GreyOf(0.95)), 12, 5).Fails());
    // Saturated red against dark red of the same luminance change: a red flash.
    const TFlashReport red = Alternating(w, h, Field(w, h, 0x200000), Field(w, h, 0xFF0000), 12, 12);
    EXPECT_GT(red.MostRedFlashes, 3);
    // Three pictures a second of which one differs: one flash, passes.
    EXPECT_FALSE(Alternating(w, h, black, white, 3, 34).Fails());
}

TEST(AnimationCheck, TheByteCostAddsUpToTheFileSize) {
    auto image = Moving(5, 16, 8, 10, 0);
    TMemoryStream saved;
    image->SaveToStream(saved);
    const TByteCost cost = MeasureByteCost(saved.Data(), std::size_t(saved.Size()));
    ASSERT_EQ(cost.Frames.size(), 5u);
    EXPECT_TRUE(cost.Complete);
    std::uint64_t sum = cost.FileOwn;
    for (const TFrameBytes& f : cost.Frames) sum += f.Total();
    EXPECT_EQ(sum, cost.Size);
    EXPECT_GT(cost.Frames[0].Extensions, cost.Frames[1].Extensions) << "the looping block is the first frame's";
    EXPECT_GT(cost.Frames[0].ColorTable, 0u);
    // Every shared GIF, damaged ones too: the shares add up.
    for (const auto& file : TestGifFiles()) {
        const std::vector<std::uint8_t> bytes = ReadFileBytes(file);
        const TByteCost c = MeasureByteCost(bytes.data(), bytes.size());
        std::uint64_t total = c.FileOwn;
        for (const TFrameBytes& f : c.Frames) total += f.Total();
        ASSERT_EQ(total, bytes.size()) << file;
    }
    // The report names the largest frame first and its JSON is one object.
    const TCheckReport report = CheckAnimation(*image, 0);
    EXPECT_EQ(report.Bytes.Size, saved.Size());
    const std::string json = CheckReportJson(report);
    EXPECT_EQ(json.front(), '{');
    EXPECT_NE(json.find("\"rule\": \"endless-motion\""), std::string::npos);
}
