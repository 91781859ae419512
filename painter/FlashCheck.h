#pragma once
// Flashes as the accessibility guidelines count them (WCAG 2.2, 2.3.1): a
// flash is a pair of opposing changes in relative luminance of 10 % or more
// of the maximum where the darker image is below 0.80 (general flash), or a
// pair of opposing changes involving a saturated red (red flash: a red share
// R / (R + G + B) of 0.8 or more, and a change of (R - G - B) x 320 over 20,
// on linear values); a change counts when it covers at least a quarter of a
// 10-degree field, 341 x 256 pixels at typical viewing distance (21,824
// pixels within any such field). More than three flashes in any one second
// fail. See-through pixels are taken as white, the usual page.

#include <cstdint>
#include <vector>

inline constexpr int kFlashFieldWidth = 341;
inline constexpr int kFlashFieldHeight = 256;
inline constexpr int kFlashArea = kFlashFieldWidth * kFlashFieldHeight / 4;
inline constexpr int kMostFlashesASecond = 3;

struct TFlashReport {
    int MostFlashes = 0;     // general flashes in the worst second
    int MostRedFlashes = 0;  // red flashes in the worst second
    std::vector<int> Frames; // the pictures that begin a counted change, in a second that fails
    bool Fails() const { return MostFlashes > kMostFlashesASecond || MostRedFlashes > kMostFlashesASecond; }
};

// Pictures one by one (straight RGBA, width x height), each with how long
// it shows in hundredths of a second; only the last one is kept.
class TFlashCounter {
public:
    TFlashCounter(int width, int height) : width_(width), height_(height) {}
    void Add(const std::vector<std::uint8_t>& picture, int duration);
    TFlashReport Finish() const;

private:
    int width_, height_;
    std::vector<std::uint8_t> last_;
    std::vector<int> general_, red_;  // the change as each picture appears
    std::vector<long long> starts_;
    long long clock_ = 0;
};

// The same over pictures already made, each shown for durations[i].
TFlashReport FindFlashes(const std::vector<std::vector<std::uint8_t>>& pictures, const std::vector<int>& durations,
                         int width, int height);
