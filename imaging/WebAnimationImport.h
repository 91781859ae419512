#pragma once
// Animated WebP and APNG files, and still WebP, become animations: each
// picture as the file shows it (libwebp's decoder, FFmpeg's APNG decoder,
// both composing frames as browsers do), with its duration and the file's
// loop count, then in colours fitted to the whole animation (ClipEncoder),
// see-through pixels kept.
//  - A file cut short gives the frames that arrived whole (CutShort says so).
//  - A picture over the pixel budget is refused with "Image too large"; an
//    animation that would pass it keeps the frames that fit (Truncated).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "painter/ClipEncoder.h"

class TGIFImage;

enum class TWebAnimationKind { None, WebP, APNG };

// What the bytes are: any WebP, or a PNG with an animation control chunk
// before its image data (a still PNG is None).
TWebAnimationKind WebAnimationKindOf(const std::vector<std::uint8_t>& bytes);
TWebAnimationKind WebAnimationKindOfFile(const std::string& path);

struct TWebImportResult {
    int Frames = 0;
    bool CutShort = false;   // the file ends inside a frame
    bool Truncated = false;  // stopped at the pixel budget
    bool Cancelled = false;  // stopped by the caller; the frames made so far are kept
};

// Fills the empty `image` from the file. keepGoing(percent) is asked after
// each picture. Raises TVideoError with a message for the user when
// nothing can be read.
TWebImportResult ImportWebAnimation(const std::string& path, TGIFImage& image,
                                    const std::function<bool(int percent)>& keepGoing = {},
                                    const TClipColors& colors = {});

// The same from bytes already read.
TWebImportResult ImportWebAnimation(std::vector<std::uint8_t> bytes, TGIFImage& image,
                                    const std::function<bool(int percent)>& keepGoing = {},
                                    const TClipColors& colors = {});
