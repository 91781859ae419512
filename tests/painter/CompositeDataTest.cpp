// Composited frames against the reference pictures of public GIF suites: the
// painter's output after each frame must be what browsers show.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "gif/GIFImage.h"
#include "painter/GIFCompositor.h"

namespace fs = std::filesystem;

namespace {

const fs::path kGifData = fs::path(REELIX_TESTDATA_DIR) / "gif";

struct Composited {
    std::vector<std::vector<std::uint8_t>> frames;  // RGBA after each image
    std::vector<int> delays;                        // each image's delay; 0 without a control extension
    int width = 0, height = 0;
};

Composited Composite(const fs::path& file) {
    TGIFImage image;
    image.LoadFromFile(file.string());
    Composited out;
    out.width = image.Width();
    out.height = image.Height();
    std::vector<std::uint8_t> rgba;
    TGIFCompositor(image).Run([&](int index, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, rgba);
        out.frames.push_back(rgba);
        const TGIFGraphicControlExtension* control = image.Frames()[index]->ControlExtension();
        out.delays.push_back(control ? control->DelayTime : 0);
    });
    return out;
}

// A PNG as raw RGBA through ImageMagick (a test-only peer).
bool ReadPNG(const fs::path& png, std::vector<std::uint8_t>& rgba) {
    const std::string command = "convert '" + png.string() + "' -depth 8 rgba:- 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    rgba.clear();
    std::uint8_t buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) rgba.insert(rgba.end(), buffer, buffer + n);
    return pclose(pipe) == 0 && !rgba.empty();
}

bool ReadRaw(const fs::path& file, std::vector<std::uint8_t>& rgba) {
    std::ifstream in(file, std::ios::binary);
    rgba.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return static_cast<bool>(in) || in.eof();
}

// Compares alpha everywhere and colour where the reference is opaque; answers
// a description of the first difference, or "" when equal.
// With `undrawnMayDiffer`, pixels no frame has drawn on yet are not compared.
std::string Difference(const std::vector<std::uint8_t>& have, const std::vector<std::uint8_t>& want, int width,
                       bool undrawnMayDiffer = false) {
    if (have.size() != want.size())
        return "size " + std::to_string(have.size()) + " vs " + std::to_string(want.size());
    for (std::size_t i = 0; i < have.size(); i += 4) {
        if (undrawnMayDiffer && have[i + 3] == 0) continue;
        const bool opaque = want[i + 3] == 255;
        const bool alphaDiffers = (have[i + 3] == 255) != opaque || (!opaque && have[i + 3] != want[i + 3] && want[i + 3] != 0);
        const bool colourDiffers = opaque && (have[i] != want[i] || have[i + 1] != want[i + 1] || have[i + 2] != want[i + 2]);
        if (alphaDiffers || colourDiffers) {
            char text[160];
            const int p = static_cast<int>(i / 4);
            std::snprintf(text, sizeof text, "at (%d,%d) have %02x%02x%02x/%02x, want %02x%02x%02x/%02x", p % width,
                          p / width, have[i], have[i + 1], have[i + 2], have[i + 3], want[i], want[i + 1], want[i + 2],
                          want[i + 3]);
            return text;
        }
    }
    return "";
}

std::map<std::string, std::map<std::string, std::string>> ReadConf(const fs::path& file) {
    std::map<std::string, std::map<std::string, std::string>> sections;
    std::ifstream in(file);
    std::string line, section;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const auto eq = line.find(" = ");
        if (eq != std::string::npos) sections[section][line.substr(0, eq)] = line.substr(eq + 3);
        else if (line.back() == '=') sections[section][line.substr(0, line.find(' '))] = "";
    }
    return sections;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ',');)
        if (!part.empty()) parts.push_back(part);
    return parts;
}

}  // namespace

// Files where the suite's policy for broken or unusual data differs from our
// reader's; the difference lies in what is read, not in how it is composed.
const std::map<std::string, std::string> kReaderPolicy = {
    {"no-data", "an image without data is an error for our reader"},
    {"image-zero-width", "an image of width 0 takes the screen's width and is shown, filled"},
    {"image-zero-height", "an image of height 0 cut off in its colour table takes the screen's size, filled"},
    {"image-zero-size", "an image of size 0 cut off in its colour table takes the screen's size, filled"},
    {"overflow-codes", "a frame whose code size is beyond 11 bits keeps its place, filled"},
    {"overflow-codes-max", "a frame whose code size is beyond 11 bits keeps its place, filled"},
    {"invalid-code", "our reader keeps the pixels decoded before a bad code"},
    {"invalid-colors", "our reader shows indices beyond the table (with a warning)"},
    {"plain-text", "the plain text extension's image is shown; the suite shows nothing"},
};

TEST(CompositeData, AncellSuite) {
    const fs::path dir = kGifData / "ancell-gif-test-suite";
    if (!fs::exists(dir / "TESTS")) GTEST_SKIP() << "no test data at " << dir;
    std::ifstream tests(dir / "TESTS");
    int compared = 0;
    for (std::string name; std::getline(tests, name);) {
        if (name.empty() || kReaderPolicy.count(name)) continue;
        auto conf = ReadConf(dir / (name + ".conf"));
        const std::vector<std::string> wantFrames = Split(conf["config"]["frames"]);
        Composited have;
        try {
            have = Composite(dir / (name + ".gif"));
        } catch (const std::exception& e) {
            // Broken files: the suite's own policy may show nothing at all.
            if (!wantFrames.empty()) ADD_FAILURE() << name << ": load failed: " << e.what();
            continue;
        }
        // The suite counts an image without a delay as part of the next frame
        // unless the file is an animation without any delays ("forced"); the
        // painter shows every image, so compare the last image of each group.
        const bool forced = conf["config"]["force-animation"] == "yes";
        std::vector<std::size_t> ends;
        for (std::size_t i = 0; i < have.frames.size(); ++i)
            if (forced || have.delays[i] > 0 || i + 1 == have.frames.size()) ends.push_back(i);
        if (ends.size() != wantFrames.size()) {
            ADD_FAILURE() << name << ": have " << ends.size() << " frames, want " << wantFrames.size();
            continue;
        }
        for (std::size_t f = 0; f < wantFrames.size(); ++f) {
            auto& section = conf[wantFrames[f]];
            std::vector<std::uint8_t> want;
            const bool read = section.count("pixels") ? ReadRaw(dir / section["pixels"], want)
                                                      : ReadPNG(dir / section["image"], want);
            ASSERT_TRUE(read) << name << " frame " << f << ": reference unreadable";
            const std::string diff = Difference(have.frames[ends[f]], want, have.width);
            EXPECT_EQ(diff, "") << name << " frame " << f;
            ++compared;
        }
    }
    EXPECT_GT(compared, 50);
}

TEST(CompositeData, PeterdnSuite) {
    const fs::path dir = kGifData / "peterdn-gif-test-suite";
    if (!fs::exists(dir / "frames")) GTEST_SKIP() << "no test data at " << dir;
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".gif") continue;
        const std::string name = entry.path().stem().string();
        if (!fs::exists(dir / "frames" / (name + "-0.png"))) continue;  // still pictures have no references
        Composited have = Composite(entry.path());
        for (std::size_t f = 0; f < have.frames.size(); ++f) {
            const fs::path png = dir / "frames" / (name + "-" + std::to_string(f) + ".png");
            if (!fs::exists(png)) {
                ADD_FAILURE() << name << ": no reference for frame " << f;
                continue;
            }
            std::vector<std::uint8_t> want;
            ASSERT_TRUE(ReadPNG(png, want)) << png;
            EXPECT_EQ(Difference(have.frames[f], want, have.width), "") << name << " frame " << f;
            ++compared;
        }
    }
    EXPECT_GT(compared, 20);
}

namespace {
// Every frame ImageMagick's coalesce makes of a file, as RGBA of the screen size.
bool Coalesce(const fs::path& file, std::size_t frameBytes, std::vector<std::vector<std::uint8_t>>& frames) {
    const std::string command = "convert '" + file.string() + "' -coalesce -depth 8 rgba:- 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    std::vector<std::uint8_t> all;
    std::uint8_t buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) all.insert(all.end(), buffer, buffer + n);
    if (pclose(pipe) != 0 || frameBytes == 0 || all.size() % frameBytes != 0) return false;
    frames.clear();
    for (std::size_t at = 0; at < all.size(); at += frameBytes)
        frames.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(at),
                            all.begin() + static_cast<std::ptrdiff_t>(at + frameBytes));
    return true;
}
}  // namespace

// Where ImageMagick composes differently on purpose: it starts from the
// screen's background colour, browsers (and we) from transparency.
const std::map<std::string, std::string> kCoalesceStartsOpaque = {
    {"wuffs/artificial-gif/background-color.gif", "the first frame does not cover the screen"},
};

// Animations that use disposal methods 0-2 only, against ImageMagick's
// coalesced frames.
TEST(CompositeData, CoalescedAnimations) {
    const char* files[] = {
        "giflib/pic/welcome2.gif",          "giflib/pic/fire.gif",
        "pillow/dispose_none.gif",          "pillow/iss634.gif",
        "pillow/dispose_bgnd.gif",          "pillow/dispose_bgnd_transparency.gif",
        "pillow/transparent_dispose.gif",   "pillow/dispose_bgnd_rgba.gif",
        "pillow/dispose_none_load_end.gif", "pillow/missing_background.gif",
        "pillow/background_outside_palette.gif", "pillow/chi.gif",
        "pillow/duplicate_frame.gif",       "pillow/different_transparency.gif",
        "wuffs/animated-red-blue.gif",      "wuffs/muybridge.gif",
        "wuffs/artificial-gif/transparent-index.gif", "wuffs/artificial-gif/background-color.gif",
        "libnsgif/waves.gif",
    };
    if (!fs::exists(kGifData / "pillow")) GTEST_SKIP() << "no test data at " << kGifData;
    int compared = 0;
    for (const char* name : files) {
        const fs::path file = kGifData / name;
        Composited have;
        try {
            have = Composite(file);
        } catch (const std::exception& e) {
            ADD_FAILURE() << name << ": load failed: " << e.what();
            continue;
        }
        std::vector<std::vector<std::uint8_t>> want;
        const std::size_t bytes = static_cast<std::size_t>(have.width) * static_cast<std::size_t>(have.height) * 4;
        if (!Coalesce(file, bytes, want)) {
            ADD_FAILURE() << name << ": no coalesced frames of " << have.width << "x" << have.height;
            continue;
        }
        if (want.size() != have.frames.size()) {
            ADD_FAILURE() << name << ": have " << have.frames.size() << " frames, want " << want.size();
            continue;
        }
        for (std::size_t f = 0; f < want.size(); ++f) {
            EXPECT_EQ(Difference(have.frames[f], want[f], have.width, kCoalesceStartsOpaque.count(name) != 0), "")
                << name << " frame " << f;
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
}

// reelix-tool render writes one PAM file per frame holding the composed screen.
TEST(CompositeData, RenderToolWritesOnePictureFramePerFrame) {
    const fs::path tool = fs::path(REELIX_BINARY_DIR) / "bin" / "reelix-tool";
    const fs::path file = kGifData / "peterdn-gif-test-suite" / "animated_transparent_frame_restoreprev_loop.gif";
    if (!fs::exists(tool) || !fs::exists(file)) GTEST_SKIP() << "needs " << tool << " and " << file;
    const fs::path out = fs::temp_directory_path() / ("reelix-render-" + std::to_string(::getpid()));
    fs::remove_all(out);
    const std::string command = "'" + tool.string() + "' render '" + file.string() + "' '" + out.string() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Composited want = Composite(file);
    ASSERT_FALSE(want.frames.empty());
    for (std::size_t f = 0; f < want.frames.size(); ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%03zu.pam", f);
        std::ifstream in(out / name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        const std::string header = "P7\nWIDTH " + std::to_string(want.width) + "\nHEIGHT " +
                                   std::to_string(want.height) + "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
        std::string have(header.size(), '\0');
        in.read(have.data(), static_cast<std::streamsize>(have.size()));
        EXPECT_EQ(have, header) << name;
        std::vector<std::uint8_t> pixels((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(pixels, want.frames[f]) << name;
    }
    EXPECT_FALSE(fs::exists(out / "frame-004.pam"));
    fs::remove_all(out);
}
