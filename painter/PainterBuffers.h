#pragma once
// The pictures a painter keeps besides the canvas: the work buffer (the
// composed picture), the save buffer (for restore-to-previous) and the
// background capture (what lay on the canvas before the painter drew). All
// three have the size of the destination rectangle and the canvas's format,
// so moving pixels between them and the canvas is a plain row copy that keeps
// every byte, the fourth byte of 32-bit pixels included.

#include <memory>

#include "raster/Bitmap.h"
#include "raster/Geometry.h"

class TCanvas;

// Copies `source` 1:1 onto `target` with its top-left corner at `at`, clipped
// to both bitmaps. Same formats: row copies; otherwise through the canvas's
// colour conversion.
void CopyPixels(TBitmap& target, TPoint at, const TBitmap& source, const TRect& sourceRect);

// A bitmap of the canvas area `area` (same format and palette), holding a copy
// of what the canvas shows there.
std::unique_ptr<TBitmap> CaptureCanvasArea(const TBitmap& canvas, const TRect& area);
