#pragma once
// Commands on the whole animation: Animation Information (loop count, size,
// global palette) and Optimize Animation, each OK one undoable step; the
// comment editor, each change of a comment one step; the HTML code; and the
// picture tools (PictureCommands.cpp): crop, rotate, flip and text.

#include <QImage>
#include <memory>

#include "painter/AnimationGeometry.h"

class IUserPrompts;
struct TCaptionRequest;
class TEditSession;
class TfrmMain;

class TAnimationCommands {
public:
    TAnimationCommands(TEditSession& Session, IUserPrompts& Prompts, TfrmMain& Window);
    ~TAnimationCommands();

    void Information();
    // The document replaced by its optimised copy, one undo step.
    void Optimize();
    void Comments();
    // HTML code that shows the animation, for the clipboard; changes nothing.
    void HtmlCode();
    // What browsers will do with the animation, whom it may harm and where
    // its bytes go (CheckCommands.cpp); each fix one undo step.
    void CheckAnimation();
    // The picture tools, each one undo step of the whole animation.
    void Crop();
    void Rotate(int DegreesClockwise);
    void Flip(TFlipAxis Axis);
    void AddText();

private:
    TEditSession& FSession;
    IUserPrompts& FPrompts;
    TfrmMain& FWindow;
    std::unique_ptr<TCaptionRequest> FLastCaption;  // what Add Text offers next
    // What the screen shows at the current frame, at its own size.
    QImage CurrentPicture() const;
};
