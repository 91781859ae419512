#pragma once
// Edits of an animation's frames as plain operations: each changes the
// document through a log, so the editor makes it one undo step and
// reelix-tool edit makes the same change to a file. Frame numbers count from
// 0; an operation given a frame that does not exist changes nothing and
// answers false.

#include "gif/FrameProperties.h"
#include "gif/GIFTypes.h"

#include <vector>

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

// Takes the given frames out (any order, repeats ignored); the loop count
// stays on whichever frame is first. Answers whether any frame went.
bool DeleteFrames(TGIFImage& image, const std::vector<int>& frames, TFrameEditLog& log);

// Every frame out, the animation's header kept.
bool DeleteAllFrames(TGIFImage& image, TFrameEditLog& log);

// Frame Properties: Values written into each given frame (-1 alone: every
// frame), a field left unset keeping each frame's own. Answers whether
// anything changed.
bool SetFrameProperties(TGIFImage& image, const std::vector<int>& frames, const TFramePropertyValues& values,
                        TFrameEditLog& log);

// A frame's own colour table replaced by `colors`.
bool SetFramePalette(TGIFImage& image, int index, const std::vector<TGIFRGB>& colors, TFrameEditLog& log);

// The animation takes over the frames and header of `replacement` (an
// optimised version of itself, say), which is left empty.
bool ReplaceAnimation(TGIFImage& image, TGIFImage& replacement, TFrameEditLog& log);

// The same for the result of optimising, which also brings how it is encoded.
bool ReplaceWithOptimized(TGIFImage& image, TGIFImage& optimized, TFrameEditLog& log);

// Where a block of frames goes: one place up or down, or to either end. The
// frames keep their order among themselves; nothing moves past an end.
enum class TBlockMove { Up, Down, ToStart, ToEnd };
bool MoveFrames(TGIFImage& image, const std::vector<int>& frames, TBlockMove move, TFrameEditLog& log);

// The frames (any order) moved together, in their order, so that the first
// of them lands at place `to` (at most the last place the block fits).
bool MoveFramesTo(TGIFImage& image, const std::vector<int>& frames, int to, TFrameEditLog& log);
