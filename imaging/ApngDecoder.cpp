// APNG through FFmpeg's demuxer and decoder, read from memory. The decoder
// composes each frame onto the canvas (disposal and blending), so every
// picture comes out whole; frames keep their exact delays (FFmpeg's limit
// on the frame rate is turned off).

#include <algorithm>
#include <cstring>

#include "imaging/AnimationDecoder.h"
#include "imaging/VideoReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

std::uint32_t Get32BE(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

const std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
const std::uint8_t kEndChunk[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

// One pass of the demuxer and decoder over the bytes.
class TApngPass {
public:
    explicit TApngPass(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {
        const int bufferSize = 1 << 16;
        auto* buffer = static_cast<unsigned char*>(av_malloc(bufferSize));
        io_ = avio_alloc_context(buffer, bufferSize, 0, this, &Read, nullptr, &Seek);
        format_ = avformat_alloc_context();
        if (!io_ || !format_) {
            if (!io_) av_free(buffer);
            throw TVideoError("Out of memory.");
        }
        format_->pb = io_;
        format_->flags |= AVFMT_FLAG_CUSTOM_IO;
        AVDictionary* options = nullptr;
        av_dict_set(&options, "max_fps", "0", 0);
        av_dict_set(&options, "default_fps", "100", 0);  // a delay of 0: one hundredth
        const int opened = avformat_open_input(&format_, nullptr, av_find_input_format("apng"), &options);
        av_dict_free(&options);
        if (opened < 0) {
            format_ = nullptr;  // freed by the failed open
            throw TVideoError("Not an animated PNG, or a damaged one.");
        }
        stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        const AVCodec* codec = stream_ < 0 ? nullptr : avcodec_find_decoder(format_->streams[stream_]->codecpar->codec_id);
        codec_ = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (!codec_ || avcodec_parameters_to_context(codec_, format_->streams[stream_]->codecpar) < 0)
            throw TVideoError("This FFmpeg cannot decode animated PNG.");
        codec_->thread_count = 1;
        if (avcodec_open2(codec_, codec, nullptr) < 0) throw TVideoError("This FFmpeg cannot decode animated PNG.");
        timeBase_ = format_->streams[stream_]->time_base;
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        if (!packet_ || !frame_) throw TVideoError("Out of memory.");
    }

    ~TApngPass() {
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&codec_);
        sws_freeContext(scale_);
        avformat_close_input(&format_);
        if (io_) av_freep(&io_->buffer);
        avio_context_free(&io_);
    }

    int Width() const { return codec_->width; }
    int Height() const { return codec_->height; }

    // False at the end, or at a frame that cannot be decoded.
    bool Next(std::vector<std::uint8_t>& rgba, double& seconds) {
        while (true) {
            const int got = avcodec_receive_frame(codec_, frame_);
            if (got == 0) break;
            if (got != AVERROR(EAGAIN) || inputDone_) return false;
            if (av_read_frame(format_, packet_) < 0) {
                inputDone_ = true;
                avcodec_send_packet(codec_, nullptr);
                continue;
            }
            if (packet_->stream_index == stream_ && avcodec_send_packet(codec_, packet_) < 0) {
                av_packet_unref(packet_);
                return false;
            }
            av_packet_unref(packet_);
        }
        const int width = frame_->width, height = frame_->height;
        scale_ = sws_getCachedContext(scale_, width, height, AVPixelFormat(frame_->format), width, height,
                                      AV_PIX_FMT_RGBA, SWS_POINT, nullptr, nullptr, nullptr);
        if (!scale_) return false;
        rgba.resize(std::size_t(width) * std::size_t(height) * 4);
        std::uint8_t* planes[1] = {rgba.data()};
        const int strides[1] = {width * 4};
        sws_scale(scale_, frame_->data, frame_->linesize, 0, height, planes, strides);
        seconds = double(frame_->pkt_duration) * av_q2d(timeBase_);
        av_frame_unref(frame_);
        return true;
    }

private:
    static int Read(void* opaque, std::uint8_t* to, int size) {
        auto* self = static_cast<TApngPass*>(opaque);
        const std::size_t left = self->bytes_.size() - self->position_;
        if (left == 0) return AVERROR_EOF;
        const std::size_t n = std::min<std::size_t>(left, std::size_t(size));
        std::memcpy(to, self->bytes_.data() + self->position_, n);
        self->position_ += n;
        return int(n);
    }
    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
        auto* self = static_cast<TApngPass*>(opaque);
        const auto size = std::int64_t(self->bytes_.size());
        whence &= ~AVSEEK_FORCE;
        if (whence == AVSEEK_SIZE) return size;
        const std::int64_t base = whence == SEEK_CUR ? std::int64_t(self->position_) : whence == SEEK_END ? size : 0;
        if (base + offset < 0 || base + offset > size) return AVERROR(EINVAL);
        self->position_ = std::size_t(base + offset);
        return base + offset;
    }

    const std::vector<std::uint8_t>& bytes_;
    std::size_t position_ = 0;
    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwsContext* scale_ = nullptr;
    int stream_ = -1;
    AVRational timeBase_{1, 100};
    bool inputDone_ = false;
};

// The acTL chunk's frame and play counts.
bool ReadAnimationControl(const std::vector<std::uint8_t>& bytes, int& frames, int& plays) {
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::uint64_t length = Get32BE(&bytes[at]);
        if (std::memcmp(&bytes[at + 4], "acTL", 4) == 0 && length >= 8 && at + 16 <= bytes.size()) {
            frames = int(std::min<std::uint32_t>(Get32BE(&bytes[at + 8]), 1u << 30));
            plays = int(std::min<std::uint32_t>(Get32BE(&bytes[at + 12]), 65535));
            return true;
        }
        if (std::memcmp(&bytes[at + 4], "IDAT", 4) == 0) return false;
        at += std::size_t(std::min<std::uint64_t>(length + 12, bytes.size()));
    }
    return false;
}

class TApngDecoder : public IAnimationDecoder {
public:
    explicit TApngDecoder(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
        cutShort_ = KeepWholeApngFrames(bytes_);
        if (!ReadAnimationControl(bytes_, frames_, plays_)) throw TVideoError("Not an animated PNG.");
        pass_ = std::make_unique<TApngPass>(bytes_);
        if (pass_->Width() <= 0 || pass_->Height() <= 0) throw TVideoError("Not an animated PNG, or a damaged one.");
    }
    int Width() const override { return pass_->Width(); }
    int Height() const override { return pass_->Height(); }
    int Plays() const override { return plays_; }
    int Frames() const override { return frames_; }
    bool CutShort() const override { return cutShort_; }
    bool Next(std::vector<std::uint8_t>& rgba, double& seconds) override {
        if (!pass_->Next(rgba, seconds)) return false;
        if (pass_->Width() != Width() || pass_->Height() != Height()) return false;
        return true;
    }
    void Rewind() override {
        pass_.reset();
        pass_ = std::make_unique<TApngPass>(bytes_);
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::unique_ptr<TApngPass> pass_;
    int frames_ = 0, plays_ = 0;
    bool cutShort_ = false;
};

}  // namespace

bool KeepWholeApngFrames(std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kPngSignature, 8) != 0) return false;
    std::size_t at = 8, frameStart = 0;  // where the frame being read began (its fcTL)
    bool imageData = false;
    while (at + 12 <= bytes.size()) {
        const std::uint64_t length = Get32BE(&bytes[at]);
        const char* type = reinterpret_cast<const char*>(&bytes[at + 4]);
        if (std::memcmp(type, "IEND", 4) == 0) return false;  // whole
        if (at + 12 + length > bytes.size()) break;
        if (std::memcmp(type, "fcTL", 4) == 0) frameStart = at;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "fdAT", 4) == 0) imageData = true;
        at += std::size_t(length) + 12;
    }
    // The frame being read may have had more data to come: it is dropped,
    // unless the cut fell on the header of the next frame's control chunk.
    const bool atFrameControl =
        at + 8 <= bytes.size() && std::memcmp(&bytes[at + 4], "fcTL", 4) == 0;
    std::size_t keep = atFrameControl ? at : frameStart;
    if (!imageData || keep <= 8) keep = at;  // nothing whole to keep; the decoder will say so
    bytes.resize(keep);
    bytes.insert(bytes.end(), kEndChunk, kEndChunk + sizeof kEndChunk);
    return true;
}

std::unique_ptr<IAnimationDecoder> OpenApngDecoder(std::vector<std::uint8_t> bytes) {
    return std::make_unique<TApngDecoder>(std::move(bytes));
}
