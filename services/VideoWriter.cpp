#include "services/VideoWriter.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>

#include "gif/GIFImage.h"
#include "imaging/VideoReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
}

namespace {

int DelayOf(const TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* control = frame.ControlExtension();
    return std::max(1, control ? int(control->DelayTime) : 0);
}

struct TOutput {
    AVFormatContext* Format = nullptr;
    AVCodecContext* Codec = nullptr;
    AVFrame* Frame = nullptr;
    AVPacket* Packet = nullptr;
    bool Opened = false;
    ~TOutput() {
        av_packet_free(&Packet);
        av_frame_free(&Frame);
        avcodec_free_context(&Codec);
        if (Format) {
            if (Opened) avio_closep(&Format->pb);
            avformat_free_context(Format);
        }
    }
};

// Sends one frame (null: the end) and writes what the encoder gives back.
void Encode(TOutput& out, AVStream* stream, AVFrame* frame) {
    if (avcodec_send_frame(out.Codec, frame) < 0) throw TVideoError("Failed to add frame to AVI");
    for (;;) {
        const int got = avcodec_receive_packet(out.Codec, out.Packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return;
        if (got < 0) throw TVideoError("Failed to add frame to AVI");
        av_packet_rescale_ts(out.Packet, out.Codec->time_base, stream->time_base);
        out.Packet->stream_index = stream->index;
        if (av_interleaved_write_frame(out.Format, out.Packet) < 0) throw TVideoError("Failed to add frame to AVI");
    }
}

void Write(const std::string& path, const TGIFImage& image, const std::function<bool(int)>& keepGoing,
           bool& cancelled) {
    TOutput out;
    if (avformat_alloc_output_context2(&out.Format, nullptr, "avi", path.c_str()) < 0 || !out.Format)
        throw TVideoError("Failed to create AVI file");
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_RAWVIDEO);
    AVStream* stream = encoder ? avformat_new_stream(out.Format, nullptr) : nullptr;
    if (!stream) throw TVideoError("Failed to create AVI stream");
    out.Codec = avcodec_alloc_context3(encoder);
    const int step = VideoTimeStep(image);
    out.Codec->width = image.Width();
    out.Codec->height = image.Height();
    out.Codec->pix_fmt = AV_PIX_FMT_PAL8;
    out.Codec->time_base = AVRational{step, 100};
    out.Codec->framerate = AVRational{100, step};
    stream->time_base = out.Codec->time_base;
    stream->avg_frame_rate = out.Codec->framerate;
    if (avcodec_open2(out.Codec, encoder, nullptr) < 0 || avcodec_parameters_from_context(stream->codecpar, out.Codec) < 0)
        throw TVideoError("Failed to set AVI stream format");
    if (avio_open(&out.Format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) throw TVideoError("Failed to create AVI file");
    out.Opened = true;
    if (avformat_write_header(out.Format, nullptr) < 0) throw TVideoError("Failed to set AVI stream format");

    out.Frame = av_frame_alloc();
    out.Packet = av_packet_alloc();
    out.Frame->format = AV_PIX_FMT_PAL8;
    out.Frame->width = image.Width();
    out.Frame->height = image.Height();
    if (av_frame_get_buffer(out.Frame, 0) < 0) throw TVideoError("Failed to retrieve bitmap info");

    const TGIFImageList& frames = image.Frames();
    std::int64_t at = 0;  // in steps
    int lastShown = -1, lastSteps = 0;
    for (int i = 0; i < frames.Count(); ++i) {
        const TGIFSubImage& frame = *frames[i];
        if (!frame.IsEmpty() && frame.Width() == image.Width() && frame.Height() == image.Height()) {
            if (av_frame_make_writable(out.Frame) < 0) throw TVideoError("Failed to add frame to AVI");
            for (int y = 0; y < frame.Height(); ++y)
                std::memcpy(out.Frame->data[0] + std::size_t(y) * std::size_t(out.Frame->linesize[0]),
                            frame.PixelData() + std::size_t(y) * frame.Width(), frame.Width());
            auto* palette = reinterpret_cast<std::uint32_t*>(out.Frame->data[1]);
            const TGIFColorMap* table = frame.EffectiveColors();
            for (int c = 0; c < 256; ++c) {
                const TGIFRGB rgb = table && c < table->Count() ? table->Entry(c) : TGIFRGB{};
                palette[c] = 0xFF000000u | std::uint32_t(rgb.red) << 16 | std::uint32_t(rgb.green) << 8 | rgb.blue;
            }
            out.Frame->pts = at;
            Encode(out, stream, out.Frame);
            lastShown = i;
            lastSteps = DelayOf(frame) / step;
            at += lastSteps;
        }
        if (keepGoing && !keepGoing(100 * (i + 1) / frames.Count())) {
            cancelled = true;
            return;
        }
    }
    // AVI frames carry no duration: a last picture that stays longer than one
    // step is repeated at the end, so the video lasts as long as the animation.
    if (lastShown >= 0 && lastSteps > 1) {
        out.Frame->pts = at - 1;
        Encode(out, stream, out.Frame);
    }
    Encode(out, stream, nullptr);
    if (av_write_trailer(out.Format) < 0) throw TVideoError("Failed to add frame to AVI");
}

} // namespace

int VideoTimeStep(const TGIFImage& image) {
    int step = 0;
    const TGIFImageList& frames = image.Frames();
    for (int i = 0; i < frames.Count(); ++i)
        if (!frames[i]->IsEmpty()) step = std::gcd(step, DelayOf(*frames[i]));
    return std::max(1, step);
}

bool WriteAVI(const std::string& path, const TGIFImage& flattened, const std::function<bool(int)>& keepGoing) {
    bool cancelled = false;
    try {
        Write(path, flattened, keepGoing, cancelled);
    } catch (...) {
        std::remove(path.c_str());
        throw;
    }
    if (cancelled) std::remove(path.c_str());
    return !cancelled;
}
