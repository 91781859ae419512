// The picture options of `reelix-tool edit`:
//   --crop=X,Y,W,H          the whole animation cut to the rectangle
//   --rotate=90|180|270     turned clockwise
//   --flip=h|v              mirrored left to right (h) or top to bottom (v)
//   --resize=WxH|N%         every frame redrawn at the new size (each side 1..1000)
//   --filter=smooth|bilinear|nearest   how --resize scales (default smooth; nearest in a
//                           build without the imaging libraries)
//   --text=TEXT             a caption on the selected frames (all when none are)
//     --font=FAMILY --font-size=PX --text-color=RRGGBB --outline=RRGGBB:W
//     --text-at=top|bottom|center|top-left|...|X,Y   (default bottom)
//   --large=clip|grow|fit   how the --add edits after it take a picture larger
//                           than the animation (default clip)
// The style options and --filter hold for the whole command line, wherever
// they stand.

#include <cstdio>
#include <optional>
#include <string>

#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "painter/AnimationGeometry.h"
#include "painter/AnimationInfoEdit.h"
#include "painter/AnimationResize.h"
#include "painter/FrameCaption.h"
#include "painter/FrameImport.h"
#include "painter/SmoothResize.h"
#include "raster/GIFException.h"
#include "tools/EditOptions.h"

#ifdef REELIX_HAVE_IMAGING
#include "imaging/CaptionRenderer.h"
#include "imaging/SwsPictureScaler.h"
#endif

struct TPictureSettings {
#ifdef REELIX_HAVE_IMAGING
    TResizeFilter Filter = TResizeFilter::Smooth;
#else
    TResizeFilter Filter = TResizeFilter::Nearest;  // the only one without a scaler
#endif
    std::string Font = "Sans";
    int PixelSize = 0;  // 0: a twelfth of the screen's height, at least 12
    std::uint32_t Color = 0xFFFFFF;
    std::uint32_t OutlineColor = 0x000000;
    int OutlineWidth = 2;
    std::optional<TCaptionPlace> Place = TCaptionPlace::Bottom;
    TPoint At;
    TLargePicture Large = TLargePicture::Clip;  // set by --large as the edits run
};

void TakeLargePictures(const TPictureOptions& settings, TAddPicture& add) {
    add.Large = settings->Large;
#ifdef REELIX_HAVE_IMAGING
    static const TSwsPictureScaler scaler;
    add.Scaler = &scaler;
#endif
}

TPictureOptions MakePictureOptions() { return std::make_shared<TPictureSettings>(); }

namespace {

std::optional<std::uint32_t> Hex(const std::string& text) {
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
}

// "A,B,C..." as whole numbers; empty when any part is not one.
std::vector<int> Numbers(const std::string& text, std::size_t count) {
    std::vector<int> values;
    std::size_t start = 0;
    while (values.size() < count) {
        const std::size_t comma = text.find(',', start);
        const int n = Number(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (n < 0) return {};
        values.push_back(n);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return values.size() == count && text.find(',', start) == std::string::npos ? values : std::vector<int>{};
}

TEdit Resize(const std::string& value, const TPictureOptions& settings, std::string& error) {
    int width = -1, height = -1, percent = -1;
    if (!value.empty() && value.back() == '%') {
        percent = Number(value.substr(0, value.size() - 1));
    } else if (const std::size_t x = value.find('x'); x != std::string::npos) {
        width = Number(value.substr(0, x));
        height = Number(value.substr(x + 1));
    }
    if (percent < 0 && (width < 1 || height < 1 || width > 1000 || height > 1000)) {
        error = "--resize wants WxH, each from 1 to 1000, or N%, as --resize=160x120 or --resize=50%";
        return {};
    }
    if (percent == 0 || percent > 10000) {
        error = "--resize wants a percentage from 1 to 10000";
        return {};
    }
    return [width, height, percent, settings](TGIFImage& image, TFrameEditLog& log) {
        TAnimationInfoEdit edit;
        edit.Width = percent > 0 ? std::max(1, (image.Width() * percent + 50) / 100) : width;
        edit.Height = percent > 0 ? std::max(1, (image.Height() * percent + 50) / 100) : height;
        if (!ResizeRequested(image, edit)) return true;
        TGIFImage resized;
        PrepareResizedCopy(image, edit, resized);
        const TResizeFilter filter = settings->Filter;
#ifdef REELIX_HAVE_IMAGING
        ResizeAnimationWith(resized, edit.Width, edit.Height, filter, TSwsPictureScaler{});
#else
        if (filter != TResizeFilter::Nearest)
            throw GIFException("--filter=" + ResizeFilterName(filter) + " needs the editor's libraries; use --filter=nearest");
        ResizeAnimation(resized, edit.Width, edit.Height);
#endif
        CommitAnimationInfo(image, edit, &resized, log);
        return true;
    };
}

TEdit Caption(const std::string& text, const TSelection& selection, const TPictureOptions& settings) {
    return [text, selection, settings](TGIFImage& image, TFrameEditLog& log) -> bool {
#ifdef REELIX_HAVE_IMAGING
        const TPictureSettings& s = *settings;
        EnsureFontSystem();
        TCaptionStyle style;
        style.Text = text;
        style.Font = s.Font;
        style.PixelSize = s.PixelSize > 0 ? s.PixelSize : std::max(12, image.Height() / 12);
        style.Color = s.Color;
        style.OutlineColor = s.OutlineColor;
        style.OutlineWidth = s.OutlineWidth;
        const TRGBAPicture caption = RenderCaption(style);
        const TPoint origin = s.Place ? CaptionOrigin(image.Width(), image.Height(), caption.Width, caption.Height,
                                                      *s.Place, CaptionMargin(image.Height()))
                                      : s.At;
        TCaptionColors colors{s.Color, std::nullopt};
        if (s.OutlineWidth > 0) colors.Outline = s.OutlineColor;
        if (!AddCaption(image, *selection, caption, origin, colors, log))
            throw GIFException("--text: the caption does not fall on the animation");
        return true;
#else
        (void)text, (void)selection, (void)settings, (void)image, (void)log;
        throw GIFException("--text needs the editor's libraries");
#endif
    };
}

// The style options change the settings and edit nothing themselves.
TEdit Setting(const std::function<bool()>& apply, const std::string& complaint, std::string& error) {
    if (!apply()) {
        error = complaint;
        return {};
    }
    return [](TGIFImage&, TFrameEditLog&) { return true; };
}

}  // namespace

TEdit ParsePictureEdit(const std::string& option, const TSelection& selection, const TPictureOptions& settings,
                       std::string& error) {
    const std::size_t equals = option.find('=');
    const std::string name = option.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : option.substr(equals + 1);
    TPictureSettings& s = *settings;
    if (name == "--large") {
        const std::optional<TLargePicture> large = value == "clip" ? std::optional(TLargePicture::Clip)
                                                   : value == "grow" ? std::optional(TLargePicture::GrowScreen)
                                                   : value == "fit"  ? std::optional(TLargePicture::Fit)
                                                                     : std::nullopt;
        if (!large) {
            error = "--large wants clip, grow or fit";
            return {};
        }
        // From here on, as the edits run: a --add before it is not touched.
        return [settings, large](TGIFImage&, TFrameEditLog&) {
            settings->Large = *large;
            return true;
        };
    }
    if (name == "--crop") {
        const std::vector<int> n = Numbers(value, 4);
        if (n.empty() || n[2] < 1 || n[3] < 1) {
            error = "--crop wants X,Y,W,H with W and H of 1 or more, as --crop=10,0,200,150";
            return {};
        }
        return [area = MakeRect(n[0], n[1], n[2], n[3])](TGIFImage& image, TFrameEditLog& log) {
            if (CropArea(image, area).IsEmpty()) throw GIFException("--crop: the rectangle misses the animation");
            CropAnimation(image, area, log);
            return true;
        };
    }
    if (name == "--rotate") {
        const int degrees = Number(value);
        if (degrees != 90 && degrees != 180 && degrees != 270) {
            error = "--rotate wants 90, 180 or 270 (degrees clockwise)";
            return {};
        }
        return [degrees](TGIFImage& image, TFrameEditLog& log) { RotateAnimation(image, degrees, log); return true; };
    }
    if (name == "--flip") {
        if (value != "h" && value != "v") {
            error = "--flip wants h (left to right) or v (top to bottom)";
            return {};
        }
        const TFlipAxis axis = value == "h" ? TFlipAxis::Horizontal : TFlipAxis::Vertical;
        return [axis](TGIFImage& image, TFrameEditLog& log) { FlipAnimation(image, axis, log); return true; };
    }
    if (name == "--resize") return Resize(value, settings, error);
    if (name == "--filter")
        return Setting([&] { return ResizeFilterNamed(value) ? (s.Filter = *ResizeFilterNamed(value), true) : false; },
                       "--filter wants smooth, bilinear or nearest", error);
    if (name == "--text") {
        if (value.empty()) {
            error = "--text wants the caption's text, as --text=Hello";
            return {};
        }
        return Caption(value, selection, settings);
    }
    if (name == "--font")
        return Setting([&] { return !value.empty() && (s.Font = value, true); }, "--font wants a family name", error);
    if (name == "--font-size")
        return Setting([&] { return Number(value) >= 4 && Number(value) <= 1000 && (s.PixelSize = Number(value), true); },
                       "--font-size wants pixels from 4 to 1000", error);
    if (name == "--text-color")
        return Setting([&] { return Hex(value) && (s.Color = *Hex(value), true); },
                       "--text-color wants RRGGBB, as --text-color=ffffff", error);
    if (name == "--outline") {
        return Setting(
            [&] {
                const std::size_t colon = value.find(':');
                const std::optional<std::uint32_t> color = Hex(value.substr(0, colon));
                const int width = colon == std::string::npos ? 2 : Number(value.substr(colon + 1));
                if (!color || width < 0 || width > 50) return false;
                s.OutlineColor = *color;
                s.OutlineWidth = width;
                return true;
            },
            "--outline wants RRGGBB:W with W from 0 to 50, as --outline=000000:2", error);
    }
    if (name == "--text-at") {
        return Setting(
            [&] {
                if (const std::optional<TCaptionPlace> place = CaptionPlaceNamed(value)) {
                    s.Place = place;
                    return true;
                }
                const std::vector<int> xy = Numbers(value, 2);
                if (xy.empty()) return false;
                s.Place.reset();
                s.At = {xy[0], xy[1]};
                return true;
            },
            "--text-at wants top, bottom, center, left, right, top-left, ..., bottom-right or X,Y", error);
    }
    return {};
}
