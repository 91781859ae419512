#pragma once
// The two things the painter asks of a frame: build its picture ahead of time,
// and draw it onto a canvas (scaled into the logical screen's rectangle, or
// tiled, with or without its transparent colour).

#include "platform/raster/Geometry.h"

class TCanvas;
class TGIFSubImage;

void PrepareFrameForPainting(TGIFSubImage& frame);
void PaintFrameOnCanvas(TGIFSubImage& frame, TCanvas& canvas, const TRect& rect, bool tile, bool transparent);
