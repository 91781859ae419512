#pragma once
// A caption (a rendered picture of text, straight RGBA) drawn onto chosen
// frames. The frames show what they showed with the caption over it; other
// frames show exactly what they showed. Each frame's colours are found in its
// table, or added to it while there is room; the text and outline colours get
// room made for them (the least used colour merged into its nearest) and the
// anti-aliased edges take the nearest colour once the table is full, so no
// table overflows.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "raster/Geometry.h"
#include "raster/RGBAPicture.h"

class TFrameEditLog;
class TGIFImage;

enum class TCaptionPlace { TopLeft, Top, TopRight, Left, Center, Right, BottomLeft, Bottom, BottomRight };

// "top-left", "top", "top-right", "left", "center", "right", "bottom-left",
// "bottom", "bottom-right".
std::optional<TCaptionPlace> CaptionPlaceNamed(std::string_view name);
std::string CaptionPlaceName(TCaptionPlace place);

// The margin a placed caption keeps from the edges: a fortieth of the
// screen's height, at least 2 pixels.
inline int CaptionMargin(int screenHeight) { return screenHeight / 40 > 2 ? screenHeight / 40 : 2; }

// Where a caption of width x height goes on a screen for a place, `margin`
// pixels in from the edges it is aligned to.
TPoint CaptionOrigin(int screenWidth, int screenHeight, int width, int height, TCaptionPlace place, int margin);

// The main colours of a caption (0xRRGGBB): those that get room made in a
// full table. The edges' mixtures only take what room is left.
struct TCaptionColors {
    std::uint32_t Text = 0xFFFFFF;
    std::optional<std::uint32_t> Outline;
};

// Draws `caption` with its top-left corner at `origin` (screen coordinates;
// it may reach past the screen, which clips it) on `frames` (empty: every
// frame). Answers false, changing nothing, when there are no frames, the
// caption is empty or misses the screen, or a frame number does not exist.
bool AddCaption(TGIFImage& image, const std::vector<int>& frames, const TRGBAPicture& caption, TPoint origin,
                const TCaptionColors& colors, TFrameEditLog& log);
