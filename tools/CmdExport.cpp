// reelix-tool export IN.gif OUT.webp|.png|.mp4|.webm [--quality=N]: the
// animation in a web format, as the editor's Export As writes it.
//   .webp   animated WebP, lossless; --quality=N makes it lossy at quality N
//   .png    animated PNG (also .apng), lossless
//   .mp4    H.264 video; .webm  VP9 video; --quality=N (0..100, default 80)
//   --still also writes the first frame as OUT-still.png, the picture a page
//           shows readers who ask for reduced motion

#include <cstdio>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "tools/Command.h"

#ifdef REELIX_HAVE_IMAGING
#include "imaging/WebExport.h"
#include "imaging/WebSnippet.h"
#endif

namespace {

constexpr const char* kUsage = "export IN.gif OUT.webp|.png|.mp4|.webm [--quality=N] [--still]   the animation in a web format";

#ifdef REELIX_HAVE_IMAGING

int Export(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    TWebExportOptions options;
    bool qualityGiven = false, still = false;
    for (const std::string& arg : args) {
        if (arg.rfind("--quality=", 0) == 0) {
            const std::string value = arg.substr(10);
            if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(value) > 100) {
                std::fprintf(stderr, "reelix-tool export: bad option '%s' (quality is 0 to 100)\n", arg.c_str());
                return 1;
            }
            options.Quality = std::stoi(value);
            qualityGiven = true;
        } else if (arg == "--still") {
            still = true;
        } else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr, "reelix-tool export: bad option '%s'\n", arg.c_str());
            return 1;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "usage: reelix-tool %s\n", kUsage);
        return 1;
    }
    if (!WebFormatForPath(files[1], options.Format)) {
        std::fprintf(stderr, "reelix-tool export: %s: the name must end in .webp, .png, .apng, .mp4 or .webm\n",
                     files[1].c_str());
        return 1;
    }
    options.Lossless = !(options.Format == TWebFormat::WebP && qualityGiven);
    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string& text) {
        std::fprintf(stderr, "warning: %s\n", text.c_str());
    };
    image.PixelBudget = ToolPixelBudget();
    try {
        image.LoadFromFile(files[0]);
        ExportWebAnimation(image, files[1], options);
        if (still) WriteStillPicture(image, SiblingName(files[1], "-still.png"));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "reelix-tool export: %s\n", e.what());
        return 1;
    }
    return 0;
}

#else

int Export(const std::vector<std::string>&) {
    std::fputs("reelix-tool export: this build has no web format encoders\n", stderr);
    return 1;
}

#endif

const bool registered = RegisterToolCommand({"export", kUsage, Export});

}  // namespace
