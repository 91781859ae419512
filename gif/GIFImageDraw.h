#pragma once
// The still-image paths of TGIFImage::Draw. The GIF layer draws still images
// itself; an animated image is handed to the animated drawer of the program's
// painter host (gif/GIFPainterHost.h). Without one, an animated image is drawn
// as its flat picture.

#include "raster/Geometry.h"

class TCanvas;
class TGIFImage;

// Draws the image's FlatBitmap (when it has one) stretched into `rect`, or
// with poTile repeated at the logical screen size from rect's top-left corner.
void DrawGIFFlatBitmap(TGIFImage& image, TCanvas& canvas, const TRect& rect);
