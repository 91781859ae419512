// The web formats from the main window: Export As Web Animation writes the
// file the dialog chose (and its still picture), remembers the choices and
// says so in the status bar; a WebP opens back as an "Untitled" animation; a
// damaged one is an error that leaves the document alone; HTML Code gives
// the <picture> and <video> snippets.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "color/FittedReduction.h"
#include "dialogs/Comments.h"
#include "dialogs/WebExport.h"
#include "gif/FrameControl.h"
#include "gif/GIFImage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

class TWebFormatsTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    QString Path(const char* Name) const { return FDir.filePath(QLatin1String(Name)); }

    // Dialogs are handed to Answer, which answers how they end.
    std::unique_ptr<TMainFormRig> NewRig(std::function<int(QDialog&)> Answer = {}) {
        QFile::remove(Path("s.ini"));
        auto rig = std::make_unique<TMainFormRig>(Path("s.ini"), Path("p"), false);
        rig->Form->SetDialogRunner([Answer](QDialog& d) { return Answer ? Answer(d) : int(QDialog::Rejected); });
        return rig;
    }

    // Three 24 x 16 frames of a block moving on grey, 20 hundredths each.
    void WriteGif(const QString& File) {
        TGIFImage gif;
        for (int f = 0; f < 3; ++f) {
            std::vector<std::uint32_t> pixels(24 * 16, 0x808080);
            for (int y = 4; y < 12; ++y)
                for (int x = 4 + 6 * f; x < 10 + 6 * f; ++x) pixels[std::size_t(y * 24 + x)] = 0xE02020;
            TGIFSubImage& frame = *gif.Frames()[gif.AddFrame(PackedToBitmap(pixels.data(), 24, 16))];
            RequireControl(frame).DelayTime = 20;
        }
        gif.SaveToFile(QFile::encodeName(File).toStdString());
    }

private slots:
    void initTestCase() { WriteGif(Path("anim.gif")); }

    void exportedWebPOpensBackAsTheAnimation() {
        bool shown = false;
        auto rig = NewRig([&](QDialog& d) {
            auto* dialog = qobject_cast<TfrmWebExport*>(&d);
            if (!dialog)
                return int(QDialog::Rejected);
            shown = true;
            // First choice: WebP, lossless, with the still picture.
            [&] {
                QVERIFY(dialog->optWebP->isChecked());
                QVERIFY(dialog->chkLossless->isChecked());
                QVERIFY(!dialog->spnQuality->isEnabled());
            }();
            dialog->accept();
            return dialog->result();
        });
        rig->Prompts.FileNames << Path("anim.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        QCOMPARE(rig->Form->Document()->Frames().Count(), 3);
        rig->Prompts.FileNames << Path("out"); // no extension: the format's is added
        rig->Cmd(TCommandId::ExportWeb)->trigger();
        QVERIFY(shown);
        QVERIFY(QFileInfo::exists(Path("out.webp")));
        QVERIFY(QFileInfo::exists(Path("out-still.png")));
        QVERIFY(!QFileInfo::exists(Path("out.webp.part")));
        QVERIFY(rig->Form->StatusText(2).startsWith(QStringLiteral("Exported out.webp (")));
        QVERIFY(rig->Prompts.Shown.isEmpty());

        rig->Prompts.FileNames << Path("out.webp");
        rig->Cmd(TCommandId::Open)->trigger();
        const TGIFImage& doc = *rig->Form->Document();
        QCOMPARE(doc.Frames().Count(), 3);
        QCOMPARE(int(doc.Frames()[1]->ControlExtension()->DelayTime), 20);
        QCOMPARE(rig->Form->windowTitle(), QStringLiteral("Pellmark Reelix 2.0 - Untitled"));
        QVERIFY(rig->Prompts.Shown.isEmpty());
    }

    // A name ending in .mp4 makes an MP4 whatever was ticked; the choices
    // are remembered for the next export.
    void theNameDecidesTheFormatAndChoicesAreKept() {
        int exports = 0;
        TWebExportChoice seen;
        auto rig = NewRig([&](QDialog& d) {
            auto* dialog = qobject_cast<TfrmWebExport*>(&d);
            if (!dialog)
                return int(QDialog::Rejected);
            if (exports++ == 0) {
                dialog->spnQuality->setValue(60);
                dialog->chkStill->setChecked(false);
            }
            dialog->accept();
            seen = dialog->Choice();
            return dialog->result();
        });
        rig->Prompts.FileNames << Path("anim.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Prompts.FileNames << Path("clip.mp4");
        rig->Cmd(TCommandId::ExportWeb)->trigger();
        QVERIFY(QFileInfo(Path("clip.mp4")).size() > 0);
        QVERIFY(!QFileInfo::exists(Path("clip-still.png")));
        QCOMPARE(seen.Options.Format, TWebFormat::MP4);
        rig->Prompts.FileNames << QString(); // the file question cancelled: nothing written
        rig->Cmd(TCommandId::ExportWeb)->trigger();
        QCOMPARE(seen.Options.Format, TWebFormat::MP4);
        QCOMPARE(seen.Options.Quality, 60);
        QVERIFY(!seen.WriteStill);
    }

    // Add Frame takes an animated WebP as it takes an animated GIF: asked,
    // No adds its first picture.
    void addFrameTakesTheFirstPictureOfAnAnimatedWebP() {
        auto rig = NewRig([](QDialog& d) {
            if (auto* drop = qobject_cast<TfrmComments*>(&d); drop && drop->Mode() == TfrmComments::cmDropImage)
                return int(QDialog::Accepted);
            return int(QDialog::Rejected);
        });
        rig->Prompts.FileNames << Path("anim.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        QVERIFY(QFileInfo::exists(Path("out.webp")));
        rig->Prompts.Answers << TMsgResult::No;
        rig->Prompts.FileNames << Path("out.webp");
        rig->Cmd(TCommandId::AddFrame)->trigger();
        QVERIFY(rig->Prompts.Texts().value(0).startsWith(QStringLiteral("This picture appears to be animated.")));
        QCOMPARE(rig->Form->Document()->Frames().Count(), 4);
    }

    void aDamagedWebPLeavesTheDocumentAlone() {
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("anim.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        QFile junk(Path("junk.webp"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("RIFF\x10\0\0\0WEBPVP8 nothing here");
        junk.close();
        rig->Prompts.FileNames << Path("junk.webp");
        rig->Cmd(TCommandId::Open)->trigger();
        QCOMPARE(rig->Prompts.Texts().size(), 1);
        QVERIFY(rig->Prompts.Texts().value(0).startsWith(QStringLiteral("Could not open junk.webp.\n")));
        QCOMPARE(rig->Form->Document()->Frames().Count(), 3);
        QCOMPARE(rig->Form->windowTitle(), QStringLiteral("Pellmark Reelix 2.0 - anim.gif"));
    }

    void htmlCodeOffersThePictureAndTheVideo() {
        QStringList codes;
        auto rig = NewRig([&](QDialog& d) {
            auto* dialog = qobject_cast<TfrmComments*>(&d);
            if (!dialog)
                return int(QDialog::Rejected);
            dialog->txtHint->setText(QStringLiteral("a \"red\" block & <grey>"));
            for (int code : {TfrmComments::hcImage, TfrmComments::hcPicture, TfrmComments::hcVideo}) {
                dialog->cmbCode->setCurrentIndex(code);
                codes << dialog->txtHTML->toPlainText();
            }
            return int(QDialog::Accepted);
        });
        rig->Prompts.FileNames << Path("anim.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Cmd(TCommandId::HtmlCode)->trigger();
        QCOMPARE(codes.size(), 3);
        const QString alt = QStringLiteral("alt=\"a &quot;red&quot; block &amp; &lt;grey&gt;\"");
        QCOMPARE(codes[0], QStringLiteral("<img src=\"anim.gif\" height=\"16\" width=\"24\" ") + alt +
                               QStringLiteral(" border=\"0\">"));
        QVERIFY(codes[1].startsWith(QStringLiteral("<picture>\n")));
        QVERIFY(codes[1].contains(QStringLiteral("<source srcset=\"anim-still.png\" media=\"(prefers-reduced-motion: reduce)\">")));
        QVERIFY(codes[1].contains(QStringLiteral("<source srcset=\"anim.webp\" type=\"image/webp\">")));
        QVERIFY(codes[1].contains(QStringLiteral("<img src=\"anim.gif\" width=\"24\" height=\"16\" ") + alt +
                                  QStringLiteral(" loading=\"lazy\">")));
        QVERIFY(codes[2].startsWith(QStringLiteral("<video autoplay loop muted playsinline width=\"24\" height=\"16\" poster=\"anim-still.png\"")));
        QVERIFY(codes[2].contains(QStringLiteral("<source src=\"anim.webm\" type=\"video/webm\">")));
        QVERIFY(codes[2].contains(QStringLiteral("<source src=\"anim.mp4\" type=\"video/mp4\">")));
    }
};

QTEST_MAIN(TWebFormatsTest)
#include "tst_WebFormats.moc"
