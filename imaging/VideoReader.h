#pragma once
// The pictures of a video file through FFmpeg: the first video stream of any
// container FFmpeg reads (AVI, MP4, WebM, MOV, MKV, ...), decoded in order as
// 24-bit bitmaps, each with the time it stays on screen in hundredths of a
// second (from the stream's own timestamps, so variable frame rates keep
// their timing). Failures raise TVideoError with a message for the user.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

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
    // The running time the container announces in seconds (0 when unknown).
    double DurationSeconds() const;
    // The frame rate the stream announces (0 when unknown).
    double FramesPerSecond() const;

    // Pictures come out at this size (default: the video's), scaled by area
    // averaging when smaller and by Lanczos when larger.
    void SetOutputSize(int width, int height);
    int OutputWidth() const;
    int OutputHeight() const;

    // The next picture and its delay; false at the end of the stream. A frame
    // that cannot be decoded raises "Failed to decompress AVI frame".
    bool Next(TBitmap& picture, int& delayHundredths);

    // Steps to the next decoded frame without converting it; false at the
    // end. Its time on the stream's clock (from its first frame) follows.
    bool Step();
    double FrameStart() const;
    double FrameDuration() const;
    // The current frame's picture, 24-bit or packed 0xRRGGBB.
    void ReadPicture(TBitmap& picture);
    void ReadPixels(std::vector<std::uint32_t>& pixels);
    // Goes back to a key frame at or before `seconds`, so that stepping
    // reaches the frame shown then; false when the file cannot seek.
    bool Seek(double seconds);
    // The picture shown at `seconds` (the last one past the end); false
    // when there is none.
    bool PictureAt(double seconds, TBitmap& picture);

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
