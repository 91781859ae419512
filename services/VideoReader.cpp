#include "services/VideoReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "raster/PixelBudget.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace {
struct TFormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct TCodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct TFrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct TPacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct TScaleFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using TFramePtr = std::unique_ptr<AVFrame, TFrameFree>;
} // namespace

int DelayHundredths(double seconds) {
    if (!(seconds > 0)) return 0;
    const double hundredths = std::nearbyint(seconds * 100.0);
    if (hundredths > 65535) return 65535;
    return std::max(1, static_cast<int>(hundredths));
}

int TDelayRounder::Next(double seconds) {
    if (!(seconds > 0)) return 0;
    FEndSeconds += seconds;
    const long long end = std::llround(FEndSeconds * 100.0);
    // A frame that lasts is never shown for no time; the hundredth it takes
    // comes back off the frames after it.
    const long long delay = std::clamp<long long>(end - FEndHundredths, 1, 65535);
    FEndHundredths += delay;
    return static_cast<int>(delay);
}

struct TVideoReader::TState {
    std::unique_ptr<AVFormatContext, TFormatCloser> Format;
    std::unique_ptr<AVCodecContext, TCodecCloser> Codec;
    std::unique_ptr<AVPacket, TPacketFree> Packet{av_packet_alloc()};
    std::unique_ptr<SwsContext, TScaleFree> Scale;
    int Stream = -1;
    AVRational TimeBase{1, 1};
    double FrameSeconds = 0.1;  // when a frame's own duration is unknown
    TFramePtr Pending;          // decoded, its delay not yet known
    TDelayRounder Delays;
    bool InputDone = false;
    bool DecoderDone = false;
    std::vector<std::uint8_t> Packed;

    // The next decoded frame, or null at the end.
    TFramePtr Decode() {
        TFramePtr frame(av_frame_alloc());
        while (!DecoderDone) {
            const int got = avcodec_receive_frame(Codec.get(), frame.get());
            if (got == 0) return frame;
            if (got == AVERROR_EOF) {
                DecoderDone = true;
                break;
            }
            if (got != AVERROR(EAGAIN)) throw TVideoError("Failed to decompress AVI frame");
            if (InputDone) {
                // Everything was sent; the decoder has drained.
                DecoderDone = true;
                break;
            }
            const int read = av_read_frame(Format.get(), Packet.get());
            if (read < 0) {
                InputDone = true;
                avcodec_send_packet(Codec.get(), nullptr);
                continue;
            }
            if (Packet->stream_index == Stream) {
                const int sent = avcodec_send_packet(Codec.get(), Packet.get());
                // A damaged packet in the middle is skipped, as players do.
                if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA) {
                    av_packet_unref(Packet.get());
                    throw TVideoError("Failed to decompress AVI frame");
                }
            }
            av_packet_unref(Packet.get());
        }
        return nullptr;
    }

    double Seconds(std::int64_t ticks) const { return double(ticks) * av_q2d(TimeBase); }

    void ToBitmap(const AVFrame& frame, TBitmap& picture) {
        const int width = frame.width, height = frame.height;
        Scale.reset(sws_getCachedContext(Scale.release(), width, height, AVPixelFormat(frame.format), width, height,
                                         AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr));
        if (!Scale) throw TVideoError("Failed to decompress AVI frame");
        // swscale's vector code writes whole blocks: rows padded to 64 bytes
        // and room past the last one, as FFmpeg's own buffers have.
        const int row = width * 3;
        const int stride = (row + 63) / 64 * 64;
        Packed.resize(std::size_t(stride) * std::size_t(height) + 64);
        std::uint8_t* planes[4] = {Packed.data(), nullptr, nullptr, nullptr};
        int strides[4] = {stride, 0, 0, 0};
        sws_scale(Scale.get(), frame.data, frame.linesize, 0, height, planes, strides);
        picture = TBitmap(width, height, pf24bit);
        for (int y = 0; y < height; ++y)
            std::memcpy(picture.ScanLine(y), Packed.data() + std::size_t(y) * std::size_t(stride), std::size_t(row));
    }
};

TVideoReader::TVideoReader(const std::string& path) : FState(std::make_unique<TState>()) {
    TState& s = *FState;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) throw TVideoError("Failed to open AVI file");
    s.Format.reset(format);
    if (avformat_find_stream_info(format, nullptr) < 0) throw TVideoError("Failed to get AVI stream info");
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        // Cover art of an audio file is a picture, not a video.
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            s.Stream = int(i);
            break;
        }
    }
    if (s.Stream < 0) throw TVideoError("Failed to open AVI stream");
    AVStream* stream = format->streams[s.Stream];
    const AVCodecParameters* par = stream->codecpar;
    if (par->width <= 0 || par->height <= 0) throw TVideoError("Failed to get AVI stream format");
    if (!DefaultPixelBudget.FrameFits(std::uint64_t(par->width), std::uint64_t(par->height)))
        throw TVideoError(ImageTooLargeText);
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    if (!decoder) throw TVideoError("Failed to start AVI decompression");
    s.Codec.reset(avcodec_alloc_context3(decoder));
    if (!s.Codec || avcodec_parameters_to_context(s.Codec.get(), par) < 0 ||
        avcodec_open2(s.Codec.get(), decoder, nullptr) < 0)
        throw TVideoError("Failed to start AVI decompression");
    s.TimeBase = stream->time_base;
    const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    if (rate.num > 0 && rate.den > 0) s.FrameSeconds = av_q2d(av_inv_q(rate));
}

TVideoReader::~TVideoReader() = default;

int TVideoReader::Width() const { return FState->Codec->width; }
int TVideoReader::Height() const { return FState->Codec->height; }

long long TVideoReader::EstimatedFrames() const {
    const AVStream* stream = FState->Format->streams[FState->Stream];
    if (stream->nb_frames > 0) return stream->nb_frames;
    if (stream->duration > 0 && FState->FrameSeconds > 0)
        return static_cast<long long>(FState->Seconds(stream->duration) / FState->FrameSeconds);
    if (FState->Format->duration > 0 && FState->FrameSeconds > 0)
        return static_cast<long long>(double(FState->Format->duration) / AV_TIME_BASE / FState->FrameSeconds);
    return 0;
}

bool TVideoReader::Next(TBitmap& picture, int& delayHundredths) {
    TState& s = *FState;
    if (!s.Pending) s.Pending = s.Decode();
    if (!s.Pending) return false;
    TFramePtr next = s.Decode();
    const std::int64_t at = s.Pending->best_effort_timestamp;
    double seconds = s.FrameSeconds;
    if (next && at != AV_NOPTS_VALUE && next->best_effort_timestamp != AV_NOPTS_VALUE &&
        next->best_effort_timestamp > at)
        seconds = s.Seconds(next->best_effort_timestamp - at);
    else if (!next && s.Pending->pkt_duration > 0)
        seconds = s.Seconds(s.Pending->pkt_duration);
    delayHundredths = s.Delays.Next(seconds);
    s.ToBitmap(*s.Pending, picture);
    s.Pending = std::move(next);
    return true;
}
