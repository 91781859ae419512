#pragma once
// A digest of everything an animation would save: the screen, the colour
// tables, every frame's place, pixels and extensions. Two animations with the
// same digest save the same (to a 64-bit chance); caches (palettes, flat
// bitmaps) are not part of it. The editor compares digests to prove that
// nothing changes the document but its own operations.

#include <cstdint>

class TGIFImage;

std::uint64_t DocumentFingerprint(const TGIFImage& image);
