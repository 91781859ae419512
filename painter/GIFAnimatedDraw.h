#pragma once
// TGIFImage::Draw for an animated image: the image's active painter plays the
// animation, either straight onto the caller's canvas (poDirect) or onto the
// image's flat picture, which Draw then shows.

#include "raster/Geometry.h"

class TCanvas;
class TGIFImage;

// The animated path of Draw: the AnimatedDrawer of a program's painter host.
void DrawAnimatedGIF(TGIFImage& image, TCanvas& canvas, const TRect& rect);
