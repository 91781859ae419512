#pragma once
// Text drawn as a caption picture by Qt's painter: anti-aliased, with an
// outline around the letters, lines centred on each other.

#include <cstdint>
#include <string>

#include "raster/RGBAPicture.h"

struct TCaptionStyle {
    std::string Text;              // UTF-8; line breaks start new lines
    std::string Font = "Sans";     // a family name; a missing one falls back as Qt chooses
    int PixelSize = 24;
    bool Bold = true;
    std::uint32_t Color = 0xFFFFFF;      // 0xRRGGBB
    std::uint32_t OutlineColor = 0x000000;
    int OutlineWidth = 2;                // pixels around the letters; 0 for none
    friend bool operator==(const TCaptionStyle&, const TCaptionStyle&) = default;
};

// The caption, just large enough for its text and outline; empty for empty
// text. Needs a running Qt GUI application (see EnsureFontSystem).
TRGBAPicture RenderCaption(const TCaptionStyle& style);

// Starts Qt's font system for a program that has no GUI application of its
// own (the command-line tool), on the offscreen platform when there is no
// display. Does nothing when an application runs already.
void EnsureFontSystem();
