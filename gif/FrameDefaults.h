#pragma once
// What a frame gets when it joins an animation from outside the GIF reader, and
// the rule that keeps the loop count on the first frame.

#include <cstdint>
#include <memory>

class TGIFImage;

// The first frame's looping extension with `defaultLoop` when it has none;
// nothing for an image without frames.
void EnsureLoopExtension(TGIFImage& image, int defaultLoop);

// Before writing: looping extensions on frames other than the first are
// deleted, and a first frame without one gains one with `defaultLoop`.
void NormalizeLoopExtension(TGIFImage& image, int defaultLoop);

// Makes frame `index` ready as a new frame: looping extension on the first
// frame, a control extension with `defaultDelay` and disposal "leave",
// transparency off with the bottom-left pixel's index remembered, a used-first
// local table, and a global table copied from it when the image has none.
// A frame that already carries a control extension keeps its transparency (an
// opened single-image GIF must not lose its see-through pixels).
void PrepareNewFrame(TGIFImage& image, int index, int defaultDelay, int defaultLoop);

// Moves a frame, keeping the loop count on whichever frame is first: when the
// move touches position 0, the first frame's looping extension (count 0 when
// there is none) is taken off and put back on the new first frame.
void MoveFrameKeepingLoop(TGIFImage& image, int from, int to);

// Frames without pixels (a file's frames that could not be decoded) go to the
// end in their order, the loop count staying on the first frame.
void MoveEmptyFramesToEnd(TGIFImage& image);

// What saving writes: a copy of the image with its looping extension
// normalised (NormalizeLoopExtension). The image itself is left as it is, so
// that the undo history, which refers to its frames and extensions, holds.
std::unique_ptr<TGIFImage> PreparedForSaving(const TGIFImage& image, int defaultLoop);
