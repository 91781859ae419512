#pragma once
// Commands on the whole animation: Animation Information (loop count, size,
// global palette) and Optimize Animation, each OK one undoable step; the
// comment editor, each change of a comment one step; the HTML code.

class IUserPrompts;
class TEditSession;
class TfrmMain;

class TAnimationCommands {
public:
    TAnimationCommands(TEditSession& Session, IUserPrompts& Prompts, TfrmMain& Window);

    void Information();
    // The document replaced by its optimised copy, one undo step.
    void Optimize();
    void Comments();
    // HTML code that shows the animation, for the clipboard; changes nothing.
    void HtmlCode();

private:
    TEditSession& FSession;
    IUserPrompts& FPrompts;
    TfrmMain& FWindow;
};
