#include "gif/LossyChooser.h"

#include <algorithm>

namespace {

// Dictionary steps one search may take: enough to find the long strings of
// flat and repeated areas, few enough that a noisy picture stays quick.
constexpr int kExtendBudget = 1024;
constexpr int kStartBudget = 2048;
// What one pixel more in a string is worth, in squared RGB distance, as a
// share of the bound's square (per mille): an error at the full bound must
// buy five pixels. Measured on the lossy curve benchmark.
constexpr long long kPixelWorthPerMille = 200;
// The share of a pixel's error passed on to the next pixel, in sixteenths:
// enough that a run of pixels all off the same way soon exceeds the bound.
// Measured on the lossy curve benchmark.
constexpr int kCarriedPer16 = 12;

}  // namespace

// A path is worth the pixels it covers less its error: a pixel taken off
// its colour must pay for itself in string length. Without that, any close
// colour that makes a string one pixel longer is taken, and the picture loses
// more than the file gains.
bool TLossyChooser::Better(const TPath& a, const TPath& b) const {
    if (b.length < 0) return true;
    const long long worthA = static_cast<long long>(a.length) * pixelWorth_ - a.error;
    const long long worthB = static_cast<long long>(b.length) * pixelWorth_ - b.error;
    return worthA > worthB || (worthA == worthB && a.length > b.length);
}

bool TLossyChooser::Admit(const TPlanPixel& pixel, int symbol, const TCarry& carry, int& error, TCarry& next) const {
    error = ErrorOf(pixel, symbol);
    if (error < 0) return false;
    if (pixel.kind == kMustClear) {
        next = {};
        return true;
    }
    const std::uint32_t shown = symbol == clear_ ? pixel.under : colors_[static_cast<std::size_t>(symbol)];
    // In sixteenths, so that small errors add up rather than round away.
    auto owed = [&](int shift, int carried) {
        return (int((pixel.key >> shift) & 0xFF) - int((shown >> shift) & 0xFF)) * 16 + carried;
    };
    const int red = owed(0, carry.red), green = owed(8, carry.green), blue = owed(16, carry.blue);
    if (error > 0 && red * red + green * green + blue * blue > bound2_ * 256) return false;
    next = {red * kCarriedPer16 / 16, green * kCarriedPer16 / 16, blue * kCarriedPer16 / 16};
    return true;
}

const std::vector<TLossyChooser::TChoice>& TLossyChooser::StartsFor(const TPlanPixel& pixel) {
    const std::uint64_t key = (std::uint64_t(pixel.kind) << 56) | (std::uint64_t(pixel.under) << 25) | pixel.key;
    auto [at, fresh] = starts_.try_emplace(key);
    if (fresh) {
        for (int symbol = 0; symbol < static_cast<int>(colors_.size()); ++symbol) {
            const int error = ErrorOf(pixel, symbol);
            if (error >= 0) at->second.push_back({symbol, error});
        }
        std::stable_sort(at->second.begin(), at->second.end(),
                         [](const TChoice& a, const TChoice& b) { return a.error < b.error; });
    }
    return at->second;
}

// Depth first through the codes extending `code`, one pixel per level; at
// each level the children that may show the pixel are tried closest first,
// so that the first path found keeps the pixels where it can.
TLossyChooser::TPath TLossyChooser::LongestPath(const std::vector<TPlanPixel>& plan, int code, std::size_t k,
                                                const TCarry& carry, int& budget) {
    TPath best;
    stack_.clear();
    path_.clear();
    children_.clear();
    const std::size_t n = plan.size();
    // Pushes the level of the codes extending `from` at pixel `at`.
    auto push = [&](int from, std::size_t at, long long error, const TCarry& given) {
        const std::size_t first = children_.size();
        if (at < n) {
            for (int child = dictionary_.FirstChild(from); child >= 0; child = dictionary_.NextSibling(child)) {
                TChild next{child, 0, {}};
                if (Admit(plan[at], dictionary_.SymbolOf(child), given, next.error, next.next))
                    children_.push_back(next);
            }
            std::sort(children_.begin() + std::ptrdiff_t(first), children_.end(),
                      [](const TChild& a, const TChild& b) { return a.error < b.error; });
        }
        stack_.push_back({first, first, error, given});
    };
    push(code, k, 0, carry);
    while (!stack_.empty()) {
        TStep& top = stack_.back();
        if (budget > 0 && top.next < children_.size()) {
            const TChild child = children_[top.next++];
            --budget;
            path_.push_back(static_cast<std::uint8_t>(dictionary_.SymbolOf(child.code)));
            push(child.code, k + stack_.size(), top.error + child.error, child.next);
            continue;
        }
        const int length = static_cast<int>(stack_.size()) - 1;
        if (Better({length, top.error}, best)) {
            best = {length, top.error};
            best_ = path_;
        }
        children_.resize(top.first);  // this level's children go with it
        stack_.pop_back();
        if (!path_.empty()) path_.pop_back();
    }
    return best;
}

void TLossyChooser::Choose(const std::vector<TPlanPixel>& plan, const std::vector<std::uint32_t>& colors,
                           int clear, int bound2, int bits, std::vector<std::uint8_t>& out) {
    colors_ = colors;
    clear_ = clear;
    bound2_ = bound2;
    pixelWorth_ = std::max<long long>(1, static_cast<long long>(bound2) * kPixelWorthPerMille / 1000);
    starts_.clear();
    const std::size_t n = plan.size();
    out.resize(n);
    TEncoderModel model(dictionary_, bits);
    std::vector<std::uint8_t> follow;
    std::size_t k = 0;
    TCarry carry;
    auto take = [&](std::uint8_t symbol) {
        int error = 0;
        TCarry next;
        Admit(plan[k], symbol, carry, error, next);
        carry = next;
        out[k++] = symbol;
        model.Feed(symbol);
    };
    while (k < n) {
        if (model.Prefix() >= 0) {
            int budget = kExtendBudget;
            if (LongestPath(plan, model.Prefix(), k, carry, budget).length > 0) {
                follow.swap(best_);
                for (std::uint8_t symbol : follow) take(symbol);
                continue;
            }
        }
        // A new string: the entry that begins the longest path.
        const std::vector<TChoice>& starts = StartsFor(plan[k]);
        int budget = kStartBudget;
        TPath top;
        int chosen = starts.empty() ? std::max(clear_, 0) : starts.front().symbol;
        follow.clear();
        for (const TChoice& start : starts) {
            if (budget <= 0) break;
            int error = 0;
            TCarry next;
            if (!Admit(plan[k], start.symbol, carry, error, next)) continue;
            TPath path = LongestPath(plan, start.symbol, k + 1, next, budget);
            path.error += start.error;
            if (Better(path, top)) {
                top = path;
                chosen = start.symbol;
                follow.swap(best_);
            }
        }
        take(static_cast<std::uint8_t>(chosen));
        for (std::uint8_t symbol : follow) take(symbol);
    }
}
