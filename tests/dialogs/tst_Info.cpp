// Animation Information driven through its widgets: what it shows, the size
// and percent coupling with its rounding, the entry rules, Reset, the palette
// editor, and the values it hands back.
#include "app/ScriptedPrompts.h"
#include "controls/NumericEdit.h"
#include "controls/UpDown.h"
#include "controls/ByteChart.h"
#include "dialogs/Info.h"
#include "dialogs/Palette.h"
#include "gif/GIFImage.h"
#include "gif/OptimizeChoices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

// Two frames on a width x height screen, delays 25 and 50, a looping
// extension with `loops` on the first frame when loops >= 0.
std::unique_ptr<TGIFImage> MakeDocument(int width, int height, int loops = 3) {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = std::uint16_t(width);
    image->Header().ScreenHeight = std::uint16_t(height);
    for (TColor c : {0x000000u, 0x0000FFu, 0x00FF00u})
        image->GlobalColors().AddColor(c);
    for (int i = 0; i < 2; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->PlaceFrame(0, 0, width, height);
        std::fill(frame->PixelData(), frame->PixelData() + frame->PixelDataSize(), std::uint8_t(i + 1));
        if (i == 0 && loops >= 0) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(frame.get());
            loop->LoopCount = std::uint16_t(loops);
            frame->ExtensionBlocks().Add(std::move(loop));
        }
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = std::uint16_t(25 * (i + 1));
        frame->ExtensionBlocks().Add(std::move(control));
        image->AddFrame(std::move(frame));
    }
    return image;
}

void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

} // namespace

class TInfoTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheFactsOfTheAnimation() {
        auto doc = MakeDocument(200, 100);
        TScriptedPrompts prompts;
        TfrmAniInfo info(*doc, QStringLiteral("/some/folder/anim.gif"), prompts);
        QCOMPARE(info.lblCount->text(), QStringLiteral("2"));
        QCOMPARE(info.lblRunTime->text(), QStringLiteral("0.75 secs (2.7 frames per second)"));
        QCOMPARE(info.txtLoop->text(), QStringLiteral("3"));
        QCOMPARE(info.txtCurrLoop->text(), QStringLiteral("3"));
        QCOMPARE(info.txtCurrW->text(), QStringLiteral("200"));
        QCOMPARE(info.txtCurrH->text(), QStringLiteral("100"));
        QCOMPARE(info.txtHPercent->text(), QStringLiteral("100"));
        QVERIFY(!info.btnReset->isEnabled());
        QCOMPARE(info.lblNumColors->text(), QStringLiteral("3"));
        QVERIFY(info.btnPalette->isEnabled());
        const qint64 size = SavedSize(*doc);
        QCOMPARE(info.FileSize(), size);
        QCOMPARE(info.lblFileSize->text(), QStringLiteral("anim.gif (%1 bytes)").arg(ThousandsText(size)));
        QCOMPARE(int(info.chtBytes->Bytes().size()), 2);  // a bar per frame
        QCOMPARE(info.chtBytes->FrameAt(info.chtBytes->width() - 1), 1);
        QCOMPARE(info.lblDLTime->text(), QString::asprintf("%4.2f secs with a", size * 8 / 14.4 / 1000));
        info.cbBps->setCurrentIndex(2);
        QCOMPARE(info.lblDLTime->text(), QString::asprintf("%4.2f secs with a", size * 8 / 56.6 / 1000));
        QCOMPARE(ThousandsText(1234567), QStringLiteral("1,234,567"));
    }

    void couplingKeepsProportionsWhenConstrained_data() {
        QTest::addColumn<bool>("constrain");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected"); // height, width, height %, width %
        QTest::newRow("height 50 constrained") << true << "txtAniH" << "50" << QStringList{"50", "100", "50", "50"};
        QTest::newRow("height % 150 free") << false << "txtHPercent" << "150" << QStringList{"150", "200", "150", "100"};
        QTest::newRow("width 300 constrained") << true << "txtAniW" << "300" << QStringList{"150", "300", "150", "150"};
        QTest::newRow("width % 25 constrained") << true << "txtWPercent" << "25" << QStringList{"25", "50", "25", "25"};
        // 1/200 = 0.5 % rounds to even: 0; 3/200 = 1.5 % rounds to 2.
        QTest::newRow("half to even down") << false << "txtAniW" << "1" << QStringList{"100", "1", "100", "0"};
        QTest::newRow("half to even up") << false << "txtAniW" << "3" << QStringList{"100", "3", "100", "2"};
    }
    void couplingKeepsProportionsWhenConstrained() {
        QFETCH(bool, constrain);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        auto doc = MakeDocument(200, 100);
        TScriptedPrompts prompts;
        TfrmAniInfo info(*doc, QString(), prompts);
        info.chkConstrain->setChecked(constrain);
        QCOMPARE(info.imgConstrain->isVisibleTo(&info), constrain);
        Type(info.findChild<QLineEdit*>(field), typed);
        QCOMPARE((QStringList{info.txtAniH->text(), info.txtAniW->text(), info.txtHPercent->text(),
                              info.txtWPercent->text()}),
                 expected);
        QVERIFY(info.btnReset->isEnabled());
    }

    void checkingConstrainCouplesAnEditedSide() {
        auto doc = MakeDocument(200, 100);
        TScriptedPrompts prompts;
        TfrmAniInfo info(*doc, QString(), prompts);
        Type(info.txtAniH, QStringLiteral("50"));
        QCOMPARE(info.txtAniW->text(), QStringLiteral("200"));
        QTest::mouseClick(info.chkConstrain, Qt::LeftButton);
        QCOMPARE(info.txtAniW->text(), QStringLiteral("100"));
        QCOMPARE(info.txtWPercent->text(), QStringLiteral("50"));
    }

    void resetPutsEverythingBack() {
        auto doc = MakeDocument(200, 100);
        TScriptedPrompts prompts;
        TfrmAniInfo info(*doc, QString(), prompts);
        Type(info.txtLoop, QStringLiteral("9"));
        Type(info.txtAniW, QStringLiteral("20"));
        QTest::mouseClick(info.btnReset, Qt::LeftButton);
        QCOMPARE(info.txtLoop->text(), QStringLiteral("3"));
        QCOMPARE(info.txtAniW->text(), QStringLiteral("200"));
        QCOMPARE(info.txtWPercent->text(), QStringLiteral("100"));
        QVERIFY(!info.btnReset->isEnabled());
        const TAnimationInfoEdit edit = info.Values();
        QCOMPARE(edit.Width, 200);
        QCOMPARE(edit.Loop, 3);
        QVERIFY(!ResizeRequested(*doc, edit));
    }

    void loopOf40000IsRejectedOnLeaving() {
        auto doc = MakeDocument(200, 100);
        TScriptedPrompts prompts;
        TfrmAniInfo info(*doc, QString(), prompts);
        info.show();
        QApplication::setActiveWindow(&info);
        QVERIFY(QTest::qWaitForWindowActive(&info));
        Type(info.txtLoop, QStringLiteral("40000"));
        info.txtAniH->setFocus();
        QCOMPARE(prompts.Texts().value(0), QStringLiteral("'40000' is not a valid integer value."));
        QCOMPARE(info.txtLoop->text(), QStringLiteral("3"));
        QCOMPARE(info.udLoop->Position(), 3);
        // Letters cannot be typed at all.
        Type(info.txtAniW, QStringLiteral("a1b"));
        QCOMPARE(info.txtAniW->text(), QStringLiteral("1"));
    }

    void okWithABadFieldStaysOpen() {
        auto doc = MakeDocument(200, 100);
        TScriptedPrompts prompts;
        TfrmAniInfo info(*doc, QString(), prompts);
        info.txtAniH->setText(QString());
        QTest::mouseClick(info.btnOK, Qt::LeftButton);
        QCOMPARE(info.result(), int(QDialog::Rejected));
        QCOMPARE(prompts.Texts().value(0), QStringLiteral("'' is not a valid integer value."));
    }

    void paletteEditIsHandedBackNotWritten() {
        auto doc = MakeDocument(20, 10);
        TScriptedPrompts prompts;
        TfrmAniInfo info(*doc, QString(), prompts);
        info.RunDialog = [](QDialog& d) {
            auto& palette = static_cast<TfrmPalette&>(d);
            if (palette.Tag() != TfrmPalette::pmEdit || palette.ColorCount() != 3)
                return int(QDialog::Rejected);
            palette.accept();
            return int(QDialog::Accepted);
        };
        QTest::mouseClick(info.btnPalette, Qt::LeftButton);
        QVERIFY(info.PaletteEdited());
        const TAnimationInfoEdit edit = info.Values();
        QVERIFY(edit.PaletteEdited);
        QCOMPARE(int(edit.Palette.size()), 3);
        QCOMPARE(doc->GlobalColors().Count(), 3);
    }

    void emptyPaletteDisablesTheButton() {
        auto doc = MakeDocument(20, 10, -1);
        doc->GlobalColors().ClearColors();
        TScriptedPrompts prompts;
        TfrmAniInfo info(*doc, QString(), prompts);
        QVERIFY(!info.btnPalette->isEnabled());
        QCOMPARE(info.txtLoop->text(), QStringLiteral("0"));
        // Pixels no table colours: nothing to measure, and no crash.
        QCOMPARE(info.lblFileSize->text(), QStringLiteral(" (Color not in color table)"));
    }
};

QTEST_MAIN(TInfoTest)
#include "tst_Info.moc"
