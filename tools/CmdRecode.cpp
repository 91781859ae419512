// reelix-tool recode IN OUT [--rle | --best]: reads a GIF and writes it again,
// every frame encoded anew with the LZW encoder, the run-only encoder (--rle)
// or the slower LZW encoder that looks a string ahead (--best).

#include <cstdio>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "tools/Command.h"

namespace {
int RunRecode(const std::vector<std::string>& args) {
    std::vector<std::string> paths;
    TGIFEncoding encoding = encLZW;
    for (const std::string& a : args) {
        if (a == "--rle") encoding = encRLE;
        else if (a == "--best") encoding = encLZWBest;
        else paths.push_back(a);
    }
    if (paths.size() != 2) {
        std::fputs("usage: reelix-tool recode IN OUT [--rle | --best]\n", stderr);
        return 1;
    }
    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string& text) {
        std::fprintf(stderr, "warning: %s\n", text.c_str());
    };
    image.PixelBudget = ToolPixelBudget();
    image.LoadFromFile(paths[0]);
    image.Encoding = encoding;
    // Written anew, not as read: that is what recoding is for.
    for (int i = 0; i < image.Frames().Count(); ++i) image.Frames()[i]->DropKeptData();
    // Encoded in memory first, so a failure leaves no half-written file.
    TMemoryStream encoded;
    image.SaveToStream(encoded);
    TFileStream out(paths[1], TFileStream::Mode::Create);
    out.Write(encoded.Data(), static_cast<std::size_t>(encoded.Size()));
    return 0;
}

const bool registered = RegisterToolCommand({"recode", "recode IN OUT [--rle | --best]", &RunRecode});
}  // namespace
