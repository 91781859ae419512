#pragma once
// Integer points and rectangles as the window system keeps them: a rectangle
// spans left..right-1 and top..bottom-1, so Width() is right - left.

#include <algorithm>
#include <ostream>

struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr bool Contains(TPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    // The overlap of two rectangles; empty (all zero) when they do not meet.
    constexpr TRect Intersect(const TRect& o) const {
        TRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        return r.IsEmpty() ? TRect{} : r;
    }
    constexpr TRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }

    friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect MakeRect(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// Readable failures in tests ("have (0,0)-(3,4), want ...").
inline std::ostream& operator<<(std::ostream& os, const TPoint& p) { return os << '(' << p.x << ',' << p.y << ')'; }
inline std::ostream& operator<<(std::ostream& os, const TRect& r) {
    return os << '(' << r.left << ',' << r.top << ")-(" << r.right << ',' << r.bottom << ')';
}
