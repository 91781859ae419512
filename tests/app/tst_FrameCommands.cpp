// Frame commands in the main window: enabling, every command done, undone and
// redone to exactly the document before and after, the loop count on the
// first frame, Shift+Del, the tile sizes, clipboard round trips and playback.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "controls/RXListBox.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "raster/Bitmap.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMimeData>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <functional>
#include <memory>

namespace {
// Frames of 6x4, frame i filled with colour i of a 8-colour global table,
// delays 10 + i, the loop count 3 on frame 0.
void WriteGif(const QString& path, int frames) {
    TGIFImage image;
    image.Header().ScreenWidth = 6;
    image.Header().ScreenHeight = 4;
    for (int c = 0; c < 8; ++c)
        image.GlobalColors().AddColor(TColor(c * 0x1F2F3F));
    for (int i = 0; i < frames; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, 6, 4);
        std::fill(frame->PixelData(), frame->PixelData() + 24, static_cast<std::uint8_t>(i % 8));
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = static_cast<std::uint16_t>(10 + i);
        frame->ExtensionBlocks().Add(std::move(control));
        if (i == 0) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(frame.get());
            loop->LoopCount = 3;
            frame->ExtensionBlocks().Add(std::move(loop));
        }
        image.AddFrame(std::move(frame));
    }
    image.SaveToFile(QFile::encodeName(path).toStdString());
}

// The document as bytes: frames, order, pixels, tables and every extension.
int Delay(const TGIFImage& doc, int i) {
    return doc.Frames()[i]->ControlExtension()->DelayTime;
}
} // namespace

class TFrameCommandsTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    std::unique_ptr<TMainFormRig> Open(int frames, int select) {
        QFile::remove(FDir.filePath(QStringLiteral("settings.ini")));
        const QString file = FDir.filePath(QStringLiteral("anim%1.gif").arg(frames));
        if (!QFile::exists(file))
            WriteGif(file, frames);
        auto rig = std::make_unique<TMainFormRig>(FDir.filePath(QStringLiteral("settings.ini")),
                                                  FDir.filePath(QStringLiteral("program")), false);
        rig->Form->SetDialogRunner([](QDialog&) { return int(QDialog::Accepted); });
        rig->Prompts.FileNames << file;
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Form->FramesList()->setCurrentRow(select);
        return rig;
    }

private slots:
    void init() { QApplication::clipboard()->clear(); }

    // After a delete the neighbour is selected and shown, the status bar
    // says so, and its texts fit their panel.
    void deleteShowsTheNeighbour_data() {
        QTest::addColumn<int>("deleted");
        QTest::addColumn<int>("shown");
        QTest::newRow("first: the next takes its place") << 0 << 0;
        QTest::newRow("middle: the one before") << 2 << 1;
        QTest::newRow("last: the one before") << 3 << 2;
    }
    void deleteShowsTheNeighbour() {
        QFETCH(int, deleted);
        QFETCH(int, shown);
        auto rig = Open(4, deleted);
        rig->Prompts.Answers << TMsgResult::Yes;
        rig->Cmd(TCommandId::DeleteFrame)->trigger();
        QCOMPARE(rig->Form->Document()->Frames().Count(), 3);
        QCOMPARE(rig->Form->FramesList()->currentRow(), shown);
        QCOMPARE(rig->Form->StatusText(1), QStringLiteral("Frame #%1 of 2").arg(shown));
        const TGIFSubImage& frame = *rig->Form->Document()->Frames()[shown];
        QCOMPARE(rig->Form->FramePaintBox()->geometry(), QRect(frame.Left(), frame.Top(), frame.Width(), frame.Height()));
        QVERIFY(!rig->Form->FramePaintBox()->isHidden());
        rig->Cmd(TCommandId::Undo)->trigger();
        QCOMPARE(rig->Form->FramesList()->currentRow(), deleted);
    }
    void statusTextsFitTheirPanel() {
        auto rig = Open(2, 0);
        auto* panel = rig->Form->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
        QVERIFY(panel);
        for (const QString& text : {QStringLiteral("Frame #13 of 1"), QStringLiteral("Frame #12345 of 99999"),
                                    QStringLiteral("Frame 12345 of 99999")}) {
            rig->Form->SetStatusText(1, text);
            QVERIFY2(panel->contentsRect().width() >= panel->fontMetrics().horizontalAdvance(text), qPrintable(text));
        }
    }

    void enablingFollowsTheSelection_data() {
        QTest::addColumn<int>("select");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("down");
        QTest::newRow("first") << 0 << false << true;
        QTest::newRow("middle") << 1 << true << true;
        QTest::newRow("last") << 2 << true << false;
    }
    void enablingFollowsTheSelection() {
        QFETCH(int, select);
        QFETCH(bool, up);
        QFETCH(bool, down);
        auto rig = Open(3, select);
        QCOMPARE(rig->Cmd(TCommandId::MoveToStart)->isEnabled(), up);
        QCOMPARE(rig->Cmd(TCommandId::MoveUp)->isEnabled(), up);
        QCOMPARE(rig->Cmd(TCommandId::MoveDown)->isEnabled(), down);
        QCOMPARE(rig->Cmd(TCommandId::MoveToEnd)->isEnabled(), down);
        for (TCommandId c : {TCommandId::Cut, TCommandId::Copy, TCommandId::DeleteFrame, TCommandId::GlobalProperties, TCommandId::Play})
            QVERIFY2(rig->Cmd(c)->isEnabled(), CommandName(c));
        QVERIFY(!rig->Cmd(TCommandId::Paste)->isEnabled());
        QVERIFY(!rig->Cmd(TCommandId::Pause)->isEnabled());
        rig->DropDown("mnuEdit");
        QCOMPARE(rig->Cmd(TCommandId::MoveUp)->isEnabled(), up);
        QCOMPARE(rig->Cmd(TCommandId::MoveDown)->isEnabled(), down);
        rig->Form->PrepareFramesPopup();
        QCOMPARE(rig->Cmd(TCommandId::FrameProperties)->text(), QStringLiteral("Frame %1 P&roperties...").arg(select));
        QCOMPARE(rig->Form->StatusText(1), QStringLiteral("Frame #%1 of 2").arg(select));
    }

    void everyCommandUndoesAndRedoesExactly_data() {
        QTest::addColumn<TCommandId>("command");
        QTest::addColumn<int>("select");
        QTest::addColumn<QString>("undoText");
        QTest::addColumn<int>("selectedAfter");
        // The frame after it takes the first frame's place, and is shown.
        QTest::newRow("delete first") << TCommandId::DeleteFrame << 0 << "&Undo Delete Frame" << 0;
        QTest::newRow("delete middle") << TCommandId::DeleteFrame << 2 << "&Undo Delete Frame" << 1;
        QTest::newRow("cut first") << TCommandId::Cut << 0 << "&Undo Cut Frame" << 0;
        QTest::newRow("cut last") << TCommandId::Cut << 3 << "&Undo Cut Frame" << 2;
        QTest::newRow("move up") << TCommandId::MoveUp << 1 << "&Undo Move Frame" << 0;
        QTest::newRow("move down") << TCommandId::MoveDown << 0 << "&Undo Move Frame" << 1;
        QTest::newRow("to beginning") << TCommandId::MoveToStart << 3 << "&Undo Move Frame" << 0;
        QTest::newRow("to end") << TCommandId::MoveToEnd << 0 << "&Undo Move Frame" << 3;
        QTest::newRow("delete all") << TCommandId::DeleteAllFrames << 1 << "&Undo Delete All Frames" << -1;
        QTest::newRow("copy, paste") << TCommandId::Paste << 1 << "&Undo Paste" << 2;
        QTest::newRow("add a picture after frame 1") << TCommandId::AddFrame << 1 << "&Undo Add Frame" << 2;
    }
    void everyCommandUndoesAndRedoesExactly() {
        QFETCH(TCommandId, command);
        QFETCH(int, select);
        QFETCH(QString, undoText);
        QFETCH(int, selectedAfter);
        auto rig = Open(4, select);
        const TGIFImage& doc = *rig->Form->Document();
        const QByteArray before = Snapshot(doc);
        QVERIFY(!rig->Form->Session().Modified());
        rig->Prompts.Answers << TMsgResult::Yes;
        if (command == TCommandId::Paste) {
            rig->Cmd(TCommandId::Copy)->trigger();
            QVERIFY(rig->Cmd(TCommandId::Paste)->isEnabled());
            rig->Cmd(TCommandId::Paste)->trigger();
            QCOMPARE(doc.Frames().Count(), 5);
            QCOMPARE(Delay(doc, 2), Delay(doc, 1)); // the copy keeps its delay
        } else if (command == TCommandId::AddFrame) {
            const QString picture = FDir.filePath(QStringLiteral("picture.bmp"));
            QImage image(6, 4, QImage::Format_RGB32);
            image.fill(qRgb(10, 200, 60));
            QVERIFY(image.save(picture, "BMP"));
            rig->Prompts.FileNames << picture;
            rig->Cmd(TCommandId::AddFrame)->trigger();
            QCOMPARE(doc.Frames().Count(), 5);
        } else {
            rig->Cmd(command)->trigger();
        }
        const QByteArray after = Snapshot(doc);
        QVERIFY(after != before);
        QVERIFY(rig->Form->Session().Modified());
        QCOMPARE(rig->Form->FramesList()->count(), doc.Frames().Count());
        QCOMPARE(rig->Form->FramesList()->currentRow(), selectedAfter);
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), undoText);
        // The loop count stays on whichever frame is first.
        if (doc.Frames().Count() > 0) {
            QVERIFY(doc.Frames()[0]->FindExtension<TGIFAppExtNSLoop>());
            QCOMPARE(int(doc.Frames()[0]->FindExtension<TGIFAppExtNSLoop>()->LoopCount), 3);
            for (int i = 1; i < doc.Frames().Count(); ++i)
                QVERIFY(!doc.Frames()[i]->FindExtension<TGIFAppExtNSLoop>());
        }
        for (int round = 0; round < 2; ++round) {
            rig->Cmd(TCommandId::Undo)->trigger();
            QCOMPARE(Snapshot(doc), before);
            QCOMPARE(rig->Form->FramesList()->count(), doc.Frames().Count());
            QVERIFY2(!rig->Form->Session().Modified(), "undoing to the saved state clears Modified");
            rig->Cmd(TCommandId::Redo)->trigger();
            QCOMPARE(Snapshot(doc), after);
            QVERIFY(rig->Form->Session().Modified());
        }
    }

    void deleteAsksUnlessShiftIsHeld() {
        auto rig = Open(3, 1);
        rig->Prompts.Answers << TMsgResult::No;
        rig->Cmd(TCommandId::DeleteFrame)->trigger();
        QCOMPARE(rig->Prompts.Texts().value(0), QStringLiteral("Would you like to delete \"Frame 1\"?"));
        QCOMPARE(rig->Prompts.Shown.value(0).Buttons, TMsgButtons::YesNoCancel);
        QCOMPARE(rig->Form->Document()->Frames().Count(), 3);
        // Shift+Del: the window notes the Shift key and deletes at once.
        rig->Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig->Form.get()));
        rig->Form->FramesList()->setFocus();
        QTest::keyClick(rig->Form->FramesList(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(rig->Prompts.Shown.size(), 1);
        QCOMPARE(rig->Form->Document()->Frames().Count(), 2);
    }

    void dragInsideTheListMovesTheFrame() {
        auto rig = Open(4, 0);
        const TGIFImage& doc = *rig->Form->Document();
        emit rig->Form->FramesList()->MoveRequested(0, 2);
        QCOMPARE(Delay(doc, 2), 10);
        QVERIFY(doc.Frames()[0]->FindExtension<TGIFAppExtNSLoop>());
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Move Frame"));
        rig->Cmd(TCommandId::Undo)->trigger();
        QCOMPARE(Delay(doc, 0), 10);
    }

    void tileSizes_data() {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("tile");
        QTest::newRow("portrait, scaled") << QSize(40, 400) << QSize(16, 160);
        QTest::newRow("fits, own size") << QSize(100, 50) << QSize(100, 50);
        QTest::newRow("one pixel over, own size") << QSize(161, 10) << QSize(161, 10);
        QTest::newRow("wide, scaled") << QSize(320, 100) << QSize(160, 50);
    }
    void tileSizes() {
        QFETCH(QSize, frame);
        QFETCH(QSize, tile);
        auto rig = std::make_unique<TMainFormRig>(FDir.filePath(QStringLiteral("tiles.ini")),
                                                  FDir.filePath(QStringLiteral("program")), false);
        rig->Form->Session().Apply(QStringLiteral("Frame"), [&frame](TGIFImage& doc, TFrameEditLog& log) {
            log.Colors(doc);
            doc.GlobalColors().AddColor(0);
            doc.GlobalColors().AddColor(0xFFFFFF);
            log.ColorsChanged(doc);
            auto f = std::make_unique<TGIFSubImage>(&doc);
            f->PlaceFrame(0, 0, frame.width(), frame.height());
            log.FrameAdded(doc, doc.AddFrame(std::move(f)));
            return true;
        }, {-1, 0});
        QCOMPARE(rig->Form->TilePicture(0).size(), tile);
    }

    void framesTravelBetweenTwoDocuments() {
        auto a = Open(3, 2);
        a->Cmd(TCommandId::Copy)->trigger();
        QVERIFY(QApplication::clipboard()->mimeData()->hasImage());
        auto b = Open(2, 0);
        b->Cmd(TCommandId::Paste)->trigger();
        const TGIFImage& doc = *b->Form->Document();
        QCOMPARE(doc.Frames().Count(), 3);
        QCOMPARE(b->Form->FramesList()->currentRow(), 1);
        QCOMPARE(Delay(doc, 1), 12);
        TBitmap pasted, original;
        doc.Frames()[1]->AssignTo(pasted);
        a->Form->Document()->Frames()[2]->AssignTo(original);
        QCOMPARE(pasted.Pixel(3, 2), original.Pixel(3, 2));
    }

    void pictureFromAnotherProgramPastesAsAFrame() {
        auto rig = Open(2, 1);
        QImage outside(5, 3, QImage::Format_RGB32);
        outside.fill(qRgb(200, 10, 30));
        QApplication::clipboard()->setImage(outside);
        QVERIFY(rig->Cmd(TCommandId::Paste)->isEnabled());
        rig->Cmd(TCommandId::Paste)->trigger();
        const TGIFImage& doc = *rig->Form->Document();
        QCOMPARE(doc.Frames().Count(), 3);
        QCOMPARE(int(doc.Frames()[2]->Width()), 5);
        TBitmap picture;
        doc.Frames()[2]->AssignTo(picture);
        QCOMPARE(picture.Pixel(2, 1), RGBColor(200, 10, 30));
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Paste"));
    }

    // A PNG with see-through pixels and a smooth ramp: added with the default
    // settings, the ramp keeps its colours and the hole stays transparent.
    void aPngAddsWithItsTransparencyAndFittedColours() {
        QFile::remove(FDir.filePath(QStringLiteral("settings.ini")));
        auto rig = std::make_unique<TMainFormRig>(FDir.filePath(QStringLiteral("settings.ini")),
                                                  FDir.filePath(QStringLiteral("program")), false);
        rig->Form->SetDialogRunner([](QDialog&) { return int(QDialog::Accepted); });
        const QString path = FDir.filePath(QStringLiteral("ramp.png"));
        QImage png(64, 8, QImage::Format_ARGB32);
        for (int x = 0; x < 64; ++x)
            for (int y = 0; y < 8; ++y)
                png.setPixel(x, y, y < 2 ? qRgba(0, 0, 0, 0) : qRgb(x * 4, 255 - x * 4, 128));
        QVERIFY(png.save(path, "PNG"));
        rig->Prompts.FileNames << path;
        rig->Cmd(TCommandId::AddFrame)->trigger();
        const TGIFImage& doc = *rig->Form->Document();
        QCOMPARE(doc.Frames().Count(), 1);
        const TGIFSubImage& frame = *doc.Frames()[0];
        QCOMPARE(int(frame.Width()), 64);
        QVERIFY(frame.ControlExtension() && frame.ControlExtension()->UsesTransparency());
        const int hole = frame.ControlExtension()->TransparentIndex();
        for (int x = 0; x < 64; ++x) {
            QCOMPARE(int(frame.PixelData()[x]), hole);
            const TGIFRGB& c = frame.EffectiveColors()->Entry(frame.PixelData()[5 * 64 + x]);
            QCOMPARE(int(c.red), x * 4); // 64 colours: every one kept exactly
        }
    }

    void playbackCountsFramesAndStopsForChanges() {
        auto rig = Open(5, 2);
        rig->Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig->Form.get()));
        rig->Cmd(TCommandId::Play)->trigger();
        QVERIFY(!rig->Cmd(TCommandId::Play)->isEnabled());
        QVERIFY(rig->Cmd(TCommandId::Pause)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(rig->Form->StatusText(1) == QStringLiteral("Frame 2 of 5"), 5000);
        // Something copied in another program does not stop it.
        QApplication::clipboard()->setText(QStringLiteral("elsewhere"));
        QCoreApplication::processEvents();
        QVERIFY(rig->Form->Playing());
        rig->Cmd(TCommandId::Pause)->trigger();
        QCOMPARE(rig->Form->StatusText(1), QStringLiteral("Frame #2 of 4"));
        QVERIFY(rig->Cmd(TCommandId::Play)->isEnabled());
        // A change while playing stops the painter first.
        rig->Cmd(TCommandId::Play)->trigger();
        QVERIFY(rig->Form->Playing());
        rig->Prompts.Answers << TMsgResult::Yes;
        rig->Cmd(TCommandId::DeleteFrame)->trigger();
        QVERIFY(!rig->Form->Playing());
        QCOMPARE(const_cast<TGIFImage*>(rig->Form->Document())->PainterList().Count(), 0);
        // New while playing, and playing when the window goes.
        rig->Cmd(TCommandId::Play)->trigger();
        rig->Prompts.Answers << TMsgResult::No; // the changes go
        rig->Cmd(TCommandId::New)->trigger();
        QVERIFY(!rig->Form->Playing());
        QVERIFY(!rig->Cmd(TCommandId::Play)->isEnabled());
        QVERIFY(!rig->Cmd(TCommandId::Pause)->isEnabled());
        auto again = Open(3, 0);
        again->Cmd(TCommandId::Play)->trigger();
        QTest::qWait(50);
        again->Form.reset(); // must not hang or crash
    }

    void everyTypedCommandExists() {
        auto rig = std::make_unique<TMainFormRig>(FDir.filePath(QStringLiteral("ids.ini")),
                                                  FDir.filePath(QStringLiteral("program")), false);
        for (int i = 0; i < int(TCommandId::Count); ++i)
            QVERIFY2(rig->Form->Command(TCommandId(i)), CommandName(TCommandId(i)));
    }
};

QTEST_MAIN(TFrameCommandsTest)
#include "tst_FrameCommands.moc"
