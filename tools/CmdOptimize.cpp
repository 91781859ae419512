// reelix-tool optimize IN OUT [--colors] [--cleanup] [--merge] [--crop] [--smallest] [--lossy=N] [--best]: the
// frame optimisation the editor offers before saving, with the sizes before and
// after as the editor shows them. Without a technique flag all five run.
// --lossy=N (1 to 200) lets each pixel stray by up to 0.27 x N in RGB distance
// where that makes the file smaller. --best writes with the slower LZW encoder
// that looks a string ahead, as the dialog's "Best compression" does.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "gif/GIFFrameOptimizer.h"
#include "gif/GIFImage.h"
#include "gif/OptimizeChoices.h"
#include "gif/SmallestEncoding.h"
#include "gif/Stream.h"
#include "tools/Command.h"

namespace {

// "12,345 bytes": thousands separators, no decimals.
std::string Bytes(std::int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return (value < 0 ? "-" : "") + grouped + " bytes";
}

int Optimize(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    int options = 0;
    int lossy = 0;
    bool best = false;
    for (const std::string& arg : args) {
        if (arg == "--colors") options |= ooColorMaps;
        else if (arg == "--cleanup") options |= ooCleanup;
        else if (arg == "--merge") options |= ooMerge;
        else if (arg == "--crop") options |= ooCrop;
        else if (arg == "--smallest") options |= ooSmallest;
        else if (arg == "--best") best = true;
        else if (arg.rfind("--lossy=", 0) == 0) {
            char* end = nullptr;
            const long value = std::strtol(arg.c_str() + 8, &end, 10);
            if (*end != '\0' || value < 0 || value > 200) {
                std::fprintf(stderr, "reelix-tool optimize: --lossy takes 0 to 200\n");
                return 1;
            }
            lossy = static_cast<int>(value);
        }
        else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "reelix-tool optimize: unknown option '%s'\n", arg.c_str());
            return 1;
        } else files.push_back(arg);
    }
    if (files.size() != 2) {
        std::fputs("usage: reelix-tool optimize IN OUT [--colors] [--cleanup] [--merge] [--crop] [--smallest] [--lossy=N] [--best]\n", stderr);
        return 1;
    }
    if (options == 0) options = kAllFrameOptimizations | ooSmallest;
    if (lossy > 0) options |= ooSmallest;

    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string& text) {
        std::fprintf(stderr, "warning: %s\n", text.c_str());
    };
    // Kept whole: the output may be the very same file.
    std::ifstream in(files[0], std::ios::binary);
    const std::vector<char> original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    image.PixelBudget = ToolPixelBudget();
    image.LoadFromFile(files[0]);
    if (best) image.Encoding = encLZWBest;
    // The size before is that of the input as saved: measured on a second
    // reading of the same bytes, beside the optimisation.
    std::future<std::int64_t> before = std::async(std::launch::async, [&original] {
        TGIFImage copy;
        copy.PixelBudget = ToolPixelBudget();
        TMemoryStream bytes(original.data(), original.size());
        copy.LoadFromStream(bytes);
        return SavedSize(copy);
    });
    if (lossy > 0) {
        // The usual steps, then the smallest encoding allowed to stray.
        image.OptimizeAnimation(options & ~ooSmallest);
        FindSmallestEncoding(image, lossy);
    } else {
        image.OptimizeAnimation(options);
    }
    // The output is written before the report so a failed write is never
    // announced as a saving.
    TMemoryStream encoded;
    image.SaveToStream(encoded);
    {
        TFileStream out(files[1], TFileStream::Mode::Create);
        out.Write(encoded.Data(), static_cast<std::size_t>(encoded.Size()));
    }
    std::int64_t after = encoded.Size();
    // Never bigger than what came in: then the file is passed on as it was.
    if ((options & ooSmallest) && after >= std::int64_t(original.size())) {
        std::ofstream out(files[1], std::ios::binary | std::ios::trunc);
        out.write(original.data(), std::streamsize(original.size()));
        if (!out) {
            std::fprintf(stderr, "reelix-tool optimize: cannot write %s\n", files[1].c_str());
            return 1;
        }
        after = std::int64_t(original.size());
    }

    const std::int64_t sizeBefore = before.get();
    const double percent = sizeBefore > 0 ? std::fabs(double(after) / double(sizeBefore) * 100.0 - 100.0) : 0.0;
    std::printf("Current Size: %s\n", Bytes(sizeBefore).c_str());
    std::printf("Optimized Size: %s\n", Bytes(after).c_str());
    std::printf("Total Savings: %s (%4.1f%%)\n", Bytes(std::llabs(after - sizeBefore)).c_str(), percent);
    return 0;
}

const bool registered = RegisterToolCommand(
    {"optimize", "optimize IN OUT [--colors] [--cleanup] [--merge] [--crop] [--smallest] [--lossy=N] [--best]   frame optimisation (default: all)",
     Optimize});

}  // namespace
