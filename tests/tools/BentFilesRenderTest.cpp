// Files that bend the format the way browsers tolerate, each made from a byte
// recipe and paired with the well-formed file that shows what browsers show
// for it: `reelix-tool render` must show the bent file's last picture as
// giflib and ImageMagick show the well-formed one (the peers themselves read
// some bent files otherwise: giflib and ImageMagick take the first of two
// control blocks where browsers apply the last, and neither sizes an empty
// screen to its frames).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "gif/GIFRecipe.h"
#include "support/ToolRunner.h"

#include "support/GiflibFile.h"

namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<std::uint8_t>;

// A picture: width, height and straight RGBA bytes, all zero where transparent.
struct TPicture {
    int width = 0, height = 0;
    Bytes rgba;
    bool operator==(const TPicture&) const = default;
};

std::string Describe(const TPicture& p) {
    std::string text = std::to_string(p.width) + "x" + std::to_string(p.height) + ":";
    char hex[4];
    for (std::size_t i = 0; i < p.rgba.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%s%02x", i % 4 ? "" : " ", p.rgba[i]);
        text += hex;
    }
    return text;
}

void ClearTransparent(TPicture& p) {
    for (std::size_t i = 0; i + 3 < p.rgba.size(); i += 4)
        if (p.rgba[i + 3] == 0) std::memset(&p.rgba[i], 0, 4);
}

bool RunShell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Our last composed picture, through the tool.
bool OursLast(const fs::path& file, const fs::path& dir, TPicture& out) {
    fs::remove_all(dir);
    if (RunTool("render " + Quoted(file) + " " + Quoted(dir), dir.string() + ".err").status != 0) return false;
    std::vector<fs::path> frames;
    for (const auto& e : fs::directory_iterator(dir)) frames.push_back(e.path());
    if (frames.empty()) return false;
    std::sort(frames.begin(), frames.end());
    std::ifstream in(frames.back(), std::ios::binary);
    std::string line;
    while (std::getline(in, line) && line != "ENDHDR") {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "WIDTH") fields >> out.width;
        if (key == "HEIGHT") fields >> out.height;
    }
    out.rgba.assign(std::istreambuf_iterator<char>(in), {});
    ClearTransparent(out);
    return true;
}

// ImageMagick's last coalesced picture on its page.
bool MagickLast(const fs::path& file, const fs::path& dir, TPicture& out) {
    const fs::path size = dir / "im-size.txt", raw = dir / "im.rgba";
    fs::create_directories(dir);
    if (!RunShell("identify -format '%W %H\\n' " + Quoted(file) + " > " + Quoted(size) + " 2>/dev/null")) return false;
    if (!RunShell("convert " + Quoted(file) + " -coalesce -depth 8 rgba:" + Quoted(raw) + " 2>/dev/null"))
        return false;
    std::ifstream(size) >> out.width >> out.height;
    std::ifstream in(raw, std::ios::binary);
    const Bytes all((std::istreambuf_iterator<char>(in)), {});
    const std::size_t picture = std::size_t(out.width) * out.height * 4;
    if (picture == 0 || all.size() < picture) return false;
    out.rgba.assign(all.end() - static_cast<long>(picture), all.end());
    ClearTransparent(out);
    return true;
}

#if __has_include(<gif_lib.h>)
// giflib's frames drawn as a browser does (transparent start, disposal 2 and 3).
bool GiflibLast(const Bytes& bytes, TPicture& out) {
    const TGiflibFile file(bytes);
    GifFileType* gif = file.gif;
    const bool read = file.ok && gif->ImageCount > 0;
    if (read) {
        out.width = gif->SWidth;
        out.height = gif->SHeight;
        std::vector<std::uint32_t> screen(std::size_t(out.width) * out.height, 0), saved;
        for (int i = 0; i < gif->ImageCount; ++i) {
            if (i > 0) {  // the previous frame's disposal
                GraphicsControlBlock prev{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
                DGifSavedExtensionToGCB(gif, i - 1, &prev);
                const GifImageDesc& p = gif->SavedImages[i - 1].ImageDesc;
                if (prev.DisposalMode == DISPOSE_BACKGROUND)
                    for (int y = std::max(0, p.Top); y < std::min(out.height, p.Top + p.Height); ++y)
                        for (int x = std::max(0, p.Left); x < std::min(out.width, p.Left + p.Width); ++x)
                            screen[std::size_t(y) * out.width + x] = 0;
                else if (prev.DisposalMode == DISPOSE_PREVIOUS)
                    screen = saved;
            }
            const SavedImage& frame = gif->SavedImages[i];
            const GifImageDesc& d = frame.ImageDesc;
            GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
            DGifSavedExtensionToGCB(gif, i, &gcb);
            if (gcb.DisposalMode == DISPOSE_PREVIOUS) saved = screen;
            const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
            for (int y = std::max(0, d.Top); y < std::min(out.height, d.Top + d.Height); ++y)
                for (int x = std::max(0, d.Left); x < std::min(out.width, d.Left + d.Width); ++x) {
                    const int index = frame.RasterBits[std::size_t(y - d.Top) * d.Width + (x - d.Left)];
                    if (index == gcb.TransparentColor) continue;
                    std::uint32_t v = 0xFF000000u;
                    if (map && index < map->ColorCount)
                        v |= map->Colors[index].Red | (map->Colors[index].Green << 8) | (map->Colors[index].Blue << 16);
                    screen[std::size_t(y) * out.width + x] = v;
                }
        }
        out.rgba.resize(screen.size() * 4);
        for (std::size_t i = 0; i < screen.size(); ++i)
            for (int b = 0; b < 4; ++b) out.rgba[4 * i + b] = static_cast<std::uint8_t>(screen[i] >> (8 * b));
    }
    return read;
}
#endif

struct TBentFile {
    const char* name;
    Bytes bent;
    Bytes shown;  // a well-formed file that shows what browsers show for `bent`
    // ImageMagick fills what no frame covers with the background colour where
    // browsers leave it transparent: compared with giflib only.
    bool leavesScreenUncovered = false;
};

TGIFRecipe Screen(int w, int h) { return TGIFRecipe().Header(w, h, 0x81).Table(4); }

std::vector<TBentFile> BentFiles() {
    const std::vector<int> pixels = {1, 2, 3, 0, 0, 3, 2, 1};
    const Bytes plain = Screen(4, 2).Image(0, 0, 4, 2, pixels).Trailer();
    Bytes cut = Screen(4, 2).Image(0, 0, 4, 2, pixels).Descriptor(0, 0, 4, 2).Get();
    cut.resize(cut.size() - 4);
    return {
        {"unknown extension", Screen(4, 2).Raw({0x21, 0x02, 3, 'a', 'b', 'c', 0}).Image(0, 0, 4, 2, pixels).Trailer(),
         plain},
        {"control block of 5 bytes",
         Screen(4, 2).Raw({0x21, 0xF9, 5, 0x01, 10, 0, 2, 0x55, 0}).Image(0, 0, 4, 2, pixels).Trailer(),
         Screen(4, 2).GraphicControl(0x01, 10, 2).Image(0, 0, 4, 2, pixels).Trailer()},
        {"control block of 3 bytes",
         Screen(4, 2).Raw({0x21, 0xF9, 3, 0x01, 10, 0, 0}).Image(0, 0, 4, 2, pixels).Trailer(),
         Screen(4, 2).GraphicControl(0x01, 10, 0).Image(0, 0, 4, 2, pixels).Trailer()},
        {"two control blocks, the last opaque",
         Screen(4, 2).GraphicControl(0x01, 10, 3).GraphicControl(0x00, 20, 0).Image(0, 0, 4, 2, pixels).Trailer(),
         Screen(4, 2).GraphicControl(0x00, 20, 0).Image(0, 0, 4, 2, pixels).Trailer()},
        {"two control blocks, the last transparent",
         Screen(4, 2).GraphicControl(0x00, 10, 0).GraphicControl(0x01, 20, 2).Image(0, 0, 4, 2, pixels).Trailer(),
         Screen(4, 2).GraphicControl(0x01, 20, 2).Image(0, 0, 4, 2, pixels).Trailer()},
        {"stray zeros between a control block and its image",
         Screen(4, 2).GraphicControl(0x01, 10, 1).Raw({0, 0}).Image(0, 0, 4, 2, pixels).Trailer(),
         Screen(4, 2).GraphicControl(0x01, 10, 1).Image(0, 0, 4, 2, pixels).Trailer()},
        {"screen of 0 x 0", TGIFRecipe().Header(0, 0, 0x81).Table(4).Image(1, 1, 3, 2, {1, 2, 3, 3, 2, 1}).Trailer(),
         Screen(4, 3).Image(1, 1, 3, 2, {1, 2, 3, 3, 2, 1}).Trailer(), true},
        {"code size 1", Screen(4, 2).Image(0, 0, 4, 2, {1, 0, 0, 1, 1, 1, 0, 0}, 0, 1).Trailer(),
         Screen(4, 2).Image(0, 0, 4, 2, {1, 0, 0, 1, 1, 1, 0, 0}).Trailer()},
        {"application block of 9 bytes",
         Screen(4, 2).Raw({0x21, 0xFF, 9}).Text("ABCDEFGHI").Raw({1, 'x', 0}).Image(0, 0, 4, 2, pixels).Trailer(),
         plain},
        {"looping block with a short sub-block",
         Screen(4, 2).Raw({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Raw({2, 1, 0, 0}).Image(0, 0, 4, 2, pixels).Trailer(),
         plain},
        {"second frame cut inside its descriptor", cut, plain},
    };
}
}  // namespace

TEST(BentFilesRender, ShownAsPeersShowTheWellFormedFile) {
    if (!RunShell("command -v convert >/dev/null 2>&1 && command -v identify >/dev/null 2>&1"))
        GTEST_SKIP() << "ImageMagick not available";
    const fs::path dir = fs::path(REELIX_BINARY_DIR) / "bent-files-render-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    int compared = 0;
    for (const TBentFile& file : BentFiles()) {
        SCOPED_TRACE(file.name);
        auto write = [&](const fs::path& path, const Bytes& bytes) {
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            return path;
        };
        const fs::path bent = write(dir / "bent.gif", file.bent), shown = write(dir / "shown.gif", file.shown);
        TPicture ours, magick, giflib;
        ASSERT_TRUE(OursLast(bent, dir / "ours", ours)) << "we must open it";
        const bool haveMagick = !file.leavesScreenUncovered && MagickLast(shown, dir / "magick", magick);
        bool haveGiflib = false;
#if __has_include(<gif_lib.h>)
        haveGiflib = GiflibLast(file.shown, giflib);
#endif
        if (haveMagick) {
            EXPECT_EQ(Describe(ours), Describe(magick)) << "as ImageMagick shows the well-formed file";
        }
        if (haveGiflib) {
            EXPECT_EQ(Describe(ours), Describe(giflib)) << "as giflib shows the well-formed file";
        }
        if (!haveMagick && !haveGiflib) continue;
        ++compared;
    }
    EXPECT_EQ(compared, static_cast<int>(BentFiles().size()));
}
