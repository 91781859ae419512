#include "gif/FrameProperties.h"

#include "gif/GIFImage.h"

#include <algorithm>

bool ApplyFrameProperties(TGIFImage&, TGIFSubImage& Frame, const TFramePropertyValues& Values) {
    bool changed = false;
    const int left = Values.Left.value_or(Frame.Left());
    const int top = Values.Top.value_or(Frame.Top());
    if (left != Frame.Left() || top != Frame.Top()) {
        Frame.PlaceFrame(std::clamp(left, 0, 0xFFFF), std::clamp(top, 0, 0xFFFF), Frame.Width(), Frame.Height());
        changed = true;
    }
    if (TGIFGraphicControlExtension* c = Frame.ControlExtension()) {
        if (Values.Delay && *Values.Delay != c->DelayTime) {
            c->DelayTime = static_cast<std::uint16_t>(std::clamp(*Values.Delay, 0, 0xFFFF));
            changed = true;
        }
        if (Values.Transparent && *Values.Transparent != c->UsesTransparency()) {
            c->SetUsesTransparency(*Values.Transparent);
            changed = true;
        }
        // The colour matters only while it is see-through; looking it up may
        // add it to the frame's table.
        if (Values.Transparent.value_or(false) && c->TransparentColor() != Values.TransparentColor) {
            c->SetTransparentColor(Values.TransparentColor);
            changed = true;
        }
        if (Values.Disposal && *Values.Disposal != c->DisposalMethod()) {
            c->SetDisposalMethod(static_cast<std::uint8_t>(*Values.Disposal & 7));
            changed = true;
        }
    }
    if (Values.Interlaced && *Values.Interlaced != Frame.IsInterlaced()) {
        Frame.SetInterlaced(*Values.Interlaced);
        changed = true;
    }
    if (changed) {
        Frame.DropBitmap();
        Frame.DropMask();
    }
    return changed;
}
