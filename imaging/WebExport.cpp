#include "imaging/WebExport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <system_error>

#include <QImage>
#include <QString>

#include "gif/FrameDefaults.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "imaging/VideoReader.h"
#include "painter/AnimationCheck.h"
#include "painter/GIFCompositor.h"

namespace fs = std::filesystem;

namespace {

std::string LowerExtension(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

// Some frame may leave pixels see-through: a transparent colour, a frame
// that does not cover the screen, or one cleared to the background.
bool MayShowClear(const TGIFImage& image) {
    const int width = image.Width(), height = image.Height();
    for (int i = 0; i < image.Frames().Count(); ++i) {
        const TGIFSubImage& frame = *image.Frames()[i];
        const TGIFGraphicControlExtension* control = frame.ControlExtension();
        if (control && (control->UsesTransparency() || control->DisposalMethod() == 2)) return true;
        if (i == 0 && (frame.Left() > 0 || frame.Top() > 0 || frame.Left() + frame.Width() < width ||
                       frame.Top() + frame.Height() < height))
            return true;
    }
    return false;
}

// The file is written beside the target under another name and renamed over
// it once complete; until then, and after any failure, the target is as it was.
class TPartFile {
public:
    explicit TPartFile(const std::string& target) : target_(target), part_(target + ".part") {}
    ~TPartFile() {
        std::error_code ignored;
        if (!kept_) fs::remove(part_, ignored);
    }
    const std::string& Path() const { return part_; }
    void Keep() {
        std::error_code error;
        fs::rename(part_, target_, error);
        if (error) throw TVideoError("Could not write " + fs::path(target_).filename().string() + ": " + error.message());
        kept_ = true;
    }

private:
    std::string target_, part_;
    bool kept_ = false;
};

}  // namespace

bool WebFormatForPath(const std::string& path, TWebFormat& format) {
    const std::string ext = LowerExtension(path);
    if (ext == ".webp") format = TWebFormat::WebP;
    else if (ext == ".png" || ext == ".apng") format = TWebFormat::APNG;
    else if (ext == ".mp4") format = TWebFormat::MP4;
    else if (ext == ".webm") format = TWebFormat::WebM;
    else return false;
    return true;
}

const char* WebFormatExtension(TWebFormat format) {
    switch (format) {
    case TWebFormat::WebP: return ".webp";
    case TWebFormat::APNG: return ".png";
    case TWebFormat::MP4: return ".mp4";
    case TWebFormat::WebM: return ".webm";
    }
    return "";
}

int WebFrameDuration(const TGIFImage& image, int frame) { return BrowserDelay(image, frame); }

int AnimationPlays(const TGIFImage& image) {
    if (image.Frames().Count() == 0) return 1;
    const auto* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    if (!loop) return 1;
    return loop->LoopCount == 0 ? 0 : std::min(int(loop->LoopCount) + 1, 65535);
}

int QualityToCrf(int quality, int worst) {
    return int(std::lround((100 - std::clamp(quality, 0, 100)) * worst / 100.0));
}

bool ExportWebAnimation(const TGIFImage& image, const std::string& path, const TWebExportOptions& options,
                        const std::function<bool(int)>& keepGoing) {
    const int count = image.Frames().Count();
    if (count == 0 || image.Width() <= 0 || image.Height() <= 0)
        throw TVideoError("The animation has no frames to export.");
    TWebTimeline timeline;
    timeline.Width = image.Width();
    timeline.Height = image.Height();
    timeline.Plays = AnimationPlays(image);
    timeline.HasClear = MayShowClear(image);
    for (int i = 0; i < count; ++i) timeline.Durations.push_back(WebFrameDuration(image, i));

    TPartFile part(path);
    std::unique_ptr<IWebAnimationWriter> writer = options.Format == TWebFormat::WebP
                                                      ? MakeWebPWriter(part.Path(), timeline, options)
                                                      : MakeFFmpegWriter(part.Path(), timeline, options);
    // The compositor plays the frames on its own copy.
    TGIFImage copy;
    copy.Assign(&image);
    TGIFCompositor compositor(copy);
    bool cancelled = false;
    compositor.KeepGoing = [&] { return !cancelled; };
    std::vector<unsigned char> rgba;
    compositor.Run([&](int index, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, rgba);
        writer->Add(rgba, timeline.Durations[std::size_t(index)]);
        cancelled = keepGoing && !keepGoing(int(95LL * (index + 1) / count));
    });
    if (cancelled) return false;
    writer->Finish();
    writer.reset();
    part.Keep();
    if (keepGoing) keepGoing(100);
    return true;
}

void WriteStillPicture(const TGIFImage& image, const std::string& path) {
    if (image.Frames().Count() == 0) throw TVideoError("The animation has no frames.");
    TGIFImage copy;
    copy.Assign(&image);
    TGIFCompositor compositor(copy);
    compositor.KeepGoing = [] { return false; };
    std::vector<unsigned char> rgba;
    compositor.Run([&](int, const TBitmap& screen) { TGIFCompositor::ToRGBA(screen, rgba); });
    if (rgba.empty()) throw TVideoError("The animation has no picture.");
    const QImage picture(rgba.data(), image.Width(), image.Height(), image.Width() * 4, QImage::Format_RGBA8888);
    TPartFile part(path);
    if (!picture.save(QString::fromStdString(part.Path()), "PNG"))
        throw TVideoError("Could not write " + fs::path(path).filename().string() + ".");
    part.Keep();
}
