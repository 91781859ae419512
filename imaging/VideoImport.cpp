#include "imaging/VideoImport.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "gif/FrameControl.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "imaging/VideoReader.h"

namespace {

constexpr int kSampledFrames = 48;  // pictures the shared palette is fitted to

// Walks the frames that the options pick, in order: each picked frame comes
// with the time it starts showing; a frame skipped by a lower frame rate
// adds its time to the one picked before it.
class TFramePicker {
public:
    TFramePicker(TVideoReader& reader, const TVideoImportOptions& options)
        : reader_(reader), from_(std::max(0.0, options.From)),
          to_(options.To > from_ ? options.To : INFINITY),
          interval_(options.FramesPerSecond > 0 ? 1 / options.FramesPerSecond : 0) {
        if (from_ > 0 && !reader_.Seek(from_)) reader_.Seek(0);
        next_ = from_;
    }

    // Steps to the next picked frame; false past the end or `to`.
    bool Next(double& start) {
        while (reader_.Step()) {
            const double begin = reader_.FrameStart(), end = begin + reader_.FrameDuration();
            if (begin >= to_) return false;
            if (end <= next_ + 1e-9) continue;  // before the start, or between two picks
            if (next_ >= to_ - 1e-9) return false;  // no pick left before the end
            start = std::max(begin, from_);
            if (interval_ > 0) {
                start = std::max(start, next_);
                // The next pick is the first slot after this frame's end.
                while (next_ < end - 1e-9) next_ += interval_;
            }
            return true;
        }
        return false;
    }
    // Where the last picked frame stops showing: the end of the video or `to`.
    double End() const { return std::min(to_, reader_.FrameStart() + reader_.FrameDuration()); }
    double Length() const {
        const double end = std::isfinite(to_) ? to_ : reader_.DurationSeconds();
        return std::max(end - from_, 1e-3);
    }
    double From() const { return from_; }

private:
    TVideoReader& reader_;
    double from_, to_, interval_;
    double next_ = 0;
};


// The shared palette: pictures spread evenly over the chosen time.
std::vector<std::uint32_t> SampleClip(const std::string& path, const TVideoImportOptions& options, int width,
                                      int height, const std::function<bool(int)>& ask) {
    TVideoReader reader(path);
    reader.SetOutputSize(width, height);
    TFramePicker picker(reader, options);
    TClipSampler sampler;
    std::vector<std::uint32_t> pixels;
    double start = 0, sampledUpTo = -INFINITY;
    const double spacing = picker.Length() / kSampledFrames;
    while (picker.Next(start)) {
        if (!ask(int(30 * std::clamp((start - picker.From()) / picker.Length(), 0.0, 1.0)))) return {};
        if (start < sampledUpTo + spacing) continue;
        sampledUpTo = start;
        reader.ReadPixels(pixels);
        sampler.Add(pixels);
    }
    return sampler.Palette(options.Colors);
}

}  // namespace

void VideoFrameSize(const TVideoImportOptions& options, int videoWidth, int videoHeight, int& width, int& height) {
    auto side = [](double v) { return int(std::clamp<double>(std::lround(v), 1, 65535)); };
    width = videoWidth, height = videoHeight;
    if (options.Width > 0 && options.Height > 0) {
        width = side(options.Width), height = side(options.Height);
    } else if (options.Width > 0) {
        width = side(options.Width), height = side(double(videoHeight) * options.Width / std::max(1, videoWidth));
    } else if (options.Height > 0) {
        height = side(options.Height), width = side(double(videoWidth) * options.Height / std::max(1, videoHeight));
    }
}

TVideoImportResult ImportVideo(const std::string& path, TGIFImage& image, const std::function<bool(int)>& keepGoing,
                               const TVideoImportOptions& options) {
    TVideoReader reader(path);
    int width = 0, height = 0;
    VideoFrameSize(options, reader.Width(), reader.Height(), width, height);
    reader.SetOutputSize(width, height);
    width = reader.OutputWidth(), height = reader.OutputHeight();
    TVideoImportResult result;
    auto ask = [&](int percent) {
        result.Cancelled = result.Cancelled || (keepGoing && !keepGoing(percent));
        return !result.Cancelled;
    };

    const bool fitted = options.Method == TVideoColors::Fitted;
    std::unique_ptr<TClipEncoder> encoder;
    if (fitted) {
        std::vector<std::uint32_t> shared = SampleClip(path, options, width, height, ask);
        if (result.Cancelled) return result;
        encoder = std::make_unique<TClipEncoder>(image, width, height, options.Colors, std::move(shared));
    } else {
        image.ColorReductionKind = crWebSafe;
        image.DitherKind = dkFloydSteinberg;
        image.Header().ScreenWidth = static_cast<std::uint16_t>(width);
        image.Header().ScreenHeight = static_cast<std::uint16_t>(height);
    }

    TFramePicker picker(reader, options);
    const std::uint64_t framePixels = std::uint64_t(width) * std::uint64_t(height);
    const int first = fitted ? 30 : 0;
    TDelayRounder delays;
    std::vector<std::uint32_t> pending, pixels;
    double pendingStart = 0, start = 0;
    // A picture is made once the next one's start tells how long it shows.
    auto make = [&](double until) {
        const int delay = delays.Next(until - pendingStart);
        if (fitted) encoder->Add(pending, delay);
        else {
            TGIFSubImage& frame = *image.Frames()[image.AddFrame(PackedToBitmap(pending.data(), width, height))];
            if (result.Frames == 0) {
                auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
                loop->LoopCount = 0;
                frame.ExtensionBlocks().Insert(0, std::move(loop));
            }
            RequireControl(frame).DelayTime = static_cast<std::uint16_t>(delay);
        }
        ++result.Frames;
    };
    bool more = true;
    while ((more = picker.Next(start))) {
        if (!pending.empty()) make(start);
        if (std::uint64_t(result.Frames + 1) * framePixels > image.PixelBudget.DocumentPixels) {
            result.Truncated = true;
            pending.clear();
            break;
        }
        reader.ReadPixels(pixels);
        pending.swap(pixels);
        pendingStart = start;
        const double done = std::clamp((start - picker.From()) / picker.Length(), 0.0, 1.0);
        if (!ask(first + int((95 - first) * done))) break;
    }
    // The last picture shows to the end of the chosen time; one left by a
    // cancel, for as long as the video shows it.
    if (!pending.empty())
        make(more ? pendingStart + std::max(reader.FrameDuration(), 0.01) : std::max(picker.End(), pendingStart + 0.01));
    if (result.Frames == 0) {
        if (result.Cancelled) return result;
        throw TVideoError("The video holds no picture.");
    }
    if (fitted) encoder->Finish();
    else image.OptimizeColorMaps();
    return result;
}
