#include "gif/FrameControl.h"

#include <memory>

#include "gif/GIFImage.h"

bool UsesTransparency(const TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* control = frame.ControlExtension();
    return frame.IsTransparent() && control && control->UsesTransparency();
}

int Disposal(const TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* control = frame.ControlExtension();
    return control ? int(control->DisposalMethod()) : int(dispUnspecified);
}

bool LeavesPicture(int disposal) { return disposal == dispUnspecified || disposal == dispLeave; }

TGIFGraphicControlExtension& RequireControl(TGIFSubImage& frame) {
    if (TGIFGraphicControlExtension* control = frame.ControlExtension()) return *control;
    auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
    TGIFGraphicControlExtension& result = *control;
    frame.ExtensionBlocks().Add(std::move(control));
    return result;
}
