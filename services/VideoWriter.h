#pragma once
// An animation written as an uncompressed 8-bit AVI video through FFmpeg
// (rawvideo, pal8): one video frame per picture, each with its own colour
// table, timed so the video runs exactly as long as the animation. The frame
// rate is 100 over the largest step that divides every delay (all delays
// equal: one video frame per picture, at that delay); a picture that stays
// longer than one step is followed by empty (repeat) frames, as AVI does it,
// and a last picture that stays longer than one step is written once more at
// the end so the video lasts as long as the animation.

#include <functional>
#include <string>

class TGIFImage;

// The time step in hundredths of a second: the greatest common divisor of the
// delays of the frames with pixels (a delay of 0 counts as 1).
int VideoTimeStep(const TGIFImage& image);

// Writes every frame with pixels of `flattened`, whose frames must each be
// the whole picture on the screen (as after ResizeAnimation). Pixels in a
// frame's transparent colour show that table entry's colour. keepGoing(percent)
// is asked after each frame; false stops and removes the file, and answers
// false. Raises TVideoError ("Failed to create AVI file", ...) on failure,
// leaving no file behind.
bool WriteAVI(const std::string& path, const TGIFImage& flattened,
              const std::function<bool(int percent)>& keepGoing = {});
