// reelix-tool optimize-colors IN OUT: replaces every colour table of the
// animation by one global table of the colours in use (most used first) and
// saves the result. Prints the colour count and the sizes before and after.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/OptimizeChoices.h"
#include "tools/Command.h"

namespace {

int OptimizeColors(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fputs("usage: reelix-tool optimize-colors IN OUT\n", stderr);
        return 1;
    }
    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string& text) {
        std::fprintf(stderr, "warning: %s\n", text.c_str());
    };
    image.PixelBudget = ToolPixelBudget();
    image.LoadFromFile(args[0]);
    const std::int64_t before = SavedSize(image);
    image.OptimizeColorMaps();
    image.SaveToFile(args[1]);
    std::printf("%d colors, %lld -> %lld bytes\n", image.GlobalColors().Count(), static_cast<long long>(before),
                static_cast<long long>(SavedSize(image)));
    return 0;
}

const bool registered = RegisterToolCommand(
    {"optimize-colors", "optimize-colors IN OUT   merge all colour tables into one table of the colours in use",
     OptimizeColors});

}  // namespace
