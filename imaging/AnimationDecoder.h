#pragma once
// The decoders behind ImportWebAnimation: whole pictures, one by one, each
// with how long it shows.

#include <cstdint>
#include <memory>
#include <vector>

class IAnimationDecoder {
public:
    virtual ~IAnimationDecoder() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int Plays() const = 0;   // 0: without end
    virtual int Frames() const = 0;  // as the file announces them (0: unknown)
    virtual bool CutShort() const = 0;
    // The next picture as straight RGBA bytes, and its duration; false at
    // the end.
    virtual bool Next(std::vector<std::uint8_t>& rgba, double& seconds) = 0;
    // Back before the first picture.
    virtual void Rewind() = 0;
};

// Both raise TVideoError when the bytes hold no picture that can be read.
std::unique_ptr<IAnimationDecoder> OpenWebPDecoder(std::vector<std::uint8_t> bytes);
std::unique_ptr<IAnimationDecoder> OpenApngDecoder(std::vector<std::uint8_t> bytes);

// The whole chunks of a file cut short: a WebP ends after its last whole
// chunk (its size fixed), an APNG after its last whole frame (its end chunk
// added). Answers whether anything was cut.
bool KeepWholeWebPChunks(std::vector<std::uint8_t>& bytes);
bool KeepWholeApngFrames(std::vector<std::uint8_t>& bytes);
