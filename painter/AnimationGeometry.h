#pragma once
// Crop, rotate and flip of a whole animation, lossless: every stored frame is
// cut or turned as it is (indices, tables, disposal and transparency kept) and
// its rectangle moved accordingly, so each composed frame is the old one cut
// or turned the same way. Frames that would show nothing afterwards (outside
// the crop, or outside the screen to begin with) become one transparent pixel
// and keep their delay.

#include "raster/Geometry.h"

class TFrameEditLog;
class TGIFImage;

enum class TFlipAxis { Horizontal, Vertical };

// The area (screen coordinates) clipped to the screen; empty when nothing of
// it lies on the screen.
TRect CropArea(const TGIFImage& image, const TRect& area);

// The transforms themselves, on an image whose painters are stopped.
// CropFrames does nothing when the clipped area is empty. TurnFrames takes
// 90, 180 or 270 (degrees clockwise) and does nothing for other values.
void CropFrames(TGIFImage& image, const TRect& area);
void TurnFrames(TGIFImage& image, int degreesClockwise);
void FlipFrames(TGIFImage& image, TFlipAxis axis);

// The same as editing operations: one logged change of the whole animation.
// Each answers false (and changes nothing) when there is nothing to do: no
// frames, an empty area or the whole screen as area, an angle not in
// {90, 180, 270}.
bool CropAnimation(TGIFImage& image, const TRect& area, TFrameEditLog& log);
bool RotateAnimation(TGIFImage& image, int degreesClockwise, TFrameEditLog& log);
bool FlipAnimation(TGIFImage& image, TFlipAxis axis, TFrameEditLog& log);
