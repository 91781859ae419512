// Video from the main window: a video opened as a new "Untitled" animation,
// the import command, a file that is not a video, and Export As AVI. The test
// videos are made with ffmpeg (a peer, test-only); skipped without it.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "controls/RXListBox.h"
#include "dialogs/VideoImport.h"
#include "gif/GIFImage.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

namespace {
bool Ffmpeg(const QStringList& Arguments) {
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{"-loglevel", "error", "-y"} + Arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0;
}
} // namespace

class TVideoTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    // The import dialog, as shown, is handed to Choose and accepted.
    std::unique_ptr<TMainFormRig> NewRig(std::function<void(TfrmVideoImport&)> Choose = {}) {
        QFile::remove(FDir.filePath(QStringLiteral("s.ini")));
        auto rig = std::make_unique<TMainFormRig>(FDir.filePath(QStringLiteral("s.ini")),
                                                  FDir.filePath(QStringLiteral("p")), false);
        rig->Form->SetDialogRunner([Choose](QDialog& d) {
            auto* import = qobject_cast<TfrmVideoImport*>(&d);
            if (!import)
                return int(QDialog::Rejected);
            if (Choose)
                Choose(*import);
            return int(QDialog::Accepted);
        });
        return rig;
    }
    QString Path(const char* Name) const { return FDir.filePath(QLatin1String(Name)); }

private slots:
    void initTestCase() {
        if (!Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=80x60:rate=10", "-t", "1.2", "-c:v", "mpeg4", Path("clip.mp4")}))
            QSKIP("ffmpeg is not installed");
        QVERIFY(Ffmpeg({"-f", "lavfi", "-i", "sine=duration=0.3", Path("sound.wav")}));
    }

    void openingAVideoMakesAnUntitledAnimation() {
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("clip.mp4");
        rig->Cmd(TCommandId::Open)->trigger();
        const TGIFImage& doc = *rig->Form->Document();
        QCOMPARE(doc.Frames().Count(), 12);
        QCOMPARE(int(doc.Frames()[5]->ControlExtension()->DelayTime), 10);
        QCOMPARE(rig->Form->FramesList()->count(), 12);
        QCOMPARE(rig->Form->windowTitle(), QStringLiteral("Pellmark Reelix 2.0 - Untitled"));
        QVERIFY(rig->Form->Session().Modified());
        QVERIFY(rig->Prompts.Shown.isEmpty());
        // Saved as GIF, it reads back with its frames.
        rig->Prompts.FileNames << Path("clip.gif");
        rig->Cmd(TCommandId::SaveAs)->trigger();
        TGIFImage saved;
        saved.LoadFromFile(QFile::encodeName(Path("clip.gif")).toStdString());
        QCOMPARE(saved.Frames().Count(), 12);
    }

    // Part of the clip, at a lower rate and half the size, as typed in the
    // dialog; the preview follows the start slider.
    void theDialogTrimsSlowsAndShrinks() {
        QString summary;
        bool previewed = false;
        auto rig = NewRig([&](TfrmVideoImport& d) {
            QCOMPARE(d.spnTo->maximum(), 1.2);
            d.sldFrom->setValue(250); // a quarter in: 0.3 s
            QCOMPARE(d.spnFrom->value(), 0.3);
            QTest::qWait(200);         // the preview follows once the slider rests
            previewed = d.lblPreview->pixmap().width() == 80;
            d.spnTo->setValue(0.9);
            d.cmbRate->setCurrentIndex(d.cmbRate->findData(5.0));
            d.cmbSize->setCurrentIndex(3);  // percent, 50 by default
            summary = d.lblSummary->text();
        });
        rig->Prompts.FileNames << Path("clip.mp4");
        rig->Cmd(TCommandId::Open)->trigger();
        QVERIFY(previewed);
        QCOMPARE(summary, QStringLiteral("0.60 s at 40 x 30: about 3 frames."));
        const TGIFImage& doc = *rig->Form->Document();
        QCOMPARE(doc.Frames().Count(), 3);
        QCOMPARE(doc.Width(), 40);
        int total = 0;
        for (int i = 0; i < doc.Frames().Count(); ++i)
            total += doc.Frames()[i]->ControlExtension()->DelayTime;
        QCOMPARE(total, 60);
        // Cancelling the dialog imports nothing.
        auto cancelled = NewRig();
        cancelled->Form->SetDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
        cancelled->Prompts.FileNames << Path("clip.mp4");
        cancelled->Cmd(TCommandId::Open)->trigger();
        QCOMPARE(cancelled->Form->Document()->Frames().Count(), 0);
        QVERIFY(cancelled->Prompts.Shown.isEmpty());
    }

    void importCommandAndAFileThatIsNotAVideo() {
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("sound.wav");
        rig->Cmd(TCommandId::ImportVideo)->trigger();
        QCOMPARE(rig->Prompts.Texts().value(0), QStringLiteral("Could not import sound.wav.\nFailed to open AVI stream"));
        QCOMPARE(rig->Form->Document()->Frames().Count(), 0);
        rig->Prompts.FileNames << Path("clip.mp4");
        rig->Cmd(TCommandId::ImportVideo)->trigger();
        QCOMPARE(rig->Form->Document()->Frames().Count(), 12);
        // A modified animation whose save question is cancelled stays.
        rig->Prompts.Answers << TMsgResult::Cancel;
        rig->Prompts.FileNames << Path("sound.wav");
        rig->Cmd(TCommandId::ImportVideo)->trigger();
        QCOMPARE(rig->Form->Document()->Frames().Count(), 12);
        QCOMPARE(rig->Prompts.FileNames.size(), 1); // no file was asked for
    }

    void exportWritesAnAviOfTheAnimation() {
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("clip.mp4");
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Prompts.FileNames << Path("out"); // no extension: ".avi" is added
        rig->Cmd(TCommandId::ExportVideo)->trigger();
        QVERIFY(rig->Prompts.Shown.isEmpty());
        QVERIFY(QFileInfo(Path("out.avi")).size() > 12 * 80 * 60);
        QProcess probe;
        probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                "stream=codec_name,pix_fmt,nb_frames", "-of", "csv=p=0", Path("out.avi")});
        QVERIFY(probe.waitForFinished(30000));
        QCOMPARE(QString::fromLatin1(probe.readAllStandardOutput()).trimmed(), QStringLiteral("rawvideo,pal8,12"));
    }
};

QTEST_MAIN(TVideoTest)
#include "tst_Video.moc"
