#pragma once
// The seam between TGIFImage::Draw and the animation painter. The GIF layer
// draws still images itself; an animated image is handed to the drawer the
// painter installs at start-up (process-wide by design: there is one painter
// implementation). Without one, an animated image is drawn as its flat picture.

#include "platform/raster/Geometry.h"

class TCanvas;
class TGIFImage;

// Called under no lock, with the image's InDraw set, for an animated image of
// more than one frame whose flat picture is missing or that draws poDirect.
using TGIFAnimatedDrawer = void (*)(TGIFImage& image, TCanvas& canvas, const TRect& rect);
void SetGIFAnimatedDrawer(TGIFAnimatedDrawer drawer);
TGIFAnimatedDrawer GIFAnimatedDrawer();

// Draws the image's FlatBitmap (when it has one) stretched into `rect`, or
// with poTile repeated at the logical screen size from rect's top-left corner.
void DrawGIFFlatBitmap(TGIFImage& image, TCanvas& canvas, const TRect& rect);
