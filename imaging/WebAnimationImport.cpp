#include "imaging/WebAnimationImport.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "imaging/AnimationDecoder.h"
#include "imaging/PictureReader.h"
#include "imaging/VideoReader.h"
#include "raster/PixelBudget.h"

namespace {

constexpr int kSampledFrames = 48;  // pictures the shared palette is fitted to

bool StartsWith(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* text) {
    const std::size_t n = std::strlen(text);
    return bytes.size() >= at + n && std::memcmp(&bytes[at], text, n) == 0;
}

// The loop count of a file that plays `plays` times (0: without end): one
// play needs no looping extension, n plays repeat n - 1 times.
void SetPlays(TGIFImage& image, int plays) {
    if (image.Frames().Count() == 0) return;
    TGIFSubImage& first = *image.Frames()[0];
    auto& blocks = first.ExtensionBlocks();
    for (int e = 0; e < blocks.Count(); ++e) {
        auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(blocks[e]);
        if (!loop) continue;
        if (plays == 1) blocks.Delete(e);
        else loop->LoopCount = std::uint16_t(plays == 0 ? 0 : std::min(plays - 1, 65535));
        return;
    }
}

}  // namespace

TWebAnimationKind WebAnimationKindOf(const std::vector<std::uint8_t>& bytes) {
    if (StartsWith(bytes, 0, "RIFF") && StartsWith(bytes, 8, "WEBP")) return TWebAnimationKind::WebP;
    if (!StartsWith(bytes, 1, "PNG\r\n\x1a\n")) return TWebAnimationKind::None;
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const std::uint64_t length = std::uint64_t(bytes[at]) << 24 | std::uint64_t(bytes[at + 1]) << 16 |
                                     std::uint64_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if (StartsWith(bytes, at + 4, "acTL")) return TWebAnimationKind::APNG;
        if (StartsWith(bytes, at + 4, "IDAT")) break;
        at += std::size_t(std::min<std::uint64_t>(length + 12, bytes.size()));
    }
    return TWebAnimationKind::None;
}

TWebAnimationKind WebAnimationKindOfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> head(4096);
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    head.resize(std::size_t(in.gcount()));
    return WebAnimationKindOf(head);
}

TWebImportResult ImportWebAnimation(const std::string& path, TGIFImage& image,
                                    const std::function<bool(int)>& keepGoing, const TClipColors& colors) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw TVideoError("The file cannot be opened.");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ImportWebAnimation(std::move(bytes), image, keepGoing, colors);
}

TWebImportResult ImportWebAnimation(std::vector<std::uint8_t> bytes, TGIFImage& image,
                                    const std::function<bool(int)>& keepGoing, const TClipColors& colors) {
    std::unique_ptr<IAnimationDecoder> decoder;
    switch (WebAnimationKindOf(bytes)) {
    case TWebAnimationKind::WebP: decoder = OpenWebPDecoder(std::move(bytes)); break;
    case TWebAnimationKind::APNG: decoder = OpenApngDecoder(std::move(bytes)); break;
    default: throw TVideoError("Neither a WebP nor an animated PNG file.");
    }
    const int width = decoder->Width(), height = decoder->Height();
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
        !image.PixelBudget.FrameFits(std::uint64_t(width), std::uint64_t(height)))
        throw TVideoError(ImageTooLargeText);

    TWebImportResult result;
    result.CutShort = decoder->CutShort();
    const int announced = std::max(1, decoder->Frames());
    auto ask = [&](int percent) {
        result.Cancelled = result.Cancelled || (keepGoing && !keepGoing(percent));
        return !result.Cancelled;
    };
    // First pass: the pictures the shared palette is fitted to.
    std::vector<std::uint8_t> rgba;
    double seconds = 0;
    TClipSampler sampler;
    const int every = std::max(1, announced / kSampledFrames);
    int sampled = 0;
    for (int index = 0; decoder->Next(rgba, seconds); ++index) {
        if (index % every == 0) sampler.Add(PackRGBA(rgba.data(), width, height).Pixels);
        sampled = index + 1;
        if (!ask(30 * std::min(index + 1, announced) / announced)) return result;
    }
    if (sampled == 0) throw TVideoError("The file holds no picture that can be read.");
    decoder->Rewind();

    if (sampled == 1 && decoder->Next(rgba, seconds)) {
        EncodeStill(image, PackRGBA(rgba.data(), width, height).Pixels, width, height, colors);
        result.Frames = 1;
        return result;
    }
    const std::uint64_t framePixels = std::uint64_t(width) * std::uint64_t(height);
    TClipEncoder encoder(image, width, height, colors, sampler.Palette(colors));
    TDelayRounder delays;
    while (result.Frames < sampled && decoder->Next(rgba, seconds)) {
        if (std::uint64_t(result.Frames + 1) * framePixels > image.PixelBudget.DocumentPixels) {
            result.Truncated = true;
            break;
        }
        encoder.Add(PackRGBA(rgba.data(), width, height).Pixels, std::max(1, delays.Next(seconds)));
        ++result.Frames;
        if (!ask(30 + 65 * result.Frames / sampled)) break;
    }
    if (result.Frames == 0) return result;  // cancelled before the first frame
    encoder.Finish();
    SetPlays(image, decoder->Plays());
    return result;
}
