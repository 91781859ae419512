#pragma once
// Small shared types of the GIF layer: version codes, colour values, the common
// persistent base of items, lists and colour tables, and the handler types the
// document dispatches to.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "color/ReductionKinds.h"  // TColorReductionKind, TDitherKind, shared with the colour layer
#include "raster/Geometry.h"  // TRect

// GIF versions, ordered so that the larger one is the more demanding.
enum TGIFVersion : std::uint8_t { gvUnknown = 0, gv87a = 1, gv89a = 2 };

// "87a" / "89a"; empty for gvUnknown.
inline const char* GIFVersionText(TGIFVersion version) {
    switch (version) {
        case gv87a: return "87a";
        case gv89a: return "89a";
        default: return "";
    }
}

// A colour value: red in bits 0-7, green 8-15, blue 16-23 (the same encoding the
// settings store keeps).
using TColor = std::uint32_t;

constexpr TColor MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return TColor(red) | (TColor(green) << 8) | (TColor(blue) << 16);
}
constexpr std::uint8_t ColorRed(TColor c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t ColorGreen(TColor c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t ColorBlue(TColor c) { return std::uint8_t((c >> 16) & 0xFF); }

// The "no colour" value painters take as "no background fill".
constexpr TColor clNone = 0x1FFFFFFF;

// One colour table entry, three bytes exactly as in the file.
struct TGIFRGB {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const TGIFRGB&, const TGIFRGB&) = default;
};
static_assert(sizeof(TGIFRGB) == 3, "colour table entries are packed triples");

// Common base of everything that can be a source or target of Assign: items,
// lists and colour tables. ClassName names the type in "cannot assign" errors.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual const char* ClassName() const { return "TPersistent"; }
};

// Raises the error a failed Assign between unrelated types gives.
[[noreturn]] void RaiseCannotAssign(const TPersistent* source, const TPersistent& target);

// Progress of long operations: begin, running (percent), end.
enum TProgressStage : std::uint8_t { psStarting = 0, psRunning = 1, psEnding = 2 };

using TGIFWarningHandler = std::function<void(TPersistent* sender, int severity, const std::string& text)>;
using TGIFProgressHandler = std::function<void(TPersistent* sender, TProgressStage stage, int percent,
                                               bool redrawNow, const TRect& rect, const std::string& text)>;
using TGIFChangeHandler = std::function<void(TPersistent* sender)>;

// Disposal codes of the graphic control extension; 4-7 are kept as read.
enum TDisposalMethod : std::uint8_t { dispUnspecified = 0, dispLeave = 1, dispBackground = 2, dispPrevious = 3 };

// The window system's bitmaps live in the raster layer; the model only holds
// them. The deleter is defined out of line so that this header needs no raster
// include.
class TBitmap;
struct TBitmapDeleter {
    void operator()(TBitmap* bitmap) const noexcept;
};
using TBitmapPtr = std::unique_ptr<TBitmap, TBitmapDeleter>;
