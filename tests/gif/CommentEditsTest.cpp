// The comment editor's operations: a comment added, edited and removed, each
// taken back exactly by its log, wherever in the animation the comment is.
#include "gif/CommentEdits.h"

#include <gtest/gtest.h>

#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "support/FrameBuilders.h"

namespace {
std::unique_ptr<TGIFImage> TwoFrames() {
    auto image = std::make_unique<TGIFImage>();
    image->GlobalColors().AddColor(0x000000);
    image->GlobalColors().AddColor(0xFFFFFF);
    AddPlacedFrame(*image, 0, 0, 1, 1);
    TGIFSubImage* second = AddPlacedFrame(*image, 0, 0, 1, 1);
    AddExtension<TGIFCommentExtension>(second)->Lines = {"on the second"};
    return image;
}
} // namespace

TEST(CommentEdits, AddEditAndRemoveAreEachTakenBackExactly) {
    auto image = TwoFrames();
    ASSERT_EQ(AllComments(*image).size(), 1u) << "comments on any frame are found";
    const std::string before = Saved(*image);

    TFrameEditLog added;
    TGIFCommentExtension* comment = AddComment(*image, {"one", "two"}, added);
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(AllComments(*image).size(), 2u);
    const std::string withComment = Saved(*image);
    added.Undo(*image);
    EXPECT_EQ(Saved(*image), before);
    added.Redo(*image);
    EXPECT_EQ(Saved(*image), withComment);

    TFrameEditLog edited;
    EditComment(*comment, {"changed"}, edited);
    EXPECT_EQ(comment->Lines, std::vector<std::string>{"changed"});
    edited.Undo(*image);
    EXPECT_EQ(Saved(*image), withComment);
    edited.Redo(*image);

    TFrameEditLog removed;
    TGIFCommentExtension* old = AllComments(*image)[0];
    ASSERT_TRUE(RemoveComment(*image, *old, removed));
    EXPECT_EQ(AllComments(*image).size(), 1u);
    removed.Undo(*image);
    EXPECT_EQ(AllComments(*image).size(), 2u);

    TGIFImage empty;
    TFrameEditLog none;
    EXPECT_EQ(AddComment(empty, {"x"}, none), nullptr) << "no frame to carry it";
    EXPECT_TRUE(none.Empty());
}
