// APNG, MP4 (H.264) and WebM (VP9) through FFmpeg. The clock counts
// hundredths of a second, so every picture starts exactly where the delays
// before it end, and the last one lasts its own delay.

#include <algorithm>
#include <cstring>
#include <map>
#include <numeric>

#include "imaging/VideoReader.h"
#include "imaging/WebExport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

std::string AvText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

struct TTarget {
    const char* Muxer;
    const char* Encoder;  // by name; empty: the format's own
    AVPixelFormat Pixels;
    bool EvenSides;
};

TTarget TargetFor(const TWebTimeline& timeline, TWebFormat format) {
    switch (format) {
    case TWebFormat::APNG: return {"apng", "", AV_PIX_FMT_RGBA, false};
    case TWebFormat::MP4: return {"mp4", "libx264", AV_PIX_FMT_YUV420P, true};
    default: return {"webm", "libvpx-vp9", timeline.HasClear ? AV_PIX_FMT_YUVA420P : AV_PIX_FMT_YUV420P, true};
    }
}

class TFFmpegWriter : public IWebAnimationWriter {
public:
    TFFmpegWriter(const TWebTimeline& timeline, const TWebExportOptions& options)
        : width_(timeline.Width), height_(timeline.Height), target_(TargetFor(timeline, options.Format)),
          encodedWidth_(target_.EvenSides ? (width_ + 1) & ~1 : width_),
          encodedHeight_(target_.EvenSides ? (height_ + 1) & ~1 : height_) {}

    // Apart from the constructor, so that a failure still frees what was made.
    void Open(const std::string& path, const TWebTimeline& timeline, const TWebExportOptions& options) {
        // The encoders' reports of their settings are not the user's business.
        if (av_log_get_level() > AV_LOG_WARNING) av_log_set_level(AV_LOG_WARNING);
        const AVCodec* codec = *target_.Encoder ? avcodec_find_encoder_by_name(target_.Encoder)
                                                : avcodec_find_encoder(AV_CODEC_ID_APNG);
        if (!codec) throw TVideoError(std::string("This FFmpeg has no ") + (*target_.Encoder ? target_.Encoder : "APNG") + " encoder.");
        if (avformat_alloc_output_context2(&format_, nullptr, target_.Muxer, path.c_str()) < 0 || !format_)
            throw TVideoError(std::string("This FFmpeg cannot write ") + target_.Muxer + " files.");
        stream_ = avformat_new_stream(format_, nullptr);
        codec_ = avcodec_alloc_context3(codec);
        if (!stream_ || !codec_) throw TVideoError("Out of memory.");
        const int total = std::accumulate(timeline.Durations.begin(), timeline.Durations.end(), 0);
        codec_->width = encodedWidth_;
        codec_->height = encodedHeight_;
        codec_->pix_fmt = target_.Pixels;
        codec_->time_base = AVRational{1, 100};
        av_reduce(&codec_->framerate.num, &codec_->framerate.den, 100LL * std::max<std::size_t>(1, timeline.Durations.size()),
                  std::max(1, total), 1 << 16);
        if (target_.Pixels != AV_PIX_FMT_RGBA) {
            codec_->color_range = AVCOL_RANGE_MPEG;
            codec_->colorspace = AVCOL_SPC_BT709;
            codec_->color_primaries = AVCOL_PRI_BT709;
            codec_->color_trc = AVCOL_TRC_IEC61966_2_1;
        }
        if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* raw = nullptr;
        if (options.Format == TWebFormat::MP4) {
            av_dict_set_int(&raw, "crf", QualityToCrf(options.Quality, 51), 0);
            av_dict_set(&raw, "preset", "medium", 0);
        } else if (options.Format == TWebFormat::WebM) {
            codec_->bit_rate = 0;  // constant quality
            av_dict_set_int(&raw, "crf", QualityToCrf(options.Quality, 63), 0);
            av_dict_set(&raw, "row-mt", "1", 0);
            av_dict_set(&raw, "cpu-used", "2", 0);
        } else {
            av_dict_set(&raw, "pred", "mixed", 0);
        }
        int error = avcodec_open2(codec_, codec, &raw);
        av_dict_free(&raw);
        if (error < 0) throw TVideoError("The encoder does not start: " + AvText(error));
        avcodec_parameters_from_context(stream_->codecpar, codec_);
        stream_->time_base = codec_->time_base;
        stream_->avg_frame_rate = codec_->framerate;

        raw = nullptr;
        if (options.Format == TWebFormat::APNG) {
            av_dict_set_int(&raw, "plays", timeline.Plays, 0);
            const int last = timeline.Durations.empty() ? 10 : timeline.Durations.back();
            av_dict_set(&raw, "final_delay", (std::to_string(last) + "/100").c_str(), 0);
        } else if (options.Format == TWebFormat::MP4) {
            av_dict_set(&raw, "movflags", "+faststart", 0);
        }
        if ((error = avio_open(&format_->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0) {
            av_dict_free(&raw);
            throw TVideoError("Could not create the file: " + AvText(error));
        }
        error = avformat_write_header(format_, &raw);
        av_dict_free(&raw);
        if (error < 0) throw TVideoError("Could not start the file: " + AvText(error));

        if (target_.Pixels != AV_PIX_FMT_RGBA) {
            scale_ = sws_getContext(encodedWidth_, encodedHeight_, AV_PIX_FMT_RGBA, encodedWidth_, encodedHeight_,
                                    target_.Pixels, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
            if (!scale_) throw TVideoError("The pictures cannot be converted for the encoder.");
            const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
            sws_setColorspaceDetails(scale_, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
        }
        frame_ = av_frame_alloc();
        packet_ = av_packet_alloc();
        if (!frame_ || !packet_) throw TVideoError("Out of memory.");
    }

    ~TFFmpegWriter() override {
        if (format_ && format_->pb) avio_closep(&format_->pb);
        avformat_free_context(format_);
        avcodec_free_context(&codec_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        sws_freeContext(scale_);
    }

    void Add(const std::vector<unsigned char>& rgba, int duration) override {
        const std::vector<unsigned char>& source = Prepared(rgba);
        av_frame_unref(frame_);
        frame_->format = target_.Pixels;
        frame_->width = encodedWidth_;
        frame_->height = encodedHeight_;
        if (av_frame_get_buffer(frame_, 0) < 0) throw TVideoError("Out of memory.");
        if (target_.Pixels == AV_PIX_FMT_RGBA) {
            for (int y = 0; y < encodedHeight_; ++y)
                std::memcpy(frame_->data[0] + std::ptrdiff_t(y) * frame_->linesize[0],
                            &source[std::size_t(y) * std::size_t(encodedWidth_) * 4], std::size_t(encodedWidth_) * 4);
        } else {
            const std::uint8_t* planes[1] = {source.data()};
            const int strides[1] = {encodedWidth_ * 4};
            sws_scale(scale_, planes, strides, 0, encodedHeight_, frame_->data, frame_->linesize);
        }
        frame_->pts = clock_;
        durations_[clock_] = duration;
        clock_ += duration;
        Send(frame_);
    }

    void Finish() override {
        Send(nullptr);
        const int error = av_write_trailer(format_);
        if (error < 0) throw TVideoError("Could not complete the file: " + AvText(error));
        if (avio_closep(&format_->pb) < 0) throw TVideoError("Could not write the file.");
    }

private:
    // The picture at the encoder's size, see-through parts made white where
    // the format shows none.
    const std::vector<unsigned char>& Prepared(const std::vector<unsigned char>& rgba) {
        const bool flatten = target_.Pixels == AV_PIX_FMT_YUV420P;
        if (!flatten && encodedWidth_ == width_ && encodedHeight_ == height_) return rgba;
        padded_.resize(std::size_t(encodedWidth_) * std::size_t(encodedHeight_) * 4);
        for (int y = 0; y < encodedHeight_; ++y) {
            const unsigned char* from = &rgba[std::size_t(std::min(y, height_ - 1)) * std::size_t(width_) * 4];
            unsigned char* to = &padded_[std::size_t(y) * std::size_t(encodedWidth_) * 4];
            std::memcpy(to, from, std::size_t(width_) * 4);
            if (encodedWidth_ > width_) std::memcpy(to + width_ * 4, to + (width_ - 1) * 4, 4);
            if (!flatten) continue;
            for (int x = 0; x < encodedWidth_; ++x)
                if (to[4 * x + 3] == 0) std::memset(to + 4 * x, 0xFF, 4);
        }
        return padded_;
    }

    void Send(AVFrame* frame) {
        int error = avcodec_send_frame(codec_, frame);
        if (error < 0) throw TVideoError("Encoding failed: " + AvText(error));
        while ((error = avcodec_receive_packet(codec_, packet_)) == 0) {
            const auto known = durations_.find(packet_->pts);
            if (known != durations_.end()) packet_->duration = known->second;
            av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
            packet_->stream_index = stream_->index;
            error = av_interleaved_write_frame(format_, packet_);
            if (error < 0) throw TVideoError("Could not write the file: " + AvText(error));
        }
        if (error != AVERROR(EAGAIN) && error != AVERROR_EOF) throw TVideoError("Encoding failed: " + AvText(error));
    }

    int width_, height_;
    TTarget target_;
    int encodedWidth_, encodedHeight_;
    AVFormatContext* format_ = nullptr;
    AVStream* stream_ = nullptr;  // owned by format_
    AVCodecContext* codec_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* scale_ = nullptr;  // RGBA to the videos' YUV
    std::vector<unsigned char> padded_;
    std::map<std::int64_t, int> durations_;  // start -> duration, for the packets
    std::int64_t clock_ = 0;                 // hundredths of a second
};

}  // namespace

std::unique_ptr<IWebAnimationWriter> MakeFFmpegWriter(const std::string& path, const TWebTimeline& timeline,
                                                      const TWebExportOptions& options) {
    auto writer = std::make_unique<TFFmpegWriter>(timeline, options);
    writer->Open(path, timeline, options);
    return writer;
}
