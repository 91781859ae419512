#pragma once
// Operations on the order and timing of many frames at once: duplicate,
// reverse, ping-pong, remove duplicate frames, drop every Nth frame, and
// delays set, shifted or scaled. Each acts on a selection of frames (numbers
// from 0, any order); each frame goes on showing what it showed, whatever
// frames now come before it. Every change goes through the log, as one step.

#include <vector>

class TFrameEditLog;
class TGIFImage;

// The frames to act on: `selection` when it names two or more frames, else
// every frame (what the editor does with a single frame selected). Sorted,
// without repeats or numbers outside the animation.
std::vector<int> FramesToActOn(const TGIFImage& image, const std::vector<int>& selection);

// The animation rebuilt as `order` (frame numbers, repeats allowed), frame
// k of the result showing what frame order[k] showed and lasting delays[k]
// hundredths of a second. Frames that depend on the ones before them (a
// sub-rectangle, transparency, a disposal other than none) are first made
// whole pictures of what they show. The loop count stays on the first frame.
bool Resequence(TGIFImage& image, const std::vector<int>& order, const std::vector<int>& delays,
                TFrameEditLog& log);

// Each selected frame followed by a copy of itself.
bool DuplicateFrames(TGIFImage& image, const std::vector<int>& selection, TFrameEditLog& log);
// The selected frames' places hold them in reverse order.
bool ReverseFrames(TGIFImage& image, const std::vector<int>& selection, TFrameEditLog& log);
// After the last selected frame, the selected frames again in reverse, the two
// ends not repeated (0 1 2 3 4 becomes 0 1 2 3 4 3 2 1).
bool PingPongFrames(TGIFImage& image, const std::vector<int>& selection, TFrameEditLog& log);
// A selected frame that shows the same picture as the frame before it goes,
// its delay added to that frame's; the running time stays.
bool RemoveDuplicateFrames(TGIFImage& image, const std::vector<int>& selection, TFrameEditLog& log);
// Every Nth of the selected frames (the Nth, 2Nth, ...) goes, its delay added
// to the frame kept before it; the running time stays. N is 2 or more.
bool DropEveryNthFrame(TGIFImage& image, const std::vector<int>& selection, int n, TFrameEditLog& log);

// Delays in hundredths of a second, clamped to 0..65535. Frames without a
// control extension get one. Scaling by `percent` (100: as they are) carries
// the rounding from frame to frame, so the running time scales exactly to
// the hundredth.
bool SetDelays(TGIFImage& image, const std::vector<int>& selection, int delay, TFrameEditLog& log);
bool ShiftDelays(TGIFImage& image, const std::vector<int>& selection, int delta, TFrameEditLog& log);
bool ScaleDelays(TGIFImage& image, const std::vector<int>& selection, int percent, TFrameEditLog& log);

// The animation's running time, in hundredths of a second (one pass).
long long RunningTime(const TGIFImage& image);
