// reelix-tool decode FILE DIR: each frame with an image as DIR/frame-NNN.ppm
// (binary P6 of the frame's own rectangle, colours through its effective table).

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "tools/Command.h"

namespace {
// The frame as PPM bytes; an index outside the table is shown black.
std::vector<std::uint8_t> FramePPM(TGIFSubImage& frame) {
    const std::string head =
        "P6\n" + std::to_string(frame.Width()) + " " + std::to_string(frame.Height()) + "\n255\n";
    std::vector<std::uint8_t> out(head.begin(), head.end());
    const TGIFColorMap* table = frame.EffectiveColors();
    TGIFRGB lookup[256] = {};
    for (int i = 0; i < table->Count(); ++i) lookup[i] = table->Entry(i);
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(frame.PixelDataSize()) * 3);
    std::uint8_t* dst = out.data() + start;
    const std::uint8_t* src = frame.PixelData();
    for (std::int64_t i = 0; i < frame.PixelDataSize(); ++i, dst += 3) {
        const TGIFRGB& c = lookup[src[i]];
        dst[0] = c.red;
        dst[1] = c.green;
        dst[2] = c.blue;
    }
    return out;
}

int RunDecode(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fputs("usage: reelix-tool decode FILE DIR\n", stderr);
        return 1;
    }
    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string& text) {
        std::fprintf(stderr, "warning: %s\n", text.c_str());
    };
    image.PixelBudget = ToolPixelBudget();
    image.LoadFromFile(args[0]);  // completely, before anything is written

    std::vector<std::vector<std::uint8_t>> files;
    for (int i = 0; i < image.Frames().Count(); ++i)
        if (!image.Frames()[i]->IsEmpty()) files.push_back(FramePPM(*image.Frames()[i]));
    std::filesystem::create_directories(args[1]);
    for (std::size_t n = 0; n < files.size(); ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%03zu.ppm", n);
        TFileStream out((std::filesystem::path(args[1]) / name).string(), TFileStream::Mode::Create);
        out.Write(files[n].data(), files[n].size());
    }
    return 0;
}

const bool registered = RegisterToolCommand({"decode", "decode FILE DIR", &RunDecode});
}  // namespace
