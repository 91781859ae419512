// Cross-check with giflib: for every test GIF that giflib's DGifSlurp reads
// completely, our model holds the same frames (indices, colour tables,
// positions, delays, disposal, transparency). Where the two read a file
// differently because their policies differ, the file and the reason are
// listed instead of failing; an unexplained difference fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gif/GIFImage.h"
#include "support/TestData.h"

#if __has_include(<gif_lib.h>)
#include "support/GiflibFile.h"
#define REELIX_CROSS_GIFLIB 1
#endif

namespace fs = std::filesystem;

#ifdef REELIX_CROSS_GIFLIB
namespace {
std::string CompareTable(const TGIFColorMap& ours, const ColorMapObject* theirs) {
    const int theirCount = theirs ? theirs->ColorCount : 0;
    if (ours.Count() != theirCount)
        return "table size: have " + std::to_string(ours.Count()) + ", want " + std::to_string(theirCount);
    for (int i = 0; i < theirCount; ++i) {
        const GifColorType& c = theirs->Colors[i];
        const TGIFRGB& e = ours.Entry(i);
        if (e.red != c.Red || e.green != c.Green || e.blue != c.Blue) return "table entry " + std::to_string(i);
    }
    return "";
}

// "" when the models agree, else the first difference.
std::string Compare(TGIFImage& image, GifFileType* gif) {
    if (image.Width() != gif->SWidth || image.Height() != gif->SHeight) return "screen size";
    if (image.Header().BackgroundIndex != gif->SBackGroundColor) return "background index";
    if (std::string d = CompareTable(image.GlobalColors(), gif->SColorMap); !d.empty()) return "global " + d;
    // giflib keeps only frames with an image; ours also keeps extension-only ones.
    std::vector<TGIFSubImage*> frames;
    for (int i = 0; i < image.Frames().Count(); ++i)
        if (!image.Frames()[i]->IsEmpty()) frames.push_back(image.Frames()[i]);
    if (static_cast<int>(frames.size()) != gif->ImageCount)
        return "frames: have " + std::to_string(frames.size()) + ", want " + std::to_string(gif->ImageCount);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& theirs = gif->SavedImages[i];
        TGIFSubImage* ours = frames[static_cast<std::size_t>(i)];
        const std::string at = "frame " + std::to_string(i) + ": ";
        const GifImageDesc& d = theirs.ImageDesc;
        if (ours->Left() != d.Left || ours->Top() != d.Top || ours->Width() != d.Width || ours->Height() != d.Height)
            return at + "rectangle";
        if (ours->IsInterlaced() != d.Interlace) return at + "interlace";
        if (std::string t = CompareTable(ours->LocalColors(), d.ColorMap); !t.empty()) return at + "local " + t;
        if (!std::equal(ours->PixelData(), ours->PixelData() + ours->PixelDataSize(), theirs.RasterBits))
            return at + "pixels";
        // Where a frame has several control blocks, browsers apply the last one.
        const ExtensionBlock* lastControl = nullptr;
        for (int e = 0; e < theirs.ExtensionBlockCount; ++e)
            if (theirs.ExtensionBlocks[e].Function == GRAPHICS_EXT_FUNC_CODE) lastControl = &theirs.ExtensionBlocks[e];
        GraphicsControlBlock gcb;
        const bool hasGcb =
            lastControl && DGifExtensionToGCB(static_cast<size_t>(lastControl->ByteCount), lastControl->Bytes, &gcb) == GIF_OK;
        const TGIFGraphicControlExtension* gce = ours->ControlExtension();
        if (hasGcb != (gce != nullptr)) return at + "control extension presence";
        if (!gce) continue;
        if (gce->DelayTime != gcb.DelayTime) return at + "delay";
        if (gce->DisposalMethod() != gcb.DisposalMode) return at + "disposal";
        if (gce->WaitForInput() != gcb.UserInputFlag) return at + "user input";
        const int ourTransparent = ours->IsTransparent() ? gce->TransparentIndex() : -1;
        if (ourTransparent != gcb.TransparentColor) return at + "transparency";
    }
    return "";
}
}  // namespace
#endif

TEST(GiflibCross, FramesAgreeWhereGiflibReadsTheWholeFile) {
#ifndef REELIX_CROSS_GIFLIB
    GTEST_SKIP() << "giflib not available";
#else
    const std::vector<fs::path> files = TestGifFiles();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    int compared = 0, agreed = 0;
    std::vector<std::string> policy;
    for (const fs::path& path : files) {
        TGiflibFile theirs(path);
        if (!theirs.ok) {
            // giflib gives up on the whole file; we may keep what was readable.
            TGIFImage image;
            std::string firstWarning;
            image.OnWarn = [&](TPersistent*, int, const std::string& text) {
                if (firstWarning.empty()) firstWarning = text;
            };
            try {
                image.LoadFromFile(path.string());
                const char* why = theirs.gif ? GifErrorString(theirs.gif->Error) : "cannot open";
                policy.push_back(fs::relative(path, REELIX_TESTDATA_DIR).string() + ": giflib refuses (" +
                                 (why ? why : "?") + "), we keep " + std::to_string(image.Frames().Count()) +
                                 " frame(s)" + (firstWarning.empty() ? "" : " after warning \"" + firstWarning + "\""));
            } catch (const GIFException&) {
            }
            continue;
        }
        ++compared;
        TGIFImage image;
        std::vector<std::string> warnings;
        image.OnWarn = [&](TPersistent*, int, const std::string& text) { warnings.push_back(text); };
        std::string outcome;
        try {
            image.LoadFromFile(path.string());
            outcome = Compare(image, theirs.gif);
        } catch (const GIFException& e) {
            outcome = std::string("we refuse: ") + e.what();
        }
        if (outcome.empty()) {
            ++agreed;
            continue;
        }
        // We read damaged files by other rules: a warning or an error names the damage.
        const std::string reason = !warnings.empty() ? outcome + " (after warning \"" + warnings.front() + "\")"
                                                     : outcome;
        if (warnings.empty() && outcome.rfind("we refuse: ", 0) != 0) {
            ADD_FAILURE() << path.string() << ": " << outcome;
        } else {
            policy.push_back(fs::relative(path, REELIX_TESTDATA_DIR).string() + ": " + reason);
        }
    }
    std::printf("giflib read %d files completely; %d agree; policy differences:\n", compared, agreed);
    for (const std::string& p : policy) std::printf("  %s\n", p.c_str());
    EXPECT_GT(agreed, 0);
#endif
}
