#include "gif/LossyChooser.h"

#include <algorithm>

namespace {

// Dictionary steps one search may take: enough to find the long strings of
// flat and repeated areas, few enough that a noisy picture stays quick.
constexpr int kExtendBudget = 1024;
constexpr int kStartBudget = 2048;
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

const std::vector<TLossyChooser::TChoice>& TLossyChooser::StartsFor(const TPlanPixel& pixel) {
    const std::uint64_t key = (std::uint64_t(pixel.kind) << 56) | (std::uint64_t(pixel.under) << 25) | pixel.key;
    auto [at, fresh] = starts_.try_emplace(key);
    if (fresh) {
        // Transparency first among equals: where the screen already shows the
        // colour, leaving it makes the longest strings whatever its index.
        std::vector<TChoice>& choices = at->second;
        auto consider = [&](int symbol) {
            const int error = ErrorOf(pixel, symbol);
            if (error >= 0) choices.push_back({symbol, error});
        };
        if (clear_ >= 0) consider(clear_);
        for (int symbol = 0; symbol < static_cast<int>(colors_.size()); ++symbol)
            if (symbol != clear_) consider(symbol);
        std::stable_sort(choices.begin(), choices.end(),
                         [](const TChoice& a, const TChoice& b) { return a.error < b.error; });
    }
    return at->second;
}

// Depth first through the codes extending `code`, one pixel per level.
TLossyChooser::TPath TLossyChooser::LongestPath(const std::vector<TPlanPixel>& plan, int code, std::size_t k,
                                                int& budget) {
    TPath best;
    stack_.clear();
    path_.clear();
    stack_.push_back({dictionary_.FirstChild(code), 0});
    const std::size_t n = plan.size();
    while (!stack_.empty()) {
        const std::size_t at = k + stack_.size() - 1;  // the pixel the top's children cover
        bool descended = false;
        while (at < n && budget > 0 && stack_.back().child >= 0) {
            const int child = stack_.back().child;
            stack_.back().child = dictionary_.NextSibling(child);
            const int symbol = dictionary_.SymbolOf(child);
            const int error = ErrorOf(plan[at], symbol);
            if (error < 0) continue;
            --budget;
            path_.push_back(static_cast<std::uint8_t>(symbol));
            stack_.push_back({dictionary_.FirstChild(child), stack_.back().error + error});
            descended = true;
            break;
        }
        if (descended) continue;
        const int length = static_cast<int>(stack_.size()) - 1;
        const long long error = stack_.back().error;
        if (Better({length, error}, best)) {
            best = {length, error};
            best_ = path_;
        }
        stack_.pop_back();
        if (!path_.empty()) path_.pop_back();
    }
    return best;
}

long long TLossyChooser::ErrorOfChoice(const std::vector<TPlanPixel>& plan,
                                       const std::vector<std::uint8_t>& chosen) const {
    long long sum = 0;
    for (std::size_t k = 0; k < plan.size(); ++k) sum += std::max(0, ErrorOf(plan[k], chosen[k]));
    return sum;
}

void TLossyChooser::Choose(const std::vector<TPlanPixel>& plan, const std::vector<std::uint32_t>& colors,
                           int clear, int bound2, int bits, std::vector<std::uint8_t>& out,
                           std::vector<std::uint8_t>& starts, bool keepFullTable) {
    colors_ = colors;
    clear_ = clear;
    bound2_ = bound2;
    pixelWorth_ = std::max<long long>(1, static_cast<long long>(bound2) * pixelWorthPerMille_ / 1000);
    starts_.clear();
    const std::size_t n = plan.size();
    out.resize(n);
    starts.assign(n, 0);
    TEncoderModel model(dictionary_, bits, keepFullTable);
    std::vector<std::uint8_t> follow;
    std::size_t k = 0;
    // A string goes on along the path chosen (unless the table was cleared
    // meanwhile), or a new one starts.
    auto start = [&](std::uint8_t symbol) {
        model.Restart(symbol);
        starts[k] = 1;
        out[k++] = symbol;
    };
    auto take = [&](std::uint8_t symbol) {
        if (!model.Extend(symbol)) start(symbol);
        else out[k++] = symbol;
    };
    while (k < n) {
        if (model.Prefix() >= 0) {
            int budget = kExtendBudget;
            if (LongestPath(plan, model.Prefix(), k, budget).length > 0) {
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
            TPath path = LongestPath(plan, start.symbol, k + 1, budget);
            path.error += start.error;
            if (Better(path, top)) {
                top = path;
                chosen = start.symbol;
                follow.swap(best_);
            }
        }
        start(static_cast<std::uint8_t>(chosen));
        for (std::uint8_t symbol : follow) take(symbol);
    }
    tableCleared_ = model.TableCleared();
}
