// reelix-tool render FILE DIR: the composited logical screen after each frame,
// written as DIR/frame-NNN.pam (RGBA, transparent where nothing was drawn).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "painter/GIFCompositor.h"
#include "tools/Command.h"

namespace {

bool WritePAM(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba) {
    std::ofstream out(path, std::ios::binary);
    out << "P7\nWIDTH " << width << "\nHEIGHT " << height << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    out.write(reinterpret_cast<const char*>(rgba.data()), static_cast<std::streamsize>(rgba.size()));
    return static_cast<bool>(out);
}

int Render(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fputs("usage: reelix-tool render FILE DIR\n", stderr);
        return 1;
    }
    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string& text) {
        std::fprintf(stderr, "warning: %s\n", text.c_str());
    };
    image.PixelBudget = ToolPixelBudget();
    image.LoadFromFile(args[0]);
    std::filesystem::create_directories(args[1]);
    std::vector<std::uint8_t> rgba;
    bool ok = true;
    const int frames = TGIFCompositor(image).Run([&](int index, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, rgba);
        char name[32];
        std::snprintf(name, sizeof name, "frame-%03d.pam", index);
        const std::string path = (std::filesystem::path(args[1]) / name).string();
        if (!WritePAM(path, screen.Width(), screen.Height(), rgba)) {
            std::fprintf(stderr, "reelix-tool render: cannot write %s\n", path.c_str());
            ok = false;
        }
    });
    std::printf("%d frames\n", frames);
    return ok ? 0 : 1;
}

const bool registered = RegisterToolCommand({"render", "render FILE DIR   composited frames as DIR/frame-NNN.pam", Render});

}  // namespace
