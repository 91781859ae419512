#pragma once
// The one place where the raster layer's bitmaps and Qt's images meet.
//
// Paletted bitmaps (1, 4, 8 bits) become Indexed8 images with their colour
// table; true-colour bitmaps become RGB32 images. Coming back, indexed and
// monochrome images become 8-bit bitmaps with their palette, everything else a
// 24-bit bitmap. Pixels that are mostly see-through (alpha below 128) become a
// transparent key colour, so a pasted picture with an alpha channel keeps its
// holes when it turns into a frame.

#include <QImage>

#include "raster/Bitmap.h"

QImage ToQImage(const TBitmap& bitmap);
TBitmap FromQImage(const QImage& image);

class TGIFSubImage;

// A frame's own pixels as an Indexed8 image with the colours it is drawn with
// (indices past the table show black). When the frame has transparency in
// force, its transparent index shows `TransparentAs`. Empty for an empty frame.
QImage FrameToQImage(const TGIFSubImage& Frame, const QColor& TransparentAs);

// A colour value of the core (red in the low byte) as Qt's colour.
QColor ColorOf(std::uint32_t Color);

// The picture with every pixel of colour From shown as To (where a chosen
// transparent colour lies, the background shows).
QImage WithColorReplaced(const QImage& Picture, QRgb From, QRgb To);
