// Every GIF of the shared suites through the editor's Open: no crash; a file
// that does not open leaves an empty document; one that opens saves and reads
// back showing the same frames.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "controls/RXListBox.h"
#include "gif/GIFImage.h"
#include "services/QtRasterBridge.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

namespace {
// What a frame shows on its own: its place, size and the colour of every pixel.
QImage FramePicture(const TGIFSubImage& frame) {
    return FrameToQImage(frame, Qt::magenta).convertToFormat(QImage::Format_RGB32);
}
} // namespace

class TOpenSharedGifsTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void everyFileOpensOrLeavesTheDocumentEmpty() {
        const QString root = QStringLiteral(REELIX_TESTDATA_DIR "/gif");
        QStringList files;
        QDirIterator it(root, {QStringLiteral("*.gif"), QStringLiteral("*.GIF")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        if (files.isEmpty())
            QSKIP("no shared test data");
        files.sort();
        TMainFormRig rig(FDir.filePath(QStringLiteral("settings.ini")), FDir.filePath(QStringLiteral("program")), false);
        rig.Store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("MakeBackups"), false);
        const QString out = FDir.filePath(QStringLiteral("out.gif"));
        int opened = 0;
        for (const QString& file : files) {
            rig.Form->Session().Reset();
            rig.Prompts.Answers.clear();
            rig.Prompts.FileNames = QStringList{file};
            rig.Cmd(TCommandId::Open)->trigger();
            const TGIFImage& doc = *rig.Form->Document();
            const int entries = rig.Form->FramesList()->count();
            if (entries == 0) {
                QVERIFY2(doc.Frames().Count() == 0, qPrintable(file));
                continue;
            }
            ++opened;
            QFile::remove(out);
            QVERIFY2(rig.Form->Documents().SaveDocument(out), qPrintable(file + QLatin1String(": ") + rig.Prompts.Texts().join('|')));
            TGIFImage back;
            back.LoadFromFile(QFile::encodeName(out).toStdString());
            // Frames without pixels carry only extensions (a trailing comment, say).
            QList<const TGIFSubImage*> pictures;
            for (int i = 0; i < back.Frames().Count(); ++i)
                if (!back.Frames()[i]->IsEmpty())
                    pictures << back.Frames()[i];
            int compared = 0;
            for (int i = 0; i < doc.Frames().Count(); ++i) {
                const TGIFSubImage& want = *doc.Frames()[i];
                if (want.IsEmpty())
                    continue;
                QVERIFY2(compared < pictures.size(), qPrintable(file));
                const TGIFSubImage& have = *pictures[compared++];
                QCOMPARE(QRect(have.Left(), have.Top(), have.Width(), have.Height()),
                         QRect(want.Left(), want.Top(), want.Width(), want.Height()));
                QVERIFY2(FramePicture(have) == FramePicture(want), qPrintable(file + QStringLiteral(" frame %1").arg(i)));
            }
            QVERIFY2(compared == pictures.size(), qPrintable(file + QStringLiteral(": %1 of %2").arg(compared).arg(pictures.size())));
        }
        qInfo("%d of %d files opened, saved and read back", opened, int(files.size()));
    }
};

QTEST_MAIN(TOpenSharedGifsTest)
#include "tst_OpenSharedGifs.moc"
