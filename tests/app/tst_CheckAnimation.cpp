// Tools > Check Animation from the main window: a GIF with delays of 0 and an
// endless loop lists both findings, each Fix mends one as its own undo step
// (the list follows), and undo brings them back; saving says in the status
// bar when browsers will play the file differently.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "color/FittedReduction.h"
#include "controls/ByteChart.h"
#include "dialogs/CheckAnimation.h"
#include "gif/FrameControl.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "session/EditSession.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TCheckAnimationTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    QString Path(const char* Name) const { return FDir.filePath(QLatin1String(Name)); }

    static int Row(const TfrmCheck& Dialog, const char* Rule) {
        for (std::size_t i = 0; i < Dialog.Report().Findings.size(); ++i)
            if (Dialog.Report().Findings[i].Rule == Rule)
                return int(i);
        return -1;
    }

private slots:
    void initTestCase() {
        // Four 24 x 16 frames of a block moving on grey, delays 0, looping without end.
        TGIFImage gif;
        for (int f = 0; f < 4; ++f) {
            std::vector<std::uint32_t> pixels(24 * 16, 0x808080);
            for (int y = 4; y < 12; ++y)
                for (int x = 4 * f; x < 4 * f + 6; ++x) pixels[std::size_t(y * 24 + x)] = 0x2020E0;
            TGIFSubImage& frame = *gif.Frames()[gif.AddFrame(PackedToBitmap(pixels.data(), 24, 16))];
            RequireControl(frame).DelayTime = 0;
        }
        gif.Frames()[0]->ExtensionBlocks().Insert(0, std::make_unique<TGIFAppExtNSLoop>(gif.Frames()[0]));
        gif.SaveToFile(QFile::encodeName(Path("fast.gif")).toStdString());
    }

    void fixesMendTheFindingsAndUndoBringsThemBack() {
        QStringList before, after;
        QString fixCaption;
        int bars = 0;
        bool explained = false;
        TMainFormRig rig(Path("s.ini"), Path("p"), false);
        rig.Form->SetDialogRunner([&](QDialog& d) {
            auto* check = qobject_cast<TfrmCheck*>(&d);
            if (!check)
                return int(QDialog::Rejected);
            for (const TCheckFinding& f : check->Report().Findings)
                before << QString::fromStdString(f.Rule);
            bars = int(check->chtBytes->Bytes().size());
            check->lstFindings->setCurrentRow(Row(*check, "short-delays"));
            fixCaption = check->btnFix->text();
            QTest::mouseClick(check->btnFix, Qt::LeftButton);
            check->lstFindings->setCurrentRow(Row(*check, "endless-motion"));
            explained = check->lblExplanation->text().contains(QStringLiteral("2.2.2"));
            QTest::mouseClick(check->btnFix, Qt::LeftButton);
            for (const TCheckFinding& f : check->Report().Findings)
                after << QString::fromStdString(f.Rule);
            return int(QDialog::Accepted);
        });
        rig.Prompts.FileNames << Path("fast.gif");
        rig.Cmd(TCommandId::Open)->trigger();
        rig.Cmd(TCommandId::CheckAnimation)->trigger();
        QVERIFY(before.contains(QStringLiteral("short-delays")));
        QVERIFY(before.contains(QStringLiteral("endless-motion")));
        QCOMPARE(fixCaption, QStringLiteral("F&ix: Set these delays to 2 hundredths"));
        QCOMPARE(bars, 4);
        QVERIFY(explained);
        QVERIFY(!after.contains(QStringLiteral("short-delays")));
        QVERIFY(!after.contains(QStringLiteral("endless-motion")));

        const TGIFImage& doc = *rig.Form->Document();
        QCOMPARE(int(doc.Frames()[2]->ControlExtension()->DelayTime), 2);
        QCOMPARE(int(doc.Frames()[0]->FindExtension<TGIFAppExtNSLoop>()->LoopCount), 61);  // 8 hundredths a play
        rig.Cmd(TCommandId::Undo)->trigger();
        QCOMPARE(int(rig.Form->Document()->Frames()[0]->FindExtension<TGIFAppExtNSLoop>()->LoopCount), 0);
        QCOMPARE(int(rig.Form->Document()->Frames()[2]->ControlExtension()->DelayTime), 2);
        rig.Cmd(TCommandId::Undo)->trigger();
        QCOMPARE(int(rig.Form->Document()->Frames()[2]->ControlExtension()->DelayTime), 0);
        QVERIFY(!rig.Form->Session().Modified());
    }

    // The frames list's popup toggles the bytes on the tiles.
    void tilesCanShowTheirBytes() {
        TMainFormRig rig(Path("s3.ini"), Path("p3"), false);
        rig.Prompts.FileNames << Path("fast.gif");
        rig.Cmd(TCommandId::Open)->trigger();
        QAction* bytes = rig.Cmd(TCommandId::FrameBytes);
        QVERIFY(bytes->isCheckable());
        QVERIFY(!bytes->isChecked());
        bytes->trigger();
        QVERIFY(rig.Form->FrameBytesShown());
        QVERIFY(bytes->isChecked());
        rig.Form->grab();  // the tiles are drawn with their bytes
        bytes->trigger();
        QVERIFY(!rig.Form->FrameBytesShown());
    }

    void savingSaysWhenBrowsersPlayItDifferently() {
        TMainFormRig rig(Path("s2.ini"), Path("p2"), false);
        rig.Form->SetDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
        rig.Prompts.FileNames << Path("fast.gif");
        rig.Cmd(TCommandId::Open)->trigger();
        rig.Prompts.FileNames << Path("again.gif");
        rig.Cmd(TCommandId::SaveAs)->trigger();
        QVERIFY(QFileInfo::exists(Path("again.gif")));
        QVERIFY2(rig.Form->StatusText(2).startsWith(QStringLiteral("Saved. Browsers will play it differently: 4 frames have a delay of 0 or 1")),
                 qPrintable(rig.Form->StatusText(2)));
    }
};

QTEST_MAIN(TCheckAnimationTest)
#include "tst_CheckAnimation.moc"
