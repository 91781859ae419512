#pragma once
// How large a picture may be before anything is allocated for it. A few bytes
// of a file can declare a 65535 x 65535 frame; these limits keep such a file
// from taking the machine, while every animation a GIF editor meaningfully
// works on (and every one a browser shows in full) stays within them.
//
//   per picture:      2^26 pixels (64 M, e.g. 8192 x 8192)
//   per animation:    2^28 decoded pixels (256 M, e.g. 1000 frames of 512 x 512)
//                     by default; programs that know the machine's memory
//                     give it a quarter of it (PixelBudgetForMemory), so that
//                     long screen recordings open where the memory is there
//
// A picture over the first limit, or an animation that would pass the second,
// is refused with "Image too large" (GIFException, with the limit as detail).
// Whatever the budget, an animation never holds more pixels than its file's
// data could fill plus one whole picture of fill (a download cut short), so
// a small file that declares many huge frames is refused long before. A frame that lies entirely
// outside a non-empty logical screen, farther than the screen's own size, is
// not decoded: it stays as one pixel at its place (so its delay still counts)
// and is warned about ("Image exceeds Logical Screen size"), since nothing of
// it could ever be seen.

#include <algorithm>
#include <cstdint>
#include <string>

struct TPixelBudget {
    std::uint64_t FramePixels = std::uint64_t(1) << 26;
    std::uint64_t DocumentPixels = std::uint64_t(1) << 28;

    bool FrameFits(std::uint64_t width, std::uint64_t height) const { return width * height <= FramePixels; }
    // What the user is told when an animation passes DocumentPixels.
    std::string DocumentLimitText() const {
        return "An animation may hold at most " + std::to_string(DocumentPixels / 1000000) +
               " million decoded pixels on this computer (one byte each).";
    }
};

// The budget for a machine with physicalBytes of memory: the animation may
// take a quarter of it (its frames' pixels take one byte each; the editor's
// tiles, preview and undo steps need room beside them), and never less than
// the default.
inline TPixelBudget PixelBudgetForMemory(std::uint64_t physicalBytes) {
    TPixelBudget budget;
    budget.DocumentPixels = std::max(budget.DocumentPixels, physicalBytes / 4);
    return budget;
}

// The budget every reader uses unless a caller asks for a smaller one (tests).
inline constexpr TPixelBudget DefaultPixelBudget{};

// The fixed text of a picture over the budget.
inline constexpr const char* ImageTooLargeText = "Image too large";
