#pragma once
// Row order of interlaced image data: rows 0, 8, 16 ...; 4, 12 ...; 2, 6 ...;
// 1, 3 ... A pass whose first row lies beyond the last row is skipped.

#include <vector>

inline std::vector<int> InterlacedRowOrder(int height) {
    static constexpr int start[4] = {0, 4, 2, 1};
    static constexpr int step[4] = {8, 8, 4, 2};
    std::vector<int> rows;
    rows.reserve(height > 0 ? static_cast<std::size_t>(height) : 0);
    for (int pass = 0; pass < 4; ++pass)
        for (int row = start[pass]; row < height; row += step[pass]) rows.push_back(row);
    return rows;
}
