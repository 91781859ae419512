// The editing session: operations become undo steps that restore exactly,
// Modified and Optimized follow the history, saving leaves the document as it
// is, and a change made other than through an operation is caught.
#include "session/EditSession.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QUndoStack>
#include <stdexcept>

#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "painter/FrameOperations.h"
#include "support/FrameBuilders.h"

namespace {
// Three 2x2 frames with delays 10, 11, 12.
void Fill(TGIFImage& image) {
    image.GlobalColors().AddColor(0x000000);
    image.GlobalColors().AddColor(0xFFFFFF);
    for (int i = 0; i < 3; ++i) {
        TGIFSubImage* frame = AddPlacedFrame(image, 0, 0, 2, 2);
        frame->PixelData()[i] = 1;
        AddExtension<TGIFGraphicControlExtension>(frame)->DelayTime = std::uint16_t(10 + i);
    }
}

struct TSessionTest : ::testing::Test {
    QTemporaryDir Folder;
    TSettingsStore Store{Folder.filePath(QStringLiteral("settings.ini"))};
    TEditSession Session{Store};
    QStringList Tampered;

    TSessionTest() {
        Session.SetChecking(true);
        Session.SetTamperHandler([this](const QString& where) { Tampered << where; });
        TGIFImage loaded;
        Fill(loaded);
        Session.Replace(loaded, QStringLiteral("/tmp/a.gif"), true);
    }
    // What a careless caller could do: write through a cast.
    TGIFImage& Behind() { return const_cast<TGIFImage&>(Session.Document()); }
};
} // namespace

TEST_F(TSessionTest, AnOperationIsOneStepThatUndoAndRedoRestoreExactly) {
    const std::string before = Saved(Session.Document());
    EXPECT_FALSE(Session.Modified());
    int shown = -2;
    QObject::connect(&Session, &TEditSession::DocumentChanged, [&shown](int frame) { shown = frame; });
    ASSERT_TRUE(Session.Apply(QStringLiteral("Delete Frame"),
                              [](TGIFImage& d, TFrameEditLog& log) { return DeleteFrame(d, 1, log); }, {1, 0}));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(Session.History().count(), 1);
    EXPECT_EQ(Session.History().undoText(), QStringLiteral("Delete Frame"));
    EXPECT_TRUE(Session.Modified());
    const std::string after = Saved(Session.Document());
    Session.History().undo();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(Saved(Session.Document()), before);
    EXPECT_FALSE(Session.Modified()) << "back where the file is";
    Session.History().redo();
    EXPECT_EQ(Saved(Session.Document()), after);
    EXPECT_TRUE(Tampered.isEmpty());
}

TEST_F(TSessionTest, NothingChangedIsNoStepAndAFailedOperationLeavesNoTrace) {
    EXPECT_FALSE(Session.Apply(QStringLiteral("Nothing"), [](TGIFImage& d, TFrameEditLog& log) {
        return DeleteFrame(d, 7, log);
    }, {0, 0}));
    EXPECT_EQ(Session.History().count(), 0);
    const std::string before = Saved(Session.Document());
    EXPECT_THROW(Session.Apply(QStringLiteral("Half"),
                               [](TGIFImage& d, TFrameEditLog& log) -> bool {
                                   DeleteFrame(d, 0, log);
                                   throw std::runtime_error("disk full");
                               },
                               {0, 0}),
                 std::runtime_error);
    EXPECT_EQ(Saved(Session.Document()), before) << "the half-made change is taken back";
    EXPECT_EQ(Session.History().count(), 0);
    EXPECT_TRUE(Tampered.isEmpty());
}

TEST_F(TSessionTest, AChangeBehindTheSessionsBackIsCaught) {
    Behind().Frames()[0]->ControlExtension()->DelayTime = 99;
    EXPECT_FALSE(Session.Verify(QStringLiteral("a command")));
    ASSERT_EQ(Tampered.size(), 1);
    EXPECT_EQ(Tampered[0], QStringLiteral("a command"));
    // The next operation finds it too, before it runs.
    Session.Apply(QStringLiteral("Move Frame"), [](TGIFImage& d, TFrameEditLog& log) { return MoveFrame(d, 0, 1, log); },
                  {0, 1});
    EXPECT_EQ(Tampered.size(), 2);
    EXPECT_EQ(Tampered[1], QStringLiteral("Move Frame"));
    // Filling caches (drawing) is no change.
    Tampered.clear();
    Behind().GetFlatBitmap();
    EXPECT_TRUE(Session.Verify(QStringLiteral("drawing")));
    // Unchecked, nothing is compared.
    Session.SetChecking(false);
    Behind().Frames()[0]->SetLeft(1);
    EXPECT_TRUE(Session.Verify(QStringLiteral("unchecked")));
    EXPECT_TRUE(Tampered.isEmpty());
}

TEST_F(TSessionTest, SavingWritesAPreparedCopyAndLeavesTheDocumentAsItIs) {
    Session.Apply(QStringLiteral("Delay"), [](TGIFImage& d, TFrameEditLog& log) { return SetDelay(d, -1, 5, log); },
                  {0, 0});
    const std::string before = Saved(Session.Document());
    auto copy = Session.PreparedCopy();
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->Frames()[0]->FindExtension<TGIFAppExtNSLoop>(), nullptr) << "the copy loops";
    EXPECT_EQ(Saved(Session.Document()), before);
    EXPECT_TRUE(Session.Verify(QStringLiteral("save")));
    Session.MarkSaved(QStringLiteral("/tmp/b.gif"));
    EXPECT_FALSE(Session.Modified());
    EXPECT_EQ(Session.FileName(), QStringLiteral("/tmp/b.gif"));
    Session.History().undo();
    EXPECT_TRUE(Session.Modified()) << "a step back from the saved state is a change";
}

TEST_F(TSessionTest, OptimizedHoldsUntilTheNextChange) {
    EXPECT_FALSE(Session.Optimized());
    TGIFImage optimised;
    Fill(optimised);
    Session.Apply(QStringLiteral("Optimize Animation"),
                  [&optimised](TGIFImage& d, TFrameEditLog& log) { return ReplaceAnimation(d, optimised, log); }, {0, 0},
                  TEditSession::TStepKind::Optimization);
    EXPECT_TRUE(Session.Optimized());
    Session.Apply(QStringLiteral("Delay"), [](TGIFImage& d, TFrameEditLog& log) { return SetDelay(d, 0, 5, log); },
                  {0, 0});
    EXPECT_FALSE(Session.Optimized());
    Session.History().undo();
    EXPECT_TRUE(Session.Optimized());
    Session.History().undo();
    EXPECT_FALSE(Session.Optimized());
}

TEST_F(TSessionTest, ANewOrReplacedDocumentStartsItsHistoryAnew) {
    Session.Apply(QStringLiteral("Delete Frame"), [](TGIFImage& d, TFrameEditLog& log) { return DeleteFrame(d, 0, log); },
                  {0, 0});
    TGIFImage video;
    Fill(video);
    Session.Replace(video, QStringLiteral("Untitled"), false);
    EXPECT_EQ(Session.History().count(), 0);
    EXPECT_TRUE(Session.Untitled());
    EXPECT_TRUE(Session.Modified()) << "never saved";
    EXPECT_EQ(Session.Document().Frames().Count(), 3);
    EXPECT_EQ(video.Frames().Count(), 0);
    Session.Reset();
    EXPECT_EQ(Session.Document().Frames().Count(), 0);
    EXPECT_FALSE(Session.Modified());
    EXPECT_TRUE(Tampered.isEmpty());
}
