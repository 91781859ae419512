#pragma once
// Writing what the frame properties dialog decided into frames: each property
// only where it differs, so an unchanged frame stays exactly as it was.

#include <optional>

#include "gif/GIFTypes.h"

class TGIFImage;
class TGIFSubImage;

struct TFramePropertyValues {
    // Empty: each frame keeps its own (the global dialog's empty fields, and
    // the check boxes and disposal list the user left on "keep").
    std::optional<int> Left, Top, Delay;
    std::optional<bool> Transparent = false;
    TColor TransparentColor = 0; // used when Transparent is set
    std::optional<bool> Interlaced = false;
    std::optional<int> Disposal = 0;
};

// Answers whether anything was written. Delay, transparency and disposal live
// in the control extension: a frame without one keeps none of them.
bool ApplyFrameProperties(TGIFImage& Image, TGIFSubImage& Frame, const TFramePropertyValues& Values);
