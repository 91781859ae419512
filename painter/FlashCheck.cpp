#include "painter/FlashCheck.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

const std::array<float, 256>& Linear() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            t[std::size_t(i)] = float(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return t;
    }();
    return table;
}

struct TPixel {
    float Luminance, RedShare, Redness;  // redness: (R - G - B) x 320
};

TPixel Measure(const std::uint8_t* p) {
    const auto& lin = Linear();
    const bool clear = p[3] == 0;
    const float r = clear ? 1.f : lin[p[0]], g = clear ? 1.f : lin[p[1]], b = clear ? 1.f : lin[p[2]];
    const float sum = r + g + b;
    return {0.2126f * r + 0.7152f * g + 0.0722f * b, sum > 0 ? r / sum : 0.f, (r - g - b) * 320.f};
}

// The most marked pixels within any field-sized window (summed-area table).
int MostInAField(const std::vector<std::uint8_t>& marked, int width, int height) {
    std::vector<int> sums(std::size_t(width + 1) * std::size_t(height + 1), 0);
    auto at = [&](int x, int y) -> int& { return sums[std::size_t(y) * std::size_t(width + 1) + std::size_t(x)]; };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            at(x + 1, y + 1) = marked[std::size_t(y) * std::size_t(width) + std::size_t(x)] + at(x, y + 1) + at(x + 1, y) - at(x, y);
    const int w = std::min(width, kFlashFieldWidth), h = std::min(height, kFlashFieldHeight);
    int most = 0;
    for (int y = 0; y + h <= height; ++y)
        for (int x = 0; x + w <= width; ++x) most = std::max(most, at(x + w, y + h) - at(x, y + h) - at(x + w, y) + at(x, y));
    return most;
}

// The direction of one change between two pictures: +1 brighter (redder),
// -1 darker, 0 none large enough.
struct TChange {
    int General = 0, Red = 0;
};

// Counts are totals over the picture: a field can hold no more.
int Direction(const std::vector<std::uint8_t>& up, int upCount, const std::vector<std::uint8_t>& down, int downCount,
              int width, int height) {
    if (std::max(upCount, downCount) < kFlashArea) return 0;
    const int ups = upCount < kFlashArea ? 0 : MostInAField(up, width, height);
    const int downs = downCount < kFlashArea ? 0 : MostInAField(down, width, height);
    if (std::max(ups, downs) < kFlashArea) return 0;
    return ups >= downs ? 1 : -1;
}

TChange Change(const std::vector<std::uint8_t>& from, const std::vector<std::uint8_t>& to, int width, int height) {
    const std::size_t n = std::size_t(width) * std::size_t(height);
    std::vector<std::uint8_t> up(n), down(n), redUp(n), redDown(n);
    int ups = 0, downs = 0, redUps = 0, redDowns = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (std::equal(&from[i * 4], &from[i * 4] + 4, &to[i * 4])) continue;
        const TPixel a = Measure(&from[i * 4]), b = Measure(&to[i * 4]);
        if (std::fabs(b.Luminance - a.Luminance) >= 0.1f && std::min(a.Luminance, b.Luminance) < 0.8f) {
            const bool brighter = b.Luminance > a.Luminance;
            (brighter ? up : down)[i] = 1;
            ++(brighter ? ups : downs);
        }
        if (std::max(a.RedShare, b.RedShare) >= 0.8f && std::fabs(b.Redness - a.Redness) > 20.f) {
            const bool redder = b.Redness > a.Redness;
            (redder ? redUp : redDown)[i] = 1;
            ++(redder ? redUps : redDowns);
        }
    }
    return {Direction(up, ups, down, downs, width, height), Direction(redUp, redUps, redDown, redDowns, width, height)};
}

// Flashes among the changes in [first, last]: runs of one direction count
// once, and each pair of opposing runs is a flash.
int FlashesIn(const std::vector<int>& directions, std::size_t first, std::size_t last) {
    int runs = 0, previous = 0;
    for (std::size_t i = first; i <= last; ++i) {
        if (directions[i] == 0 || directions[i] == previous) continue;
        previous = directions[i];
        ++runs;
    }
    return runs / 2;
}

}  // namespace

void TFlashCounter::Add(const std::vector<std::uint8_t>& picture, int duration) {
    TChange change;
    if (!last_.empty() && width_ > 0 && height_ > 0) change = Change(last_, picture, width_, height_);
    general_.push_back(change.General);
    red_.push_back(change.Red);
    starts_.push_back(clock_);
    clock_ += duration;
    last_ = picture;
}

TFlashReport TFlashCounter::Finish() const {
    TFlashReport report;
    const std::size_t count = starts_.size();
    std::vector<bool> counted(count, false);
    for (std::size_t first = 1; first < count; ++first) {
        std::size_t last = first;
        while (last + 1 < count && starts_[last + 1] < starts_[first] + 100) ++last;
        const int flashes = FlashesIn(general_, first, last), redFlashes = FlashesIn(red_, first, last);
        report.MostFlashes = std::max(report.MostFlashes, flashes);
        report.MostRedFlashes = std::max(report.MostRedFlashes, redFlashes);
        if (flashes > kMostFlashesASecond || redFlashes > kMostFlashesASecond)
            for (std::size_t k = first; k <= last; ++k)
                if (general_[k] != 0 || red_[k] != 0) counted[k] = true;
    }
    for (std::size_t k = 0; k < count; ++k)
        if (counted[k]) report.Frames.push_back(int(k));
    return report;
}

TFlashReport FindFlashes(const std::vector<std::vector<std::uint8_t>>& pictures, const std::vector<int>& durations,
                         int width, int height) {
    TFlashCounter counter(width, height);
    for (std::size_t i = 0; i < pictures.size(); ++i) counter.Add(pictures[i], durations[i]);
    return counter.Finish();
}
