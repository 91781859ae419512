#pragma once
// The image-data codec of a frame: LZW decoding, and the two encoders (a real
// LZW compressor and a run-length-only encoder whose output any GIF decoder
// reads). The frame reader and writer call only these two functions.

#include <cstdint>
#include <functional>
#include <string>

#include "gif/Stream.h"

// Receives the codec's warnings ("Decoder bit buffer under-run", "Premature end of data").
using TGIFWarnFn = std::function<void(const std::string& text)>;

// encLZWBest: LZW that looks a string ahead, smaller and several times slower.
enum TGIFEncoding : std::uint8_t { encLZW = 0, encRLE = 1, encLZWBest = 2 };

// Decodes the image data at the stream's position (initial code size byte,
// data sub-blocks, terminating zero-length block) into `pixels`, which the caller
// owns (width * height bytes; what they hold on entry does not matter). Rows are
// stored in display order (interlaced data is de-interlaced). Pixels the data
// does not reach (it ends early, or breaks off at a corrupt code) are set to
// `fill`, with a warning; so are all of them for a code size above 11
// ("Invalid GIF data"). On return the stream stands after the image data's
// terminator (or at its end).
void DecodeImageData(TStream& in, std::uint8_t* pixels, int width, int height, bool interlaced,
                     const TGIFWarnFn& warn, std::uint8_t fill);
// The same; when the data decodes whole and without a warning, `read` (if
// given) receives it as it was read.
struct TReadImageData;
void DecodeImageData(TStream& in, std::uint8_t* pixels, int width, int height, bool interlaced,
                     const TGIFWarnFn& warn, std::uint8_t fill, TReadImageData* read);
// The same, for pixels the caller has filled with the fill value throughout.
void DecodeImageData(TStream& in, std::uint8_t* pixels, int width, int height, bool interlaced,
                     const TGIFWarnFn& warn);

// The largest number of pixels `byteCount` bytes of image data can possibly
// describe; a frame larger than this cannot be filled by the data that remains.
std::uint64_t MaxDecodablePixels(std::uint64_t byteCount);

// Writes the image data of one frame: the initial code size byte (max(bits, 2)),
// sub-blocks of at most 255 bytes, and the terminating 0x00. Every pixel must be
// below colorLimit ("Color not in color table" otherwise).
void EncodeImageData(TStream& out, TGIFEncoding encoding, int bits, int colorLimit,
                     const std::uint8_t* pixels, bool interlaced, int height, int width);
// encLZWBest tries several parses, and each also keeping to the end a full
// table the usual way clears (see TFullTablePolicy), and writes the shortest.
// EncodeImageDataOnce: one parse and one way with a full table, straight to
// `out`, for comparing candidates quickly (encLZWBest is taken as encLZW).
void EncodeImageDataOnce(TStream& out, TGIFEncoding encoding, int bits, int colorLimit,
                         const std::uint8_t* pixels, bool interlaced, int height, int width);
// One parse that looks two strings ahead (see TLookaheadLZWEncoder): several
// times slower than the usual encoder, and shorter on many pictures, longer
// on some.
void EncodeImageDataLookingAhead(TStream& out, int bits, int colorLimit, const std::uint8_t* pixels,
                                 bool interlaced, int height, int width);
