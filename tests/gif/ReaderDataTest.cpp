// Every GIF of the shared test data: loading ends in a model (possibly with
// warnings) or a GIFException, never anything else; whatever loads is saved and
// loaded again and must come back with identical frames.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gif/GIFImage.h"
#include "support/TestData.h"

namespace fs = std::filesystem;

namespace {

std::string Describe(const TGIFColorMap& map) {
    std::string s = std::to_string(map.Count()) + (map.Sorted() ? "s:" : ":");
    for (int i = 0; i < map.Count(); ++i) {
        const TGIFRGB& c = map.Entry(i);
        s += std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) + ";";
    }
    return s;
}

// The frames a file can hold: a frame with neither image nor extensions
// (a zero-sized descriptor on a zero-sized screen) leaves no trace when written.
std::vector<const TGIFSubImage*> WritableFrames(const TGIFImage& image) {
    std::vector<const TGIFSubImage*> frames;
    for (int i = 0; i < image.Frames().Count(); ++i) {
        const TGIFSubImage* f = image.Frames()[i];
        if (!f->IsEmpty() || f->ExtensionBlocks().Count() > 0) frames.push_back(f);
    }
    return frames;
}

// Compares what a re-saved image must keep; answers "" or the first difference.
std::string Difference(TGIFImage& have, TGIFImage& want) {
    const std::vector<const TGIFSubImage*> haveFrames = WritableFrames(have);
    const std::vector<const TGIFSubImage*> wantFrames = WritableFrames(want);
    if (haveFrames.size() != wantFrames.size())
        return "frames: have " + std::to_string(haveFrames.size()) + ", want " + std::to_string(wantFrames.size());
    if (Describe(have.GlobalColors()) != Describe(want.GlobalColors())) return "global colour table differs";
    if (have.Width() != want.Width() || have.Height() != want.Height()) return "screen size differs";
    for (std::size_t i = 0; i < wantFrames.size(); ++i) {
        const TGIFSubImage* a = haveFrames[i];
        const TGIFSubImage* b = wantFrames[i];
        const std::string at = "frame " + std::to_string(i) + ": ";
        if (!(a->FrameRect() == b->FrameRect())) return at + "rectangle differs";
        if (a->IsInterlaced() != b->IsInterlaced()) return at + "interlace differs";
        if (Describe(a->LocalColors()) != Describe(b->LocalColors())) return at + "local table differs";
        if (a->IsTransparent() != b->IsTransparent()) return at + "transparency differs";
        if (a->IsEmpty() != b->IsEmpty()) return at + "emptiness differs";
        if (!a->IsEmpty() && !std::equal(a->PixelData(), a->PixelData() + a->PixelDataSize(), b->PixelData()))
            return at + "pixels differ";
        if (a->ExtensionBlocks().Count() != b->ExtensionBlocks().Count()) return at + "extension count differs";
        const TGIFGraphicControlExtension* ga = a->ControlExtension();
        const TGIFGraphicControlExtension* gb = b->ControlExtension();
        if ((ga == nullptr) != (gb == nullptr)) return at + "control extension presence differs";
        if (ga && (ga->DelayTime != gb->DelayTime || ga->ControlFlags != gb->ControlFlags ||
                   ga->TransparentIndex() != gb->TransparentIndex()))
            return at + "control extension differs";
    }
    return "";
}
}  // namespace

TEST(ReaderData, EveryFileLoadsOrFailsCleanlyAndRoundTrips) {
    const std::vector<fs::path> files = TestGifFiles();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    int loaded = 0, refused = 0, resaved = 0;
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.string());
        const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
        TGIFImage image;
        int warnings = 0;
        image.OnWarn = [&](TPersistent*, int, const std::string&) { ++warnings; };
        try {
            TMemoryStream in(bytes.data(), bytes.size());
            image.LoadFromStream(in);
            ++loaded;
        } catch (const GIFException&) {
            ++refused;
            continue;
        } catch (const std::exception& e) {
            ADD_FAILURE() << "non-GIF exception: " << e.what();
            continue;
        }
        if (image.FileVersion() == gvUnknown) continue;  // no frames: nothing to write

        TMemoryStream out;
        try {
            image.SaveToStream(out);
        } catch (const GIFException& e) {
            // Only pixels outside every colour table may stop a re-save.
            EXPECT_STREQ(e.what(), "Color not in color table");
            continue;
        }
        TGIFImage back;
        out.SetPosition(0);
        back.LoadFromStream(out);
        EXPECT_EQ(Difference(back, image), "");
        ++resaved;
    }
    std::printf("%zu files: %d loaded, %d refused, %d re-saved\n", files.size(), loaded, refused, resaved);
}

// Damaged copies of well-formed files (bytes overwritten, cut short, spliced):
// every one must end in a model or a GIFException, and whatever loads must save.
TEST(ReaderData, DamagedCopiesFailCleanly) {
    std::vector<fs::path> files;
    for (const fs::path& p : TestGifFiles())
        if (p.string().find("afl") == std::string::npos && fs::file_size(p) < 64 * 1024) files.push_back(p);
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = ReadFileBytes(files[next() % files.size()]);
        if (bytes.empty()) continue;
        const int damage = static_cast<int>(next() % 3);
        if (damage == 0) {
            for (int k = 0, n = 1 + static_cast<int>(next() % 8); k < n; ++k)
                bytes[next() % bytes.size()] = static_cast<std::uint8_t>(next());
        } else if (damage == 1) {
            bytes.resize(next() % bytes.size());
        } else {
            const std::size_t at = next() % bytes.size();
            bytes.insert(bytes.begin() + static_cast<long>(at), bytes.begin(),
                         bytes.begin() + static_cast<long>(std::min<std::size_t>(bytes.size() - at, 40)));
        }
        TGIFImage image;
        try {
            TMemoryStream in(bytes.data(), bytes.size());
            image.LoadFromStream(in);
            ++loaded;
            TMemoryStream out;
            image.SaveToStream(out);
        } catch (const GIFException&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << "round " << round << ": non-GIF exception " << e.what();
        }
    }
    EXPECT_GT(loaded, 0);
}
