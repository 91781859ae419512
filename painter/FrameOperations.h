#pragma once
// Edits of an animation's frames as plain operations: each changes the
// document through a log, so the editor makes it one undo step and
// reelix-tool edit makes the same change to a file. Frame numbers count from
// 0; an operation given a frame that does not exist changes nothing and
// answers false.

class TFrameEditLog;
class TGIFImage;

// Takes the frame out; the loop count stays on whichever frame is first.
bool DeleteFrame(TGIFImage& image, int index, TFrameEditLog& log);

// Moves a frame to another place, the loop count staying on the first frame.
bool MoveFrame(TGIFImage& image, int from, int to, TFrameEditLog& log);

// The delay (hundredths of a second) of one frame, or of every frame when
// index is -1; frames without a control extension keep none. Answers whether
// anything changed.
bool SetDelay(TGIFImage& image, int index, int delay, TFrameEditLog& log);

// The number of times the animation repeats (0: for ever), on the first frame.
bool SetLoopCount(TGIFImage& image, int count, TFrameEditLog& log);
