#include "imaging/VideoReader.h"

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
    TFramePtr Current;          // the frame Step reached
    double CurrentStart = 0, CurrentDuration = 0;
    double StartSeconds = 0;    // the stream's clock at its first frame
    int OutWidth = 0, OutHeight = 0;
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

    // The frame converted to blue-green-red rows at the output size; answers
    // the row stride in Packed.
    int Convert(const AVFrame& frame) {
        const int width = OutWidth, height = OutHeight;
        const bool same = width == frame.width && height == frame.height;
        const bool smaller = std::int64_t(width) * height < std::int64_t(frame.width) * frame.height;
        // Bicubic chroma at the same size, as FFmpeg's own tools convert.
        const int flags = same ? SWS_BICUBIC : (smaller ? SWS_AREA : SWS_LANCZOS) | SWS_ACCURATE_RND;
        Scale.reset(sws_getCachedContext(Scale.release(), frame.width, frame.height, AVPixelFormat(frame.format), width,
                                         height, AV_PIX_FMT_BGR24, flags, nullptr, nullptr, nullptr));
        if (!Scale) throw TVideoError("Failed to decompress AVI frame");
        // swscale's vector code writes whole blocks: rows padded to 64 bytes
        // and room past the last one, as FFmpeg's own buffers have.
        const int stride = (width * 3 + 63) / 64 * 64;
        Packed.resize(std::size_t(stride) * std::size_t(height) + 64);
        std::uint8_t* planes[4] = {Packed.data(), nullptr, nullptr, nullptr};
        int strides[4] = {stride, 0, 0, 0};
        sws_scale(Scale.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
        return stride;
    }

    void ToBitmap(const AVFrame& frame, TBitmap& picture) {
        const int stride = Convert(frame);
        picture = TBitmap(OutWidth, OutHeight, pf24bit);
        for (int y = 0; y < OutHeight; ++y)
            std::memcpy(picture.ScanLine(y), Packed.data() + std::size_t(y) * std::size_t(stride),
                        std::size_t(OutWidth) * 3);
    }

    void ToPixels(const AVFrame& frame, std::vector<std::uint32_t>& pixels) {
        const int stride = Convert(frame);
        pixels.resize(std::size_t(OutWidth) * std::size_t(OutHeight));
        std::uint32_t* out = pixels.data();
        for (int y = 0; y < OutHeight; ++y) {
            const std::uint8_t* p = Packed.data() + std::size_t(y) * std::size_t(stride);
            for (int x = 0; x < OutWidth; ++x, p += 3) *out++ = std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
        }
    }

    // The current frame's start and duration, from its successor's timestamp.
    void Time(const AVFrame& frame, const AVFrame* next) {
        const std::int64_t at = frame.best_effort_timestamp;
        double seconds = FrameSeconds;
        if (next && at != AV_NOPTS_VALUE && next->best_effort_timestamp != AV_NOPTS_VALUE &&
            next->best_effort_timestamp > at)
            seconds = Seconds(next->best_effort_timestamp - at);
        else if (!next && frame.pkt_duration > 0)
            seconds = Seconds(frame.pkt_duration);
        CurrentDuration = seconds;
        if (at != AV_NOPTS_VALUE) CurrentStart = Seconds(at) - StartSeconds;
        else CurrentStart += CurrentDuration;
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
    s.OutWidth = par->width;
    s.OutHeight = par->height;
    if (stream->start_time != AV_NOPTS_VALUE) s.StartSeconds = s.Seconds(stream->start_time);
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

double TVideoReader::DurationSeconds() const {
    const AVStream* stream = FState->Format->streams[FState->Stream];
    if (stream->duration > 0) return FState->Seconds(stream->duration);
    if (FState->Format->duration > 0) return double(FState->Format->duration) / AV_TIME_BASE;
    return 0;
}

double TVideoReader::FramesPerSecond() const { return FState->FrameSeconds > 0 ? 1 / FState->FrameSeconds : 0; }

void TVideoReader::SetOutputSize(int width, int height) {
    if (width <= 0 || height <= 0 || !DefaultPixelBudget.FrameFits(std::uint64_t(width), std::uint64_t(height))) return;
    FState->OutWidth = width;
    FState->OutHeight = height;
}

int TVideoReader::OutputWidth() const { return FState->OutWidth; }
int TVideoReader::OutputHeight() const { return FState->OutHeight; }

bool TVideoReader::Step() {
    TState& s = *FState;
    if (!s.Pending) s.Pending = s.Decode();
    if (!s.Pending) return false;  // the last frame stays current
    TFramePtr next = s.Decode();
    s.Time(*s.Pending, next.get());
    s.Current = std::move(s.Pending);
    s.Pending = std::move(next);
    return true;
}

double TVideoReader::FrameStart() const { return FState->CurrentStart; }
double TVideoReader::FrameDuration() const { return FState->CurrentDuration; }

void TVideoReader::ReadPicture(TBitmap& picture) {
    if (FState->Current) FState->ToBitmap(*FState->Current, picture);
}

void TVideoReader::ReadPixels(std::vector<std::uint32_t>& pixels) {
    if (FState->Current) FState->ToPixels(*FState->Current, pixels);
}

bool TVideoReader::Seek(double seconds) {
    TState& s = *FState;
    const auto ticks = static_cast<std::int64_t>((std::max(0.0, seconds) + s.StartSeconds) / av_q2d(s.TimeBase));
    if (av_seek_frame(s.Format.get(), s.Stream, ticks, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(s.Format.get(), s.Stream, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        return false;
    avcodec_flush_buffers(s.Codec.get());
    s.InputDone = s.DecoderDone = false;
    s.Pending.reset();
    s.Current.reset();
    s.CurrentStart = s.CurrentDuration = 0;
    s.Delays = TDelayRounder();
    return true;
}

bool TVideoReader::PictureAt(double seconds, TBitmap& picture) {
    if (!Seek(seconds)) return false;
    bool found = false;
    while (Step()) {
        found = true;
        if (FrameStart() + FrameDuration() > seconds) break;
    }
    if (found) ReadPicture(picture);
    return found;
}

bool TVideoReader::Next(TBitmap& picture, int& delayHundredths) {
    if (!Step()) return false;
    delayHundredths = FState->Delays.Next(FrameDuration());
    ReadPicture(picture);
    return true;
}
