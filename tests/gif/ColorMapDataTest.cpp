// Colour map optimisation over every GIF of the shared test data: each visible
// pixel keeps its colour, transparent pixels stay transparent, and the single
// table that remains never exceeds 256 entries.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ColorMapTestSupport.h"
#include "gif/GIFImage.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> GifFiles() {
    std::vector<fs::path> files;
    const fs::path root = fs::path(REELIX_TESTDATA_DIR) / "gif";
    if (!fs::is_directory(root)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().extension() == ".gif") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Reads the file; false when this reader refuses it (broken files are the
// reader's business, not this test's).
bool Load(TGIFImage& image, const fs::path& file) {
    try {
        image.LoadFromFile(file.string());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

TEST(ColorMapData, EveryVisiblePixelKeepsItsColour) {
    const std::vector<fs::path> files = GifFiles();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    int checked = 0, tooManyColours = 0;
    for (const fs::path& file : files) {
        TGIFImage image;
        if (!Load(image, file) || image.Empty()) continue;
        const auto before = VisibleColors(image);
        const bool fits = ColorsInUse(before).size() <= 256;
        image.OptimizeColorMaps();
        EXPECT_LE(image.GlobalColors().Count(), 256) << file;
        for (int f = 0; f < image.Frames().Count(); ++f)
            EXPECT_TRUE(image.Frames()[f]->LocalColors().IsEmpty()) << file << " frame " << f;
        if (!fits) {
            ++tooManyColours;
            continue;
        }
        ++checked;
        const auto after = VisibleColors(image);
        ASSERT_EQ(after.size(), before.size()) << file;
        for (std::size_t f = 0; f < before.size(); ++f) {
            // A frame that had no colours at all is coloured by the new table now.
            if (!before[f].empty() && before[f][0] == -2) continue;
            int mismatches = 0;
            for (std::size_t p = 0; p < before[f].size() && mismatches < 3; ++p) {
                if (before[f][p] == -2) continue;
                if (after[f][p] != before[f][p]) {
                    ++mismatches;
                    ADD_FAILURE() << file << " frame " << f << " pixel " << p << ": have " << after[f][p] << ", want "
                                  << before[f][p];
                }
            }
        }
    }
    EXPECT_GT(checked, 50) << "too few files were read";
    std::printf("optimised %d files with up to 256 colours; %d with more checked for size only\n", checked,
                tooManyColours);
}

TEST(ColorMapData, OptimisedFilesSaveAndReadBackTheSame) {
    const std::vector<fs::path> files = GifFiles();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    int checked = 0;
    for (const fs::path& file : files) {
        TGIFImage image;
        if (!Load(image, file) || image.Empty()) continue;
        // Only well-formed pictures: every frame has pixels and colours for them.
        const auto before = VisibleColors(image);
        bool wellFormed = ColorsInUse(before).size() <= 256;
        for (int f = 0; f < image.Frames().Count(); ++f) {
            TGIFSubImage* frame = image.Frames()[f];
            wellFormed = wellFormed && !frame->IsEmpty() && frame->EffectiveColors()->Count() > 0;
        }
        if (!wellFormed) continue;
        image.OptimizeColorMaps();
        const auto optimised = VisibleColors(image);
        TMemoryStream stream;
        try {
            image.SaveToStream(stream);
        } catch (const std::exception& e) {
            ADD_FAILURE() << file << ": save failed: " << e.what();
            continue;
        }
        stream.SetPosition(0);
        TGIFImage back;
        back.LoadFromStream(stream);
        EXPECT_EQ(VisibleColors(back), optimised) << file;
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

}  // namespace
