// Reading GIF files: signatures, descriptors, tables, every error and warning,
// extensions of all kinds, and what stays in the image after a failure.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "gif/GIFImage.h"
#include "gif/GIFRecipe.h"
#include "support/WarningCollector.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
using Bytes = std::vector<std::uint8_t>;
using TEntry = TProgressCollector::TEntry;

void Load(TGIFImage& image, const Bytes& bytes) {
    TMemoryStream stream(bytes.data(), bytes.size());
    image.LoadFromStream(stream);
}

// Loads and answers the error text, or "" when loading succeeded.
std::string LoadError(TGIFImage& image, const Bytes& bytes) {
    try {
        Load(image, bytes);
    } catch (const GIFException& e) {
        return e.what();
    }
    return "";
}


std::vector<int> Pixels(const TGIFSubImage* frame) {
    return {frame->PixelData(), frame->PixelData() + frame->PixelDataSize()};
}

// A valid two-colour 2x2 image with a global table.
TGIFRecipe SmallImage() { return TGIFRecipe().Header(2, 2, 0x80).Table(2).Image(0, 0, 2, 2, {0, 1, 1, 0}); }
}  // namespace

TEST(GIFReader, ReadsHeaderTableAndOneFrame) {
    TGIFImage image;
    TWarningCollector warnings(image);
    Load(image, TGIFRecipe().Header(3, 2, 0x91, 1, 49).Table(4).Image(0, 0, 3, 2, {0, 1, 2, 3, 2, 1}).Trailer());
    EXPECT_THAT(warnings.Texts(), IsEmpty());
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(image.Header().ScreenFlags, 0x91);
    EXPECT_EQ(image.Header().BackgroundIndex, 1);
    EXPECT_EQ(image.Header().AspectRatio, 49);
    ASSERT_EQ(image.GlobalColors().Count(), 4) << "size code 1 means 4 entries";
    EXPECT_EQ(image.GlobalColors().GetColor(3), MakeColor(30, 60, 90));
    ASSERT_EQ(image.Frames().Count(), 1);
    EXPECT_THAT(Pixels(image.Frames()[0]), ElementsAre(0, 1, 2, 3, 2, 1));
}

TEST(GIFReader, SignatureTolerance) {
    const struct {
        const char* what;
        Bytes prefix;
        std::string signature;
        std::string error;
    } cases[] = {
        {"plain", {}, "GIF89a", ""},
        {"lower case", {}, "gif89a", ""},
        {"other version", {}, "GIF90z", ""},
        {"87a", {}, "GIF87a", ""},
        {"4-byte prefix", {1, 2, 3, 4}, "GIF89a", ""},
        {"3-byte prefix", {1, 2, 3}, "GIF89a", "Invalid GIF signature"},
        {"not a GIF", {}, "PNG89a", "Invalid GIF signature"},
    };
    for (const auto& c : cases) {
        Bytes file = c.prefix;
        const Bytes body = TGIFRecipe().Header(2, 2, 0x80, 0, 0, c.signature).Table(2)
                               .Image(0, 0, 2, 2, {0, 1, 1, 0}).Trailer();
        file.insert(file.end(), body.begin(), body.end());
        TGIFImage image;
        EXPECT_EQ(LoadError(image, file), c.error) << c.what;
        if (c.error.empty()) {
            EXPECT_EQ(image.Frames().Count(), 1) << c.what;
        }
    }
}

TEST(GIFReader, ShortFixedSizeReadsArePrematureEnd) {
    const Bytes full = SmallImage().Trailer();
    // Cut inside: the signature, the screen descriptor, the global table, the image descriptor.
    for (std::size_t cut : {4u, 9u, 15u, 22u}) {
        TGIFImage image;
        EXPECT_EQ(LoadError(image, Bytes(full.begin(), full.begin() + static_cast<long>(cut))),
                  "Premature end of data")
            << "cut at " << cut;
    }
}

TEST(GIFReader, FileCutInsideALaterFrameKeepsTheImagesBefore) {
    const Bytes full = SmallImage().GraphicControl(0, 5, 0).Descriptor(0, 0, 1, 1, 0x80).Table(2).ImageData({1})
                           .Trailer();
    const std::size_t first = SmallImage().Get().size();
    // Cut inside the descriptor, inside the local table.
    for (std::size_t cut : {first + 12, first + 20}) {
        TGIFImage image;
        TWarningCollector warnings(image);
        EXPECT_EQ(LoadError(image, Bytes(full.begin(), full.begin() + static_cast<long>(cut))), "") << cut;
        EXPECT_THAT(warnings.Texts(), ElementsAre("Premature end of data")) << cut;
        ASSERT_EQ(image.Frames().Count(), 1) << cut;
        EXPECT_EQ(image.Frames()[0]->PixelAt(1, 0), 1) << cut;
    }
}

TEST(GIFReader, FileCutInsideTheFirstImagesLocalTableKeepsTheImage) {
    // A 2 x 1 screen without a global table; the file ends after one and a
    // half of the local table's entries.
    const Bytes full = TGIFRecipe().Header(2, 1, 0).Descriptor(0, 0, 2, 1, 0x80).Table(2).ImageData({1, 0})
                           .Trailer();
    const std::size_t cut = 13 + 10 + 5;
    TGIFImage image;
    TWarningCollector warnings(image);
    ASSERT_EQ(LoadError(image, Bytes(full.begin(), full.begin() + static_cast<long>(cut))), "");
    EXPECT_THAT(warnings.Texts(), ElementsAre("Premature end of data"));
    ASSERT_EQ(image.Frames().Count(), 1);
    const TGIFColorMap& table = image.Frames()[0]->LocalColors();
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Entry(1).red, 10);
    EXPECT_EQ(table.Entry(1).green, 20);
    EXPECT_EQ(table.Entry(1).blue, 0) << "the missing byte is black";
    EXPECT_EQ(image.Frames()[0]->PixelAt(1, 0), 0) << "no data: the fill";
}

TEST(GIFReader, SortFlagsAreKept) {
    TGIFImage image;
    Load(image, TGIFRecipe().Header(1, 1, 0x88).Table(2).Descriptor(0, 0, 1, 1, 0xA0).Table(2).ImageData({1})
                    .Trailer());
    EXPECT_TRUE(image.GlobalColors().Sorted());
    EXPECT_TRUE(image.Frames()[0]->LocalColors().Sorted());
    EXPECT_EQ(image.Frames()[0]->LocalColors().Count(), 2);
}

TEST(GIFReader, ZeroSizedDescriptorTakesScreenSizeAndWarns) {
    TGIFImage image;
    TWarningCollector warnings(image);
    Load(image, TGIFRecipe().Header(2, 2, 0x80).Table(2).Image(0, 0, 0, 5, {1, 1, 1, 1}).Trailer());
    EXPECT_THAT(warnings.Texts(), ElementsAre("Image exceeds Logical Screen size"));
    const TGIFSubImage* frame = image.Frames()[0];
    EXPECT_EQ(frame->Width(), 2);
    EXPECT_EQ(frame->Height(), 2);
    EXPECT_THAT(Pixels(frame), ElementsAre(1, 1, 1, 1));
}

TEST(GIFReader, FrameBeyondScreenIsReadAsItStands) {
    TGIFImage image;
    TWarningCollector warnings(image);
    Load(image, TGIFRecipe().Header(2, 2, 0x80).Table(2).Image(1, 1, 3, 1, {1, 0, 1}).Trailer());
    EXPECT_THAT(warnings.Texts(), IsEmpty());
    EXPECT_EQ(image.Width(), 2) << "the screen is not grown while reading";
    EXPECT_EQ(image.Frames()[0]->FrameRect(), (TRect{1, 1, 4, 2}));
}

TEST(GIFReader, InterlacedRowsAreStoredInDisplayOrder) {
    TGIFImage image;
    // File order of a 1x4 interlaced frame: rows 0, 2, 1, 3.
    Load(image, TGIFRecipe().Header(1, 4, 0x81).Table(4).Image(0, 0, 1, 4, {0, 2, 1, 3}, 0x40).Trailer());
    EXPECT_TRUE(image.Frames()[0]->IsInterlaced());
    EXPECT_THAT(Pixels(image.Frames()[0]), ElementsAre(0, 1, 2, 3));
}

TEST(GIFReader, TruncatedImageDataKeepsFrameWithFillAndWarns) {
    const struct {
        bool transparent;
        int wantFill;
    } cases[] = {{false, 0}, {true, 3}};
    for (const auto& c : cases) {
        TGIFRecipe recipe;
        recipe.Header(4, 4, 0x81).Table(4);
        if (c.transparent) recipe.GraphicControl(0x01, 0, 3);
        recipe.Descriptor(0, 0, 4, 4).Raw({2, 5});
        // A sub-block announced as 5 bytes of which only the first 2 remain.
        const Bytes codes = TGIFRecipe::LiteralCodes(std::vector<int>(16, 1), 2);
        recipe.Raw({codes[0], codes[1]});
        TGIFImage image;
        TWarningCollector warnings(image);
        EXPECT_EQ(LoadError(image, recipe), "") << "transparent " << c.transparent;
        ASSERT_EQ(image.Frames().Count(), 1);
        EXPECT_FALSE(warnings.Empty());
        const std::vector<int> pixels = Pixels(image.Frames()[0]);
        EXPECT_EQ(pixels.front(), 1);
        EXPECT_EQ(pixels.back(), c.wantFill) << "transparent " << c.transparent;
    }
}

TEST(GIFReader, HugeDescriptorInTinyFileIsRefusedBeforeAllocating) {
    TGIFImage image;
    const Bytes file = SmallImage().Image(0, 0, 65535, 65535, {0}).Trailer();
    // Over the pixel budget: refused by its size before anything else.
    EXPECT_EQ(LoadError(image, file), "Image too large");
    EXPECT_EQ(image.Frames().Count(), 1) << "the frame before stays";
}

// Files that browsers show although they bend the format: each is read as a
// browser reads it, with the format's complaint as a warning.
TEST(GIFReader, EmptyScreenTakesTheFramesSize) {
    TGIFImage image;
    TWarningCollector warnings(image);
    const Bytes file = TGIFRecipe().Header(0, 0, 0x80).Table(2).Image(1, 2, 3, 2, {1, 1, 1, 0, 0, 0}).Trailer();
    EXPECT_EQ(LoadError(image, file), "");
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.Height(), 4);
    EXPECT_THAT(warnings.Texts(), ElementsAre("Image exceeds Logical Screen size"));
}

TEST(GIFReader, UnknownTopLevelBlockWarnsTwiceAndKeepsFrames) {
    TGIFImage image;
    TWarningCollector warnings(image);
    EXPECT_EQ(LoadError(image, SmallImage().Raw({0x40}).Image(0, 0, 1, 1, {0}).Trailer()), "");
    EXPECT_THAT(warnings.Texts(), ElementsAre("Unknown GIF block type", "Invalid Image trailer"));
    EXPECT_EQ(warnings.Entries()[0].sender, &image.Frames());
    EXPECT_EQ(image.Frames().Count(), 1);
}

TEST(GIFReader, TrailerMayBeMissingAndZeroPaddingIsSkipped) {
    TGIFImage image;
    TWarningCollector warnings(image);
    Load(image, SmallImage());
    EXPECT_EQ(image.Frames().Count(), 1);
    Load(image, SmallImage().Raw({0, 0, 0}).Image(0, 0, 1, 1, {1}).Raw({0}).Trailer());
    EXPECT_EQ(image.Frames().Count(), 2);
    EXPECT_THAT(warnings.Texts(), IsEmpty());
}

TEST(GIFReader, UnknownExtensionIsSteppedOverWithAWarning) {
    // Label 0x02 is no extension of the format; its sub-blocks are skipped and
    // the image after it is read as browsers show it.
    TGIFImage image;
    TWarningCollector warnings(image);
    const Bytes file = SmallImage().Raw({0x21, 0x02, 1, 'x', 2, ',', ';', 0}).Image(0, 0, 1, 1, {1}).Trailer();
    EXPECT_EQ(LoadError(image, file), "");
    EXPECT_THAT(warnings.Texts(), ElementsAre("Unknown extension type"));
    ASSERT_EQ(image.Frames().Count(), 2);
    EXPECT_EQ(image.Frames()[1]->ExtensionBlocks().Count(), 0);
    EXPECT_EQ(image.Frames()[1]->PixelAt(0, 0), 1);
    // Cut off inside its sub-blocks: the frames before stay.
    EXPECT_EQ(LoadError(image, SmallImage().Raw({0x21, 0x02, 9, 'x'})), "");
    ASSERT_EQ(image.Frames().Count(), 2);
    EXPECT_FALSE(image.Frames()[0]->IsEmpty());
    EXPECT_TRUE(image.Frames()[1]->IsEmpty());
}

TEST(GIFReader, ExtensionsBeforeStrayZerosBelongToTheNextImage) {
    TGIFImage image;
    TWarningCollector warnings(image);
    Load(image, TGIFRecipe().Header(1, 1, 0x80).Table(2).GraphicControl(0, 7, 0).Raw({0, 0})
                    .Comment({"c"}).Image(0, 0, 1, 1, {1}).Trailer());
    EXPECT_THAT(warnings.Texts(), ElementsAre("Invalid extension introducer"));
    ASSERT_EQ(image.Frames().Count(), 1);
    EXPECT_EQ(image.Frames()[0]->ControlExtension()->DelayTime, 7);
    EXPECT_EQ(image.Frames()[0]->ExtensionBlocks().Count(), 2);
    EXPECT_EQ(image.Frames()[0]->PixelAt(0, 0), 1);
}

TEST(GIFReader, ByteThatStartsNoBlockAfterExtensionsEndsReading) {
    // Browsers stop where a block should start and none does; the byte is not
    // taken for an image separator.
    TGIFImage image;
    TWarningCollector warnings(image);
    Load(image, SmallImage().GraphicControl(0, 5, 0).Raw({0x40}).Image(0, 0, 1, 1, {1}).Trailer());
    EXPECT_THAT(warnings.Texts(),
                ElementsAre("Invalid extension introducer", "Unknown GIF block type", "Invalid Image trailer"));
    ASSERT_EQ(image.Frames().Count(), 2);
    EXPECT_FALSE(image.Frames()[0]->IsEmpty());
    EXPECT_TRUE(image.Frames()[1]->IsEmpty());
}

TEST(GIFReader, GraphicControlBlockIsReadByItsOwnSize) {
    struct TCase {
        std::vector<int> block;  // size byte, body and terminator
        int delay;
        bool transparent;
    };
    const TCase cases[] = {
        {{3, 0x01, 20, 0, 0}, 20, true},                   // no index: 0
        {{5, 0x01, 30, 0, 1, 0x77, 0}, 30, true},          // a fifth byte ignored
        {{4, 0x00, 40, 0, 1, 2, 'x', 'y', 0}, 40, false},  // a further sub-block skipped
        {{0, 0}, 0, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.block.size());
        TGIFRecipe recipe = TGIFRecipe().Header(1, 1, 0x80).Table(2).Raw({0x21, 0xF9});
        for (int b : c.block) recipe.Raw({b});
        TGIFImage image;
        TWarningCollector warnings(image);
        Load(image, recipe.Image(0, 0, 1, 1, {1}).Trailer());
        EXPECT_THAT(warnings.Texts(), IsEmpty());
        ASSERT_EQ(image.Frames().Count(), 1);
        TGIFSubImage* frame = image.Frames()[0];
        ASSERT_NE(frame->ControlExtension(), nullptr);
        EXPECT_EQ(frame->ControlExtension()->DelayTime, c.delay);
        EXPECT_EQ(frame->IsTransparent(), c.transparent);
        EXPECT_EQ(frame->PixelAt(0, 0), 1);
    }
}

TEST(GIFReader, LastGraphicControlBlockBeforeAnImageWins) {
    TGIFImage image;
    TWarningCollector warnings(image);
    Load(image, TGIFRecipe().Header(1, 1, 0x80).Table(2).GraphicControl(0x01, 20, 1).Comment({"c"})
                    .GraphicControl(0x08, 30, 0).Image(0, 0, 1, 1, {1}).Trailer());
    EXPECT_THAT(warnings.Texts(), ElementsAre("Invalid GIF data"));
    const TGIFSubImage* frame = image.Frames()[0];
    ASSERT_EQ(frame->ExtensionBlocks().Count(), 2);
    ASSERT_NE(frame->ControlExtension(), nullptr);
    EXPECT_EQ(frame->ControlExtension(), frame->ExtensionBlocks()[1]);
    EXPECT_EQ(frame->ControlExtension()->DelayTime, 30);
    EXPECT_EQ(frame->ControlExtension()->DisposalMethod(), dispBackground);
    EXPECT_FALSE(frame->IsTransparent());
}

TEST(GIFReader, CodeSizeZeroReadsTheOneLiteral) {
    TGIFImage image;
    TWarningCollector warnings(image);
    // Clear (1) and the literal 0 as 1-bit codes, then End (2) in 2 bits: 0b10'0'1.
    Load(image, TGIFRecipe().Header(1, 1, 0x80).Table(2).Descriptor(0, 0, 1, 1).Raw({0, 1, 0x09, 0}).Trailer());
    EXPECT_THAT(warnings.Texts(), IsEmpty());
    ASSERT_EQ(image.Frames().Count(), 1);
    EXPECT_EQ(image.Frames()[0]->PixelAt(0, 0), 0);
}

TEST(GIFReader, GraphicControlFieldsAndTransparency) {
    TGIFImage image;
    Load(image, TGIFRecipe().Header(1, 1, 0x80).Table(2).GraphicControl(0x0B, 300, 1).Image(0, 0, 1, 1, {0})
                    .Trailer());
    const TGIFSubImage* frame = image.Frames()[0];
    const TGIFGraphicControlExtension* gce = frame->ControlExtension();
    ASSERT_NE(gce, nullptr);
    EXPECT_EQ(gce->DelayTime, 300);
    EXPECT_EQ(gce->DisposalMethod(), dispBackground);
    EXPECT_TRUE(gce->WaitForInput());
    EXPECT_TRUE(gce->UsesTransparency());
    EXPECT_TRUE(frame->IsTransparent());
    EXPECT_EQ(gce->TransparentIndex(), 1);
}

TEST(GIFReader, ShortGraphicControlAtEndOfDataOnlyWarns) {
    TGIFImage image;
    TWarningCollector warnings(image);
    EXPECT_EQ(LoadError(image, SmallImage().Raw({0x21, 0xF9, 4, 1})), "");
    EXPECT_THAT(warnings.Texts(), ElementsAre("Premature end of data"));
    ASSERT_EQ(image.Frames().Count(), 2);
    EXPECT_TRUE(image.Frames()[1]->IsEmpty());
}

TEST(GIFReader, CommentBlocksBecomeLinesCutAtNul) {
    TGIFImage image;
    Load(image, SmallImage().Comment({"first", std::string("sec\0ond", 7), "third"}).Trailer());
    ASSERT_EQ(image.Frames().Count(), 2) << "a trailing comment is a frame without image";
    auto* comment = image.Frames()[1]->FindExtension<TGIFCommentExtension>();
    ASSERT_NE(comment, nullptr);
    EXPECT_THAT(comment->Lines, ElementsAre("first", "sec", "third"));
}

TEST(GIFReader, ApplicationBlockSizes) {
    const struct {
        const char* what;
        Bytes block;
        std::string error;
        const char* wantClass;
        std::string wantIdent;
    } cases[] = {
        {"size 10 takes the next byte into the identifier",
         TGIFRecipe().Raw({0x21, 0xFF, 10}).Text("ABCDEFGHIJ").Raw({2, 'x', 'y', 0}).Get(), "",
         "TGIFUnknownAppExtension", std::string("ABCDEFGHIJ\x02")},
        {"size 13 skips the excess", TGIFRecipe().Raw({0x21, 0xFF, 13}).Text("NETSCAPE2.0zz").Raw({2, 'x', 'y', 0}).Get(),
         "", "TGIFUnknownAppExtension", "NETSCAPE2.0"},
        // Too short for an identifier: stepped over (with a warning), as browsers do.
        {"size 9 is stepped over", TGIFRecipe().Raw({0x21, 0xFF, 9}).Text("ABCDEFGHI").Raw({1, ',', 0}).Get(), "",
         nullptr, ""},
        {"unregistered identifier", TGIFRecipe().Raw({0x21, 0xFF, 11}).Text("XMP DataXMP").Raw({2, 'x', 'y', 0}).Get(),
         "", "TGIFUnknownAppExtension", "XMP DataXMP"},
        {"loop", TGIFRecipe().Loop(5).Get(), "", "TGIFAppExtNSLoop", "NETSCAPE2.0"},
        // Short looping or buffer sub-blocks are ignored (with a warning), as browsers do.
        {"loop sub-block too short", TGIFRecipe().Raw({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Raw({2, 1, 5, 0}).Get(),
         "", "TGIFAppExtNSLoop", "NETSCAPE2.0"},
        {"buffer sub-block too short",
         TGIFRecipe().Raw({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Raw({4, 2, 5, 0, 0, 0}).Get(), "", "TGIFAppExtNSLoop",
         "NETSCAPE2.0"},
    };
    for (const auto& c : cases) {
        TGIFImage image;
        TGIFRecipe recipe = TGIFRecipe().Header(1, 1, 0x80).Table(2);
        Bytes file = recipe.Get();
        file.insert(file.end(), c.block.begin(), c.block.end());
        const Bytes rest = TGIFRecipe().Image(0, 0, 1, 1, {1}).Trailer();
        file.insert(file.end(), rest.begin(), rest.end());
        EXPECT_EQ(LoadError(image, file), c.error) << c.what;
        if (!c.error.empty()) {
            EXPECT_EQ(image.Frames().Count(), 0) << c.what;
            continue;
        }
        ASSERT_EQ(image.Frames().Count(), 1) << c.what;
        TGIFSubImage* frame = image.Frames()[0];
        if (!c.wantClass) {
            EXPECT_EQ(frame->ExtensionBlocks().Count(), 0) << c.what;
            EXPECT_EQ(frame->PixelAt(0, 0), 1) << c.what << ": the image after it is found";
            continue;
        }
        ASSERT_EQ(frame->ExtensionBlocks().Count(), 1) << c.what;
        auto* app = dynamic_cast<TGIFApplicationExtension*>(frame->ExtensionBlocks()[0]);
        ASSERT_NE(app, nullptr) << c.what;
        EXPECT_STREQ(app->ClassName(), c.wantClass) << c.what;
        EXPECT_EQ(app->AppIdentText(), c.wantIdent) << c.what;
        EXPECT_EQ(frame->PixelAt(0, 0), 1) << c.what << ": the image after it is found";
        if (auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(app)) {
            ASSERT_EQ(unknown->DataBlocks.size(), 1u) << c.what;
            EXPECT_THAT(unknown->DataBlocks[0].Data, ElementsAre('x', 'y')) << c.what;
        }
    }
}

TEST(GIFReader, LoopExtensionWithBufferSizeAndOtherSubBlocks) {
    TGIFImage image;
    Load(image, TGIFRecipe().Header(1, 1, 0x80).Table(2).Raw({0x21, 0xFF, 11}).Text("ANIMEXTS1.0")
                    .Raw({3, 1, 0x34, 0x12, 5, 2, 1, 2, 3, 4, 2, 7, 7, 0}).Image(0, 0, 1, 1, {0}).Trailer());
    auto* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->LoopCount, 0x1234);
    EXPECT_EQ(loop->BufferSize, 0x04030201u);
    EXPECT_EQ(loop->AppIdentText(), "ANIMEXTS1.0");
}

TEST(GIFReader, PlainTextExtensionFields) {
    TGIFImage image;
    Load(image, TGIFRecipe().Header(1, 1, 0x80).Table(2).Raw({0x21, 0x01, 12}).U16(1).U16(2).U16(3).U16(4)
                    .Raw({5, 6, 7, 8}).SubBlocks({"hi"}).Raw({0}).Image(0, 0, 1, 1, {0}).Trailer());
    auto* text = image.Frames()[0]->FindExtension<TGIFTextExtension>();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GridLeft, 1);
    EXPECT_EQ(text->GridHeight, 4);
    EXPECT_EQ(text->CellWidth, 5);
    EXPECT_EQ(text->TextBackgroundIndex, 8);
    EXPECT_THAT(text->Lines, ElementsAre("hi"));
}

TEST(GIFReader, ProgressReportsStagesAndPositions) {
    const Bytes file = SmallImage().Image(0, 0, 1, 1, {0}).Trailer();
    TGIFImage image;
    TProgressCollector progress(image);
    Load(image, file);
    ASSERT_EQ(progress.Entries().size(), 4u);
    EXPECT_EQ(progress.Entries()[0], (TEntry{psStarting, 0, false, "Loading..."}));
    EXPECT_EQ(progress.Entries()[1].stage, psRunning);
    EXPECT_EQ(progress.Entries()[1].percent, static_cast<int>(SmallImage().Get().size() * 100 / file.size()));
    EXPECT_EQ(progress.Entries()[2], (TEntry{psRunning, static_cast<int>((file.size() - 1) * 100 / file.size()),
                                             false, "Loading..."}));
    EXPECT_EQ(progress.Entries()[3], (TEntry{psEnding, 100, false, "Loading..."}));
}

TEST(GIFReader, LoadingClearsThePreviousContent) {
    TGIFImage image;
    Load(image, SmallImage().Image(0, 0, 1, 1, {0}).Trailer());
    EXPECT_EQ(LoadError(image, TGIFRecipe().Text("junkjunkjunk")), "Invalid GIF signature");
    EXPECT_EQ(image.Frames().Count(), 0);
}

TEST(GIFReader, RenderOnLoadRendersEachFrameAndAsksForRedraw) {
    TGIFSettings::RenderOnLoad = true;
    TGIFImage image;
    TProgressCollector progress(image);
    Load(image, SmallImage().Trailer());
    TGIFSettings::RenderOnLoad = false;
    ASSERT_EQ(image.Frames().Count(), 1);
    EXPECT_NE(image.Frames()[0]->CachedBitmap, nullptr);
    bool redrawAsked = false;
    for (const TEntry& e : progress.Entries())
        if (e.text == "Loading..." && e.stage == psRunning) redrawAsked = e.redraw;
    EXPECT_TRUE(redrawAsked);
}
