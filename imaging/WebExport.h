#pragma once
// An animation written in today's web formats, from the pictures it shows:
// each frame is composed onto the screen as a browser composes it, and the
// whole screen goes to a real encoder (libwebp's animation encoder; FFmpeg's
// APNG, libx264 and libvpx encoders).
//  - Timing: a frame lasts its delay exactly (one of 0 or 1 hundredths lasts
//    10, as browsers play it); nothing is rounded frame by frame.
//  - WebP and APNG keep the loop count and the transparency; MP4 shows the
//    see-through parts white; WebM keeps them (VP9 with alpha).
//  - The videos need even sides: an odd side gains one row or column,
//    repeating the edge, so nothing is cut.
//  - The file appears only when complete: a failed or cancelled export
//    leaves none (an older file of that name stays).

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TGIFImage;

enum class TWebFormat { WebP, APNG, MP4, WebM };

struct TWebExportOptions {
    TWebFormat Format = TWebFormat::WebP;
    bool Lossless = true;  // WebP only; APNG is always lossless, the videos never
    int Quality = 80;      // 0..100: lossy WebP's quality, the videos' (100: least loss)
};

// The format a file name's extension asks for (.webp, .png or .apng, .mp4,
// .webm, in any case); false for any other.
bool WebFormatForPath(const std::string& path, TWebFormat& format);
// The usual extension, with its dot (".webp", ".png", ".mp4", ".webm").
const char* WebFormatExtension(TWebFormat format);

// How long each frame lasts in the written file, in hundredths of a second.
int WebFrameDuration(const TGIFImage& image, int frame);
// How many times the animation plays (0: without end), from the looping
// extension of its first frame: none plays once, a count of n repeats n
// more times.
int AnimationPlays(const TGIFImage& image);

// The video quality's constant-rate factor: 0 (quality 100) to `worst`
// (quality 0); libx264's scale ends at 51, libvpx's at 63.
int QualityToCrf(int quality, int worst);

// Writes `image` (not changed) to `path`. keepGoing(percent) is asked after
// each frame; false stops, removes what was written and answers false.
// Raises TVideoError with a message for the user when the file cannot be
// written.
bool ExportWebAnimation(const TGIFImage& image, const std::string& path, const TWebExportOptions& options,
                        const std::function<bool(int percent)>& keepGoing = {});

// The first frame as the screen shows it, as a PNG (the still picture pages
// show readers who ask for reduced motion). Raises TVideoError on failure.
void WriteStillPicture(const TGIFImage& image, const std::string& path);

// --- The encoders behind ExportWebAnimation --------------------------------

struct TWebTimeline {
    int Width = 0, Height = 0;
    int Plays = 0;
    std::vector<int> Durations;  // per picture, hundredths of a second
    bool HasClear = false;       // some picture has see-through pixels
};

class IWebAnimationWriter {
public:
    virtual ~IWebAnimationWriter() = default;
    // The next picture: straight RGBA bytes, Width x Height of the timeline.
    virtual void Add(const std::vector<unsigned char>& rgba, int duration) = 0;
    // Completes the file; nothing usable is there before.
    virtual void Finish() = 0;
};

std::unique_ptr<IWebAnimationWriter> MakeWebPWriter(const std::string& path, const TWebTimeline& timeline,
                                                    const TWebExportOptions& options);
std::unique_ptr<IWebAnimationWriter> MakeFFmpegWriter(const std::string& path, const TWebTimeline& timeline,
                                                      const TWebExportOptions& options);
