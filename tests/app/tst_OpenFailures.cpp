// Nothing a user does may lose work: a file that cannot be opened, by any
// way in, leaves the document, its name and its history as they were and
// says why once; what a damaged file needed repaired is told once; the
// keyboard comes back after every message; Exit asks whenever the document
// is modified, whatever error came before.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "app/Routines.h"
#include "controls/RXListBox.h"
#include "gif/GIFImage.h"

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <QUrl>
#include <functional>
#include <memory>

namespace {
void WriteGif(const QString& path, int frames, int size = 16) {
    TGIFImage image;
    image.Header().ScreenWidth = std::uint16_t(size);
    image.Header().ScreenHeight = std::uint16_t(size);
    for (TColor c : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u})
        image.GlobalColors().AddColor(c);
    for (int i = 0; i < frames; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, size, size);
        for (int p = 0; p < frame->PixelDataSize(); ++p)
            frame->PixelData()[p] = std::uint8_t((p * 7 + i * 3 + p / 5) % 4);
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = 10;
        frame->ExtensionBlocks().Add(std::move(control));
        image.AddFrame(std::move(frame));
    }
    image.SaveToFile(QFile::encodeName(path).toStdString());
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

using TWayIn = std::function<void(TMainFormRig&, const QString&)>;

void Drop(TfrmMain& form, const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    // As the window system delivers it: the drag enters, then drops.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
}
} // namespace

Q_DECLARE_METATYPE(TWayIn)

class TOpenFailuresTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    QString Path(const QString& name) const { return FDir.filePath(name); }

    // A document with a history: the 3-frame animation, one frame moved.
    std::unique_ptr<TMainFormRig> Edited() {
        QFile::remove(Path(QStringLiteral("s.ini")));
        auto rig = std::make_unique<TMainFormRig>(Path(QStringLiteral("s.ini")), Path(QStringLiteral("p")), false);
        rig->Prompts.FileNames << Path(QStringLiteral("anim.gif"));
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Form->Frames().Move(0, 2);
        rig->Prompts.Shown.clear();
        return rig;
    }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        WriteGif(Path(QStringLiteral("anim.gif")), 3);
        WriteBytes(Path(QStringLiteral("empty.gif")), QByteArray());
        WriteBytes(Path(QStringLiteral("text.gif")), "This is a text file, not a picture.\n");
        QImage png(4, 4, QImage::Format_RGB32);
        png.fill(Qt::red);
        QVERIFY(png.save(Path(QStringLiteral("png-renamed.gif")), "PNG"));
        WriteBytes(Path(QStringLiteral("no-frames.gif")), QByteArray("GIF89a\x04\x00\x04\x00\x00\x00\x00;", 14));
        WriteBytes(Path(QStringLiteral("text.jpg")), "not a JPEG");
        WriteBytes(Path(QStringLiteral("text.bmp")), "not a BMP");
        WriteBytes(Path(QStringLiteral("text.avi")), "not a video");
        // A download cut short: 20 frames, of which the file holds a few.
        WriteGif(Path(QStringLiteral("long.gif")), 20, 64);
        const QByteArray whole = ReadBytes(Path(QStringLiteral("long.gif")));
        WriteBytes(Path(QStringLiteral("cut.gif")), whole.left(whole.size() / 4));
    }

    void failedOpenKeepsTheDocument_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<TWayIn>("way");
        QTest::addColumn<QString>("says");
        const TWayIn open = [](TMainFormRig& r, const QString& f) {
            r.Prompts.Answers << TMsgResult::No; // do not save: the document is still thrown away only once read
            r.Prompts.FileNames << f;
            r.Cmd(TCommandId::Open)->trigger();
        };
        const TWayIn recent = [](TMainFormRig& r, const QString& f) {
            r.Form->Documents().AddRecentFile(f);
            r.Prompts.Answers << TMsgResult::No;
            r.Form->Documents().RecentFileItems().first()->trigger();
        };
        const TWayIn drop = [](TMainFormRig& r, const QString& f) {
            r.Prompts.Answers << TMsgResult::No;
            Drop(*r.Form, f);
        };
        const TWayIn commandLine = [](TMainFormRig& r, const QString& f) {
            r.Prompts.Answers << TMsgResult::No;
            r.Form->Documents().OpenCommandLineFiles({f});
        };
        const TWayIn addFrame = [](TMainFormRig& r, const QString& f) {
            r.Prompts.FileNames << f;
            r.Cmd(TCommandId::AddFrame)->trigger();
        };
        const TWayIn thumbnail = [](TMainFormRig& r, const QString& f) { r.Form->InsertThumbnail(f); };
        const TWayIn video = [](TMainFormRig& r, const QString& f) {
            r.Prompts.Answers << TMsgResult::No;
            r.Prompts.FileNames << f;
            r.Cmd(TCommandId::ImportVideo)->trigger();
        };
        const QString gif = QStringLiteral("Unable to decode GIF file.\n");
        struct TWay {
            const char* name;
            TWayIn in;
        };
        for (const TWay& w : {TWay{"open", open}, TWay{"recent", recent}, TWay{"drop", drop},
                              TWay{"command line", commandLine}, TWay{"add frame", addFrame},
                              TWay{"thumbnail", thumbnail}}) {
            for (const char* f : {"empty.gif", "text.gif", "png-renamed.gif", "no-frames.gif"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(w.name), QLatin1String(f))))
                    << QString::fromLatin1(f) << w.in << gif + QLatin1String(f) + QStringLiteral(": ");
            for (const char* f : {"text.jpg", "text.bmp"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(w.name), QLatin1String(f))))
                    << QString::fromLatin1(f) << w.in
                    << QStringLiteral("Error loading %1. Unknown file type or corrupted file.\n").arg(QLatin1String(f));
        }
        for (const TWay& w : {TWay{"open", open}, TWay{"video import", video}})
            QTest::newRow(qPrintable(QStringLiteral("%1, text.avi").arg(QLatin1String(w.name))))
                << QStringLiteral("text.avi") << w.in << QStringLiteral("Could not import text.avi.\n");
    }
    void failedOpenKeepsTheDocument() {
        QFETCH(QString, file);
        QFETCH(TWayIn, way);
        QFETCH(QString, says);
        auto rig = Edited();
        const TGIFImage& doc = *rig->Form->Document();
        const int steps = rig->Form->UndoStack()->count();
        way(*rig, Path(file));
        QCOMPARE(doc.Frames().Count(), 3);
        QCOMPARE(rig->Form->FramesList()->count(), 3);
        QCOMPARE(rig->Form->Session().FileName(), Path(QStringLiteral("anim.gif")));
        QCOMPARE(rig->Form->windowTitle(), QStringLiteral("Pellmark Reelix 2.0 - anim.gif"));
        QVERIFY(rig->Form->Session().Modified());
        QCOMPARE(rig->Form->UndoStack()->count(), steps);
        QVERIFY(rig->Form->UndoStack()->canUndo());
        // Besides the question to save, exactly one error box, saying why.
        QStringList errors;
        for (const auto& shown : rig->Prompts.Shown)
            if (shown.Type == TMsgType::Error)
                errors << shown.Text;
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].startsWith(says) && errors[0].size() > says.size(), qPrintable(errors[0]));
    }

    void damagedFileIsOpenedAndItsRepairsToldOnce() {
        auto rig = Edited();
        rig->Prompts.Answers << TMsgResult::No;
        rig->Prompts.FileNames << Path(QStringLiteral("cut.gif"));
        rig->Cmd(TCommandId::Open)->trigger();
        const int frames = rig->Form->Document()->Frames().Count();
        QVERIFY(frames > 0 && frames < 20);
        QCOMPARE(rig->Form->Session().FileName(), Path(QStringLiteral("cut.gif")));
        QStringList warnings;
        for (const auto& shown : rig->Prompts.Shown)
            if (shown.Type == TMsgType::Warning)
                warnings << shown.Text;
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings[0].startsWith(QStringLiteral("cut.gif is damaged")), qPrintable(warnings[0]));
        QVERIFY2(warnings[0].contains(QStringLiteral("- Premature end of data")), qPrintable(warnings[0]));
        // A file that bends nothing says nothing.
        rig->Prompts.Shown.clear();
        rig->Prompts.FileNames << Path(QStringLiteral("anim.gif"));
        rig->Cmd(TCommandId::Open)->trigger();
        QCOMPARE(rig->Prompts.Texts(), QStringList());
    }

    void warningsAreListedOnceEach() {
        QCOMPARE(WarningsText(QStringLiteral("a.gif"), {}), QString());
        const QString text =
            WarningsText(QStringLiteral("/x/a.gif"), {"Premature end of data", "Unknown GIF block type", "Premature end of data"});
        QCOMPARE(text.count(QStringLiteral("Premature end of data")), 1);
        QVERIFY(text.endsWith(QStringLiteral("- Premature end of data\n- Unknown GIF block type")));
        QVERIFY(text.startsWith(QStringLiteral("a.gif is damaged")));
    }

    // After a message box or dialog goes, the main window has the keyboard.
    void theKeyboardComesBackAfterADialog() {
        QFile::remove(Path(QStringLiteral("s.ini")));
        TMainFormRig rig(Path(QStringLiteral("s.ini")), Path(QStringLiteral("p")), false);
        rig.Form->show();
        rig.Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.Form.get()));
        // Owned by the window or standing alone (as a window manager may
        // treat a box it was not told the owner of): either way.
        for (QWidget* owner : {static_cast<QWidget*>(rig.Form.get()), static_cast<QWidget*>(nullptr)}) {
            QDialog box(owner);
            box.show();
            box.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&box));
            box.hide();
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(rig.Form.get()));
            QVERIFY(rig.Form->focusWidget());
        }
    }

    // Exit asks whenever the document is modified, whatever failed before.
    void exitAsksAfterAnyError_data() {
        QTest::addColumn<TWayIn>("failure");
        QTest::newRow("failed save") << TWayIn([](TMainFormRig& r, const QString&) {
            r.Form->Documents().SetFileWriter([](const QString&, const QByteArray&) { return QStringLiteral("Read-only file system"); });
            r.Prompts.FileNames << QStringLiteral("/read-only/out.gif");
            r.Cmd(TCommandId::SaveAs)->trigger();
        });
        QTest::newRow("failed save over the file") << TWayIn([](TMainFormRig& r, const QString&) {
            r.Form->Documents().SetFileWriter([](const QString&, const QByteArray&) { return QStringLiteral("Permission denied"); });
            r.Cmd(TCommandId::Save)->trigger();
        });
        QTest::newRow("failed open") << TWayIn([](TMainFormRig& r, const QString& dir) {
            r.Prompts.Answers << TMsgResult::No;
            r.Prompts.FileNames << dir + QStringLiteral("/text.gif");
            r.Cmd(TCommandId::Open)->trigger();
        });
        QTest::newRow("failed add frame") << TWayIn([](TMainFormRig& r, const QString& dir) {
            r.Prompts.FileNames << dir + QStringLiteral("/text.jpg");
            r.Cmd(TCommandId::AddFrame)->trigger();
        });
    }
    void exitAsksAfterAnyError() {
        QFETCH(TWayIn, failure);
        auto rig = Edited();
        rig->Form->SetShiftHeld(true);
        rig->Form->FramesList()->setCurrentRow(1);
        rig->Form->Frames().Delete();
        rig->Form->SetShiftHeld(false);
        failure(*rig, FDir.path());
        rig->Prompts.Shown.clear();
        rig->Prompts.Answers.clear();
        rig->Prompts.Answers << TMsgResult::Cancel;
        rig->Form->show();
        QVERIFY(!rig->Form->close());
        QCOMPARE(rig->Prompts.Texts(), QStringList{QStringLiteral("Would you like to save the changes to anim.gif?")});
        QVERIFY(rig->Form->isVisible());
        QCOMPARE(rig->Form->Document()->Frames().Count(), 2);
    }
};

QTEST_MAIN(TOpenFailuresTest)
#include "tst_OpenFailures.moc"
