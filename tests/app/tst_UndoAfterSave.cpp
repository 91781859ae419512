// Saving never changes the document: every kind of undoable step is made,
// saved, undone, saved, redone and saved again, and each file must show what
// the document showed at that point (the file saved after undo is the file
// saved before the step, byte for byte).
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "controls/NumericEdit.h"
#include "controls/RXListBox.h"
#include "dialogs/Comments.h"
#include "dialogs/Info.h"
#include "dialogs/Optimize.h"
#include "dialogs/Properties.h"
#include "gif/GIFImage.h"
#include "raster/Bitmap.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUndoStack>
#include <QTest>
#include <functional>
#include <memory>

namespace {

// Two frames without a looping block: saving adds one, the case that once
// took the first frame's control block away on undo.
void WriteTwoFrames(const QString& path) {
    TGIFImage image;
    image.Header().ScreenWidth = 24;
    image.Header().ScreenHeight = 16;
    for (TColor c : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u})
        image.GlobalColors().AddColor(c);
    for (int i = 0; i < 2; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, 24, 16);
        for (int p = 0; p < frame->PixelDataSize(); ++p)
            frame->PixelData()[p] = std::uint8_t((p / 4 + i) % 4);
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = std::uint16_t(10 + i);
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

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct TRig : TMainFormRig {
    QList<std::function<int(QDialog&)>> Answers;
    TRig(const QString& store, const QString& folder) : TMainFormRig(store, folder, false) {
        Store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("MakeBackups"), false);
        Form->SetDialogRunner([this](QDialog& d) {
            d.show();
            return Answers.isEmpty() ? int(QDialog::Rejected) : Answers.takeFirst()(d);
        });
    }
};

using TStep = std::function<void(TRig&)>;

int Accept(QDialog& d, QPushButton* ok) {
    QTest::mouseClick(ok, Qt::LeftButton);
    return d.result();
}

// The comment editor: Add, type Text, OK, Done.
void AddComment(TRig& rig, const QString& text) {
    rig.Answers << [&rig, text](QDialog& d) {
        auto& editor = static_cast<TfrmComments&>(d);
        rig.Answers << [text](QDialog& e) {
            auto& entry = static_cast<TCommentEntry&>(e);
            QTest::keyClicks(entry.txtComments, text);
            QTest::keyClick(entry.txtComments, Qt::Key_Return);
            return entry.result();
        };
        QTest::mouseClick(editor.btnAdd, Qt::LeftButton);
        QTest::mouseClick(editor.btnDonw, Qt::LeftButton);
        return editor.result();
    };
    rig.Form->WholeAnimation().Comments();
}

} // namespace

Q_DECLARE_METATYPE(TStep)

class TUndoAfterSaveTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    QString Path(const QString& name) const { return FDir.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        WriteTwoFrames(Path(QStringLiteral("two.gif")));
    }

    void everyStepSavesUndoesAndRedoes_data() {
        QTest::addColumn<TStep>("step");
        QTest::newRow("delete frame") << TStep([](TRig& r) {
            r.Form->FramesList()->setCurrentRow(0);
            r.Form->SetShiftHeld(true);
            r.Form->Frames().Delete();
            r.Form->SetShiftHeld(false);
        });
        QTest::newRow("cut frame") << TStep([](TRig& r) {
            r.Form->FramesList()->setCurrentRow(0);
            r.Form->Frames().Cut();
        });
        QTest::newRow("paste frame") << TStep([](TRig& r) {
            r.Form->FramesList()->setCurrentRow(1);
            r.Form->Frames().Copy();
            r.Form->FramesList()->setCurrentRow(0);
            r.Form->Frames().Paste();
        });
        QTest::newRow("move frame") << TStep([](TRig& r) { r.Form->Frames().Move(1, 0); });
        QTest::newRow("frame properties") << TStep([](TRig& r) {
            r.Form->FramesList()->setCurrentRow(0);
            r.Answers << [](QDialog& d) {
                auto& p = static_cast<TfrmProp&>(d);
                Type(p.txtDelay, QStringLiteral("55"));
                return Accept(d, p.btnOK);
            };
            r.Form->Frames().Properties();
        });
        QTest::newRow("global frame properties") << TStep([](TRig& r) {
            r.Form->FramesList()->setCurrentRow(0);
            r.Answers << [](QDialog& d) {
                auto& p = static_cast<TfrmProp&>(d);
                Type(p.txtDelay, QStringLiteral("7"));
                return Accept(d, p.btnOK);
            };
            r.Form->Frames().GlobalProperties();
        });
        QTest::newRow("animation information") << TStep([](TRig& r) {
            r.Answers << [](QDialog& d) {
                auto& info = static_cast<TfrmAniInfo&>(d);
                QTest::mouseClick(info.chkConstrain, Qt::LeftButton);
                Type(info.txtAniW, QStringLiteral("36"));
                return Accept(d, info.btnOK);
            };
            r.Form->WholeAnimation().Information();
        });
        QTest::newRow("comment") << TStep([](TRig& r) { AddComment(r, QStringLiteral("made here")); });
        QTest::newRow("optimize") << TStep([](TRig& r) {
            r.Answers << [](QDialog& d) {
                auto& o = static_cast<TfrmOptimize&>(d);
                if (!QTest::qWaitFor([&] { return !o.Busy(); }, 20000))
                    return int(QDialog::Rejected);
                return Accept(d, o.btnOK);
            };
            r.Form->WholeAnimation().Optimize();
        });
        QTest::newRow("add picture") << TStep([](TRig& r) {
            TBitmap picture(24, 16, pf24bit);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 24 * 3; ++x)
                    picture.ScanLine(y)[x] = std::uint8_t(x * 3 + y * 7);
            r.Form->FramesList()->setCurrentRow(0);
            r.Form->Frames().AddPicture(std::move(picture), 0);
        });
    }
    void everyStepSavesUndoesAndRedoes() {
        QFETCH(TStep, step);
        QFile::remove(Path(QStringLiteral("s.ini")));
        TRig rig(Path(QStringLiteral("s.ini")), Path(QStringLiteral("p")));
        rig.Prompts.FileNames << Path(QStringLiteral("two.gif"));
        rig.Cmd(TCommandId::Open)->trigger();
        QCOMPARE(rig.Form->Document()->Frames().Count(), 2);

        const auto save = [&rig, this](const char* name) {
            const QString file = Path(QLatin1String(name));
            QVERIFY(rig.Form->Documents().SaveDocument(file));
            QVERIFY(!rig.Form->Session().Modified());
        };
        save("before.gif");
        const int steps = rig.Form->UndoStack()->count();
        step(rig);
        QCOMPARE(rig.Form->UndoStack()->count(), steps + 1);
        QVERIFY(rig.Form->Session().Modified());
        save("edited.gif");
        rig.Cmd(TCommandId::Undo)->trigger();
        save("undone.gif");
        QCOMPARE(Bytes(Path(QStringLiteral("undone.gif"))), Bytes(Path(QStringLiteral("before.gif"))));
        rig.Cmd(TCommandId::Redo)->trigger();
        save("redone.gif");
        QCOMPARE(Bytes(Path(QStringLiteral("redone.gif"))), Bytes(Path(QStringLiteral("edited.gif"))));
        // And once more, the way a person would go back and forth.
        rig.Cmd(TCommandId::Undo)->trigger();
        rig.Cmd(TCommandId::Redo)->trigger();
        save("again.gif");
        QCOMPARE(Bytes(Path(QStringLiteral("again.gif"))), Bytes(Path(QStringLiteral("edited.gif"))));
    }

    // The reported case: no looping block, a comment, save, undo.
    void undoAfterSaveKeepsTheControlBlocks() {
        QFile::remove(Path(QStringLiteral("s.ini")));
        TRig rig(Path(QStringLiteral("s.ini")), Path(QStringLiteral("p")));
        rig.Prompts.FileNames << Path(QStringLiteral("two.gif"));
        rig.Cmd(TCommandId::Open)->trigger();
        const TGIFImage& doc = *rig.Form->Document();
        AddComment(rig, QStringLiteral("note"));
        QVERIFY(rig.Form->Documents().SaveDocument(Path(QStringLiteral("commented.gif"))));
        QVERIFY2(doc.Frames()[0]->FindExtension<TGIFAppExtNSLoop>() == nullptr,
                 "saving leaves the document's blocks alone");
        rig.Cmd(TCommandId::Undo)->trigger();
        for (int i = 0; i < 2; ++i) {
            QVERIFY2(doc.Frames()[i]->ControlExtension(), qPrintable(QStringLiteral("frame %1").arg(i)));
            QCOMPARE(int(doc.Frames()[i]->ControlExtension()->DelayTime), 10 + i);
            QCOMPARE(doc.Frames()[i]->FindExtension<TGIFCommentExtension>(), nullptr);
        }
        // The file saved has the looping block saving adds.
        TGIFImage saved;
        saved.LoadFromFile(QFile::encodeName(Path(QStringLiteral("commented.gif"))).toStdString());
        QVERIFY(saved.Frames()[0]->FindExtension<TGIFAppExtNSLoop>());
    }
};

QTEST_MAIN(TUndoAfterSaveTest)
#include "tst_UndoAfterSave.moc"
