// The thumbnail pane: scanning folders, the list's columns, Cancel, the hint,
// the pane's commands and thumbnails dragged onto the frames list.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "app/ThumbnailMaker.h"
#include "app/ThumbnailPane.h"
#include "controls/RXListBox.h"
#include "controls/ThumbnailView.h"
#include "dialogs/Progress.h"
#include "gif/GIFImage.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>

namespace {
void WritePicture(const QString& Path, int Width, int Height, QColor Color = Qt::blue) {
    QImage picture(Width, Height, QImage::Format_RGB32);
    picture.fill(Color);
    QVERIFY(picture.save(Path));
}

void WriteBytes(const QString& Path, qint64 Count) {
    QFile file(Path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(Count, 'x'));
}

// Waits until the running scan has handed out every tile.
bool ScanEnds(TfrmMain& Form) {
    return QTest::qWaitFor([&] { return !Form.Thumbnails().Maker()->Busy(); }, 20000);
}
} // namespace

class TThumbnailPaneTest : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString StorePath() const { return FDir.filePath(QStringLiteral("settings.ini")); }
    QString ProgramFolder() const { return FDir.filePath(QStringLiteral("program")); }

    std::unique_ptr<TMainFormRig> NewRig() {
        QFile::remove(StorePath());
        auto rig = std::make_unique<TMainFormRig>(StorePath(), ProgramFolder(), false);
        rig->Form->SetDialogRunner([](QDialog&) { return int(QDialog::Accepted); });
        return rig;
    }

private slots:
    void sizeColumnCountsWholeKilobytes_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("10 bytes") << qint64(10) << "1KB";
        QTest::newRow("1024 bytes") << qint64(1024) << "1KB";
        QTest::newRow("1025 bytes") << qint64(1025) << "1KB";
        QTest::newRow("2048 bytes") << qint64(2048) << "2KB";
        QTest::newRow("empty file") << qint64(0) << "1KB";
        QTest::newRow("3 MB") << qint64(3 << 20) << "3072KB";
    }
    void sizeColumnCountsWholeKilobytes() {
        QFETCH(qint64, bytes);
        QFETCH(QString, shown);
        QCOMPARE(ThumbnailSizeText(bytes), shown);
    }

    void filtersChooseTheExtensionsAndTheListIsSorted() {
        QTemporaryDir folder;
        for (const char* name : {"b.gif", "a.JPG", "c.bmp", "d.png", "e.jpg", "notes.txt"})
            WriteBytes(folder.filePath(QLatin1String(name)), 10);
        QDir(folder.path()).mkdir(QStringLiteral("sub.gif"));
        auto names = [&](int filter) {
            QStringList n;
            for (const TThumbnailFile& f : ListPictureFiles(folder.path(), filter))
                n << f.Name;
            return n;
        };
        QCOMPARE(names(0), QStringList{"b.gif"});
        QCOMPARE(names(1), (QStringList{"a.JPG", "e.jpg"}));
        QCOMPARE(names(2), QStringList{"c.bmp"});
        QCOMPARE(names(4), (QStringList{"a.JPG", "b.gif", "c.bmp", "e.jpg"}));
    }

    void tilesAreSquareWithThePictureCentredAndItsSizeBelow() {
        QTemporaryDir folder;
        const QString wide = folder.filePath(QStringLiteral("wide.bmp"));
        WritePicture(wide, 300, 100, Qt::red);
        const TThumbnail thumb = MakeThumbnail(wide, 75, Qt::white);
        QVERIFY(thumb.Valid());
        QCOMPARE(thumb.Tile.size(), QSize(75, 75));
        QCOMPARE(QSize(thumb.Width, thumb.Height), QSize(300, 100));
        // Scaled to 75 x 25, centred: red in the middle row, background above.
        QCOMPARE(thumb.Tile.pixelColor(37, 37), QColor(Qt::red));
        QCOMPARE(thumb.Tile.pixelColor(37, 5), QColor(Qt::white));
        // A picture that fits keeps its size.
        const QString small = folder.filePath(QStringLiteral("small.bmp"));
        WritePicture(small, 20, 40, Qt::green);
        const TThumbnail kept = MakeThumbnail(small, 75, Qt::white);
        QCOMPARE(kept.Tile.pixelColor(26, 30), QColor(Qt::white));
        QCOMPARE(kept.Tile.pixelColor(27, 30), QColor(Qt::green));
        QCOMPARE(kept.Tile.pixelColor(46, 30), QColor(Qt::green));
        QCOMPARE(kept.Tile.pixelColor(47, 30), QColor(Qt::white));
        // The size label has its own strip: a picture filling the tile stops
        // above it, and no picture pixel is left under the text.
        const QString full = folder.filePath(QStringLiteral("full.bmp"));
        WritePicture(full, 300, 300, Qt::red);
        const TThumbnail filled = MakeThumbnail(full, 75, Qt::white);
        QCOMPARE(filled.Tile.pixelColor(37, 20), QColor(Qt::red));
        for (int x = 0; x < 75; ++x)
            QVERIFY2(filled.Tile.pixelColor(x, 73) != QColor(Qt::red), "the label's strip is the picture's");
        // On a display scaled by 2 the tile has twice the pixels, for the
        // same place in the view.
        const TThumbnail sharp = MakeThumbnail(wide, 75, Qt::white, 2.0);
        QCOMPARE(sharp.Tile.size(), QSize(150, 150));
        QCOMPARE(sharp.Tile.devicePixelRatio(), 2.0);
        QCOMPARE(sharp.Tile.pixelColor(75, 70), QColor(Qt::red));
        // A damaged file gives no tile.
        const QString broken = folder.filePath(QStringLiteral("broken.gif"));
        WriteBytes(broken, 10);
        QVERIFY(!MakeThumbnail(broken, 75, Qt::white).Valid());
    }

    void scanListsEveryReadablePictureWithItsColumns() {
        auto rig = NewRig();
        QTemporaryDir folder;
        WritePicture(folder.filePath(QStringLiteral("one.bmp")), 40, 30);
        WritePicture(folder.filePath(QStringLiteral("two.jpg")), 640, 480);
        WriteBytes(folder.filePath(QStringLiteral("broken.gif")), 2048);
        TfrmMain& form = *rig->Form;
        form.Thumbnails().ScanFolder(folder.path());
        QVERIFY(ScanEnds(form));
        TThumbnailView* view = form.Thumbnails().View();
        QCOMPARE(view->Count(), 2);
        QCOMPARE(view->Caption(0), QStringLiteral("one.bmp"));
        QCOMPARE(view->Dimensions(0), QStringLiteral("40 x 30"));
        QCOMPARE(view->SizeText(0), ThumbnailSizeText(QFileInfo(folder.filePath("one.bmp")).size()));
        QCOMPARE(view->Dimensions(1), QStringLiteral("640 x 480"));
        QVERIFY(!form.Thumbnails().ScanProgress());
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("lblCurrFolder"))->text(),
                 QStringLiteral("Current Folder: %1/").arg(QDir::toNativeSeparators(folder.path())));
        // Selecting shows the file and its size in the status bar.
        view->SetCurrentRow(1);
        QCOMPARE(form.StatusText(2), QStringLiteral("two.jpg (640 x 480)"));
        // Shown again in the same run, nothing is made again.
        const int kept = form.Thumbnails().Maker()->CachedCount();
        form.Thumbnails().ScanFolder(folder.path());
        QVERIFY(!form.Thumbnails().Maker()->Busy());
        QCOMPARE(view->Count(), 2);
        QCOMPARE(form.Thumbnails().Maker()->CachedCount(), kept);
    }

    void aFolderWithoutPicturesShowsTheHint() {
        auto rig = NewRig();
        QTemporaryDir folder;
        WriteBytes(folder.filePath(QStringLiteral("readme.txt")), 10);
        rig->Form->resize(800, 600);
        rig->Form->show();
        rig->Form->Thumbnails().ScanFolder(folder.path());
        TThumbnailView* view = rig->Form->Thumbnails().View();
        QCOMPARE(view->Count(), 0);
        QVERIFY(!rig->Form->Thumbnails().ScanProgress());
        QVERIFY(rig->Prompts.Shown.isEmpty());
        // The hint's frame starts at 5,25 on the list's face.
        const QImage face = view->IconView()->viewport()->grab().toImage();
        const QColor background = face.pixelColor(2, 2);
        QVERIFY(face.pixelColor(5, 40) != background);
        QVERIFY(face.pixelColor(8, 40) == background || face.pixelColor(8, 40) != face.pixelColor(5, 40));
    }

    void aMissingFolderIsReported() {
        auto rig = NewRig();
        rig->Form->Thumbnails().ScanFolder(FDir.filePath(QStringLiteral("gone")));
        QCOMPARE(rig->Prompts.Shown.size(), 1);
        QCOMPARE(rig->Prompts.Shown[0].Text,
                 QStringLiteral("The selected file \"%1/\" does not exist!").arg(QDir::toNativeSeparators(FDir.filePath("gone"))));
    }

    void cancelKeepsTheThumbnailsMadeSoFar() {
        auto rig = NewRig();
        QTemporaryDir folder;
        for (int i = 0; i < 150; ++i)
            WritePicture(folder.filePath(QStringLiteral("p%1.bmp").arg(i, 3, 10, QLatin1Char('0'))), 900, 700);
        TfrmMain& form = *rig->Form;
        QSignalSpy made(form.Thumbnails().Maker(), &TThumbnailMaker::Made);
        form.Thumbnails().ScanFolder(folder.path());
        QVERIFY(form.Thumbnails().ScanProgress());
        QVERIFY(form.Thumbnails().ScanProgress()->isVisible());
        QVERIFY(QTest::qWaitFor([&] { return made.count() >= 3; }, 20000));
        QTest::mouseClick(form.Thumbnails().ScanProgress()->btnCancel, Qt::LeftButton);
        QVERIFY(!form.Thumbnails().ScanProgress());
        QVERIFY(!form.Thumbnails().Maker()->Busy());
        const int kept = form.Thumbnails().View()->Count();
        QVERIFY2(kept >= 3 && kept < 150, qPrintable(QString::number(kept)));
        for (int row = 0; row < kept; ++row)
            QVERIFY(form.Thumbnails().View()->HasThumbnail(row));
        // Nothing arrives after Cancel.
        QTest::qWait(200);
        QCOMPARE(form.Thumbnails().View()->Count(), kept);
    }

    void aThumbnailDroppedOnTheFramesListBecomesAFrame() {
        auto rig = NewRig();
        QTemporaryDir folder;
        WritePicture(folder.filePath(QStringLiteral("drop.bmp")), 30, 20);
        TfrmMain& form = *rig->Form;
        form.Thumbnails().ScanFolder(folder.path());
        QVERIFY(ScanEnds(form));
        std::unique_ptr<QMimeData> data(form.Thumbnails().View()->MimeDataOf(0));
        QVERIFY(data->hasFormat(QLatin1String(TThumbnailView::MimeType)));
        QWidget* list = form.FramesList()->viewport();
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list, &drop);
        QCOMPARE(form.Document()->Frames().Count(), 1);
        QCOMPARE(form.FramesList()->count(), 1);
        QCOMPARE(form.Document()->Frames()[0]->Width(), 30);
        form.UndoStack()->undo();
        QCOMPARE(form.Document()->Frames().Count(), 0);
        QCOMPARE(form.FramesList()->count(), 0);
        form.UndoStack()->redo();
        QCOMPARE(form.Document()->Frames().Count(), 1);

        // On the preview it is inserted too, not opened as a new animation.
        form.show();
        QScrollArea* preview = form.AnimationBox();
        const QPoint at = preview->mapTo(&form, preview->rect().center());
        QDragEnterEvent enterPreview(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &enterPreview);
        QDropEvent dropPreview(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &dropPreview);
        QVERIFY(QTest::qWaitFor([&] { return form.Document()->Frames().Count() == 2; }, 5000));
        QCOMPARE(form.Session().FileName(), QStringLiteral("Untitled"));
    }

    void insertAndCopyWorkOnTheSelectedThumbnail() {
        auto rig = NewRig();
        QTemporaryDir folder;
        WritePicture(folder.filePath(QStringLiteral("a.bmp")), 16, 12, Qt::red);
        TfrmMain& form = *rig->Form;
        form.Thumbnails().ScanFolder(folder.path());
        QVERIFY(ScanEnds(form));
        // Without a selection the popup offers neither.
        form.Thumbnails().View()->SetCurrentRow(-1);
        form.PrepareThumbsPopup(true);
        QVERIFY(!rig->Cmd(TCommandId::InsertThumbnail)->isVisible());
        QVERIFY(rig->Cmd(TCommandId::ClearWindow)->isVisible());
        // Picked with the mouse, then Enter inserts it.
        form.show();
        QListView* icons = form.Thumbnails().View()->IconView();
        const QRect item = icons->visualRect(icons->model()->index(0, 0));
        QTest::mouseClick(icons->viewport(), Qt::LeftButton, {}, item.center());
        QCOMPARE(form.Thumbnails().View()->CurrentRow(), 0);
        form.PrepareThumbsPopup(true);
        QVERIFY(rig->Cmd(TCommandId::InsertThumbnail)->isVisible());
        QTest::keyClick(icons, Qt::Key_Return);
        QCOMPARE(form.Document()->Frames().Count(), 1);
        QVERIFY(rig->Cmd(TCommandId::Play)->isEnabled());
        QApplication::clipboard()->clear();
        rig->Cmd(TCommandId::CopyThumbnail)->trigger();
        const QImage copied = QApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(16, 12));
        QCOMPARE(copied.pixelColor(3, 3), QColor(Qt::red));
        // Over the tree, Close Window hides the tree.
        form.PrepareThumbsPopup(false);
        QVERIFY(!rig->Cmd(TCommandId::RefreshThumbnails)->isVisible());
        QCOMPARE(rig->Cmd(TCommandId::CloseThumbnailWindow)->statusTip(), QStringLiteral("Hide Explorer Window"));
    }

    void clearFilterAndViewCommands() {
        auto rig = NewRig();
        QTemporaryDir folder;
        WritePicture(folder.filePath(QStringLiteral("a.bmp")), 16, 12);
        WritePicture(folder.filePath(QStringLiteral("b.jpg")), 16, 12);
        TfrmMain& form = *rig->Form;
        form.Thumbnails().SetTreeFolder(folder.path());
        QVERIFY(ScanEnds(form));
        QCOMPARE(form.Thumbnails().TreeFolder(), QDir::cleanPath(folder.path()));
        QCOMPARE(form.Thumbnails().View()->Count(), 2);
        rig->Cmd(TCommandId::FilterJpg)->trigger();
        QVERIFY(ScanEnds(form));
        QCOMPARE(form.Thumbnails().Filter(), 1);
        QCOMPARE(form.Thumbnails().View()->Count(), 1);
        QCOMPARE(form.Thumbnails().View()->Caption(0), QStringLiteral("b.jpg"));
        rig->Cmd(TCommandId::Details)->trigger();
        QVERIFY(!form.Thumbnails().View()->LargeIcons());
        QVERIFY(rig->Cmd(TCommandId::Details)->isChecked());
        rig->Cmd(TCommandId::LargeIcons)->trigger();
        QVERIFY(form.Thumbnails().View()->LargeIcons());
        rig->Cmd(TCommandId::ClearWindow)->trigger();
        QCOMPARE(form.Thumbnails().View()->Count(), 0);
        rig->DropDown("mnuView");
        QVERIFY(!rig->Cmd(TCommandId::ClearWindow)->isEnabled());
        rig->Cmd(TCommandId::RefreshThumbnails)->trigger();
        QVERIFY(ScanEnds(form));
        QCOMPARE(form.Thumbnails().View()->Count(), 1);
    }

    void browseMovesTheTreeAndCancelKeepsIt() {
        auto rig = NewRig();
        QTemporaryDir folder;
        WritePicture(folder.filePath(QStringLiteral("a.bmp")), 16, 12);
        TfrmMain& form = *rig->Form;
        rig->Prompts.FileNames << folder.path();
        rig->Cmd(TCommandId::Browse)->trigger();
        QCOMPARE(rig->Prompts.FolderCaptions, QStringList{"Select a folder to search for images"});
        QVERIFY(ScanEnds(form));
        QCOMPARE(form.Thumbnails().TreeFolder(), QDir::cleanPath(folder.path()));
        QCOMPARE(form.Thumbnails().View()->Count(), 1);
        rig->Cmd(TCommandId::Browse)->trigger(); // cancelled
        QCOMPARE(form.Thumbnails().TreeFolder(), QDir::cleanPath(folder.path()));
    }

    void aFileSavedIntoTheShownFolderAppears() {
        auto rig = NewRig();
        QTemporaryDir folder;
        WritePicture(folder.filePath(QStringLiteral("a.bmp")), 16, 12);
        TfrmMain& form = *rig->Form;
        form.show();
        form.Thumbnails().ScanFolder(folder.path());
        QVERIFY(ScanEnds(form));
        form.Thumbnails().View()->SetCurrentRow(0);
        WritePicture(folder.filePath(QStringLiteral("b.bmp")), 16, 12);
        QVERIFY(QTest::qWaitFor([&] { return form.Thumbnails().View()->Count() == 2 && !form.Thumbnails().Maker()->Busy(); }, 10000));
        QCOMPARE(form.Thumbnails().View()->CurrentRow(), 0);
        QVERIFY(!form.Thumbnails().ScanProgress());
    }

    void theTreeOpensAtTheStoredFolder() {
        QTemporaryDir folder;
        QDir(folder.path()).mkpath(QStringLiteral("deep/er"));
        const QString stored = folder.filePath(QStringLiteral("deep/er"));
        QFile::remove(StorePath());
        {
            TSettingsStore store(StorePath());
            store.WriteString(QStringLiteral("ThumbNails\\"), QStringLiteral("Directory"), stored);
            store.Save();
        }
        TMainFormRig rig(StorePath(), ProgramFolder(), false);
        rig.Form->show();
        QTreeView* tree = rig.Form->Thumbnails().FolderTree();
        QVERIFY(QTest::qWaitFor([&] { return tree->isExpanded(tree->currentIndex().parent()); }, 5000));
        QCOMPARE(rig.Form->Thumbnails().TreeFolder(), stored);
        QVERIFY(tree->visualRect(tree->currentIndex()).intersects(tree->viewport()->rect()));
        // Auto-load is off in this store: nothing was scanned.
        QVERIFY(rig.Form->Thumbnails().ScannedFolder().isEmpty());
    }

    void paneAndTreeHideAndShowWithTheirButtons() {
        auto rig = NewRig();
        TfrmMain& form = *rig->Form;
        form.show();
        auto* pane = form.findChild<QWidget*>(QStringLiteral("pnlThumbs"));
        auto* tree = form.findChild<QWidget*>(QStringLiteral("pnlTV"));
        auto* paneButton = form.findChild<QToolButton*>(QStringLiteral("btnCloseThumbs"));
        auto* treeButton = form.findChild<QToolButton*>(QStringLiteral("btnTVClose"));
        QVERIFY(rig->Cmd(TCommandId::ThumbnailWindow)->isChecked());
        rig->Cmd(TCommandId::ThumbnailWindow)->trigger();
        QVERIFY(pane->isHidden());
        QVERIFY(!rig->Cmd(TCommandId::ThumbnailWindow)->isChecked());
        QCOMPARE(paneButton->parentWidget()->objectName(), QStringLiteral("StatusPanel0"));
        QCOMPARE(paneButton->statusTip(), QStringLiteral("Show Thumbnails Window"));
        QTest::mouseClick(paneButton, Qt::LeftButton);
        QVERIFY(!pane->isHidden());
        QCOMPARE(paneButton->statusTip(), QStringLiteral("Hide Thumbnails Window"));
        QCOMPARE(paneButton->parentWidget()->objectName(), QStringLiteral("pnlThumbCaption"));

        rig->Cmd(TCommandId::ExplorerWindow)->trigger();
        QVERIFY(tree->isHidden());
        QVERIFY(!rig->Cmd(TCommandId::ExplorerWindow)->isChecked());
        QCOMPARE(treeButton->parentWidget()->objectName(), QStringLiteral("pnlThumbCaption"));
        QCOMPARE(treeButton->statusTip(), QStringLiteral("Show Explorer Window"));
        QTest::mouseClick(treeButton, Qt::LeftButton);
        QVERIFY(!tree->isHidden());
        QCOMPARE(treeButton->parentWidget()->objectName(), QStringLiteral("pnlTVCaption"));
        // Close Window over the thumbnails hides the pane.
        form.PrepareThumbsPopup(true);
        QCOMPARE(rig->Cmd(TCommandId::CloseThumbnailWindow)->statusTip(), QStringLiteral("Hide Thumbnail Window"));
        rig->Cmd(TCommandId::CloseThumbnailWindow)->trigger();
        QVERIFY(pane->isHidden());
    }
};

QTEST_MAIN(TThumbnailPaneTest)
#include "tst_ThumbnailPane.moc"
