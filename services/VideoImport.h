#pragma once
// A video becomes an animation: each picture of its first video stream is a
// frame reduced to the 216-colour web palette with Floyd-Steinberg dithering,
// shown for as long as the video shows it; the first frame loops forever;
// then all frames share one optimised colour table.

#include <functional>
#include <string>

class TGIFImage;

struct TVideoImportResult {
    int Frames = 0;
    bool Cancelled = false;  // stopped by the caller; the frames made so far are kept
    bool Truncated = false;  // stopped at the animation's pixel budget
};

// Fills the (empty) image from the video at `path`. keepGoing(percent) is
// asked after each frame. Raises TVideoError when the file cannot be read
// at all, or holds no picture.
TVideoImportResult ImportVideo(const std::string& path, TGIFImage& image,
                               const std::function<bool(int percent)>& keepGoing = {});
