// Writing GIF files: version choice, screen and descriptor flags, table padding,
// extension layouts byte for byte, and round trips through the reader.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "gif/GIFImage.h"
#include "gif/GIFRecipe.h"
#include "support/FrameBuilders.h"
#include "support/WarningCollector.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {
using Bytes = std::vector<std::uint8_t>;
using TEntry = TProgressCollector::TEntry;

Bytes Save(TGIFImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.TakeBytes();
}

void Load(TGIFImage& image, const Bytes& bytes) {
    TMemoryStream stream(bytes.data(), bytes.size());
    image.LoadFromStream(stream);
}

TGIFSubImage* AddFrame(TGIFImage& image, int left, int top, int width, int height, int localColors = 0) {
    TGIFSubImage* frame = AddPlacedFrame(image, left, top, width, height);
    for (int i = 0; i < localColors; ++i) frame->LocalColors().AddColor(MakeColor(std::uint8_t(i), 1, 2));
    return frame;
}

// Bytes written for one extension on its own.
Bytes ExtensionBytes(TGIFExtension& ext) {
    TMemoryStream stream;
    ext.SaveToStream(stream);
    return stream.TakeBytes();
}

std::string SaveError(TGIFImage& image) {
    try {
        Save(image);
    } catch (const GIFException& e) {
        return e.what();
    }
    return "";
}
}  // namespace

TEST(GIFWriter, ImageWithoutFramesIsRefused) {
    TGIFImage image;
    TProgressCollector progress(image);
    EXPECT_EQ(SaveError(image), "Unsupported GIF version");
    EXPECT_EQ(progress.Entries().back(), (TEntry{psEnding, 0, false, "Saving..."}));
}

TEST(GIFWriter, VersionFollowsWhatTheFramesNeed) {
    const struct {
        const char* what;
        bool control, sortedLocal, sortedGlobal;
        const char* want;
    } cases[] = {
        {"local table only", false, false, false, "GIF87a"},
        {"graphic control", true, false, false, "GIF89a"},
        {"sorted local table", false, true, false, "GIF89a"},
        {"sorted global table alone", false, false, true, "GIF87a"},
    };
    for (const auto& c : cases) {
        TGIFImage image;
        image.GlobalColors().AddColor(1);
        image.GlobalColors().AddColor(2);
        image.GlobalColors().SetSorted(c.sortedGlobal);
        TGIFSubImage* frame = AddFrame(image, 0, 0, 1, 1, 2);
        frame->LocalColors().SetSorted(c.sortedLocal);
        if (c.control) AddExtension<TGIFGraphicControlExtension>(frame);
        const Bytes out = Save(image);
        EXPECT_EQ(std::string(out.begin(), out.begin() + 6), c.want) << c.what;
    }
}

TEST(GIFWriter, SingleLocalTableFrameWrites87aWithoutGlobalFlag) {
    TGIFImage image;
    AddFrame(image, 0, 0, 2, 1, 5);
    const Bytes out = Save(image);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "GIF87a");
    const std::uint8_t screenFlags = out[10];
    EXPECT_EQ(screenFlags & 0x80, 0);
    EXPECT_EQ((screenFlags >> 4) & 7, 2) << "resolution from the local table: depth 3 - 1";
    EXPECT_EQ(screenFlags & 7, 2) << "size code from the deepest table";
    // Descriptor right after the screen descriptor; the 5-colour table is 8 triples.
    ASSERT_EQ(out[13], 0x2C);
    const std::uint8_t flags = out[22];
    EXPECT_EQ(flags, 0x82);
    const Bytes padding(out.begin() + 23 + 15, out.begin() + 23 + 24);
    EXPECT_THAT(padding, ElementsAreArray(Bytes(9, 0))) << "three zero triples";
    EXPECT_EQ(out[23 + 24], 3) << "code size byte = table depth";
}

TEST(GIFWriter, ScreenFlagsFromTheGlobalTable) {
    const struct {
        int globalColors;
        bool sorted;
        int localColors;
        std::uint8_t want;
    } cases[] = {
        {2, false, 0, 0x80},           // depth 1: resolution 0, size 0
        {4, true, 0, 0x99},            // depth 2, sorted
        {4, false, 200, 0xF1},         // resolution from the 8-bit local table, size from the global
        {256, false, 0, 0xF7},
        {0, false, 0, 0x77},           // no tables at all: 7 in the resolution bits, size code 7
    };
    for (const auto& c : cases) {
        TGIFImage image;
        for (int i = 0; i < c.globalColors; ++i) image.GlobalColors().AddColor(TColor(i));
        image.GlobalColors().SetSorted(c.sorted);
        AddFrame(image, 0, 0, 1, 1, c.localColors);
        const Bytes out = Save(image);
        EXPECT_EQ(out[10], c.want) << "global " << c.globalColors << " local " << c.localColors;
        EXPECT_EQ(image.Header().ScreenFlags, c.want) << "the model keeps what was written";
    }
}

TEST(GIFWriter, DescriptorFlagsKeepInterlaceAndReservedBits) {
    TGIFImage image;
    TGIFSubImage* frame = AddFrame(image, 0, 0, 3, 3, 4);
    frame->SetDescriptorFlags(0x18 | 0x07);  // reserved bits and a stale size code
    frame->SetInterlaced(true);
    frame->LocalColors().SetSorted(true);
    Save(image);
    EXPECT_EQ(frame->DescriptorFlags(), 0x80 | 0x40 | 0x20 | 0x18 | 0x01);
    frame->LocalColors().ClearColors();
    image.GlobalColors().AddColor(1);
    Save(image);
    EXPECT_EQ(frame->DescriptorFlags(), 0x40 | 0x18) << "no local table: table bits cleared";
}

TEST(GIFWriter, InterlacedFrameRoundTrips) {
    TGIFImage image;
    TGIFSubImage* frame = AddFrame(image, 0, 0, 2, 3, 4);
    frame->SetInterlaced(true);
    const std::uint8_t pixels[] = {0, 1, 2, 3, 3, 2};
    std::copy(std::begin(pixels), std::end(pixels), frame->PixelData());
    const Bytes out = Save(image);
    EXPECT_EQ(out[13 + 9] & 0x40, 0x40);
    TGIFImage back;
    Load(back, out);
    ASSERT_EQ(back.Frames().Count(), 1);
    EXPECT_TRUE(back.Frames()[0]->IsInterlaced());
    EXPECT_THAT(Bytes(back.Frames()[0]->PixelData(), back.Frames()[0]->PixelData() + 6), ElementsAreArray(pixels));
}

TEST(GIFWriter, GraphicControlLayout) {
    TGIFImage image;
    TGIFSubImage* frame = AddFrame(image, 0, 0, 1, 1, 4);
    auto* gce = AddExtension<TGIFGraphicControlExtension>(frame);
    gce->SetDisposalMethod(dispPrevious);
    gce->SetUsesTransparency(true);
    gce->SetTransparentIndex(2);
    gce->DelayTime = 0x0102;
    EXPECT_THAT(ExtensionBytes(*gce), ElementsAre(0x21, 0xF9, 4, 0x0D, 0x02, 0x01, 2, 0));
}

TEST(GIFWriter, LongCommentIsCutInto255ByteBlocksAndReadsBackAsThreeLines) {
    TGIFImage image;
    TGIFSubImage* frame = AddFrame(image, 0, 0, 1, 1, 2);
    auto* comment = AddExtension<TGIFCommentExtension>(frame);
    std::string line(600, 'a');
    for (std::size_t i = 0; i < line.size(); ++i) line[i] = char('a' + i % 26);
    comment->Lines = {line, ""};  // the empty line writes nothing
    const Bytes out = ExtensionBytes(*comment);
    ASSERT_EQ(out.size(), 2u + 1 + 255 + 1 + 255 + 1 + 90 + 1);
    EXPECT_EQ(out[2], 255);
    EXPECT_EQ(out[2 + 256], 255);
    EXPECT_EQ(out[2 + 512], 90);
    EXPECT_EQ(out.back(), 0);

    TGIFImage back;
    Load(back, Save(image));
    auto* read = back.Frames()[0]->FindExtension<TGIFCommentExtension>();
    ASSERT_NE(read, nullptr);
    EXPECT_THAT(read->Lines, ElementsAre(line.substr(0, 255), line.substr(255, 255), line.substr(510)));
}

TEST(GIFWriter, LoopExtensionIs19BytesWithoutBufferSize) {
    TGIFImage image;
    TGIFSubImage* frame = AddFrame(image, 0, 0, 1, 1, 2);
    auto* loop = AddExtension<TGIFAppExtNSLoop>(frame);
    loop->LoopCount = 0x0203;
    Bytes want = TGIFRecipe().Raw({0x21, 0xFF, 0x0B}).Text("NETSCAPE2.0").Raw({3, 1, 3, 2, 0});
    EXPECT_THAT(ExtensionBytes(*loop), ElementsAreArray(want));
    EXPECT_EQ(want.size(), 19u);
    loop->BufferSize = 0x01020304;
    want = TGIFRecipe().Raw({0x21, 0xFF, 0x0B}).Text("NETSCAPE2.0").Raw({3, 1, 3, 2, 5, 2, 4, 3, 2, 1, 0});
    EXPECT_THAT(ExtensionBytes(*loop), ElementsAreArray(want));
}

TEST(GIFWriter, PlainTextLayout) {
    TGIFImage image;
    TGIFSubImage* frame = AddFrame(image, 0, 0, 1, 1, 2);
    auto* text = AddExtension<TGIFTextExtension>(frame);
    text->GridLeft = 0x0102;
    text->GridTop = 3;
    text->GridWidth = 4;
    text->GridHeight = 5;
    text->CellWidth = 6;
    text->CellHeight = 7;
    text->ForegroundIndex = 1;
    text->TextBackgroundIndex = 0;
    text->Lines = {"ab"};
    EXPECT_THAT(ExtensionBytes(*text),
                ElementsAre(0x21, 0x01, 12, 2, 1, 3, 0, 4, 0, 5, 0, 6, 7, 1, 0, 2, 'a', 'b', 0));
}

namespace {
// Loads `file`, saves, loads again: the extension layouts must survive.
Bytes ResaveOf(const Bytes& file) {
    TGIFImage image;
    Load(image, file);
    return Save(image);
}
}  // namespace

TEST(GIFWriter, ApplicationExtensionsRoundTrip) {
    const auto head = [] { return TGIFRecipe().Header(1, 1, 0x80).Table(2); };
    const auto tail = [] { return TGIFRecipe().Image(0, 0, 1, 1, {1}).Trailer(); };
    const struct {
        const char* what;
        Bytes block;
        Bytes want;
    } cases[] = {
        {"ANIMEXTS1.0 keeps its identifier",
         TGIFRecipe().Raw({0x21, 0xFF, 11}).Text("ANIMEXTS1.0").Raw({3, 1, 9, 0, 0}),
         TGIFRecipe().Raw({0x21, 0xFF, 11}).Text("ANIMEXTS1.0").Raw({3, 1, 9, 0, 0})},
        {"block size 10 is written as 11",
         TGIFRecipe().Raw({0x21, 0xFF, 10}).Text("ABCDEFGHIJ").Raw({2, 'x', 'y', 0}),
         TGIFRecipe().Raw({0x21, 0xFF, 11}).Text("ABCDEFGHIJ").Raw({2, 2, 'x', 'y', 0})},
        {"block size above 11 keeps its data",
         TGIFRecipe().Raw({0x21, 0xFF, 14}).Text("XMP DataXMPabc").Raw({3, 'x', 'y', 'z', 1, 'w', 0}),
         TGIFRecipe().Raw({0x21, 0xFF, 11}).Text("XMP DataXMP").Raw({3, 'x', 'y', 'z', 1, 'w', 0})},
    };
    for (const auto& c : cases) {
        Bytes file = head();
        file.insert(file.end(), c.block.begin(), c.block.end());
        const Bytes t = tail();
        file.insert(file.end(), t.begin(), t.end());
        const Bytes out = ResaveOf(file);
        const Bytes h = head();
        ASSERT_GE(out.size(), h.size() + c.want.size()) << c.what;
        EXPECT_THAT(Bytes(out.begin() + static_cast<long>(h.size()),
                          out.begin() + static_cast<long>(h.size() + c.want.size())),
                    ElementsAreArray(c.want))
            << c.what;
    }
}

TEST(GIFWriter, TrailingCommentStaysAfterTheLastImage) {
    const Bytes file = TGIFRecipe().Header(1, 1, 0x80).Table(2).Image(0, 0, 1, 1, {1}).Comment({"end"}).Trailer();
    TGIFImage image;
    Load(image, file);
    ASSERT_EQ(image.Frames().Count(), 2);
    const Bytes out = Save(image);
    const Bytes tail = TGIFRecipe().Comment({"end"}).Trailer();
    ASSERT_GT(out.size(), tail.size());
    EXPECT_THAT(Bytes(out.end() - static_cast<long>(tail.size()), out.end()), ElementsAreArray(tail));
}

TEST(GIFWriter, ProgressSequence) {
    TGIFImage image;
    for (int i = 0; i < 4; ++i) AddFrame(image, 0, 0, 1, 1, 2);
    TProgressCollector progress(image);
    Save(image);
    EXPECT_THAT(progress.Entries(), ElementsAre(TEntry{psStarting, 0, false, "Saving..."},
                                                TEntry{psRunning, 25, false, "Saving..."},
                                                TEntry{psRunning, 50, false, "Saving..."},
                                                TEntry{psRunning, 75, false, "Saving..."},
                                                TEntry{psRunning, 100, false, "Saving..."},
                                                TEntry{psEnding, 100, false, "Saving..."}));
}

TEST(GIFWriter, EmptyFramesWriteOnlyTheirExtensions) {
    TGIFImage image;
    AddFrame(image, 0, 0, 1, 1, 2);
    TGIFSubImage* empty = AddFrame(image, 0, 0, 0, 0);
    AddExtension<TGIFCommentExtension>(empty)->Lines = {"x"};
    const Bytes out = Save(image);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0x2C), 1) << "one image descriptor";
}

TEST(GIFWriter, PixelOutsideTheLocalTableIsRefused) {
    TGIFImage image;
    TGIFSubImage* frame = AddFrame(image, 0, 0, 2, 1, 3);
    frame->RowPointer(0)[1] = 3;
    EXPECT_EQ(SaveError(image), "Color not in color table");
}

TEST(GIFWriter, RunLengthEncodingRoundTrips) {
    TGIFImage image;
    image.Encoding = encRLE;
    TGIFSubImage* frame = AddFrame(image, 0, 0, 100, 50, 16);
    for (int i = 0; i < 5000; ++i) frame->PixelData()[i] = std::uint8_t((i / 37) % 16);
    TGIFImage back;
    Load(back, Save(image));
    ASSERT_EQ(back.Frames().Count(), 1);
    EXPECT_TRUE(std::equal(frame->PixelData(), frame->PixelData() + 5000, back.Frames()[0]->PixelData()));
}

// Data read from a file is written again while its frame's pixels are the
// ones it holds and it is shorter than a new encoding: a file from the slower
// encoder keeps its size when saved with the usual one. An edited frame, or
// one asked for as runs, is encoded anew.
TEST(GIFWriter, ImageDataAsReadIsKeptWhileThePixelsAreUnchanged) {
    TGIFImage image;
    image.Encoding = encLZWBest;
    TGIFSubImage* frame = AddFrame(image, 0, 0, 120, 80, 16);
    unsigned noise = 7;
    for (int i = 0; i < 120 * 80; ++i) {
        noise = noise * 1103515245u + 12345u;
        frame->PixelData()[i] = std::uint8_t((i % 120) / 10 + (noise >> 28) % 3);
    }
    const Bytes best = Save(image);
    image.Encoding = encLZW;
    const Bytes usual = Save(image);
    ASSERT_LT(best.size(), usual.size()) << "the test needs a picture the slower encoder shortens";

    TGIFImage read;
    Load(read, best);
    ASSERT_EQ(read.Encoding, encLZW);
    EXPECT_EQ(Save(read), best) << "written as it was read";

    TGIFImage copy;
    copy.Assign(&read);
    EXPECT_EQ(Save(copy).size(), best.size()) << "a copy keeps it too";

    read.Frames()[0]->PixelData()[5] ^= 1;
    const Bytes edited = Save(read);
    EXPECT_GT(edited.size(), best.size()) << "an edited frame is encoded anew";
    TGIFImage back;
    Load(back, edited);
    EXPECT_TRUE(std::equal(read.Frames()[0]->PixelData(), read.Frames()[0]->PixelData() + 120 * 80,
                           back.Frames()[0]->PixelData()));

    Load(read, best);
    read.Encoding = encRLE;
    EXPECT_GT(Save(read).size(), best.size()) << "runs, as asked";
    // Data cut short is never kept: what is written decodes to the pixels shown.
    Bytes cut(best.begin(), best.begin() + std::ptrdiff_t(best.size() / 2));
    TGIFImage damaged;
    TWarningCollector warnings(damaged);
    Load(damaged, cut);
    ASSERT_EQ(damaged.Frames().Count(), 1);
    EXPECT_EQ(damaged.Frames()[0]->KeptDataSize(), -1);
}

// Whether kept data still holds a frame is told by decoding it again, row
// for row where the frame is interlaced: a change to any one pixel, the last
// included, or to the row order, and the frame is encoded anew.
TEST(GIFWriter, KeptDataIsDecodedAgainstEveryPixelAndRow) {
    TGIFImage image;
    image.Encoding = encLZWBest;
    TGIFSubImage* frame = AddFrame(image, 0, 0, 37, 29, 16);
    frame->SetInterlaced(true);
    for (int i = 0; i < 37 * 29; ++i) frame->PixelData()[i] = std::uint8_t((i / 37) % 16);
    TGIFImage read;
    Load(read, Save(image));
    TGIFSubImage* got = read.Frames()[0];
    ASSERT_TRUE(got->IsInterlaced());
    const std::int64_t kept = got->KeptDataSize();
    ASSERT_GT(kept, 0);
    EXPECT_EQ(got->KeptDataSizeBelow(kept), -1) << "only where it beats the bound";
    EXPECT_EQ(got->KeptDataSizeBelow(kept + 1), kept);
    for (const int at : {0, 37 * 8, 37 * 29 - 1}) {
        got->PixelData()[at] ^= 1;
        EXPECT_EQ(got->KeptDataSize(), -1) << "pixel " << at;
        got->PixelData()[at] ^= 1;
        EXPECT_EQ(got->KeptDataSize(), kept);
    }
    got->SetInterlaced(false);
    EXPECT_EQ(got->KeptDataSize(), -1) << "the same pixels in another row order";
}

TEST(GIFWriter, WholeModelRoundTrips) {
    TGIFImage image;
    for (int i = 0; i < 4; ++i) image.GlobalColors().AddColor(MakeColor(std::uint8_t(i * 60), 0, 0));
    image.Header().BackgroundIndex = 2;
    image.Header().AspectRatio = 49;
    TGIFSubImage* first = AddFrame(image, 0, 0, 4, 4);
    auto* loop = AddExtension<TGIFAppExtNSLoop>(first);
    loop->LoopCount = 3;
    for (int i = 0; i < 16; ++i) first->PixelData()[i] = std::uint8_t(i % 4);
    TGIFSubImage* second = AddFrame(image, 1, 2, 3, 2, 8);
    auto* gce = AddExtension<TGIFGraphicControlExtension>(second);
    gce->DelayTime = 25;
    gce->SetDisposalMethod(dispBackground);
    gce->SetUsesTransparency(true);
    gce->SetTransparentIndex(7);
    for (int i = 0; i < 6; ++i) second->PixelData()[i] = std::uint8_t(7 - i);

    TGIFImage back;
    TWarningCollector warnings(back);
    Load(back, Save(image));
    EXPECT_TRUE(warnings.Empty());
    EXPECT_EQ(back.Width(), 4);
    EXPECT_EQ(back.Header().BackgroundIndex, 2);
    EXPECT_EQ(back.Header().AspectRatio, 49);
    EXPECT_EQ(back.GlobalColors().GetColor(3), MakeColor(180, 0, 0));
    ASSERT_EQ(back.Frames().Count(), 2);
    EXPECT_EQ(back.Frames()[0]->FindExtension<TGIFAppExtNSLoop>()->LoopCount, 3);
    const TGIFSubImage* b = back.Frames()[1];
    EXPECT_EQ(b->FrameRect(), (TRect{1, 2, 4, 4}));
    EXPECT_EQ(b->LocalColors().Count(), 8);
    ASSERT_NE(b->ControlExtension(), nullptr);
    EXPECT_EQ(b->ControlExtension()->DelayTime, 25);
    EXPECT_EQ(b->ControlExtension()->DisposalMethod(), dispBackground);
    EXPECT_EQ(b->ControlExtension()->TransparentIndex(), 7);
    EXPECT_TRUE(b->IsTransparent());
    EXPECT_TRUE(std::equal(second->PixelData(), second->PixelData() + 6, b->PixelData()));
    EXPECT_TRUE(std::equal(first->PixelData(), first->PixelData() + 16, back.Frames()[0]->PixelData()));
}

TEST(GIFWriter, FilesRoundTripThroughDisk) {
    TGIFImage image;
    AddFrame(image, 0, 0, 3, 3, 2)->PixelData()[4] = 1;
    const std::string path = std::string(REELIX_BINARY_DIR) + "/gif-writer-roundtrip.gif";
    image.SaveToFile(path);
    TGIFImage back;
    back.LoadFromFile(path);
    ASSERT_EQ(back.Frames().Count(), 1);
    EXPECT_EQ(back.Frames()[0]->PixelAt(1, 1), 1);
    std::remove(path.c_str());
}

TEST(GIFWriter, FailedSaveLeavesTheExistingFileAlone) {
    const std::string path = std::string(REELIX_BINARY_DIR) + "/gif-writer-failed-save.gif";
    TGIFImage good;
    AddFrame(good, 0, 0, 2, 2, 2);
    good.SaveToFile(path);
    const auto before = std::filesystem::file_size(path);
    TGIFImage bad;
    AddFrame(bad, 0, 0, 2, 2, 2)->RowPointer(1)[1] = 5;  // outside the 2-entry table
    EXPECT_THROW(bad.SaveToFile(path), GIFException);
    EXPECT_EQ(std::filesystem::file_size(path), before);
    TGIFImage back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Frames().Count(), 1);
    std::remove(path.c_str());
}
