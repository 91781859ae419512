// Choosing several frames from the keyboard and what the frame commands then
// do: Shift+arrows, Ctrl+A in the list, Esc, the status bar's count, one
// question for a delete, moves of a block, Frame Properties on the choice,
// the Frames menu's commands and their undo.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "controls/NumericEdit.h"
#include "controls/RXListBox.h"
#include "dialogs/Properties.h"
#include "dialogs/Timing.h"
#include "gif/GIFImage.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {
// Frames of 4x2, frame i filled with colour i, delays 10 * (i + 1).
void WriteGif(const QString& path, int frames) {
    TGIFImage image;
    image.Header().ScreenWidth = 4;
    image.Header().ScreenHeight = 2;
    for (int c = 0; c < 8; ++c)
        image.GlobalColors().AddColor(TColor(c * 0x1F2F3F));
    for (int i = 0; i < frames; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, 4, 2);
        std::fill(frame->PixelData(), frame->PixelData() + 8, static_cast<std::uint8_t>(i % 8));
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = static_cast<std::uint16_t>(10 * (i + 1));
        frame->ExtensionBlocks().Add(std::move(control));
        image.AddFrame(std::move(frame));
    }
    image.SaveToFile(QFile::encodeName(path).toStdString());
}

std::vector<int> Delays(const TGIFImage& doc) {
    std::vector<int> delays;
    for (int i = 0; i < doc.Frames().Count(); ++i)
        delays.push_back(doc.Frames()[i]->ControlExtension()->DelayTime);
    return delays;
}
} // namespace

class TFrameSelectionTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    std::unique_ptr<TMainFormRig> Open(int frames) {
        QFile::remove(FDir.filePath(QStringLiteral("settings.ini")));
        const QString file = FDir.filePath(QStringLiteral("six%1.gif").arg(frames));
        if (!QFile::exists(file))
            WriteGif(file, frames);
        auto rig = std::make_unique<TMainFormRig>(FDir.filePath(QStringLiteral("settings.ini")),
                                                  FDir.filePath(QStringLiteral("program")), false);
        rig->Prompts.FileNames << file;
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Form->show();
        if (!QTest::qWaitForWindowExposed(rig->Form.get()))
            qWarning("the window was not shown");
        rig->Form->FramesList()->setFocus();
        return rig;
    }
    static void Keys(TMainFormRig& rig, std::initializer_list<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys) {
        for (const auto& [key, modifiers] : keys)
            QTest::keyClick(rig.Form->FramesList(), key, modifiers);
    }

private slots:
    void shiftArrowsChooseARangeAndEscKeepsTheCurrentFrame() {
        auto rig = Open(6);
        rig->Form->FramesList()->setCurrentRow(2);
        Keys(*rig, {{Qt::Key_Down, Qt::ShiftModifier}, {Qt::Key_Down, Qt::ShiftModifier}, {Qt::Key_Down, Qt::ShiftModifier}});
        QCOMPARE(rig->Form->SelectedFrames(), (std::vector<int>{2, 3, 4, 5}));
        QCOMPARE(rig->Form->CurrentFrame(), 5);
        QVERIFY(rig->Form->StatusText(3).startsWith(QStringLiteral("4 selected; 6 frames, 2.10 s")));
        Keys(*rig, {{Qt::Key_Home, Qt::ShiftModifier}});
        QCOMPARE(rig->Form->SelectedFrames(), (std::vector<int>{0, 1, 2}));
        Keys(*rig, {{Qt::Key_Escape, Qt::NoModifier}});
        QCOMPARE(rig->Form->SelectedFrames(), std::vector<int>{0});
        QCOMPARE(rig->Form->StatusText(3), QStringLiteral("6 frames, 2.10 s, 2.9 fps"));
        // Ctrl+A in the list chooses every frame; it does not add a frame.
        Keys(*rig, {{Qt::Key_A, Qt::ControlModifier}});
        QCOMPARE(rig->Form->SelectedFrames().size(), std::size_t(6));
        QVERIFY(rig->Prompts.Shown.isEmpty());
        QCOMPARE(rig->Form->Document()->Frames().Count(), 6);
    }

    void deleteAsksOnceForTheChoiceAndUndoBringsItBack() {
        auto rig = Open(6);
        rig->Form->FramesList()->setCurrentRow(1);
        Keys(*rig, {{Qt::Key_Down, Qt::ShiftModifier}, {Qt::Key_Down, Qt::ShiftModifier}, {Qt::Key_Down, Qt::ShiftModifier}});
        rig->Prompts.Answers << TMsgResult::Yes;
        rig->Cmd(TCommandId::DeleteFrame)->trigger();
        QCOMPARE(rig->Prompts.Texts(), QStringList{QStringLiteral("Would you like to delete the 4 selected frames?")});
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{10, 60}));
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Delete Frames"));
        rig->Cmd(TCommandId::Undo)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{10, 20, 30, 40, 50, 60}));
    }

    void aBlockMovesTogetherAndStaysChosen() {
        auto rig = Open(6);
        rig->Form->SelectFrames({1, 2});
        QVERIFY(rig->Cmd(TCommandId::MoveDown)->isEnabled());
        rig->Cmd(TCommandId::MoveDown)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{10, 40, 20, 30, 50, 60}));
        QCOMPARE(rig->Form->SelectedFrames(), (std::vector<int>{2, 3}));
        rig->Cmd(TCommandId::MoveToEnd)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{10, 40, 50, 60, 20, 30}));
        QCOMPARE(rig->Form->SelectedFrames(), (std::vector<int>{4, 5}));
        rig->Cmd(TCommandId::MoveToStart)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{20, 30, 10, 40, 50, 60}));
        // Dragging a tile of the chosen block takes the block along.
        rig->Form->Frames().Move(1, 3);
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{10, 40, 50, 20, 30, 60}));
        QCOMPARE(rig->Form->SelectedFrames(), (std::vector<int>{3, 4}));
        rig->Cmd(TCommandId::Undo)->trigger();
        rig->Cmd(TCommandId::Undo)->trigger();
        rig->Cmd(TCommandId::Undo)->trigger();
        rig->Cmd(TCommandId::Undo)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{10, 20, 30, 40, 50, 60}));
    }

    void framePropertiesOnTheChoiceWritesOnlyThoseFrames() {
        auto rig = Open(6);
        rig->Form->SelectFrames({1, 3});
        rig->Form->SetDialogRunner([](QDialog& d) {
            auto& p = static_cast<TfrmProp&>(d);
            if (!p.GlobalMode)
                return int(QDialog::Rejected);
            p.txtDelay->setText(QStringLiteral("5"));
            QTest::mouseClick(p.btnOK, Qt::LeftButton);
            return p.result();
        });
        rig->Cmd(TCommandId::FrameProperties)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{10, 5, 30, 5, 50, 60}));
    }

    void copyAndPasteCarrySeveralFramesWithTheirDelays() {
        QApplication::clipboard()->clear();
        auto rig = Open(4);
        rig->Form->SelectFrames({0, 2});
        rig->Cmd(TCommandId::Copy)->trigger();
        rig->Form->SelectFrames({3});
        rig->Cmd(TCommandId::Paste)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{10, 20, 30, 40, 10, 30}));
        rig->Cmd(TCommandId::Undo)->trigger();
        QCOMPARE(rig->Form->Document()->Frames().Count(), 4);
    }

    void theFramesMenuActsOnTheChoiceOrOnEveryFrame() {
        auto rig = Open(5);
        rig->Form->SelectFrames({0});
        rig->Cmd(TCommandId::PingPongFrames)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{10, 20, 30, 40, 50, 40, 30, 20}));
        rig->Cmd(TCommandId::Undo)->trigger();
        rig->Form->SelectFrames({1, 2, 3});
        rig->Cmd(TCommandId::ReverseFrames)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{10, 40, 30, 20, 50}));
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Reverse Frames"));
        // Frame Delays: scale every frame to 50 %.
        rig->Form->SelectFrames({0});
        rig->Form->SetDialogRunner([](QDialog& d) {
            auto& t = static_cast<TfrmTiming&>(d);
            t.optScale->setChecked(true);
            t.udValue->setValue(50);
            QTest::mouseClick(t.btnOK, Qt::LeftButton);
            return t.result();
        });
        rig->Cmd(TCommandId::FrameTiming)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{5, 20, 15, 10, 25}));
        // Drop every 2nd, the time kept.
        rig->Form->SetDialogRunner([](QDialog& d) {
            auto& t = static_cast<TfrmTiming&>(d);
            t.udValue->setValue(2);
            QTest::mouseClick(t.btnOK, Qt::LeftButton);
            return t.result();
        });
        rig->Cmd(TCommandId::DropFrames)->trigger();
        QCOMPARE(Delays(*rig->Form->Document()), (std::vector<int>{25, 25, 25}));
        QCOMPARE(rig->Form->FramesList()->count(), 3);
    }

    // Seeing frames: zoom, stepping while paused, Space, composed tiles.
    void thePreviewZoomsStepsAndPlaysFromTheKeyboard() {
        auto rig = Open(3);
        rig->Form->SelectFrames({0});
        QCOMPARE(rig->Form->FramePaintBox()->size(), QSize(4, 2));
        rig->Cmd(TCommandId::Zoom400)->trigger();
        QCOMPARE(rig->Form->FramePaintBox()->size(), QSize(16, 8));
        QVERIFY(rig->Cmd(TCommandId::Zoom400)->isChecked());
        QVERIFY(!rig->Cmd(TCommandId::Zoom100)->isChecked());
        rig->Cmd(TCommandId::ZoomOut)->trigger();
        QCOMPARE(rig->Form->Zoom(), 300);
        rig->Cmd(TCommandId::ZoomFit)->trigger();
        QCOMPARE(rig->Form->Zoom(), 0);
        QVERIFY2(rig->Form->AnimationPanel()->width() > 16, "a small animation fits the box, enlarged");
        rig->Cmd(TCommandId::Zoom100)->trigger();
        // Right and Left step while paused.
        QTest::keyClick(rig->Form->FramesList(), Qt::Key_Right);
        QCOMPARE(rig->Form->CurrentFrame(), 1);
        QTest::keyClick(rig->Form->FramesList(), Qt::Key_Left);
        QTest::keyClick(rig->Form->FramesList(), Qt::Key_Left);
        QCOMPARE(rig->Form->CurrentFrame(), 0);
        // Play/Pause (Space) plays and pauses; Play is off while playing.
        rig->Cmd(TCommandId::PlayPause)->trigger();
        QVERIFY(rig->Form->Playing());
        QVERIFY(!rig->Cmd(TCommandId::Play)->isEnabled());
        QVERIFY(rig->Cmd(TCommandId::PlayPause)->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+R"))));
        QTest::keyClick(rig->Form->FramesList(), Qt::Key_Right);
        QCOMPARE(rig->Form->CurrentFrame(), 0); // no stepping while playing
        rig->Cmd(TCommandId::PlayPause)->trigger();
        QVERIFY(!rig->Form->Playing());
    }

    void composedTilesShowTheScreen() {
        QTemporaryDir dir;
        TGIFImage image;
        image.Header().ScreenWidth = 4;
        image.Header().ScreenHeight = 2;
        image.GlobalColors().AddColor(0x000000);
        image.GlobalColors().AddColor(0xFFFFFF);
        for (const QRect& r : {QRect(0, 0, 4, 2), QRect(1, 1, 2, 1)}) {
            auto frame = std::make_unique<TGIFSubImage>(&image);
            frame->PlaceFrame(r.x(), r.y(), r.width(), r.height());
            std::fill(frame->PixelData(), frame->PixelData() + r.width() * r.height(), std::uint8_t(r.x() ? 1 : 0));
            image.AddFrame(std::move(frame));
        }
        const QString file = dir.filePath(QStringLiteral("part.gif"));
        image.SaveToFile(QFile::encodeName(file).toStdString());
        TMainFormRig rig(dir.filePath(QStringLiteral("s.ini")), dir.filePath(QStringLiteral("p")), false);
        rig.Prompts.FileNames << file;
        rig.Cmd(TCommandId::Open)->trigger();
        QCOMPARE(rig.Form->TilePicture(1).size(), QSize(2, 1));
        rig.Cmd(TCommandId::ComposedTiles)->trigger();
        QVERIFY(rig.Cmd(TCommandId::ComposedTiles)->isChecked());
        const QImage composed = rig.Form->TilePicture(1);
        QCOMPARE(composed.size(), QSize(4, 2));
        QCOMPARE(QColor(composed.pixel(0, 0)), QColor(Qt::black)); // frame 0 shows through
        QCOMPARE(QColor(composed.pixel(1, 1)), QColor(Qt::white));
    }
};

QTEST_MAIN(TFrameSelectionTest)
#include "tst_FrameSelection.moc"
