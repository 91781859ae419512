#include "painter/AnimationCheck.h"

#include <algorithm>
#include <memory>

#include "gif/FrameControl.h"
#include "gif/FrameDefaults.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "painter/AnimationGeometry.h"
#include "painter/FlashCheck.h"
#include "painter/FrameOperations.h"
#include "painter/GIFCompositor.h"

namespace {

constexpr int kMovingLimit = 500;        // hundredths: moving content past 5 s needs a way to stop
constexpr int kLongRunning = 3000;       // 30 s
constexpr double kFastRate = 30;         // frames a second
constexpr std::uint64_t kLargeFile = 5'000'000;
constexpr std::uint64_t kHeavyFile = 1'000'000;  // a high frame rate is worth a word only past this
constexpr int kFlashSafeDelay = 17;      // six changes at most in a second: three flashes
// The pictures are looked at only up to this size (a damaged file can
// declare a screen of 65535 x 65535): per screen, and over all frames.
constexpr std::uint64_t kMostScreenPixels = std::uint64_t(1) << 24;
constexpr std::uint64_t kMostComposedPixels = std::uint64_t(1) << 30;

std::string Plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

int DisposalOf(const TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* control = frame.ControlExtension();
    return control ? control->DisposalMethod() : 0;
}

// The largest loop count whose longer reading (count + 1 plays) ends within
// 5 s; 0 when none does (a count of 0 would loop without end).
int CountWithinFiveSeconds(int hundredths) {
    if (hundredths <= 0) return 0;
    return std::max(0, kMovingLimit / hundredths - 1);
}

// What the screen shows, picture by picture: whether it moves, what is ever
// drawn, and its flashes.
struct TScreens {
    TRect Drawn{};  // every pixel ever drawn
    bool Moves = false;
    TFlashReport Flashes;
};

TScreens Compose(TGIFImage& copy) {
    TScreens s;
    int left = copy.Width(), top = copy.Height(), right = 0, bottom = 0;
    TFlashCounter flashes(copy.Width(), copy.Height());
    std::vector<std::uint8_t> picture, previous;
    TGIFCompositor(copy).Run([&](int index, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, picture);
        const std::size_t width = std::size_t(screen.Width());
        for (int y = 0; y < screen.Height(); ++y) {
            const std::uint8_t* row = &picture[std::size_t(y) * width * 4];
            for (int x = 0; x < screen.Width(); ++x)
                if (row[std::size_t(x) * 4 + 3]) {
                    left = std::min(left, x), right = std::max(right, x + 1);
                    top = std::min(top, y), bottom = std::max(bottom, y + 1);
                }
        }
        if (!previous.empty() && picture != previous) s.Moves = true;
        flashes.Add(picture, BrowserDelay(copy, index));
        previous.swap(picture);
    });
    if (right > left && bottom > top) s.Drawn = TRect{left, top, right, bottom};
    s.Flashes = flashes.Finish();
    return s;
}

class TChecker {
public:
    TChecker(const TGIFImage& image, int defaultLoop, const std::vector<std::uint8_t>* fileBytes)
        : copy_(defaultLoop >= 0 ? PreparedForSaving(image, defaultLoop) : std::make_unique<TGIFImage>()),
          fileBytes_(fileBytes) {
        if (defaultLoop < 0) copy_->Assign(&image);
    }

    // The rules that need only the frames' settings.
    TCheckReport RunPlayback() {
        TGIFImage& image = *copy_;
        if (image.Frames().Count() == 0) return std::move(report_);
        for (int i = 0; i < image.Frames().Count(); ++i) report_.Hundredths += BrowserDelay(image, i);
        const auto* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
        ShortDelays();
        LoopCount(loop, image.Frames().Count() > 1);
        Disposals();
        OutsideScreen();
        return std::move(report_);
    }

    TCheckReport Run() {
        TGIFImage& image = *copy_;
        const int count = image.Frames().Count();
        for (int i = 0; i < count; ++i) report_.Hundredths += BrowserDelay(image, i);
        const auto* loop = count ? image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>() : nullptr;
        report_.Plays = !loop ? 1 : loop->LoopCount == 0 ? 0 : loop->LoopCount + 1;
        if (fileBytes_) {
            report_.Bytes = MeasureByteCost(fileBytes_->data(), fileBytes_->size());
        } else {
            TMemoryStream saved;
            if (count) image.SaveToStream(saved);
            report_.Bytes = MeasureByteCost(saved.Data(), std::size_t(saved.Size()));
        }
        if (count == 0) return std::move(report_);
        const std::uint64_t screen = std::uint64_t(image.Width()) * std::uint64_t(image.Height());
        const bool look = screen <= kMostScreenPixels && screen * std::uint64_t(count) <= kMostComposedPixels;
        TScreens screens;
        if (look) screens = Compose(image);
        else screens.Moves = count > 1;
        ShortDelays();
        LoopCount(loop, screens.Moves);
        Disposals();
        OutsideScreen();
        if (look) UnusedScreen(screens.Drawn);
        WebBudget();
        if (look) Flashes(screens);
        else
            Add("not-looked-at", TCheckArea::Accessibility, {}, "The pictures were too large to look at",
                "The screen (" + std::to_string(image.Width()) + " x " + std::to_string(image.Height()) + ") times " +
                    Plural(count, "frame", "frames") + " is more than the check looks at, so flashes and the "
                    "unused screen were not checked.");
        EndlessMotion(loop, screens.Moves);
        return std::move(report_);
    }

private:
    TCheckFinding& Add(const char* rule, TCheckArea area, std::vector<int> frames, std::string title, std::string why) {
        TCheckFinding f;
        f.Rule = rule;
        f.Area = area;
        f.Frames = std::move(frames);
        f.Title = std::move(title);
        f.Explanation = std::move(why);
        report_.Findings.push_back(std::move(f));
        return report_.Findings.back();
    }

    void ShortDelays() {
        const TGIFImage& image = *copy_;
        if (image.Frames().Count() < 2) return;
        std::vector<int> frames;
        for (int i = 0; i < image.Frames().Count(); ++i) {
            const TGIFGraphicControlExtension* c = image.Frames()[i]->ControlExtension();
            if (!c || c->DelayTime <= 1) frames.push_back(i);
        }
        if (frames.empty()) return;
        TCheckFinding& f = Add("short-delays", TCheckArea::Playback, frames,
                               Plural(int(frames.size()), "frame has", "frames have") + " a delay of 0 or 1 hundredths",
                               "Browsers show such frames for 10 hundredths (a tenth of a second), so the animation "
                               "plays slower than its delays say. A delay of 2 is the shortest every browser keeps.");
        f.Fix = TCheckFix::DelaysToTwo;
        f.FixCaption = "Set these delays to 2 hundredths";
    }

    void LoopCount(const TGIFAppExtNSLoop* loop, bool moves) {
        if (!loop || loop->LoopCount == 0 || !moves) return;
        const int n = loop->LoopCount, one = report_.Hundredths;
        if ((n + 1) * one <= kMovingLimit) return;  // both readings end soon: the difference is small
        TCheckFinding& f = Add("loop-count", TCheckArea::Playback, {0}, "The loop count " + std::to_string(n) + " is read two ways",
                               "Current browsers play the animation " + Plural(n + 1, "time", "times") +
                                   " (once, then " + Plural(n, "repeat", "repeats") + "); some older programs play it " +
                                   Plural(n, "time", "times") + ". Either way it moves for more than 5 seconds.");
        const int within = CountWithinFiveSeconds(one);
        if (within > 0) {
            f.Fix = TCheckFix::LoopCount;
            f.Value = within;
            f.FixCaption = "Set the loop count to " + std::to_string(within) + " (at most " +
                           Plural(within + 1, "play", "plays") + ", within 5 seconds)";
        }
    }

    void Disposals() {
        const TGIFImage& image = *copy_;
        if (DisposalOf(*image.Frames()[0]) == 3) {
            TCheckFinding& f = Add("first-restores-previous", TCheckArea::Playback, {0},
                                   "The first frame restores what was there before it",
                                   "Nothing was there before the first frame: browsers clear it to the background "
                                   "instead, some older programs leave it.");
            f.Fix = TCheckFix::FirstFrameToBackground;
            f.FixCaption = "Restore the first frame to the background";
        }
        std::vector<int> reserved;
        for (int i = 0; i < image.Frames().Count(); ++i)
            if (DisposalOf(*image.Frames()[i]) > 3) reserved.push_back(i);
        if (reserved.empty()) return;
        TCheckFinding& f = Add("reserved-disposal", TCheckArea::Playback, reserved,
                               Plural(int(reserved.size()), "frame has", "frames have") + " a disposal code of 4 to 7",
                               "These codes mean nothing yet; browsers leave such frames in place.");
        f.Fix = TCheckFix::DisposalToLeave;
        f.FixCaption = "Set them to leave the frame in place";
    }

    void OutsideScreen() {
        const TGIFImage& image = *copy_;
        std::vector<int> outside;
        for (int i = 0; i < image.Frames().Count(); ++i) {
            const TGIFSubImage& f = *image.Frames()[i];
            if (f.Left() + f.Width() > image.Width() || f.Top() + f.Height() > image.Height()) outside.push_back(i);
        }
        if (outside.empty()) return;
        Add("outside-screen", TCheckArea::Playback, outside,
            Plural(int(outside.size()), "frame reaches", "frames reach") + " past the screen",
            "Browsers cut off what lies outside the animation's screen (" + std::to_string(image.Width()) + " x " +
                std::to_string(image.Height()) + "); some programs show a larger picture instead.");
    }

    void UnusedScreen(const TRect& drawn) {
        const TGIFImage& image = *copy_;
        if (drawn.IsEmpty() || (drawn.Width() == image.Width() && drawn.Height() == image.Height())) return;
        TCheckFinding& f = Add("unused-screen", TCheckArea::Playback, {},
                               "Nothing is ever drawn on part of the screen",
                               "The screen is " + std::to_string(image.Width()) + " x " + std::to_string(image.Height()) +
                                   ", but everything drawn lies within " + std::to_string(drawn.Width()) + " x " +
                                   std::to_string(drawn.Height()) + " at " + std::to_string(drawn.left) + ", " +
                                   std::to_string(drawn.top) + ": the page keeps an empty margin for it.");
        f.Fix = TCheckFix::Crop;
        f.Kept = drawn;
        f.FixCaption = "Crop the screen to what is drawn";
    }

    void WebBudget() {
        const TGIFImage& image = *copy_;
        const int frames = image.Frames().Count();
        if (report_.Hundredths > kLongRunning)
            Add("running-time", TCheckArea::Playback, {}, "One play lasts " + std::to_string(report_.Hundredths / 100) + " seconds",
                "Animations on pages seldom run past 30 seconds; a video (Export As Web Animation) is far smaller "
                "for long ones.");
        const double rate = report_.Hundredths > 0 ? frames * 100.0 / report_.Hundredths : 0;
        if (frames > 2 && rate > kFastRate && report_.Bytes.Size > kHeavyFile)
            Add("frame-rate", TCheckArea::Playback, {},
                "It runs at " + std::to_string(int(rate + 0.5)) + " frames a second",
                "More than 30 frames a second seldom looks smoother in a browser, and every frame adds to a file "
                "of over 1 MB.");
        if (report_.Bytes.Size > kLargeFile)
            Add("file-size", TCheckArea::Playback, {}, "The file takes " + std::to_string(report_.Bytes.Size / 1000000) + " MB",
                "Pages seldom carry animations over 5 MB; optimising, fewer colours or frames, or WebP or MP4 "
                "(Export As Web Animation) make it smaller.");
    }

    void Flashes(const TScreens& screens) {
        const TFlashReport& flashes = screens.Flashes;
        if (!flashes.Fails()) return;
        const bool red = flashes.MostRedFlashes > kMostFlashesASecond;
        const int most = std::max(flashes.MostFlashes, flashes.MostRedFlashes);
        TCheckFinding& f = Add("flashes", TCheckArea::Accessibility, flashes.Frames,
                               "It flashes " + std::to_string(most) + " times in one second" + (red ? " (red)" : ""),
                               "More than three flashes a second over a large part of the view can cause seizures "
                               "(WCAG 2.2, 2.3.1 Three Flashes or Below Threshold). Slowing the flashing frames down, "
                               "or dropping some of them, keeps it under the threshold.");
        f.Fix = TCheckFix::SlowDown;
        f.Value = kFlashSafeDelay;
        f.FixCaption = "Show each flashing frame for at least " + std::to_string(kFlashSafeDelay) + " hundredths";
    }

    void EndlessMotion(const TGIFAppExtNSLoop* loop, bool moves) {
        if (!moves || !loop || loop->LoopCount != 0) return;
        TCheckFinding& f = Add("endless-motion", TCheckArea::Accessibility, {}, "It moves without end",
                               "Moving content that starts by itself and lasts more than 5 seconds needs a way to "
                               "pause it (WCAG 2.2, 2.2.2 Pause, Stop, Hide); an image has none, so it should stop "
                               "within 5 seconds.");
        const int within = CountWithinFiveSeconds(report_.Hundredths);
        if (within > 0) {
            f.Fix = TCheckFix::LoopCount;
            f.Value = within;
            f.FixCaption = "Set the loop count to " + std::to_string(within) + " (at most " +
                           Plural(within + 1, "play", "plays") + ", within 5 seconds)";
        } else {
            f.Explanation += " One play lasts more than 2.5 seconds, so only a page control can stop it.";
        }
    }

    std::unique_ptr<TGIFImage> copy_;
    const std::vector<std::uint8_t>* fileBytes_;
    TCheckReport report_;
};

// A control extension for a frame without one, through the log.
TGIFGraphicControlExtension& EnsureControl(TGIFSubImage& frame, TFrameEditLog& log) {
    if (TGIFGraphicControlExtension* control = frame.ControlExtension()) return *control;
    frame.ExtensionBlocks().Add(std::make_unique<TGIFGraphicControlExtension>(&frame));
    log.ExtensionAdded(frame, frame.ExtensionBlocks().Count() - 1);
    return *frame.ControlExtension();
}

bool SetDisposal(TGIFImage& image, const std::vector<int>& frames, int disposal, TFrameEditLog& log) {
    TFramePropertyValues values;
    values.Disposal = disposal;
    values.Transparent.reset();
    values.Interlaced.reset();
    return SetFrameProperties(image, frames, values, log);
}

}  // namespace

bool TCheckReport::PlaysDifferently() const {
    for (const TCheckFinding& f : Findings)
        if (f.Rule == "short-delays" || f.Rule == "loop-count" || f.Rule == "first-restores-previous" ||
            f.Rule == "reserved-disposal" || f.Rule == "outside-screen")
            return true;
    return false;
}

int BrowserDelay(const TGIFImage& image, int frame) {
    const TGIFGraphicControlExtension* control = image.Frames()[frame]->ControlExtension();
    const int delay = control ? control->DelayTime : 0;
    return delay <= 1 ? 10 : delay;
}

TCheckReport CheckAnimation(const TGIFImage& image, int defaultLoop, const std::vector<std::uint8_t>* fileBytes) {
    return TChecker(image, defaultLoop, fileBytes).Run();
}

TCheckReport CheckPlayback(const TGIFImage& image, int defaultLoop) {
    return TChecker(image, defaultLoop, nullptr).RunPlayback();
}

bool ApplyCheckFix(TGIFImage& image, const TCheckFinding& finding, TFrameEditLog& log) {
    const int count = image.Frames().Count();
    auto inRange = [count](int i) { return i >= 0 && i < count; };
    bool changed = false;
    switch (finding.Fix) {
    case TCheckFix::DelaysToTwo:
    case TCheckFix::SlowDown: {
        const int least = finding.Fix == TCheckFix::DelaysToTwo ? 2 : finding.Value;
        for (int i : finding.Frames) {
            if (!inRange(i)) continue;
            TGIFSubImage& frame = *image.Frames()[i];
            const TGIFGraphicControlExtension* control = frame.ControlExtension();
            if (control && control->DelayTime >= least) continue;
            changed = true;
            EnsureControl(frame, log);
            SetDelay(image, i, least, log);
        }
        return changed;
    }
    case TCheckFix::LoopCount:
        return count > 0 && SetLoopCount(image, finding.Value, log);
    case TCheckFix::FirstFrameToBackground:
        return count > 0 && SetDisposal(image, {0}, 2, log);
    case TCheckFix::DisposalToLeave: {
        std::vector<int> frames;
        for (int i : finding.Frames)
            if (inRange(i)) frames.push_back(i);
        return !frames.empty() && SetDisposal(image, frames, 1, log);
    }
    case TCheckFix::Crop:
        return !finding.Kept.IsEmpty() && CropAnimation(image, finding.Kept, log);
    case TCheckFix::None:
        break;
    }
    return false;
}
