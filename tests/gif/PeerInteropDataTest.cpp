// Interoperability with other GIF programs, both ways:
//  - animations we write are read back identically by giflib and by Pillow;
//  - files written by ImageMagick, gifsicle, ffmpeg and Pillow read to the same
//    frames, tables and pixels in our reader as in giflib.
// Every peer is optional: a case whose peer is missing skips.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "gif/GIFImage.h"

#if __has_include(<gif_lib.h>)
#include "support/FrameBuilders.h"
#include "support/GiflibFile.h"
#define REELIX_PEER_GIFLIB 1
#endif

namespace fs = std::filesystem;

namespace {

// A private scratch folder, removed with everything in it.
class TScratchDir {
public:
    TScratchDir() {
        std::random_device seed;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = fs::temp_directory_path() /
                ("reelix-peer-" + std::to_string(stamp) + "-" + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~TScratchDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;
    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

bool RunShell(const std::string& command) { return std::system(command.c_str()) == 0; }

bool HaveTool(const std::string& tool) { return RunShell("command -v " + tool + " >/dev/null 2>&1"); }

// The first Python that can import PIL ("" when none can): the default python3
// may be a different installation than the system one that has Pillow.
const std::string& PillowPython() {
    static const std::string python = [] {
        for (const char* candidate : {"python3", "/usr/bin/python3"})
            if (RunShell(std::string(candidate) + " -c 'import PIL' >/dev/null 2>&1")) return std::string(candidate);
        return std::string();
    }();
    return python;
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

// --- building animations in code ----------------------------------------------

struct TFrameRecipe {
    int left, top, width, height;
    int localColors = 0;   // 0: the frame uses the global table
    bool interlaced = false;
    int disposal = -1;     // -1: no graphic control extension
    int transparent = -1;  // index, or -1 for opaque
    int delay = 0;
    bool comment = false;
};

struct TWriteCase {
    const char* name;
    int screenWidth, screenHeight;
    int globalColors;
    TGIFEncoding encoding;
    int loop;  // -1: no looping extension
    std::vector<TFrameRecipe> frames;
    // Frame 0 covers the screen opaquely and no frame restores anything, so the
    // composited frames follow from drawing each frame over the last.
    bool simpleComposite = false;
};

TColor TableColor(int table, int index) {
    return MakeColor(std::uint8_t(index * 37 + table * 91), std::uint8_t(index * 11 + 5), std::uint8_t(255 - index));
}

std::uint8_t PatternIndex(int frame, int x, int y, int colors) {
    return std::uint8_t((x * 7 + y * 3 + frame * 5 + (x * y) / 3) % colors);
}

std::string CommentText(int frame) { return "frame " + std::to_string(frame) + " says hello"; }

void Build(TGIFImage& image, const TWriteCase& c) {
    image.SetWidth(std::uint16_t(c.screenWidth));
    image.SetHeight(std::uint16_t(c.screenHeight));
    image.Encoding = c.encoding;
    for (int i = 0; i < c.globalColors; ++i) image.GlobalColors().AddColor(TableColor(0, i));
    for (std::size_t f = 0; f < c.frames.size(); ++f) {
        const TFrameRecipe& s = c.frames[f];
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(s.left, s.top, s.width, s.height);
        for (int i = 0; i < s.localColors; ++i) frame->LocalColors().AddColor(TableColor(int(f) + 1, i));
        frame->SetInterlaced(s.interlaced);
        const int colors = s.localColors ? s.localColors : c.globalColors;
        std::uint8_t* pixels = frame->PixelData();
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) pixels[y * s.width + x] = PatternIndex(int(f), x, y, colors);
        TGIFSubImage* raw = frame.get();
        image.AddFrame(std::move(frame));
        if (f == 0 && c.loop >= 0) AddExtension<TGIFAppExtNSLoop>(raw)->LoopCount = std::uint16_t(c.loop);
        if (s.comment) AddExtension<TGIFCommentExtension>(raw)->Lines = {CommentText(int(f))};
        if (s.disposal >= 0) {
            auto* gce = AddExtension<TGIFGraphicControlExtension>(raw);
            gce->DelayTime = std::uint16_t(s.delay);
            gce->SetDisposalMethod(std::uint8_t(s.disposal));
            if (s.transparent >= 0) {
                gce->SetUsesTransparency(true);
                gce->SetTransparentIndex(s.transparent);
            }
        }
    }
}

std::vector<TWriteCase> WriteCases() {
    using F = TFrameRecipe;
    std::vector<TWriteCase> cases;
    cases.push_back({"lzw global 256, full frames, loop", 17, 9, 256, encLZW, 0,
                     {F{0, 0, 17, 9, 0, false, 1, -1, 10}, F{0, 0, 17, 9, 0, false, 1, -1, 20},
                      F{0, 0, 17, 9, 0, false, 1, -1, 30}},
                     true});
    cases.push_back({"rle global 16, full frames, loop 3", 17, 9, 16, encRLE, 3,
                     {F{0, 0, 17, 9, 0, false, 1, -1, 7}, F{0, 0, 17, 9, 0, true, 1, -1, 8}},
                     true});
    cases.push_back({"lzw global 2, width 1 and 3", 3, 20, 2, encLZW, -1,
                     {F{0, 0, 3, 20}, F{1, 2, 1, 17, 0, true}, F{0, 19, 3, 1}}});
    cases.push_back({"rle odd tables, width 1", 1, 33, 5, encRLE, -1,
                     {F{0, 0, 1, 33}, F{0, 3, 1, 29, 3, true}, F{0, 0, 1, 1, 7}}});
    cases.push_back({"lzw local tables only, interlaced", 40, 25, 0, encLZW, 0,
                     {F{0, 0, 40, 25, 256, true, 0, -1, 5}, F{3, 4, 17, 9, 5, true, 1, 2, 6, true},
                      F{10, 10, 30, 15, 2, false, 2, 0, 7}}});
    cases.push_back({"rle local tables only, interlaced", 40, 25, 0, encRLE, 0,
                     {F{0, 0, 40, 25, 256, true, 0, -1, 5}, F{3, 4, 17, 9, 5, true, 1, 2, 6, true},
                      F{10, 10, 30, 15, 2, false, 2, 0, 7}}});
    cases.push_back({"mixed tables, disposal 0-3, comments", 256, 12, 16, encLZW, 2,
                     {F{0, 0, 256, 12, 0, false, 0, -1, 4, true}, F{5, 1, 200, 10, 7, false, 1, 3, 4},
                      F{0, 0, 256, 12, 0, true, 2, 15, 4, true}, F{100, 2, 156, 9, 129, true, 3, 128, 4},
                      F{17, 3, 3, 3, 0, false, 1, 0, 0, true}}});
    cases.push_back({"rle mixed, width 256", 256, 7, 256, encRLE, -1,
                     {F{0, 0, 256, 7, 0, true, 1, 255, 1}, F{0, 1, 256, 5, 33, false, 3, 32, 2}}});
    cases.push_back({"transparent over previous, disposal 1", 17, 8, 5, encLZW, 0,
                     {F{0, 0, 17, 8, 0, false, 1, -1, 12}, F{0, 0, 17, 8, 0, false, 1, 1, 13},
                      F{3, 2, 5, 4, 7, false, 1, 0, 14}},
                     true});
    cases.push_back({"transparent over previous, rle interlaced", 17, 8, 5, encRLE, 1,
                     {F{0, 0, 17, 8, 0, true, 1, -1, 12}, F{0, 0, 17, 8, 0, true, 1, 4, 13},
                      F{1, 1, 15, 6, 3, true, 0, 2, 14}},
                     true});
    return cases;
}

#ifdef REELIX_PEER_GIFLIB

// `exact`: the tables must have the same size (both read from one file); else
// ours may be shorter than the file's padded power of two.
std::string CompareTable(const TGIFColorMap& ours, const ColorMapObject* theirs, bool exact) {
    const int theirCount = theirs ? theirs->ColorCount : 0;
    if (exact ? ours.Count() != theirCount : ours.Count() > theirCount)
        return "table size: have " + std::to_string(ours.Count()) + ", want " + std::to_string(theirCount);
    for (int i = 0; i < ours.Count(); ++i) {
        const GifColorType& c = theirs->Colors[i];
        const TGIFRGB& e = ours.Entry(i);
        if (e.red != c.Red || e.green != c.Green || e.blue != c.Blue) {
            std::ostringstream out;
            out << "table entry " << i << ": have (" << int(e.red) << "," << int(e.green) << "," << int(e.blue)
                << "), want (" << int(c.Red) << "," << int(c.Green) << "," << int(c.Blue) << ")";
            return out.str();
        }
    }
    return "";
}

std::string ComparePixels(const TGIFSubImage& ours, const SavedImage& theirs) {
    const int width = theirs.ImageDesc.Width;
    const std::int64_t size = std::int64_t(width) * theirs.ImageDesc.Height;
    if (ours.PixelDataSize() != size)
        return "pixel count: have " + std::to_string(ours.PixelDataSize()) + ", want " + std::to_string(size);
    for (std::int64_t i = 0; i < size; ++i) {
        if (ours.PixelData()[i] != theirs.RasterBits[i]) {
            std::ostringstream out;
            out << "pixel (" << i % width << "," << i / width << "): have " << int(ours.PixelData()[i])
                << ", want " << int(theirs.RasterBits[i]);
            return out.str();
        }
    }
    return "";
}

// "" when our model and giflib's agree on frames, tables, pixels and controls.
std::string CompareWithGiflib(TGIFImage& image, GifFileType* gif, bool exactTables) {
    if (image.Width() != gif->SWidth || image.Height() != gif->SHeight) return "screen size";
    if (std::string d = CompareTable(image.GlobalColors(), gif->SColorMap, exactTables); !d.empty())
        return "global " + d;
    std::vector<TGIFSubImage*> frames;
    for (int i = 0; i < image.Frames().Count(); ++i)
        if (!image.Frames()[i]->IsEmpty()) frames.push_back(image.Frames()[i]);
    if (int(frames.size()) != gif->ImageCount)
        return "frames: have " + std::to_string(frames.size()) + ", want " + std::to_string(gif->ImageCount);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& theirs = gif->SavedImages[i];
        const TGIFSubImage& ours = *frames[std::size_t(i)];
        const std::string at = "frame " + std::to_string(i) + ": ";
        const GifImageDesc& d = theirs.ImageDesc;
        if (ours.Left() != d.Left || ours.Top() != d.Top || ours.Width() != d.Width || ours.Height() != d.Height) {
            std::ostringstream out;
            out << at << "rectangle: have " << ours.Left() << "," << ours.Top() << " " << ours.Width() << "x"
                << ours.Height() << ", want " << d.Left << "," << d.Top << " " << d.Width << "x" << d.Height;
            return out.str();
        }
        if (ours.IsInterlaced() != d.Interlace) return at + "interlace";
        if (std::string t = CompareTable(ours.LocalColors(), d.ColorMap, exactTables); !t.empty())
            return at + "local " + t;
        if (std::string p = ComparePixels(ours, theirs); !p.empty()) return at + p;
        GraphicsControlBlock gcb;
        const bool hasGcb =
            DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK &&
            std::any_of(theirs.ExtensionBlocks, theirs.ExtensionBlocks + theirs.ExtensionBlockCount,
                        [](const ExtensionBlock& e) { return e.Function == GRAPHICS_EXT_FUNC_CODE; });
        const TGIFGraphicControlExtension* gce = ours.ControlExtension();
        if (hasGcb != (gce != nullptr)) return at + "control extension presence";
        if (!gce) continue;
        if (gce->DelayTime != gcb.DelayTime)
            return at + "delay: have " + std::to_string(gce->DelayTime) + ", want " + std::to_string(gcb.DelayTime);
        if (gce->DisposalMethod() != gcb.DisposalMode)
            return at + "disposal: have " + std::to_string(gce->DisposalMethod()) + ", want " +
                   std::to_string(gcb.DisposalMode);
        const int ourTransparent = ours.IsTransparent() ? gce->TransparentIndex() : -1;
        if (ourTransparent != gcb.TransparentColor)
            return at + "transparent index: have " + std::to_string(ourTransparent) + ", want " +
                   std::to_string(gcb.TransparentColor);
    }
    return "";
}

// The loop count giflib finds in the NETSCAPE2.0 block before frame 0, or -1.
int GiflibLoopCount(const GifFileType* gif) {
    if (gif->ImageCount == 0) return -1;
    const SavedImage& first = gif->SavedImages[0];
    for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
        const ExtensionBlock& app = first.ExtensionBlocks[i];
        const ExtensionBlock& data = first.ExtensionBlocks[i + 1];
        if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
            std::string(reinterpret_cast<const char*>(app.Bytes), 11) == "NETSCAPE2.0" &&
            data.Function == CONTINUE_EXT_FUNC_CODE && data.ByteCount >= 3 && data.Bytes[0] == 1)
            return data.Bytes[1] | (data.Bytes[2] << 8);
    }
    return -1;
}

// The comment texts giflib attaches to frame `index`, concatenated per block.
std::vector<std::string> GiflibComments(const GifFileType* gif, int index) {
    std::vector<std::string> texts;
    const SavedImage& frame = gif->SavedImages[index];
    for (int i = 0; i < frame.ExtensionBlockCount; ++i) {
        const ExtensionBlock& e = frame.ExtensionBlocks[i];
        if (e.Function == COMMENT_EXT_FUNC_CODE) {
            texts.emplace_back(reinterpret_cast<const char*>(e.Bytes), std::size_t(e.ByteCount));
        } else if (e.Function == CONTINUE_EXT_FUNC_CODE && i > 0 && !texts.empty() &&
                   frame.ExtensionBlocks[i - 1].Function == COMMENT_EXT_FUNC_CODE) {
            texts.back().append(reinterpret_cast<const char*>(e.Bytes), std::size_t(e.ByteCount));
        }
    }
    return texts;
}
#endif

// --- Pillow ------------------------------------------------------------------

// Prints, per frame: "frame <duration> <loop or -> <hex of the composited RGB screen>".
constexpr const char* kPillowDump = R"PY(
import sys
from PIL import Image
im = Image.open(sys.argv[1])
print("frames", getattr(im, "n_frames", 1))
for i in range(getattr(im, "n_frames", 1)):
    im.seek(i)
    loop = im.info.get("loop")
    print("frame", im.info.get("duration", 0), "-" if loop is None else loop, im.convert("RGB").tobytes().hex())
)PY";

struct TPillowFrame {
    int duration = 0;
    int loop = -1;
    std::vector<std::uint8_t> rgb;
};

bool ReadPillow(const std::string& python, const fs::path& script, const fs::path& gif, const fs::path& out,
                std::vector<TPillowFrame>& frames) {
    if (!RunShell(python + " " + Quote(script) + " " + Quote(gif) + " > " + Quote(out) + " 2>&1")) return false;
    std::ifstream in(out);
    std::string word;
    int count = 0;
    if (!(in >> word >> count) || word != "frames") return false;
    for (int i = 0; i < count; ++i) {
        TPillowFrame f;
        std::string loop, hex;
        if (!(in >> word >> f.duration >> loop >> hex) || word != "frame") return false;
        f.loop = loop == "-" ? -1 : std::stoi(loop);
        for (std::size_t at = 0; at + 1 < hex.size(); at += 2)
            f.rgb.push_back(std::uint8_t(std::stoi(hex.substr(at, 2), nullptr, 16)));
        frames.push_back(std::move(f));
    }
    return true;
}

// The screen after each frame, for animations where frame 0 covers the screen
// opaquely and no frame restores: each frame is drawn over the previous state.
std::vector<std::vector<std::uint8_t>> Composite(const TWriteCase& c) {
    std::vector<std::vector<std::uint8_t>> screens;
    std::vector<std::uint8_t> screen(std::size_t(c.screenWidth * c.screenHeight * 3), 0);
    for (std::size_t f = 0; f < c.frames.size(); ++f) {
        const TFrameRecipe& s = c.frames[f];
        const int colors = s.localColors ? s.localColors : c.globalColors;
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) {
                const int index = PatternIndex(int(f), x, y, colors);
                if (index == s.transparent) continue;
                const TColor color = TableColor(s.localColors ? int(f) + 1 : 0, index);
                std::uint8_t* p = &screen[std::size_t(((s.top + y) * c.screenWidth + s.left + x) * 3)];
                p[0] = ColorRed(color);
                p[1] = ColorGreen(color);
                p[2] = ColorBlue(color);
            }
        screens.push_back(screen);
    }
    return screens;
}

std::string FirstRgbDifference(const std::vector<std::uint8_t>& have, const std::vector<std::uint8_t>& want,
                               int width) {
    if (have.size() != want.size())
        return "RGB bytes: have " + std::to_string(have.size()) + ", want " + std::to_string(want.size());
    for (std::size_t i = 0; i < have.size(); i += 3) {
        if (have[i] != want[i] || have[i + 1] != want[i + 1] || have[i + 2] != want[i + 2]) {
            std::ostringstream out;
            const std::size_t pixel = i / 3;
            out << "pixel (" << pixel % std::size_t(width) << "," << pixel / std::size_t(width) << "): have ("
                << int(have[i]) << "," << int(have[i + 1]) << "," << int(have[i + 2]) << "), want (" << int(want[i])
                << "," << int(want[i + 1]) << "," << int(want[i + 2]) << ")";
            return out.str();
        }
    }
    return "";
}

}  // namespace

// --- what we write, others read ------------------------------------------------

TEST(PeerInteropWrite, GiflibReadsWhatWeWrite) {
#ifndef REELIX_PEER_GIFLIB
    GTEST_SKIP() << "giflib not available";
#else
    TScratchDir dir;
    for (const TWriteCase& c : WriteCases()) {
        SCOPED_TRACE(c.name);
        TGIFImage image;
        Build(image, c);
        const fs::path file = dir / "ours.gif";
        image.SaveToFile(file.string());
        TGiflibFile theirs(file);
        ASSERT_TRUE(theirs.ok) << c.name << ": giflib refuses our file: "
                               << (theirs.gif ? GifErrorString(theirs.gif->Error) : "cannot open");
        EXPECT_EQ(CompareWithGiflib(image, theirs.gif, false), "") << c.name;
        EXPECT_EQ(GiflibLoopCount(theirs.gif), c.loop) << c.name << ": loop count";
        // Tables are padded to a power of two, at least 2 entries.
        if (c.globalColors > 0) {
            ASSERT_NE(theirs.gif->SColorMap, nullptr) << c.name;
            EXPECT_EQ(theirs.gif->SColorMap->ColorCount, 1 << image.GlobalColors().BitDepth()) << c.name;
        } else {
            EXPECT_EQ(theirs.gif->SColorMap, nullptr) << c.name << ": no global table written";
        }
        for (int i = 0; i < theirs.gif->ImageCount && i < int(c.frames.size()); ++i) {
            const TFrameRecipe& s = c.frames[std::size_t(i)];
            EXPECT_EQ(theirs.gif->SavedImages[i].ImageDesc.ColorMap != nullptr, s.localColors > 0)
                << c.name << " frame " << i << ": local table presence";
            const std::vector<std::string> want =
                s.comment ? std::vector<std::string>{CommentText(i)} : std::vector<std::string>{};
            EXPECT_EQ(GiflibComments(theirs.gif, i), want) << c.name << " frame " << i << ": comments";
            // Our model must hold what the case asked for, so agreement above means something.
            for (int y = 0; y < s.height; y += std::max(1, s.height / 4))
                for (int x = 0; x < s.width; ++x) {
                    const int colors = s.localColors ? s.localColors : c.globalColors;
                    ASSERT_EQ(theirs.gif->SavedImages[i].RasterBits[y * s.width + x],
                              PatternIndex(i, x, y, colors))
                        << c.name << " frame " << i << " pixel (" << x << "," << y << ")";
                }
        }
    }
#endif
}

TEST(PeerInteropWrite, OurReaderReadsWhatWeWrite) {
#ifndef REELIX_PEER_GIFLIB
    GTEST_SKIP() << "giflib not available";
#else
    // Reading our own file back must agree with giflib reading the same file.
    TScratchDir dir;
    for (const TWriteCase& c : WriteCases()) {
        TGIFImage image;
        Build(image, c);
        const fs::path file = dir / "ours.gif";
        image.SaveToFile(file.string());
        TGIFImage back;
        std::vector<std::string> warnings;
        back.OnWarn = [&](TPersistent*, int, const std::string& text) { warnings.push_back(text); };
        back.LoadFromFile(file.string());
        EXPECT_EQ(warnings, std::vector<std::string>{}) << c.name;
        TGiflibFile theirs(file);
        ASSERT_TRUE(theirs.ok) << c.name;
        EXPECT_EQ(CompareWithGiflib(back, theirs.gif, true), "") << c.name;
    }
#endif
}

TEST(PeerInteropWrite, PillowReadsWhatWeWrite) {
    const std::string& python = PillowPython();
    if (python.empty()) GTEST_SKIP() << "Pillow not available";
    TScratchDir dir;
    const fs::path script = dir / "dump.py";
    std::ofstream(script) << kPillowDump;
    int compared = 0;
    for (const TWriteCase& c : WriteCases()) {
        SCOPED_TRACE(c.name);
        TGIFImage image;
        Build(image, c);
        const fs::path file = dir / "ours.gif";
        image.SaveToFile(file.string());
        std::vector<TPillowFrame> frames;
        ASSERT_TRUE(ReadPillow(python, script, file, dir / "dump.txt", frames)) << c.name << ": Pillow refuses";
        ASSERT_EQ(frames.size(), c.frames.size()) << c.name << ": frame count";
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const TFrameRecipe& s = c.frames[i];
            if (s.disposal >= 0) {
                EXPECT_EQ(frames[i].duration, s.delay * 10) << c.name << " frame " << i << ": ms";
            }
        }
        EXPECT_EQ(frames[0].loop, c.loop < 0 ? -1 : c.loop) << c.name << ": loop";
        if (!c.simpleComposite) continue;
        ++compared;
        const auto screens = Composite(c);
        for (std::size_t i = 0; i < frames.size(); ++i)
            EXPECT_EQ(FirstRgbDifference(frames[i].rgb, screens[i], c.screenWidth), "")
                << c.name << " frame " << i;
    }
    EXPECT_GT(compared, 0);
}

// --- what others write, we read ------------------------------------------------

namespace {

// Saves a small animation with Pillow: a transparent index, restore-to-background
// disposal, a palette of 5 colours, per-frame durations, no optimisation.
constexpr const char* kPillowWrite = R"PY(
import sys
from PIL import Image
palette = [0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 250, 250, 10]
frames = []
for f in range(4):
    im = Image.new("P", (23, 13), 0)
    im.putpalette(palette)
    for y in range(13):
        for x in range(23):
            im.putpixel((x, y), (x + y + f) % 5 if (x * y + f) % 4 else 0)
    frames.append(im)
frames[0].save(sys.argv[1], save_all=True, append_images=frames[1:], duration=[40, 50, 60, 70], loop=0,
               transparency=0, disposal=2, optimize=False)
)PY";

struct TPeerFile {
    const char* name;
    const char* tool;     // a program on PATH, or "pillow"
    const char* command;  // {out} is the file to write, {dir} the scratch folder
    // Warnings our reader may raise on this file, each with its reason.
    std::vector<std::string> allowedWarnings = {};
};

std::vector<TPeerFile> PeerFiles() {
    return {
        {"ImageMagick gradient, 200 colours", "convert", "convert -size 64x48 gradient:red-blue -colors 200 {out}"},
        {"ImageMagick three-frame animation", "convert",
         "convert -delay 20 -size 40x30 xc:red xc:green xc:blue -loop 0 {out}"},
        {"ImageMagick interlaced", "convert",
         "convert -size 64x48 gradient:yellow-navy -colors 100 -interlace GIF {out}"},
        {"ImageMagick offset frame with local table", "convert",
         "convert -dispose Background -delay 10 -size 50x40 xc:white -page +5+7 -size 20x10 xc:red -loop 2 {out}"},
        {"ImageMagick transparent overlay", "convert",
         "convert -dispose None -delay 15 -size 33x21 gradient:white-black -colors 64 "
         "\\( -size 33x21 xc:none -fill red -draw 'circle 16,10 16,3' \\) -loop 0 {out}"},
        {"gifsicle -O2 optimised animation", "gifsicle",
         "convert -delay 5 -size 48x32 gradient:red-blue gradient:green-yellow gradient:blue-white -loop 0 "
         "{dir}/src.gif && gifsicle -O2 {dir}/src.gif -o {out}"},
        {"gifsicle 16 colours interlaced", "gifsicle",
         "convert -delay 5 -size 48x32 gradient:red-blue gradient:green-yellow -loop 0 {dir}/src.gif && "
         "gifsicle --colors 16 --interlace {dir}/src.gif -o {out}"},
        {"gifsicle -O3 with local colour tables", "gifsicle",
         "convert -delay 5 -size 30x20 gradient:red-blue -size 30x20 gradient:cyan-magenta +map {dir}/src.gif && "
         "gifsicle -O3 --no-loopcount {dir}/src.gif -o {out}"},
        {"ffmpeg test pattern", "ffmpeg",
         "ffmpeg -v error -y -f lavfi -i testsrc=size=96x64:rate=5 -frames:v 6 {out}"},
        {"ffmpeg palettegen and paletteuse", "ffmpeg",
         "ffmpeg -v error -y -f lavfi -i testsrc=size=96x64:rate=5:duration=1.2 -filter_complex "
         "'[0:v]split[a][b];[a]palettegen=max_colors=37[p];[b][p]paletteuse' {out}"},
        {"Pillow transparent animation", "pillow", "{python} {dir}/pil_write.py {out}"},
    };
}

std::string Expand(std::string text, const std::string& key, const std::string& value) {
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

}  // namespace

TEST(PeerInteropRead, OtherWritersReadAsGiflibReadsThem) {
#ifndef REELIX_PEER_GIFLIB
    GTEST_SKIP() << "giflib not available";
#else
    TScratchDir dir;
    std::ofstream(dir / "pil_write.py") << kPillowWrite;
    int compared = 0;
    std::vector<std::string> skipped;
    for (const TPeerFile& peer : PeerFiles()) {
        const std::string tool = peer.tool;
        const bool available = tool == "pillow" ? !PillowPython().empty() : HaveTool(tool);
        if (!available) {
            skipped.push_back(std::string(peer.name) + " (no " + tool + ")");
            continue;
        }
        const fs::path out = dir / "peer.gif";
        fs::remove(out);
        std::string command = Expand(peer.command, "{out}", Quote(out));
        command = Expand(command, "{dir}", Quote(dir.Path()));
        command = Expand(command, "{python}", PillowPython());
        // A peer that waits for input or never ends must not hang the suite.
        std::ofstream(dir / "peer.sh") << command << "\n";
        ASSERT_TRUE(RunShell("timeout 120 sh " + Quote(dir / "peer.sh") + " </dev/null >/dev/null 2>&1")) << peer.name << ": cannot run: " << command;
        ASSERT_TRUE(fs::exists(out)) << peer.name << ": nothing written by " << command;

        TGiflibFile theirs(out);
        ASSERT_TRUE(theirs.ok) << peer.name << ": giflib refuses the file";
        TGIFImage image;
        std::vector<std::string> warnings;
        image.OnWarn = [&](TPersistent*, int, const std::string& text) { warnings.push_back(text); };
        try {
            image.LoadFromFile(out.string());
        } catch (const GIFException& e) {
            ADD_FAILURE() << peer.name << ": we refuse: " << e.what();
            continue;
        }
        for (const std::string& w : warnings)
            EXPECT_NE(std::find(peer.allowedWarnings.begin(), peer.allowedWarnings.end(), w),
                      peer.allowedWarnings.end())
                << peer.name << ": unexpected warning \"" << w << "\"";
        EXPECT_GT(theirs.gif->ImageCount, 0) << peer.name;
        EXPECT_EQ(CompareWithGiflib(image, theirs.gif, true), "") << peer.name;
        const TGIFAppExtNSLoop* loop =
            image.Frames().Count() > 0 ? image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>() : nullptr;
        EXPECT_EQ(loop ? int(loop->LoopCount) : -1, GiflibLoopCount(theirs.gif)) << peer.name << ": loop count";
        ++compared;
    }
    for (const std::string& s : skipped) std::printf("skipped: %s\n", s.c_str());
    if (compared == 0) GTEST_SKIP() << "no peer writer available";
#endif
}
