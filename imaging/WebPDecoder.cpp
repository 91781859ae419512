// WebP through libwebp's animation decoder, which composes every frame
// (offsets, blending, disposal) onto the canvas; a still WebP is one frame.

#include <cstring>

#include <webp/demux.h>

#include "imaging/AnimationDecoder.h"
#include "imaging/VideoReader.h"

namespace {

std::uint32_t Get32LE(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
void Put32LE(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

struct TDecoderFree {
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

class TWebPDecoder : public IAnimationDecoder {
public:
    explicit TWebPDecoder(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
        cutShort_ = KeepWholeWebPChunks(bytes_);
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options)) throw TVideoError("The WebP decoder cannot be used.");
        options.color_mode = MODE_RGBA;
        options.use_threads = 1;
        const WebPData data{bytes_.data(), bytes_.size()};
        decoder_.reset(WebPAnimDecoderNew(&data, &options));
        if (!decoder_ || !WebPAnimDecoderGetInfo(decoder_.get(), &info_) || info_.frame_count == 0)
            throw TVideoError("Not a WebP picture, or a damaged one.");
    }

    int Width() const override { return int(info_.canvas_width); }
    int Height() const override { return int(info_.canvas_height); }
    int Plays() const override { return int(info_.loop_count); }
    int Frames() const override { return int(info_.frame_count); }
    bool CutShort() const override { return cutShort_; }

    bool Next(std::vector<std::uint8_t>& rgba, double& seconds) override {
        if (!WebPAnimDecoderHasMoreFrames(decoder_.get())) return false;
        std::uint8_t* canvas = nullptr;
        int end = 0;  // where this frame stops showing, in milliseconds
        if (!WebPAnimDecoderGetNext(decoder_.get(), &canvas, &end)) return false;
        rgba.assign(canvas, canvas + std::size_t(Width()) * std::size_t(Height()) * 4);
        seconds = (end - shownUntil_) / 1000.0;
        shownUntil_ = end;
        return true;
    }

    void Rewind() override {
        WebPAnimDecoderReset(decoder_.get());
        shownUntil_ = 0;
    }

private:
    std::vector<std::uint8_t> bytes_;  // the decoder reads them in place
    std::unique_ptr<WebPAnimDecoder, TDecoderFree> decoder_;
    WebPAnimInfo info_{};
    bool cutShort_ = false;
    int shownUntil_ = 0;
};

}  // namespace

bool KeepWholeWebPChunks(std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(&bytes[8], "WEBP", 4) != 0)
        return false;
    const std::uint64_t declared = std::uint64_t(Get32LE(&bytes[4])) + 8;
    if (declared <= bytes.size()) return false;
    std::size_t whole = 12;
    while (whole + 8 <= bytes.size()) {
        const std::uint64_t size = Get32LE(&bytes[whole + 4]);
        const std::uint64_t end = whole + 8 + size + (size & 1);
        if (end > bytes.size()) break;
        whole = std::size_t(end);
    }
    bytes.resize(whole);
    Put32LE(&bytes[4], std::uint32_t(whole - 8));
    return true;
}

std::unique_ptr<IAnimationDecoder> OpenWebPDecoder(std::vector<std::uint8_t> bytes) {
    return std::make_unique<TWebPDecoder>(std::move(bytes));
}
