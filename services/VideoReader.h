#pragma once
// The pictures of a video file through FFmpeg: the first video stream of any
// container FFmpeg reads (AVI, MP4, WebM, MOV, MKV, ...), decoded in order as
// 24-bit bitmaps, each with the time it stays on screen in hundredths of a
// second (from the stream's own timestamps, so variable frame rates keep
// their timing). Failures raise TVideoError with a message for the user.

#include <memory>
#include <stdexcept>
#include <string>

#include "raster/Bitmap.h"

class TVideoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TVideoReader {
public:
    // Opens the file and its first video stream ("Failed to open AVI file",
    // "Failed to open AVI stream", "Failed to start AVI decompression").
    explicit TVideoReader(const std::string& path);
    ~TVideoReader();
    TVideoReader(const TVideoReader&) = delete;
    TVideoReader& operator=(const TVideoReader&) = delete;

    int Width() const;
    int Height() const;
    // Frames the container announces (0 when unknown); for progress only.
    long long EstimatedFrames() const;

    // The next picture and its delay; false at the end of the stream. A frame
    // that cannot be decoded raises "Failed to decompress AVI frame".
    bool Next(TBitmap& picture, int& delayHundredths);

    struct TState;

private:
    std::unique_ptr<TState> FState;
};

// One hundredth-of-a-second delay from a frame's duration in seconds,
// rounded to nearest (1/15 s -> 7); never below 1 for a frame that lasts.
int DelayHundredths(double seconds);

// Delays of frames in a row, rounded so that their sum follows the running
// time: each frame ends at its end time rounded to hundredths (1/15 s frames
// get 7, 6, 7, 7, 6, 7, ...), so a clip keeps its length instead of the
// rounding error of every frame adding up.
class TDelayRounder {
public:
    int Next(double seconds);

private:
    double FEndSeconds = 0;       // where the frames so far end, exactly
    long long FEndHundredths = 0; // where their delays end
};
