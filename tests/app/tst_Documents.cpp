// The document's life in the main window: the state table, every question and
// its answers, opening by kind, import positions and size questions, saving
// with backups and failures, recent files, drops and command-line files.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "controls/RXListBox.h"
#include "dialogs/Comments.h"
#include "dialogs/Progress.h"
#include "dialogs/Settings.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QUrl>
#include <memory>

namespace {
const QString Section = QStringLiteral("Settings\\");

// Writes a GIF of `frames` frames of w x h; frame i is filled with colour index
// i % 2 of a black/white table. `loopOn` puts a looping extension on that frame.
void WriteGif(const QString& path, int frames, int w = 8, int h = 6, int loopOn = -1) {
    TGIFImage image;
    image.Header().ScreenWidth = static_cast<std::uint16_t>(w);
    image.Header().ScreenHeight = static_cast<std::uint16_t>(h);
    image.GlobalColors().AddColor(0x000000);
    image.GlobalColors().AddColor(0xFFFFFF);
    for (int i = 0; i < frames; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, w, h);
        std::fill(frame->PixelData(), frame->PixelData() + w * h, static_cast<std::uint8_t>(i % 2));
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = static_cast<std::uint16_t>(10 + i);
        frame->ExtensionBlocks().Add(std::move(control));
        if (i == loopOn) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(frame.get());
            loop->LoopCount = 7;
            frame->ExtensionBlocks().Add(std::move(loop));
        }
        image.AddFrame(std::move(frame));
    }
    image.SaveToFile(QFile::encodeName(path).toStdString());
}

void WritePicture(const QString& path, int w, int h, const char* format) {
    QImage picture(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            picture.setPixel(x, y, qRgb(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), 90));
    QVERIFY(picture.save(path, format));
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int LoopCount(const TGIFImage& image) {
    if (image.Frames().Count() == 0)
        return -1;
    auto* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    return loop ? loop->LoopCount : -1;
}
} // namespace

class TDocumentsTest : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString Path(const char* name) const { return FDir.filePath(QLatin1String(name)); }

    struct TRig : TMainFormRig {
        // Answers for the program's own dialogs, in order: a function that
        // sets the dialog's widgets and answers its result.
        QList<std::function<int(QDialog&)>> Dialogs;
        QStringList DialogTitles;
        TRig(const QString& store, const QString& folder) : TMainFormRig(store, folder, false) {
            Form->SetDialogRunner([this](QDialog& d) {
                DialogTitles << d.windowTitle();
                if (Dialogs.isEmpty())
                    return int(QDialog::Rejected);
                return Dialogs.takeFirst()(d);
            });
        }
        TfrmMain& F() { return *Form; }
        const TGIFImage& Doc() { return *Form->Document(); }
        int Entries() { return Form->FramesList()->count(); }
    };
    std::unique_ptr<TRig> NewRig() {
        QFile::remove(Path("settings.ini"));
        return std::make_unique<TRig>(Path("settings.ini"), Path("program"));
    }

    static std::function<int(QDialog&)> DropAnswer(TfrmComments::TDropPlace place) {
        return [place](QDialog& d) {
            auto* found = qobject_cast<TfrmComments*>(&d);
            if (!found)
                return int(QDialog::Rejected);
            auto& dlg = *found;
            QRadioButton* button = place == TfrmComments::TDropPlace::Start    ? dlg.optStart
                                   : place == TfrmComments::TDropPlace::Before ? dlg.optBefore
                                                                               : dlg.optAfter;
            if (!button->isEnabled())
                return int(QDialog::Rejected);
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::mouseClick(dlg.btnDropOK, Qt::LeftButton);
            return dlg.result();
        };
    }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        WriteGif(Path("anim.gif"), 3);
        WriteGif(Path("still.gif"), 1);
        WriteGif(Path("loops.gif"), 3, 8, 6, 1);
        WritePicture(Path("same.bmp"), 8, 6, "BMP");
        WritePicture(Path("one-larger.bmp"), 9, 7, "BMP");
        WritePicture(Path("two-larger.bmp"), 10, 8, "BMP");
        WritePicture(Path("photo.jpg"), 30, 20, "JPG");
        WritePicture(Path("photo.jpeg"), 8, 6, "JPG");
        QByteArray jpeg = Bytes(Path("photo.jpg"));
        QFile damaged(Path("damaged.jpg"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(jpeg.left(jpeg.size() / 3));
        damaged.close();
        QFile text(Path("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("hello");
    }

    void openingByKind_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::newRow("animation: saved, clean") << "anim.gif" << 3 << false << "anim.gif" << "";
        QTest::newRow("single picture: untitled, modified") << "still.gif" << 1 << true << "Untitled" << "";
        QTest::newRow("bitmap") << "same.bmp" << 1 << true << "Untitled" << "";
        QTest::newRow("jpeg") << "photo.jpg" << 1 << true << "Untitled" << "";
        QTest::newRow(".jpeg is a JPEG too") << "photo.jpeg" << 1 << true << "Untitled" << "";
        QTest::newRow("damaged jpeg: nothing, and why") << "damaged.jpg" << 0 << false << "Untitled"
                                                        << "Error loading damaged.jpg. Unknown file type or corrupted file.\n"
                                                           "Invalid JPEG file structure: missing SOS marker";
        QTest::newRow("unknown kind") << "notes.txt" << 0 << false << "Untitled"
                                      << "Error loading notes.txt. Unknown file type or corrupted file.";
    }
    void openingByKind() {
        QFETCH(QString, file);
        QFETCH(int, entries);
        QFETCH(bool, modified);
        QFETCH(QString, title);
        QFETCH(QString, message);
        auto rig = NewRig();
        rig->Form = nullptr; // writes its settings back
        rig->Store.WriteInteger(Section, QStringLiteral("DefaultDelay"), 42);
        rig->Form = std::make_unique<TfrmMain>(rig->Store, rig->Prompts, Path("program"));
        rig->Prompts.FileNames << FDir.filePath(file);
        rig->Cmd(TCommandId::Open)->trigger();
        QCOMPARE(rig->Entries(), entries);
        QCOMPARE(rig->Doc().Frames().Count(), entries);
        QCOMPARE(rig->F().Session().Modified(), modified);
        QCOMPARE(rig->F().windowTitle(), QStringLiteral("Pellmark Reelix 2.0 - ") + title);
        QCOMPARE(rig->Prompts.Texts().join(QLatin1Char('|')), message);
        QCOMPARE(rig->Cmd(TCommandId::Save)->isEnabled(), modified);
        if (entries == 1) {
            // A new animation from one picture: loop count, delay, disposal.
            TGIFSubImage& frame = *rig->Doc().Frames()[0];
            QCOMPARE(LoopCount(rig->Doc()), 0);
            QVERIFY(frame.ControlExtension());
            QCOMPARE(int(frame.ControlExtension()->DelayTime), 42);
            QCOMPARE(int(frame.ControlExtension()->DisposalMethod()), 1);
            QCOMPARE(rig->F().StatusText(1), QStringLiteral("Frame #0 of 0"));
        }
        if (entries == 3)
            QCOMPARE(rig->F().Documents().RecentFiles().value(0), FDir.filePath(file));
    }

    void saveChangesPrompt_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("Cancel keeps everything") << int(TMsgResult::Cancel) << false;
        QTest::newRow("No drops the changes") << int(TMsgResult::No) << true;
        QTest::newRow("Yes, save dialog cancelled: kept") << int(TMsgResult::Yes) << false;
    }
    void saveChangesPrompt() {
        QFETCH(int, answer);
        QFETCH(bool, cleared);
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("still.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        QVERIFY(rig->F().Session().Modified());
        rig->Prompts.Shown.clear();
        rig->Prompts.Answers << TMsgResult(answer);
        rig->Cmd(TCommandId::New)->trigger();
        QCOMPARE(rig->Prompts.Texts().value(0), QStringLiteral("Would you like to save the changes to Untitled?"));
        QCOMPARE(rig->Prompts.Shown.value(0).Buttons, TMsgButtons::YesNoCancel);
        QCOMPARE(rig->Entries(), cleared ? 0 : 1);
        QCOMPARE(rig->F().Session().Modified(), !cleared);
    }

    void openCancelledAfterNoKeepsModified() {
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("still.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Prompts.Answers << TMsgResult::No;
        rig->Cmd(TCommandId::Open)->trigger(); // no file name: the dialog is cancelled
        QVERIFY(rig->F().Session().Modified());
        QCOMPARE(rig->Entries(), 1);
    }

    void singleImageSaveAsksForAName() {
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("still.gif") << Path("saved-still");
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Cmd(TCommandId::Save)->trigger();
        QVERIFY(QFile::exists(Path("saved-still.gif")));
        QVERIFY(!rig->F().Session().Modified());
        QCOMPARE(rig->F().Session().FileName(), Path("saved-still.gif"));
        QCOMPARE(rig->F().windowTitle(), QStringLiteral("Pellmark Reelix 2.0 - saved-still.gif"));
        QVERIFY(!rig->Cmd(TCommandId::Save)->isEnabled());
        TGIFImage back;
        back.LoadFromFile(Path("saved-still.gif").toStdString());
        QCOMPARE(back.Frames().Count(), 1);
        QCOMPARE(LoopCount(back), 0);
    }

    void savingNormalisesTheLoopExtension() {
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("loops.gif") << Path("loops-out.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        QCOMPARE(rig->Entries(), 3);
        rig->F().Session().History().resetClean(); // counts as changed
        rig->F().UpdateCommandStates();
        rig->Cmd(TCommandId::SaveAs)->trigger();
        TGIFImage back;
        back.LoadFromFile(Path("loops-out.gif").toStdString());
        QCOMPARE(LoopCount(back), 0); // DefaultLoop on the first frame
        for (int i = 1; i < back.Frames().Count(); ++i)
            QVERIFY(!back.Frames()[i]->FindExtension<TGIFAppExtNSLoop>());
    }

    void saveMakesABackupOfTheOldFile() {
        const QString file = Path("backup-me.gif");
        QFile::remove(file);
        QFile::remove(Path("backup-me.~gi"));
        WriteGif(file, 2);
        const QByteArray before = Bytes(file);
        auto rig = NewRig();
        rig->Prompts.FileNames << file;
        rig->Cmd(TCommandId::Open)->trigger();
        // Add a frame so the file changes.
        rig->Prompts.FileNames << Path("same.bmp");
        rig->Dialogs << DropAnswer(TfrmComments::TDropPlace::After);
        rig->Cmd(TCommandId::AddFrame)->trigger();
        QCOMPARE(rig->Entries(), 3);
        QVERIFY(rig->F().Session().Modified());
        rig->Cmd(TCommandId::Save)->trigger();
        QVERIFY(!rig->F().Session().Modified());
        QCOMPARE(Bytes(Path("backup-me.~gi")), before);
        QVERIFY(Bytes(file) != before);
    }

    void failedSaveLeavesTheOldFile() {
        const QString file = Path("keep-me.gif");
        QFile::remove(file);
        WriteGif(file, 2);
        const QByteArray before = Bytes(file);
        auto rig = NewRig();
        rig->Store.WriteBool(Section, QStringLiteral("MakeBackups"), false);
        rig->Prompts.FileNames << file;
        rig->Cmd(TCommandId::Open)->trigger();
        rig->F().Session().History().resetClean(); // counts as changed
        rig->F().UpdateCommandStates();
        rig->F().Documents().SetFileWriter([](const QString&, const QByteArray&) { return QStringLiteral("No space left on device"); });
        rig->Cmd(TCommandId::Save)->trigger();
        QCOMPARE(Bytes(file), before);
        QVERIFY(rig->F().Session().Modified());
        QVERIFY(!rig->Prompts.Shown.isEmpty());
        QCOMPARE(rig->Prompts.Texts().last(),
                 QStringLiteral("Could not save %1.\nNo space left on device").arg(QDir::toNativeSeparators(file)));
        QCOMPARE(rig->Prompts.Shown.last().Type, TMsgType::Error);
    }

    void saveOntoAFullFileSystem() {
        // A real full disk: a small tmpfs, where the machine lets us mount one.
        QTemporaryDir mountPoint;
        if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                         QStringLiteral("size=64k"), QStringLiteral("tmpfs"), mountPoint.path()}) != 0)
            QSKIP("cannot mount a small file system here");
        struct TUnmount {
            QString Path;
            ~TUnmount() { QProcess::execute(QStringLiteral("umount"), {Path}); }
        } unmount{mountPoint.path()};
        const QString file = mountPoint.filePath(QStringLiteral("small.gif"));
        WriteGif(file, 2);
        const QByteArray before = Bytes(file);
        QVERIFY(!before.isEmpty());
        auto rig = NewRig();
        rig->Store.WriteBool(Section, QStringLiteral("MakeBackups"), false);
        rig->Prompts.FileNames << file;
        rig->Cmd(TCommandId::Open)->trigger();
        // Grow the animation past what the file system holds.
        rig->F().Session().Apply(QStringLiteral("Grow"), [](TGIFImage& doc, TFrameEditLog& log) {
            for (int i = 0; i < 3; ++i) {
                auto frame = std::make_unique<TGIFSubImage>(&doc);
                frame->PlaceFrame(0, 0, 8, 6);
                for (int c = 0; c < 256; ++c)
                    frame->LocalColors().AddColor(TColor(c * 65793));
                frame->PlaceFrame(0, 0, 200, 200);
                std::uint32_t noise = 2463534242u + static_cast<std::uint32_t>(i);
                for (int p = 0; p < 200 * 200; ++p) {
                    noise ^= noise << 13;
                    noise ^= noise >> 17;
                    noise ^= noise << 5;
                    frame->PixelData()[p] = static_cast<std::uint8_t>(noise);
                }
                log.FrameAdded(doc, doc.AddFrame(std::move(frame)));
            }
            return true;
        }, {0, 0});
        rig->Cmd(TCommandId::Save)->trigger();
        QCOMPARE(Bytes(file), before);
        QVERIFY(rig->F().Session().Modified());
        QVERIFY(!rig->Prompts.Shown.isEmpty());
        QVERIFY(rig->Prompts.Texts().last().startsWith(QStringLiteral("Could not save ")));
        QCOMPARE(QDir(mountPoint.path()).entryList(QDir::Files), QStringList{QStringLiteral("small.gif")});
    }

    void frameSizeQuestion_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("clip");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("frame");
        QTest::newRow("same size") << "same.bmp" << true << false << false << QSize(8, 6) << QSize(8, 6);
        // Taken as it is; the screen grows to hold the frame.
        QTest::newRow("one pixel larger: not asked") << "one-larger.bmp" << true << false << false << QSize(9, 7) << QSize(9, 7);
        QTest::newRow("two larger, trimmed") << "two-larger.bmp" << true << false << true << QSize(8, 6) << QSize(8, 6);
        QTest::newRow("two larger, animation grows") << "two-larger.bmp" << false << false << true << QSize(10, 8) << QSize(10, 8);
        // 10 x 8 into 8 x 6: three quarters, the ratio kept.
        QTest::newRow("two larger, scaled to fit") << "two-larger.bmp" << true << true << true << QSize(8, 6) << QSize(7, 6);
    }
    void frameSizeQuestion() {
        QFETCH(QString, file);
        QFETCH(bool, clip);
        QFETCH(bool, fit);
        QFETCH(bool, asked);
        QFETCH(QSize, screen);
        QFETCH(QSize, frame);
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("anim.gif") << FDir.filePath(file);
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Dialogs << DropAnswer(TfrmComments::TDropPlace::After);
        if (asked)
            rig->Dialogs << [clip, fit](QDialog& d) {
                auto* dlg = qobject_cast<TfrmSettings*>(&d);
                if (!dlg)
                    return int(QDialog::Rejected);
                QTest::mouseClick(fit ? dlg->optFit : clip ? dlg->optClip : dlg->optChange, Qt::LeftButton);
                QTest::mouseClick(dlg->btnOK, Qt::LeftButton);
                return dlg->result();
            };
        rig->Cmd(TCommandId::AddFrame)->trigger();
        QCOMPARE(rig->DialogTitles.contains(QStringLiteral("Frame Size Difference")), asked);
        QCOMPARE(rig->Entries(), 4);
        QCOMPARE(QSize(rig->Doc().Width(), rig->Doc().Height()), screen);
        TGIFSubImage& added = *rig->Doc().Frames()[1];
        QCOMPARE(QSize(added.Width(), added.Height()), frame);
        if (asked) {
            QCOMPARE(rig->Store.Read(Setting::ClipFrame), clip);
            QCOMPARE(rig->Store.Read(Setting::FitFrame), fit);
        }
    }

    void frameSizeQuestionCancelledAddsNothing() {
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("anim.gif") << Path("two-larger.bmp");
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Dialogs << DropAnswer(TfrmComments::TDropPlace::After); // the size dialog then gets no answer: Cancel
        rig->Cmd(TCommandId::AddFrame)->trigger();
        QCOMPARE(rig->Entries(), 3);
        QCOMPARE(rig->Doc().Frames().Count(), 3);
        QVERIFY(!rig->F().Session().Modified());
    }

    void paletteQuestion() {
        auto rig = NewRig();
        rig->Store.WriteBool(Section, QStringLiteral("PaletteDefaults"), false);
        rig->Prompts.FileNames << Path("photo.jpg") << Path("photo.jpg");
        // Cancel first: nothing added.
        rig->Cmd(TCommandId::Open)->trigger();
        QCOMPARE(rig->DialogTitles, QStringList{QStringLiteral("Palette Options")});
        QCOMPARE(rig->Entries(), 0);
        // Then 16 colours of a local palette.
        bool separatorShown = false;
        rig->Dialogs << [&separatorShown](QDialog& d) {
            auto& dlg = static_cast<TfrmSettings&>(d);
            separatorShown = dlg.bevBot->isVisibleTo(&dlg);
            QTest::mouseClick(dlg.optPalLocal, Qt::LeftButton);
            dlg.cbMaxColors->setCurrentIndex(dlg.cbMaxColors->findData(16));
            QTest::mouseClick(dlg.btnOK, Qt::LeftButton);
            return dlg.result();
        };
        rig->Cmd(TCommandId::Open)->trigger();
        QVERIFY(separatorShown);
        QCOMPARE(rig->Entries(), 1);
        QVERIFY(rig->Doc().Frames()[0]->LocalColors().Count() <= 16);
        QCOMPARE(rig->Store.ReadInteger(Section, QStringLiteral("MaxColorCount"), 0), 16);
        QCOMPARE(rig->Store.ReadInteger(Section, QStringLiteral("PaletteType"), -1), 2);
    }

    void insertPositions_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("place");
        QTest::addColumn<int>("landsAt");
        QTest::newRow("after frame 1") << 1 << int(TfrmComments::TDropPlace::After) << 2;
        QTest::newRow("before frame 1") << 1 << int(TfrmComments::TDropPlace::Before) << 1;
        QTest::newRow("at the start") << 2 << int(TfrmComments::TDropPlace::Start) << 0;
        QTest::newRow("after the last") << 2 << int(TfrmComments::TDropPlace::After) << 3;
    }
    void insertPositions() {
        QFETCH(int, selected);
        QFETCH(int, place);
        QFETCH(int, landsAt);
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("loops.gif") << Path("same.bmp");
        rig->Cmd(TCommandId::Open)->trigger();
        rig->F().FramesList()->setCurrentRow(selected);
        rig->Dialogs << DropAnswer(TfrmComments::TDropPlace(place));
        rig->Cmd(TCommandId::AddFrame)->trigger();
        QCOMPARE(rig->Entries(), 4);
        QCOMPARE(rig->F().FramesList()->currentRow(), landsAt);
        // The picture is the only frame with a local table of its own colours
        // or the only one whose size-filled pixels were reduced: check its delay.
        QCOMPARE(int(rig->Doc().Frames()[landsAt]->ControlExtension()->DelayTime), 100);
        // Whichever frame is first carries the loop count.
        QVERIFY(rig->Doc().Frames()[0]->FindExtension<TGIFAppExtNSLoop>());
        QVERIFY(rig->F().Session().Modified());
    }

    void severalFilesLandInTheirOrder() {
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("anim.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        rig->F().FramesList()->setCurrentRow(0);
        rig->Prompts.FileNames << Path("same.bmp") + QLatin1Char('\n') + Path("photo.jpeg");
        rig->Dialogs << DropAnswer(TfrmComments::TDropPlace::After) << DropAnswer(TfrmComments::TDropPlace::After);
        rig->Cmd(TCommandId::AddFrame)->trigger();
        QCOMPARE(rig->DialogTitles, (QStringList{QStringLiteral("Drop Image"), QStringLiteral("Drop Image")}));
        QCOMPARE(rig->Entries(), 5);
        // The two pictures follow frame 0 in the order chosen; the old frames
        // 1 and 2 (delays 11 and 12) come after them.
        QCOMPARE(int(rig->Doc().Frames()[3]->ControlExtension()->DelayTime), 11);
        QCOMPARE(int(rig->Doc().Frames()[4]->ControlExtension()->DelayTime), 12);
        QCOMPARE(rig->F().FramesList()->currentRow(), 2);
    }

    void animatedGifPrompt_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("title");
        QTest::newRow("Yes opens it as the animation") << int(TMsgResult::Yes) << 3 << "anim.gif";
        QTest::newRow("No inserts its first picture") << int(TMsgResult::No) << 2 << "Untitled";
    }
    void animatedGifPrompt() {
        QFETCH(int, answer);
        QFETCH(int, entries);
        QFETCH(QString, title);
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("same.bmp") << Path("anim.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        rig->Prompts.Shown.clear();
        rig->Prompts.Answers << TMsgResult(answer) << TMsgResult::No; // then: do not save the changes
        rig->Dialogs << DropAnswer(TfrmComments::TDropPlace::After);
        rig->Cmd(TCommandId::AddFrame)->trigger();
        QVERIFY(rig->Prompts.Texts().value(0).startsWith(
            QStringLiteral("This GIF Image appears to be animated. Would you like to open it as a new animation?\n")));
        QCOMPARE(rig->Entries(), entries);
        QCOMPARE(rig->F().windowTitle(), QStringLiteral("Pellmark Reelix 2.0 - ") + title);
    }

    void missingFileWarns() {
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("nowhere.bmp");
        rig->Cmd(TCommandId::AddFrame)->trigger();
        QCOMPARE(rig->Prompts.Texts(),
                 QStringList{QStringLiteral("The selected file \"%1\" does not exist!").arg(QDir::toNativeSeparators(Path("nowhere.bmp")))});
        QCOMPARE(rig->Entries(), 0);
    }

    void recentFiles() {
        auto rig = NewRig();
        QStringList files;
        for (int i = 0; i < 12; ++i) {
            files << Path(qPrintable(QStringLiteral("recent%1.gif").arg(i)));
            WriteGif(files.last(), 2);
        }
        for (const QString& f : files) {
            rig->Prompts.FileNames << f;
            rig->Cmd(TCommandId::Open)->trigger();
        }
        QCOMPARE(rig->F().Documents().RecentFiles().size(), 10);
        QCOMPARE(rig->F().Documents().RecentFiles().first(), files.last());
        QCOMPARE(rig->F().Documents().RecentFileItems().first()->text(), QStringLiteral("&0 ") + files.last());
        // Reopening the third item moves it to the top.
        const QString third = rig->F().Documents().RecentFiles().at(2);
        rig->F().Documents().RecentFileItems().at(2)->trigger();
        QCOMPARE(rig->F().Session().FileName(), third);
        QCOMPARE(rig->F().Documents().RecentFiles().first(), third);
        QCOMPARE(rig->F().Documents().RecentFileItems().at(1)->text(), QStringLiteral("&1 ") + files.last());
        // The current file asks to reload; No leaves everything.
        rig->Prompts.Answers << TMsgResult::No;
        rig->F().Documents().RecentFileItems().at(0)->trigger();
        QCOMPARE(rig->Prompts.Texts().last(), QStringLiteral("Would you like to reload %1?").arg(QFileInfo(third).fileName()));
        QCOMPARE(rig->F().Session().FileName(), third);
        // A file that has gone is removed with a warning.
        const QString gone = rig->F().Documents().RecentFiles().at(4);
        QFile::remove(gone);
        rig->F().Documents().RecentFileItems().at(4)->trigger();
        QCOMPARE(rig->Prompts.Texts().last(), QStringLiteral("Could not open %1. The file may have moved.").arg(gone));
        QCOMPARE(rig->F().Documents().RecentFiles().size(), 9);
        QVERIFY(!rig->F().Documents().RecentFiles().contains(gone));
        QCOMPARE(rig->F().Documents().RecentFileItems().at(4)->text().left(3), QStringLiteral("&4 "));
        // The list survives a restart in its order.
        const QStringList order = rig->F().Documents().RecentFiles();
        rig->Form.reset();
        TSettingsStore again(Path("settings.ini"));
        TfrmMain reopened(again, rig->Prompts, Path("program"));
        QCOMPARE(reopened.Documents().RecentFiles(), order);
    }

    void dropsOpenTheFirstFile() {
        auto rig = NewRig();
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(Path("anim.gif")), QUrl::fromLocalFile(Path("still.gif"))});
        // As the window system delivers it: the drag enters, then drops.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&rig->F(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&rig->F(), &drop);
        QVERIFY2(drop.isAccepted(), qPrintable(rig->Prompts.Texts().join(QLatin1Char('|'))));
        QCOMPARE(rig->Entries(), 3);
        QCOMPARE(rig->F().Session().FileName(), Path("anim.gif"));
        delete mime;
    }

    void commandLineOpensTheFirstFile() {
        auto rig = NewRig();
        rig->F().Documents().OpenCommandLineFiles({Path("anim.gif"), Path("still.gif")});
        QCOMPARE(rig->F().windowTitle(), QStringLiteral("Pellmark Reelix 2.0 - anim.gif"));
        rig->F().Documents().OpenCommandLineFiles({Path("absent.gif")});
        QVERIFY(rig->Prompts.Texts().last().startsWith(QStringLiteral("The selected file \"")));
        QCOMPARE(rig->Entries(), 3);
    }

    void emptyOrBrokenGifLeavesTheDocumentEmpty() {
        QFile broken(Path("broken.gif"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("GIF89a\x05\x00");
        broken.close();
        auto rig = NewRig();
        rig->Prompts.FileNames << Path("broken.gif");
        rig->Cmd(TCommandId::Open)->trigger();
        QCOMPARE(rig->Entries(), 0);
        QCOMPARE(rig->Doc().Frames().Count(), 0);
        QVERIFY(!rig->F().Session().Modified());
    }

    void cancelLoadingLeavesTheDocumentEmpty() {
        const QString file = Path("long.gif");
        WriteGif(file, 400, 320, 240);
        auto rig = NewRig();
        // Cancel is pressed as soon as the progress window shows.
        bool pressed = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&pressed] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<TfrmProgress*>(w); progress && progress->isVisible() && !pressed) {
                    QTest::mouseClick(progress->btnCancel, Qt::LeftButton);
                    pressed = true;
                }
        });
        poll.start(0);
        rig->Prompts.FileNames << file;
        rig->Cmd(TCommandId::Open)->trigger();
        poll.stop();
        QVERIFY(pressed);
        QCOMPARE(rig->Entries(), 0);
        QCOMPARE(rig->Doc().Frames().Count(), 0);
        QVERIFY(!rig->F().Session().Modified());
        QVERIFY(rig->F().isEnabled());
        QCOMPARE(rig->F().windowTitle(), QStringLiteral("Pellmark Reelix 2.0 - Untitled"));
    }

    void tilesAreDrawnOnlyWhenVisible() {
        const QString file = Path("many.gif");
        WriteGif(file, 200, 16, 16);
        auto rig = NewRig();
        rig->F().resize(700, 500);
        rig->F().show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig->F()));
        rig->Prompts.FileNames << file;
        rig->Cmd(TCommandId::Open)->trigger();
        QCOMPARE(rig->Entries(), 200);
        QTest::qWait(50);
        QCoreApplication::processEvents();
        // Only the tiles that fit on screen have been made.
        int made = 0;
        for (int i = 0; i < 200; ++i)
            made += rig->F().FramesList()->visualItemRect(rig->F().FramesList()->item(i)).intersects(
                rig->F().FramesList()->viewport()->rect());
        QVERIFY(made > 0 && made < 10);
    }
};

QTEST_MAIN(TDocumentsTest)
#include "tst_Documents.moc"
