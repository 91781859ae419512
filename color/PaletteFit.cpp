#include "color/PaletteFit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kCellBits = 6;

int Channel(std::uint32_t rgb, int c) { return int((rgb >> (16 - 8 * c)) & 0xFF); }

std::uint32_t Pack(double red, double green, double blue) {
    auto byte = [](double v) { return std::uint32_t(std::clamp(std::lround(v), 0L, 255L)); };
    return (byte(red) << 16) | (byte(green) << 8) | byte(blue);
}

int Distance(std::uint32_t a, std::uint32_t b) { return ColorDistance(a, b); }

using TEntries = std::vector<TColorHistogram::TEntry>;

// A run of entries with its weighted statistics.
struct TBox {
    std::size_t begin = 0, end = 0;
    double mean[3] = {0, 0, 0};
    double spread[3] = {0, 0, 0};  // weighted sum of squared deviations per channel
    double Error() const { return spread[0] + spread[1] + spread[2]; }
};

TBox Measure(const TEntries& entries, std::size_t begin, std::size_t end) {
    TBox box{begin, end};
    double weight = 0, sum[3] = {0, 0, 0}, squares[3] = {0, 0, 0};
    for (std::size_t i = begin; i < end; ++i) {
        const double w = double(entries[i].weight);
        weight += w;
        for (int c = 0; c < 3; ++c) {
            const double v = Channel(entries[i].rgb, c);
            sum[c] += w * v;
            squares[c] += w * v * v;
        }
    }
    for (int c = 0; c < 3; ++c) {
        box.mean[c] = weight > 0 ? sum[c] / weight : 0;
        box.spread[c] = weight > 0 ? std::max(0.0, squares[c] - sum[c] * sum[c] / weight) : 0;
    }
    return box;
}

// Splits the box with the largest error along its widest channel, at the
// weighted median; answers false when no box holds two entries.
bool SplitWorst(TEntries& entries, std::vector<TBox>& boxes) {
    std::size_t worst = boxes.size();
    for (std::size_t b = 0; b < boxes.size(); ++b)
        if (boxes[b].end - boxes[b].begin > 1 && (worst == boxes.size() || boxes[b].Error() > boxes[worst].Error()))
            worst = b;
    if (worst == boxes.size()) return false;
    const TBox box = boxes[worst];
    const int channel = int(std::max_element(box.spread, box.spread + 3) - box.spread);
    // Ordered along the channel by counting (its values are bytes), stably.
    const auto first = entries.begin() + std::ptrdiff_t(box.begin), last = entries.begin() + std::ptrdiff_t(box.end);
    std::array<std::size_t, 257> start{};
    for (auto it = first; it != last; ++it) ++start[std::size_t(Channel(it->rgb, channel)) + 1];
    for (std::size_t v = 1; v < start.size(); ++v) start[v] += start[v - 1];
    TEntries ordered(std::size_t(last - first));
    for (auto it = first; it != last; ++it) ordered[start[std::size_t(Channel(it->rgb, channel))]++] = *it;
    std::copy(ordered.begin(), ordered.end(), first);
    std::uint64_t total = 0, running = 0;
    for (auto it = first; it != last; ++it) total += it->weight;
    std::size_t split = box.begin + 1;
    for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
        running += entries[i].weight;
        split = i + 1;
        if (2 * running >= total) break;
    }
    boxes[worst] = Measure(entries, box.begin, split);
    boxes.push_back(Measure(entries, split, box.end));
    return true;
}

// Lloyd iterations: each entry goes to its nearest centre, each centre to
// the weighted mean of its entries, until nothing moves.
void Refine(const TEntries& entries, std::vector<std::uint32_t>& centres, int rounds) {
    std::vector<int> owner(entries.size(), -1);
    for (int round = 0; round < rounds; ++round) {
        bool moved = false;
        const TPaletteSearch search(centres);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const int best = search.Nearest(entries[i].rgb, owner[i]);
            moved = moved || owner[i] != best;
            owner[i] = best;
        }
        if (!moved) break;
        std::vector<double> sums(centres.size() * 4, 0.0);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            double* s = &sums[std::size_t(owner[i]) * 4];
            const double w = double(entries[i].weight);
            s[0] += w;
            for (int c = 0; c < 3; ++c) s[c + 1] += w * Channel(entries[i].rgb, c);
        }
        for (std::size_t k = 0; k < centres.size(); ++k) {
            const double* s = &sums[k * 4];
            if (s[0] > 0) centres[k] = Pack(s[1] / s[0], s[2] / s[0], s[3] / s[0]);
        }
    }
}

}  // namespace

TColorHistogram::TColorHistogram() : cells_(std::size_t(1) << (3 * kCellBits)) {}

void TColorHistogram::Add(std::uint32_t rgb, std::uint32_t count) {
    const int r = Channel(rgb, 0), g = Channel(rgb, 1), b = Channel(rgb, 2);
    constexpr int shift = 8 - kCellBits;
    const std::size_t index =
        (std::size_t(r >> shift) << (2 * kCellBits)) | (std::size_t(g >> shift) << kCellBits) | std::size_t(b >> shift);
    TCell& cell = cells_[index];
    if (cell.count == 0) used_.push_back(std::uint32_t(index));
    cell.count += count;
    cell.red += std::uint64_t(r) * count;
    cell.green += std::uint64_t(g) * count;
    cell.blue += std::uint64_t(b) * count;
}

void TColorHistogram::Clear() {
    for (std::uint32_t index : used_) cells_[index] = TCell{};
    used_.clear();
}

std::vector<TColorHistogram::TEntry> TColorHistogram::Entries() const {
    std::vector<std::uint32_t> used = used_;
    std::sort(used.begin(), used.end());
    std::vector<TEntry> entries;
    entries.reserve(used.size());
    for (std::uint32_t index : used)
        if (const TCell& cell = cells_[index]; cell.count > 0) {
            const double n = double(cell.count);
            entries.push_back({Pack(double(cell.red) / n, double(cell.green) / n, double(cell.blue) / n), cell.count});
        }
    return entries;
}

std::vector<std::uint32_t> FitPalette(const TColorHistogram& histogram, int maxColors, double enoughError,
                                      int refineRounds) {
    TEntries entries = histogram.Entries();
    maxColors = std::clamp(maxColors, 1, 256);
    if (entries.empty()) return {};
    double weight = 0;
    for (const auto& e : entries) weight += double(e.weight);
    std::vector<TBox> boxes{Measure(entries, 0, entries.size())};
    auto meanError = [&] {
        double error = 0;
        for (const TBox& box : boxes) error += box.Error();
        return error / weight / 3;
    };
    while (int(boxes.size()) < maxColors && meanError() > enoughError && SplitWorst(entries, boxes)) {
    }
    std::vector<std::uint32_t> palette;
    for (const TBox& box : boxes) palette.push_back(Pack(box.mean[0], box.mean[1], box.mean[2]));
    if (entries.size() > palette.size()) Refine(entries, palette, refineRounds);
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    return palette;
}

TPaletteSearch::TPaletteSearch(const std::vector<std::uint32_t>& palette)
    : palette_(palette), sureWithin_(palette.size(), 0) {
    for (std::size_t k = 0; k < palette.size(); ++k) byGreen_.push_back({Channel(palette[k], 1), int(k), palette[k]});
    std::sort(byGreen_.begin(), byGreen_.end(),
              [](const TEntry& a, const TEntry& b) { return a.green != b.green ? a.green < b.green : a.index < b.index; });
    std::size_t e = 0;
    for (int g = 0; g < 256; ++g) {
        while (e < byGreen_.size() && byGreen_[e].green < g) ++e;
        firstAtGreen_[std::size_t(g)] = std::uint16_t(e);
    }
    // Each entry's nearest other, searched outwards along green as below.
    for (std::size_t at = 0; at < byGreen_.size(); ++at) {
        const TEntry& a = byGreen_[at];
        int nearest = std::numeric_limits<int>::max();
        for (std::size_t b = at + 1; b < byGreen_.size(); ++b) {
            const int dg = byGreen_[b].green - a.green;
            if (dg * dg >= nearest) break;
            nearest = std::min(nearest, Distance(a.rgb, byGreen_[b].rgb));
        }
        for (std::size_t b = at; b-- > 0;) {
            const int dg = a.green - byGreen_[b].green;
            if (dg * dg >= nearest) break;
            nearest = std::min(nearest, Distance(a.rgb, byGreen_[b].rgb));
        }
        sureWithin_[std::size_t(a.index)] = nearest == std::numeric_limits<int>::max() ? nearest : nearest / 4;
    }
}

int TPaletteSearch::Nearest(std::uint32_t rgb, int hint) const {
    if (byGreen_.empty()) return 0;
    const int green = Channel(rgb, 1);
    int best = -1, bestDistance = std::numeric_limits<int>::max();
    if (hint >= 0 && std::size_t(hint) < palette_.size()) {
        // Within half the way to any other entry, no other can be as near.
        const int d = Distance(rgb, palette_[std::size_t(hint)]);
        if (d < sureWithin_[std::size_t(hint)]) return hint;
        best = hint;
        bestDistance = d;
    }
    auto visit = [&](const TEntry& e) {
        const int d = Distance(rgb, e.rgb);
        if (d < bestDistance || (d == bestDistance && e.index < best)) {
            bestDistance = d;
            best = e.index;
        }
    };
    // Upwards from the first entry of this green, downwards from the one before;
    // each side stops once green alone is farther than the best (equal may tie).
    const std::size_t start = firstAtGreen_[std::size_t(green)];
    std::size_t up = start, down = start;
    bool goUp = up < byGreen_.size(), goDown = down > 0;
    while (goUp || goDown) {
        if (goUp) {
            const TEntry& e = byGreen_[up];
            const int dg = e.green - green;
            if (dg * dg > bestDistance) goUp = false;
            else {
                visit(e);
                goUp = ++up < byGreen_.size();
            }
        }
        if (goDown) {
            const TEntry& e = byGreen_[down - 1];
            const int dg = green - e.green;
            if (dg * dg > bestDistance) goDown = false;
            else {
                visit(e);
                goDown = --down > 0;
            }
        }
    }
    return best;
}

TNearestColor::TNearestColor(std::vector<std::uint32_t> palette)
    : palette_(std::move(palette)), search_(palette_), cache_(std::size_t(1) << 16) {}
