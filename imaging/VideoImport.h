#pragma once
// A video becomes an animation: the pictures of its first video stream
// between two times, at the video's frame rate or a lower one (pictures
// picked by timestamp, delays following), at its size or another, each
// shown for as long as the video shows it; the first frame loops forever.
// Colours are fitted to the clip (ClipEncoder), or the 216-colour web
// palette with Floyd-Steinberg dithering, as older versions made them.

#include <functional>
#include <string>

#include "painter/ClipEncoder.h"

class TGIFImage;

enum class TVideoColors { Fitted, WebPalette };

struct TVideoImportOptions {
    double From = 0;             // seconds from the first frame
    double To = 0;               // seconds; 0 (or not after From): to the end
    double FramesPerSecond = 0;  // 0: every frame of the video
    // The size of the frames; 0 keeps the video's, one side alone keeps the
    // ratio. Sides are limited to 1..65535.
    int Width = 0, Height = 0;
    TVideoColors Method = TVideoColors::Fitted;
    TClipColors Colors;
};

// The frame size the options give a video of width x height.
void VideoFrameSize(const TVideoImportOptions& options, int videoWidth, int videoHeight, int& width, int& height);

struct TVideoImportResult {
    int Frames = 0;
    bool Cancelled = false;  // stopped by the caller; the frames made so far are kept
    bool Truncated = false;  // stopped at the animation's pixel budget
};

// Fills the (empty) image from the video at `path`. keepGoing(percent) is
// asked after each frame. Raises TVideoError when the file cannot be read
// at all, or holds no picture in the chosen time (a cancel before the first
// frame is made is not an error: Frames is then 0).
TVideoImportResult ImportVideo(const std::string& path, TGIFImage& image,
                               const std::function<bool(int percent)>& keepGoing = {},
                               const TVideoImportOptions& options = {});
