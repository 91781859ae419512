// Animated WebP through libwebp's animation encoder: each picture is given
// whole with its start time; the encoder finds what changed and how to
// store it (sub-rectangles, blending, disposal).

#include <cstdio>
#include <cstring>
#include <memory>

#include <webp/encode.h>
#include <webp/mux.h>

#include "imaging/VideoReader.h"
#include "imaging/WebExport.h"

namespace {

struct TEncoderFree {
    void operator()(WebPAnimEncoder* e) const { WebPAnimEncoderDelete(e); }
};

class TWebPWriter : public IWebAnimationWriter {
public:
    TWebPWriter(const std::string& path, const TWebTimeline& timeline, const TWebExportOptions& options)
        : path_(path), width_(timeline.Width), height_(timeline.Height) {
        WebPAnimEncoderOptions encoderOptions;
        if (!WebPAnimEncoderOptionsInit(&encoderOptions) || !WebPConfigInit(&config_))
            throw TVideoError("The WebP encoder cannot be used.");
        encoderOptions.anim_params.loop_count = timeline.Plays;
        encoderOptions.anim_params.bgcolor = 0x00000000;  // see-through, as the GIF's screen starts
        encoderOptions.allow_mixed = 0;
        config_.lossless = options.Lossless ? 1 : 0;
        config_.quality = options.Lossless ? 75.f : float(options.Quality);
        config_.method = 4;
        config_.use_sharp_yuv = 1;  // lossy: sharper colour edges
        if (!WebPValidateConfig(&config_)) throw TVideoError("The WebP settings are not valid.");
        encoder_.reset(WebPAnimEncoderNew(width_, height_, &encoderOptions));
        if (!encoder_) throw TVideoError("The animation is too large for WebP (at most 16383 x 16383).");
    }

    void Add(const std::vector<unsigned char>& rgba, int duration) override {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.width = width_;
        picture.height = height_;
        picture.use_argb = 1;
        const bool ok = WebPPictureImportRGBA(&picture, rgba.data(), width_ * 4) &&
                        WebPAnimEncoderAdd(encoder_.get(), &picture, int(timestamp_), &config_);
        WebPPictureFree(&picture);
        for (std::size_t i = 3; i < rgba.size() && !seeThrough_; i += 4) seeThrough_ = rgba[i] == 0;
        if (!ok) throw TVideoError(std::string("WebP encoding failed: ") + WebPAnimEncoderGetError(encoder_.get()));
        timestamp_ += 10LL * duration;
    }

    void Finish() override {
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAdd(encoder_.get(), nullptr, int(timestamp_), nullptr) ||
            !WebPAnimEncoderAssemble(encoder_.get(), &data))
            throw TVideoError(std::string("WebP encoding failed: ") + WebPAnimEncoderGetError(encoder_.get()));
        MarkSeeThrough(data);
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path_.c_str(), "wb"), &std::fclose);
        const bool written = file && std::fwrite(data.bytes, 1, data.size, file.get()) == data.size &&
                             std::fflush(file.get()) == 0;
        WebPDataClear(&data);
        if (!written) throw TVideoError("Could not write the WebP file.");
    }

private:
    // The encoder flags alpha only when a stored frame has it; a canvas
    // that frames leave partly uncovered shows see-through pixels too, and
    // readers that trust the flag would show them black.
    void MarkSeeThrough(WebPData& data) const {
        constexpr std::size_t kFlags = 20;  // after RIFF, size, WEBP, VP8X and its size
        constexpr std::uint8_t kAlpha = 0x10;
        if (seeThrough_ && data.size > kFlags && std::memcmp(data.bytes + 12, "VP8X", 4) == 0)
            const_cast<std::uint8_t*>(data.bytes)[kFlags] |= kAlpha;
    }

    std::string path_;
    int width_, height_;
    WebPConfig config_;
    std::unique_ptr<WebPAnimEncoder, TEncoderFree> encoder_;
    long long timestamp_ = 0;  // milliseconds
    bool seeThrough_ = false;  // some picture has see-through pixels
};

}  // namespace

std::unique_ptr<IWebAnimationWriter> MakeWebPWriter(const std::string& path, const TWebTimeline& timeline,
                                                    const TWebExportOptions& options) {
    return std::make_unique<TWebPWriter>(path, timeline, options);
}
