// Frame Properties and Global Frame Properties driven through their widgets:
// the entry rules, centring, transparency picked from the picture, the local
// palette editor, and the document after OK, undo and redo.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "controls/NumericEdit.h"
#include "controls/RXListBox.h"
#include "controls/UpDown.h"
#include "dialogs/Palette.h"
#include "dialogs/Properties.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"

#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

namespace {
// Three frames on a 20 x 10 screen: frame 0 is 6 x 4 at (2, 3) with a local
// table of 4 colours (pixels 0..3 in rows), frames 1 and 2 use the global table.
void WriteGif(const QString& path, int frameWidth = 6, int frameHeight = 4) {
    TGIFImage image;
    image.Header().ScreenWidth = 20;
    image.Header().ScreenHeight = 10;
    for (int c = 0; c < 4; ++c)
        image.GlobalColors().AddColor(TColor(c * 0x303030));
    for (int i = 0; i < 3; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        if (i == 0)
            for (TColor c : {0x0000FFu, 0x00FF00u, 0xFF0000u, 0xFFFFFFu})
                frame->LocalColors().AddColor(c);
        frame->PlaceFrame(i == 0 ? 2 : 0, i == 0 ? 3 : 0, frameWidth, frameHeight);
        for (int p = 0; p < frameWidth * frameHeight; ++p)
            frame->PixelData()[p] = static_cast<std::uint8_t>((p / frameWidth) % 4);
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = static_cast<std::uint16_t>(20 + i);
        control->SetDisposalMethod(1);
        frame->ExtensionBlocks().Add(std::move(control));
        image.AddFrame(std::move(frame));
    }
    image.SaveToFile(QFile::encodeName(path).toStdString());
}

void Type(TNumericEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}
} // namespace

class TPropertiesTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    struct TRig : TMainFormRig {
        // The properties dialog, then any palette dialog, are answered in order.
        QList<std::function<int(QDialog&)>> Answers;
        TRig(const QString& store, const QString& folder) : TMainFormRig(store, folder, false) {
            Form->SetDialogRunner([this](QDialog& d) {
                d.show();
                return Answers.isEmpty() ? int(QDialog::Rejected) : Answers.takeFirst()(d);
            });
        }
    };
    std::unique_ptr<TRig> Open(const QString& file, int select) {
        QFile::remove(FDir.filePath(QStringLiteral("s.ini")));
        auto rig = std::make_unique<TRig>(FDir.filePath(QStringLiteral("s.ini")), FDir.filePath(QStringLiteral("p")));
        rig->Prompts.FileNames << file;
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Form->FramesList()->setCurrentRow(select);
        return rig;
    }
    static void UndoRedoExact(TRig& rig, const QByteArray& before, const QByteArray& after) {
        const TGIFImage& doc = *rig.Form->Document();
        rig.Cmd(TCommandId::Undo)->trigger();
        QCOMPARE(Snapshot(doc), before);
        rig.Cmd(TCommandId::Redo)->trigger();
        QCOMPARE(Snapshot(doc), after);
    }

private slots:
    void initTestCase() { WriteGif(FDir.filePath(QStringLiteral("a.gif"))); }

    void offsetAndDelayChangedThenUndone() {
        auto rig = Open(FDir.filePath(QStringLiteral("a.gif")), 0);
        const TGIFImage& doc = *rig->Form->Document();
        const QByteArray before = Snapshot(doc);
        rig->Answers << [](QDialog& d) {
            auto& p = static_cast<TfrmProp&>(d);
            if (p.lblW->text() != QLatin1String("6") || p.txtCurrXOff->text() != QLatin1String("2") ||
                p.txtCurrDelay->text() != QLatin1String("20") || !p.chkLocalPal->isChecked())
                return int(QDialog::Rejected);
            Type(p.txtXOffset, QStringLiteral("7"));
            Type(p.txtDelay, QStringLiteral("55"));
            p.cbDisposal->setCurrentIndex(2);
            QTest::mouseClick(p.btnOK, Qt::LeftButton);
            return p.result();
        };
        rig->Cmd(TCommandId::FrameProperties)->trigger();
        TGIFSubImage& frame = *doc.Frames()[0];
        QCOMPARE(int(frame.Left()), 7);
        QCOMPARE(int(frame.ControlExtension()->DelayTime), 55);
        QCOMPARE(int(frame.ControlExtension()->DisposalMethod()), 2);
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Frame Properties"));
        UndoRedoExact(*rig, before, Snapshot(doc));
    }

    void invalidNumbersAreRefusedAndRestored() {
        auto rig = Open(FDir.filePath(QStringLiteral("a.gif")), 1);
        TScriptedPrompts& prompts = rig->Prompts;
        QString afterLeaving;
        rig->Answers << [&afterLeaving](QDialog& d) {
            auto& p = static_cast<TfrmProp&>(d);
            QApplication::setActiveWindow(&p);
            if (!QTest::qWaitForWindowActive(&p))
                return int(QDialog::Rejected);
            Type(p.txtDelay, QStringLiteral("32767"));
            p.txtXOffset->setFocus(); // leaving the field checks it
            afterLeaving = p.txtDelay->text();
            QTest::mouseClick(p.btnCancel, Qt::LeftButton);
            return p.result();
        };
        const QByteArray before = Snapshot(*rig->Form->Document());
        rig->Cmd(TCommandId::FrameProperties)->trigger();
        QCOMPARE(prompts.Texts().value(0), QStringLiteral("'32767' is not a valid integer value."));
        QCOMPARE(afterLeaving, QStringLiteral("21"));
        QCOMPARE(Snapshot(*rig->Form->Document()), before);
    }

    void centringAFrameLargerThanTheScreenHoldsAtZero() {
        const QString file = FDir.filePath(QStringLiteral("large.gif"));
        WriteGif(file, 30, 16);
        auto rig = Open(file, 1);
        QPoint offsets(-1, -1);
        rig->Answers << [&offsets](QDialog& d) {
            auto& p = static_cast<TfrmProp&>(d);
            QTest::mouseClick(p.chkCenter, Qt::LeftButton);
            offsets = QPoint(p.udX->Position(), p.udY->Position());
            return int(QDialog::Rejected);
        };
        rig->Cmd(TCommandId::FrameProperties)->trigger();
        QCOMPARE(offsets, QPoint(0, 0));
    }

    void transparencyPickedFromThePicture() {
        auto rig = Open(FDir.filePath(QStringLiteral("a.gif")), 0);
        const TGIFImage& doc = *rig->Form->Document();
        const QByteArray before = Snapshot(doc);
        rig->Answers << [this, &rig](QDialog& d) {
            auto& p = static_cast<TfrmProp&>(d);
            QTest::mouseClick(p.chkTransparent, Qt::LeftButton); // opens the palette dialog
            QTest::mouseClick(p.btnOK, Qt::LeftButton);
            return p.result();
        };
        rig->Answers << [](QDialog& d) {
            auto& palette = static_cast<TfrmPalette&>(d);
            // Row 2 of the frame holds index 2: red (0xFF0000 is blue-high, so (0,0,255)).
            QTest::mouseClick(palette.pbImage, Qt::LeftButton, {}, QPoint(1, 2));
            QTest::mouseClick(palette.btnOK, Qt::LeftButton);
            return palette.result();
        };
        rig->Cmd(TCommandId::FrameProperties)->trigger();
        TGIFSubImage& frame = *doc.Frames()[0];
        QVERIFY(frame.ControlExtension()->UsesTransparency());
        QCOMPARE(frame.LocalColors().GetColor(frame.ControlExtension()->TransparentIndex()), TColor(0xFF0000));
        UndoRedoExact(*rig, before, Snapshot(doc));
    }

    // What the user leaves alone keeps each frame's own value; what the user
    // chooses is written into every frame.
    void globalModeWritesOnlyWhatWasChanged_data() {
        QTest::addColumn<bool>("chooseAll");
        QTest::newRow("only the delay typed") << false;
        QTest::newRow("disposal, interlacing and transparency chosen") << true;
    }
    void globalModeWritesOnlyWhatWasChanged() {
        QFETCH(bool, chooseAll);
        auto rig = Open(FDir.filePath(QStringLiteral("a.gif")), 1);
        const TGIFImage& doc = *rig->Form->Document();
        struct TKept {
            int disposal;
            bool interlaced, transparent;
        };
        // Each frame its own: the second see-through, the third interlaced
        // and restoring the previous picture.
        rig->Form->Session().Apply(QStringLiteral("Set up"), [](TGIFImage& d, TFrameEditLog& log) {
            log.FrameProperties(d, *d.Frames()[1]);
            d.Frames()[1]->ControlExtension()->SetTransparentIndex(0);
            d.Frames()[1]->ControlExtension()->SetUsesTransparency(true);
            log.FramePropertiesChanged(d);
            log.FrameProperties(d, *d.Frames()[2]);
            d.Frames()[2]->ControlExtension()->SetDisposalMethod(3);
            d.Frames()[2]->SetInterlaced(true);
            log.FramePropertiesChanged(d);
            return true;
        }, {1, 1});
        QList<TKept> kept;
        for (int i = 0; i < 3; ++i) {
            TGIFSubImage& frame = *doc.Frames()[i];
            kept.append({frame.ControlExtension()->DisposalMethod(), frame.IsInterlaced(),
                         frame.ControlExtension()->UsesTransparency()});
        }
        const QByteArray before = Snapshot(doc);
        rig->Answers << [chooseAll](QDialog& d) {
            auto& p = static_cast<TfrmProp&>(d);
            if (!p.GlobalMode || !p.txtXOffset->text().isEmpty() || !p.txtDelay->text().isEmpty() ||
                p.cbDisposal->currentText() != QLatin1String(TfrmProp::KeepEachFrameText) ||
                p.chkInterlaced->checkState() != Qt::PartiallyChecked ||
                p.chkTransparent->checkState() != Qt::PartiallyChecked ||
                p.windowTitle() != QLatin1String("Global Frame Properties"))
                return int(QDialog::Rejected);
            Type(p.txtDelay, QStringLiteral("9"));
            if (chooseAll) {
                p.cbDisposal->setCurrentIndex(p.cbDisposal->findText(QStringLiteral("Background")));
                QTest::mouseClick(p.chkInterlaced, Qt::LeftButton); // partly -> checked
                // Partly -> checked asks for the colour; none chosen: unchecked.
                QTest::mouseClick(p.chkTransparent, Qt::LeftButton);
                if (p.chkTransparent->checkState() != Qt::Unchecked)
                    return int(QDialog::Rejected);
            }
            QTest::mouseClick(p.btnOK, Qt::LeftButton);
            return p.result();
        };
        rig->Cmd(TCommandId::GlobalProperties)->trigger();
        for (int i = 0; i < 3; ++i) {
            TGIFSubImage& frame = *doc.Frames()[i];
            QCOMPARE(int(frame.ControlExtension()->DelayTime), 9);
            QCOMPARE(int(frame.ControlExtension()->DisposalMethod()), chooseAll ? 2 : kept[i].disposal);
            QCOMPARE(frame.IsInterlaced(), chooseAll ? true : kept[i].interlaced);
            QCOMPARE(frame.ControlExtension()->UsesTransparency(), chooseAll ? false : kept[i].transparent);
        }
        QCOMPARE(int(doc.Frames()[0]->Left()), 2);
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Global Frame Properties"));
        UndoRedoExact(*rig, before, Snapshot(doc));
    }

    void cancelAfterEditingTheLocalPaletteKeepsIt() {
        auto rig = Open(FDir.filePath(QStringLiteral("a.gif")), 0);
        const TGIFImage& doc = *rig->Form->Document();
        const QByteArray before = Snapshot(doc);
        rig->Answers << [](QDialog& d) {
            auto& p = static_cast<TfrmProp&>(d);
            QTest::mouseClick(p.btnPalette, Qt::LeftButton);
            QTest::mouseClick(p.btnCancel, Qt::LeftButton);
            return p.result();
        };
        rig->Answers << [](QDialog& d) {
            auto& palette = static_cast<TfrmPalette&>(d);
            QTest::mouseClick(palette.pbPalette, Qt::LeftButton, {}, QPoint(5, 5)); // entry 0
            QTest::mouseClick(palette.udGreen->btnUp, Qt::LeftButton);
            QTest::mouseClick(palette.btnOK, Qt::LeftButton);
            return palette.result();
        };
        rig->Cmd(TCommandId::FrameProperties)->trigger();
        QCOMPARE(doc.Frames()[0]->LocalColors().GetColor(0), TColor(0x0001FF));
        QCOMPARE(rig->Cmd(TCommandId::Undo)->text(), QStringLiteral("&Undo Edit Palette"));
        UndoRedoExact(*rig, before, Snapshot(doc));
    }
};

QTEST_MAIN(TPropertiesTest)
#include "tst_Properties.moc"
