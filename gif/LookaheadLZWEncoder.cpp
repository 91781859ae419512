#include "gif/LookaheadLZWEncoder.h"

#include <algorithm>

namespace {
// The shorter strings tried in place of the longest one: the nearer ones
// matter; trying every one would make long flat runs quadratic.
constexpr std::size_t kShorterStrings = 8;
}  // namespace

std::size_t TLookaheadLZWEncoder::Strings(std::size_t start, std::vector<std::uint16_t>& codes) const {
    codes.clear();
    int code = stored_[start];
    codes.push_back(static_cast<std::uint16_t>(code));
    for (std::size_t i = start + 1; i < stored_.size(); ++i) {
        code = dictionary_.Find(code, stored_[i]);
        if (code < 0) break;
        codes.push_back(static_cast<std::uint16_t>(code));
    }
    return codes.size();
}

std::size_t TLookaheadLZWEncoder::LongestAt(std::size_t start, const TPendingEntry& pending) const {
    int code = stored_[start];
    std::size_t i = start + 1;
    for (; i < stored_.size(); ++i) {
        const int symbol = stored_[i];
        int next = dictionary_.Find(code, symbol);
        if (next < 0 && code == pending.prefix && symbol == pending.symbol) next = pending.code;
        if (next < 0) break;
        code = next;
    }
    return i - start;
}

void TLookaheadLZWEncoder::EncodePixels() {
    Begin();
    std::vector<std::uint16_t> codes;
    const std::size_t n = stored_.size();
    std::size_t p = 0;
    while (p < n) {
        const std::size_t longest = Strings(p, codes);
        std::size_t chosen = longest;
        if (p + longest < n) {
            // The longest string teaches the dictionary a new one, which the
            // string after it may already use.
            TPendingEntry learned;
            if (FreeCode <= kLastCode) learned = {codes[longest - 1], stored_[p + longest], FreeCode};
            auto ahead = [&](std::size_t at, const TPendingEntry& pend) {
                std::size_t q = at;
                if (q < n) q += LongestAt(q, pend);
                for (int h = 2; h < horizon_ && q < n; ++h) q += LongestAt(q, TPendingEntry{});
                return q - p;
            };
            std::size_t reach = ahead(p + longest, learned);
            const std::size_t shortest = longest > kShorterStrings ? longest - kShorterStrings : 1;
            for (std::size_t length = longest - 1; length >= shortest; --length) {
                const std::size_t further = ahead(p + length, TPendingEntry{});
                if (further > reach + margin_) {
                    reach = further;
                    chosen = length;
                }
            }
        }
        WriteString(codes[chosen - 1], p + chosen, chosen == longest);
        p += chosen;
    }
}
