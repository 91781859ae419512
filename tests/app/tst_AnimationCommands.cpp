// Animation Information and Optimize Animation from the main window: OK as one
// undo step, Cancel changing nothing, the sizes shown against the bytes saved,
// and Save offering the optimisation first.
#include "app/MainForm.h"
#include <QComboBox>
#include <QMenu>
#include <QSpinBox>
#include <QLabel>
#include "app/MainFormRig.h"
#include "controls/NumericEdit.h"
#include "controls/RXListBox.h"
#include "dialogs/Caption.h"
#include "dialogs/Comments.h"
#include "dialogs/Crop.h"
#include "dialogs/Info.h"
#include "dialogs/Optimize.h"
#include "gif/CommentEdits.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

namespace {

// Three frames on an 80 x 40 screen, a loop count of 2, the third frame a
// small square in the corner; frames 1 and 2 repeat much of frame 0.
void WriteGif(const QString& path, bool withLoop = true) {
    TGIFImage image;
    image.Header().ScreenWidth = 80;
    image.Header().ScreenHeight = 40;
    for (TColor c : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u})
        image.GlobalColors().AddColor(c);
    for (int i = 0; i < 3; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        const bool corner = i == 2;
        frame->PlaceFrame(corner ? 64 : 0, corner ? 24 : 0, corner ? 16 : 80, corner ? 16 : 40);
        for (int p = 0; p < frame->PixelDataSize(); ++p)
            frame->PixelData()[p] = std::uint8_t(corner ? 3 : (p % 80 < 8 * (i + 1) && p / 80 < 8) ? 0 : ((p % 80) / 3 + p / 80) % 3);
        if (i == 0 && withLoop) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(frame.get());
            loop->LoopCount = 2;
            frame->ExtensionBlocks().Add(std::move(loop));
        }
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = 10;
        control->SetDisposalMethod(1);
        frame->ExtensionBlocks().Add(std::move(control));
        image.AddFrame(std::move(frame));
    }
    image.SaveToFile(QFile::encodeName(path).toStdString());
}

void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

int LoopOf(const TGIFImage& doc) {
    const auto* loop = doc.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    return loop ? loop->LoopCount : -1;
}

} // namespace

class TAnimationCommandsTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    struct TRig : TMainFormRig {
        QList<std::function<int(QDialog&)>> Answers;
        int Asked = 0;
        TRig(const QString& store, const QString& folder) : TMainFormRig(store, folder, false) {
            Form->SetDialogRunner([this](QDialog& d) {
                ++Asked;
                d.show();
                return Answers.isEmpty() ? int(QDialog::Rejected) : Answers.takeFirst()(d);
            });
        }
    };
    std::unique_ptr<TRig> Open(bool optimizePrompt = false) {
        QFile::remove(FDir.filePath(QStringLiteral("s.ini")));
        auto rig = std::make_unique<TRig>(FDir.filePath(QStringLiteral("s.ini")), FDir.filePath(QStringLiteral("p")));
        rig->Store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("OptimizePrompt"), optimizePrompt);
        rig->Store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("MakeBackups"), false);
        QFile::remove(FDir.filePath(QStringLiteral("work.gif")));
        QFile::copy(FDir.filePath(QStringLiteral("a.gif")), FDir.filePath(QStringLiteral("work.gif")));
        rig->Prompts.FileNames << FDir.filePath(QStringLiteral("work.gif"));
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Form->FramesList()->setCurrentRow(0);
        return rig;
    }
    static void UndoRedoExact(TRig& rig, const QByteArray& before, const QByteArray& after) {
        const TGIFImage& doc = *rig.Form->Document();
        rig.Cmd(TCommandId::Undo)->trigger();
        QCOMPARE(Snapshot(doc), before);
        rig.Cmd(TCommandId::Redo)->trigger();
        QCOMPARE(Snapshot(doc), after);
    }
    // Waits for the optimisation shown, then presses OK (or Cancel).
    static std::function<int(QDialog&)> AnswerOptimize(bool ok, qint64* shownSize = nullptr,
                                                       bool uncheckPrompt = false) {
        return [=](QDialog& d) {
            auto& o = static_cast<TfrmOptimize&>(d);
            if (!QTest::qWaitFor([&] { return !o.Busy(); }, 20000))
                return int(QDialog::Rejected);
            if (shownSize)
                *shownSize = o.OptimizedSize();
            if (uncheckPrompt && o.chkSave->isChecked())
                QTest::mouseClick(o.chkSave, Qt::LeftButton, {}, QPoint(8, o.chkSave->height() / 2));
            QTest::mouseClick(ok ? o.btnOK : o.btnCancel, Qt::LeftButton);
            return o.result();
        };
    }

    static int CommentCount(const TGIFImage& doc) { return int(AllComments(doc).size()); }

private slots:
    void commentChangesAreUndoSteps() {
        auto rig = Open();
        const TGIFImage& doc = *rig->Form->Document();
        const QByteArray before = Snapshot(doc);
        rig->Answers << [&rig](QDialog& d) {
            auto& editor = static_cast<TfrmComments&>(d);
            if (editor.windowTitle() != QLatin1String("GIF Comments") || editor.lbComments->count() != 0)
                return int(QDialog::Rejected);
            rig->Answers << [](QDialog& e) {
                auto& entry = static_cast<TCommentEntry&>(e);
                QTest::keyClicks(entry.txtComments, QStringLiteral("made with Reelix"));
                QTest::keyClick(entry.txtComments, Qt::Key_Return);
                return entry.result();
            };
            QTest::mouseClick(editor.btnAdd, Qt::LeftButton);
            QTest::mouseClick(editor.btnDonw, Qt::LeftButton);
            return editor.result();
        };
        rig->Cmd(TCommandId::CommentEditor)->trigger();
        QCOMPARE(CommentCount(doc), 1);
        QCOMPARE(AllComments(doc)[0]->Lines, std::vector<std::string>{"made with Reelix"});
        QVERIFY(rig->Form->Session().Modified());
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Add Comment"));
        UndoRedoExact(*rig, before, Snapshot(doc));

        // Removing it is a step of its own, and marks the document too.
        rig->Form->Command(TCommandId::Save)->trigger();
        QVERIFY(!rig->Form->Session().Modified());
        const QByteArray withComment = Snapshot(doc);
        rig->Prompts.Answers << TMsgResult::Yes;
        rig->Answers << [](QDialog& d) {
            auto& editor = static_cast<TfrmComments&>(d);
            QTest::mouseClick(editor.btnDelete, Qt::LeftButton);
            return int(QDialog::Accepted);
        };
        rig->Cmd(TCommandId::AddComment)->trigger();
        QCOMPARE(CommentCount(doc), 0);
        QVERIFY(rig->Form->Session().Modified());
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Remove Comment"));
        UndoRedoExact(*rig, withComment, Snapshot(doc));
    }

    void initTestCase() {
        WriteGif(FDir.filePath(QStringLiteral("a.gif")));
        WriteGif(FDir.filePath(QStringLiteral("noloop.gif")), false);
    }

    // Saving adds a looping block to a file without one; the sizes shown
    // count it already.
    void sizesShownCountWhatSavingAdds() {
        auto rig = Open();
        rig->Prompts.FileNames << FDir.filePath(QStringLiteral("noloop.gif"));
        rig->Cmd(TCommandId::Open)->trigger();
        qint64 infoSize = -1;
        rig->Answers << [&infoSize](QDialog& d) {
            infoSize = static_cast<TfrmAniInfo&>(d).FileSize();
            return int(QDialog::Rejected);
        };
        rig->Cmd(TCommandId::AnimationInformation)->trigger();
        qint64 shown = -1;
        rig->Answers << AnswerOptimize(true, &shown);
        rig->Cmd(TCommandId::Optimize)->trigger();
        rig->Prompts.FileNames << FDir.filePath(QStringLiteral("noloop-saved.gif"));
        rig->Cmd(TCommandId::SaveAs)->trigger();
        QCOMPARE(QFileInfo(FDir.filePath(QStringLiteral("noloop-saved.gif"))).size(), shown);
        rig->Cmd(TCommandId::Undo)->trigger(); // back to the file as opened
        QVERIFY(infoSize > QFileInfo(FDir.filePath(QStringLiteral("noloop.gif"))).size());
    }

    void informationResizesAndLoopsAsOneStep() {
        auto rig = Open();
        const TGIFImage& doc = *rig->Form->Document();
        const QByteArray before = Snapshot(doc);
        rig->Answers << [](QDialog& d) {
            auto& info = static_cast<TfrmAniInfo&>(d);
            QTest::mouseClick(info.chkConstrain, Qt::LeftButton);
            Type(info.txtAniW, QStringLiteral("160"));
            Type(info.txtLoop, QStringLiteral("7"));
            // Nearest pixel redraws every frame whole; the smooth default
            // then stores only what changes.
            if (info.cmbFilter->currentData().toInt() != int(TResizeFilter::Smooth))
                return int(QDialog::Rejected);
            info.cmbFilter->setCurrentIndex(info.cmbFilter->findData(int(TResizeFilter::Nearest)));
            QTest::mouseClick(info.btnOK, Qt::LeftButton);
            return info.result();
        };
        rig->Cmd(TCommandId::AnimationInformation)->trigger();
        QCOMPARE(doc.Width(), 160);
        QCOMPARE(doc.Height(), 80);
        QCOMPARE(doc.Frames().Count(), 3);
        // The corner frame is now the whole picture, the corner drawn over frame 2.
        const TGIFSubImage& last = *doc.Frames()[2];
        QCOMPARE(QRect(last.Left(), last.Top(), last.Width(), last.Height()), QRect(0, 0, 160, 80));
        QCOMPARE(LoopOf(doc), 7);
        QVERIFY(rig->Form->Session().Modified());
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Animation Information"));
        UndoRedoExact(*rig, before, Snapshot(doc));
        rig->Cmd(TCommandId::Undo)->trigger();
        QVERIFY(!rig->Form->Session().Modified());
    }

    // Crop typed into the dialog (Enter applies), rotate and flip: each one
    // named step that undoes exactly; the Picture menu holds them.
    void pictureToolsAreUndoSteps() {
        auto rig = Open();
        const TGIFImage& doc = *rig->Form->Document();
        QMenu* menu = rig->Form->findChild<QMenu*>(QStringLiteral("mnuPicture"));
        QVERIFY(menu && menu->actions().contains(rig->Cmd(TCommandId::Crop)));
        QByteArray before = Snapshot(doc);
        rig->Answers << [](QDialog& d) {
            auto& crop = static_cast<TfrmCrop&>(d);
            if (crop.Area() != QRect(0, 0, 80, 40))
                return int(QDialog::Rejected);
            for (auto [box, value] : {std::pair{crop.spnLeft, 10}, {crop.spnTop, 4}, {crop.spnWidth, 60}, {crop.spnHeight, 30}}) {
                box->setFocus();
                box->selectAll();
                QTest::keyClicks(box, QString::number(value));
            }
            if (!crop.lblReadout->text().contains(QStringLiteral("60 x 30 of 80 x 40")))
                return int(QDialog::Rejected);
            QTest::keyClick(crop.spnHeight, Qt::Key_Return);
            return crop.result();
        };
        rig->Cmd(TCommandId::Crop)->trigger();
        QCOMPARE(doc.Width(), 60);
        QCOMPARE(doc.Height(), 30);
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Crop"));
        UndoRedoExact(*rig, before, Snapshot(doc));
        before = Snapshot(doc);
        rig->Cmd(TCommandId::RotateRight)->trigger();
        QCOMPARE(doc.Width(), 30);
        QCOMPARE(doc.Height(), 60);
        UndoRedoExact(*rig, before, Snapshot(doc));
        before = Snapshot(doc);
        rig->Cmd(TCommandId::FlipHorizontal)->trigger();
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Flip Horizontally"));
        UndoRedoExact(*rig, before, Snapshot(doc));
    }

    // Add Text: the caption lands on the picture as one step.
    void addTextIsOneStep() {
        auto rig = Open();
        const TGIFImage& doc = *rig->Form->Document();
        const QByteArray before = Snapshot(doc);
        rig->Answers << [](QDialog& d) {
            auto& text = static_cast<TfrmCaption&>(d);
            text.txtText->setText(QStringLiteral("Hi"));
            text.spnSize->setValue(14);
            text.PickColor = [](const QColor&, const QString&) { return std::optional<QColor>(QColor(255, 255, 0)); };
            QTest::mouseClick(text.btnColor, Qt::LeftButton);
            const TCaptionRequest request = text.Request();
            if (request.Style.Color != 0xFFFF00 || request.Place != TCaptionPlace::Bottom || !request.AllFrames)
                return int(QDialog::Rejected);
            QTest::keyClick(text.txtText, Qt::Key_Return);
            return text.result();
        };
        rig->Cmd(TCommandId::AddText)->trigger();
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Add Text"));
        QVERIFY(Snapshot(doc) != before);
        QCOMPARE(doc.Frames().Count(), 3);
        UndoRedoExact(*rig, before, Snapshot(doc));
    }

    void informationClampsTheWidthTo1000() {
        auto rig = Open();
        rig->Answers << [](QDialog& d) {
            auto& info = static_cast<TfrmAniInfo&>(d);
            Type(info.txtAniW, QStringLiteral("1500"));
            QTest::mouseClick(info.btnOK, Qt::LeftButton);
            return info.result();
        };
        rig->Cmd(TCommandId::AnimationInformation)->trigger();
        QCOMPARE(rig->Form->Document()->Width(), 1000);
        QCOMPARE(rig->Form->Document()->Height(), 40);
    }

    void cancelChangesNothing() {
        auto rig = Open();
        const TGIFImage& doc = *rig->Form->Document();
        const QByteArray before = Snapshot(doc);
        rig->Answers << [](QDialog& d) {
            auto& info = static_cast<TfrmAniInfo&>(d);
            Type(info.txtAniW, QStringLiteral("60"));
            QTest::mouseClick(info.btnCancel, Qt::LeftButton);
            return info.result();
        };
        rig->Cmd(TCommandId::AnimationInformation)->trigger();
        rig->Answers << AnswerOptimize(false);
        rig->Cmd(TCommandId::Optimize)->trigger();
        QCOMPARE(Snapshot(doc), before);
        QVERIFY(!rig->Form->Session().Modified());
        QVERIFY(!rig->Form->Session().Optimized());
    }

    void optimizeReplacesTheDocumentAndSavesTheSizeShown() {
        auto rig = Open();
        const TGIFImage& doc = *rig->Form->Document();
        const QByteArray before = Snapshot(doc);
        qint64 shown = -1;
        rig->Answers << AnswerOptimize(true, &shown);
        rig->Cmd(TCommandId::Optimize)->trigger();
        QVERIFY(rig->Form->Session().Optimized());
        QVERIFY(rig->Form->Session().Modified());
        QVERIFY(shown > 0);
        QVERIFY2(shown < before.size(), qPrintable(QStringLiteral("%1 -> %2").arg(before.size()).arg(shown)));
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Optimize Animation"));
        UndoRedoExact(*rig, before, Snapshot(doc));
        // Save writes exactly the size the dialog showed, without asking again.
        const int asked = rig->Asked;
        rig->Cmd(TCommandId::Save)->trigger();
        QCOMPARE(rig->Asked, asked);
        QCOMPARE(QFileInfo(FDir.filePath(QStringLiteral("work.gif"))).size(), shown);
    }

    void saveOffersOptimizationFirst() {
        auto rig = Open(true);
        // Cancel: saving still goes on, unoptimised.
        rig->Answers << AnswerOptimize(false);
        rig->Cmd(TCommandId::SaveAs)->trigger(); // no file name given: nothing written
        QCOMPARE(rig->Asked, 1);
        // OK with the prompt box cleared: the setting is written, the file optimised.
        qint64 shown = -1;
        rig->Answers << AnswerOptimize(true, &shown, true);
        rig->Prompts.FileNames << FDir.filePath(QStringLiteral("saved.gif"));
        rig->Cmd(TCommandId::SaveAs)->trigger();
        QCOMPARE(rig->Asked, 2);
        QVERIFY(!rig->Store.ReadBool(QStringLiteral("Settings\\"), QStringLiteral("OptimizePrompt"), true));
        QCOMPARE(QFileInfo(FDir.filePath(QStringLiteral("saved.gif"))).size(), shown);
        // Optimised now: Save does not ask again.
        rig->Cmd(TCommandId::Save)->trigger();
        QCOMPARE(rig->Asked, 2);
    }
};

QTEST_MAIN(TAnimationCommandsTest)
#include "tst_AnimationCommands.moc"
