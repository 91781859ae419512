#pragma once
// TGIFImage::Draw for an animated image: the image's active painter plays the
// animation, either straight onto the caller's canvas (poDirect) or onto the
// image's flat picture, which Draw then shows.

#include "platform/raster/Geometry.h"

class TCanvas;
class TGIFImage;

// The animated path of Draw (installed as the image's animated drawer).
void DrawAnimatedGIF(TGIFImage& image, TCanvas& canvas, const TRect& rect);

// Makes TGIFImage::Draw use DrawAnimatedGIF. Programs call it at start-up; it
// is also done when the painter is linked in.
void InstallGIFAnimatedDrawer();
