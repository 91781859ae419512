#pragma once
// What a frame's graphic control block says, read the same way by every
// optimisation step.

class TGIFGraphicControlExtension;
class TGIFSubImage;

// A frame counts as transparent only with a control extension saying so; the
// flag alone could outlive the extension that set it.
bool UsesTransparency(const TGIFSubImage& frame);
// The disposal method, unspecified without a control extension.
int Disposal(const TGIFSubImage& frame);
// Disposals that leave the frame's picture on the screen for the next frame.
// Codes 4-7 are not defined, so nothing is assumed about them.
bool LeavesPicture(int disposal);
// The frame's control extension, added when it has none.
TGIFGraphicControlExtension& RequireControl(TGIFSubImage& frame);
