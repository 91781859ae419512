// reelix-tool convert IN OUT.gif: a video or a still picture becomes an
// animation, as the editor imports it.
//   --from=S --to=S   the part of a video, in seconds (default: all of it)
//   --fps=N           at most N frames a second, picked by timestamp (default: every frame)
//   --width=N --height=N   the frame size (one alone keeps the ratio; default: the picture's)
//   --colors=N        at most N colours (2..256, default 256)
//   --dither=on|off   error diffusion (default on)
//   --palette=fitted|web   colours fitted to the clip (default), or the 216-colour web palette
// Animated WebP and PNG files keep their frames, durations and loop count
// (the colour options apply); other pictures are read by Qt's readers (PNG,
// JPEG, BMP, ...), anything else as a video by FFmpeg.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "painter/ClipEncoder.h"
#include "raster/GIFException.h"
#include "tools/Command.h"

#ifdef REELIX_HAVE_IMAGING
#include "imaging/PictureReader.h"
#include "imaging/SwsPictureScaler.h"
#include "imaging/VideoImport.h"
#include "imaging/WebAnimationImport.h"
#include "imaging/VideoReader.h"
#endif

namespace {

constexpr const char* kUsage =
    "convert IN OUT.gif [--from=S] [--to=S] [--fps=N] [--width=N] [--height=N] [--colors=N] [--dither=on|off] "
    "[--palette=fitted|web]   a video or a picture as an animation";

#ifdef REELIX_HAVE_IMAGING

// A number of seconds or frames, "2.5"; negative when it is not one.
double Decimal(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return -1;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end && *end == 0 ? value : -1;
}

bool ParseOption(const std::string& arg, TVideoImportOptions& options, std::string& error) {
    const std::size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq), value = eq == std::string::npos ? "" : arg.substr(eq + 1);
    const double number = Decimal(value);
    if (name == "--from" && number >= 0) options.From = number;
    else if (name == "--to" && number > 0) options.To = number;
    else if (name == "--fps" && number > 0 && number <= 100) options.FramesPerSecond = number;
    else if (name == "--width" && number >= 1 && number <= 65535 && number == int(number)) options.Width = int(number);
    else if (name == "--height" && number >= 1 && number <= 65535 && number == int(number)) options.Height = int(number);
    else if (name == "--colors" && number >= 2 && number <= 256 && number == int(number)) options.Colors.MaxColors = int(number);
    else if (name == "--dither" && (value == "on" || value == "off")) options.Colors.Dither = value == "on";
    else if (name == "--palette" && (value == "fitted" || value == "web"))
        options.Method = value == "web" ? TVideoColors::WebPalette : TVideoColors::Fitted;
    else {
        error = "bad option '" + arg + "'";
        return false;
    }
    return true;
}

// A still picture, scaled as asked, as the one frame of `image`.
void ConvertPicture(TPackedPicture picture, const TVideoImportOptions& options, TGIFImage& image) {
    int width = 0, height = 0;
    VideoFrameSize(options, picture.Width, picture.Height, width, height);
    if (width != picture.Width || height != picture.Height) {
        TRGBAPicture in(picture.Width, picture.Height), out(width, height);
        for (std::size_t i = 0; i < picture.Pixels.size(); ++i) {
            const std::uint32_t v = picture.Pixels[i];
            std::uint8_t* p = &in.Pixels[i * 4];
            if (v != kClear) p[0] = std::uint8_t(v >> 16), p[1] = std::uint8_t(v >> 8), p[2] = std::uint8_t(v), p[3] = 255;
        }
        if (!TSwsPictureScaler().Scale(in, out, TResizeFilter::Smooth)) throw GIFException("Could not resize the picture.");
        picture = PackRGBA(out.Pixels.data(), width, height);
    }
    if (options.Method == TVideoColors::WebPalette) {
        image.ColorReductionKind = crWebSafe;
        image.DitherKind = options.Colors.Dither ? dkFloydSteinberg : dkNearest;
        image.AssignBitmap(PackedToBitmap(picture.Pixels.data(), picture.Width, picture.Height));
        return;
    }
    EncodeStill(image, picture.Pixels, picture.Width, picture.Height, options.Colors);
}

int Convert(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    TVideoImportOptions options;
    for (const std::string& arg : args) {
        if (arg.rfind("--", 0) != 0) {
            files.push_back(arg);
            continue;
        }
        std::string error;
        if (!ParseOption(arg, options, error)) {
            std::fprintf(stderr, "reelix-tool convert: %s\n", error.c_str());
            return 1;
        }
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "usage: reelix-tool %s\n", kUsage);
        return 1;
    }
    if (options.To > 0 && options.To <= options.From) {
        std::fputs("reelix-tool convert: --to must come after --from\n", stderr);
        return 1;
    }
    TGIFImage image;
    image.PixelBudget = ToolPixelBudget();
    try {
        TPackedPicture picture;
        std::string pictureError;
        if (WebAnimationKindOfFile(files[0]) != TWebAnimationKind::None) {
            const TWebImportResult result = ImportWebAnimation(files[0], image, {}, options.Colors);
            if (result.CutShort) std::fputs("warning: the file is cut short; the frames that arrived whole are kept\n", stderr);
            if (result.Truncated)
                std::fprintf(stderr, "warning: stopped after %d frames: %s\n", result.Frames,
                             image.PixelBudget.DocumentLimitText().c_str());
        } else if (ReadPackedPicture(files[0], picture, pictureError)) {
            ConvertPicture(std::move(picture), options, image);
        } else {
            const TVideoImportResult result = ImportVideo(files[0], image, {}, options);
            if (result.Truncated)
                std::fprintf(stderr, "warning: stopped after %d frames: %s\n", result.Frames,
                             image.PixelBudget.DocumentLimitText().c_str());
        }
    } catch (const std::exception& e) {  // a video or picture that cannot be read
        std::fprintf(stderr, "reelix-tool convert: %s: %s\n", files[0].c_str(), e.what());
        return 1;
    }
    SaveAsTheEditorSaves(image, files[1]);
    return 0;
}

#else

int Convert(const std::vector<std::string>&) {
    std::fputs("reelix-tool convert: this build has no picture or video readers\n", stderr);
    return 1;
}

#endif

}  // namespace

const bool registered = RegisterToolCommand({"convert", kUsage, Convert});
