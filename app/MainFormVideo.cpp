// Video in and out: a video file (AVI, MP4, WebM, MOV, MKV) imported as a new
// animation, and the animation exported as an uncompressed AVI. Both run off
// the GUI thread with a progress window and Cancel.

#include "app/BackgroundWork.h"
#include "app/MainForm.h"
#include "app/Routines.h"
#include "services/UserPrompts.h"
#include "controls/RXListBox.h"
#include "dialogs/Progress.h"
#include "gif/GIFImage.h"
#include "gif/ImageContents.h"
#include "painter/AnimationResize.h"
#include "services/MachineMemory.h"
#include "services/VideoImport.h"
#include "services/VideoWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QUndoStack>

namespace {
const QString VideoFilter = QStringLiteral(
    "Videos (*.avi, *.mp4, *.webm, *.mov, *.mkv)|*.avi;*.mp4;*.m4v;*.webm;*.mov;*.mkv|"
    "AVI Animations (*.avi)|*.avi|All Files (*.*)|*.*");
const QString AviFilter = QStringLiteral("AVI Animations (*.avi)|*.avi");
} // namespace

void TfrmMain::mnuFileImportAVIClick() {
    if (!AskSaveChanges())
        return; // the user kept the unsaved document
    const QString path = FPrompts.OpenFileName(QStringLiteral("Import AVI"), FInitialDir, DialogFilter(VideoFilter));
    if (!path.isEmpty())
        ImportVideoFile(path);
}

bool TfrmMain::ImportVideoFile(const QString& Path) {
    PausePlayback();
    TGIFImage loaded;
    loaded.PixelBudget = MachinePixelBudget();
    TVideoImportResult result;
    QString failure;
    {
        TfrmProgress progress(this);
        progress.SetRange(0, 100);
        progress.SetText(QStringLiteral("Importing %1...").arg(FilePart(Path)));
        progress.show();
        const std::string file = QFile::encodeName(Path).toStdString();
        try {
            RunInBackground(
                [&](const TWorkContext& work) {
                    result = ImportVideo(file, loaded, [&work](int percent) {
                        work.Report(percent);
                        return !work.Cancelled;
                    });
                },
                &progress);
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
    }
    if (!failure.isEmpty() || loaded.Frames().Count() == 0) {
        if (failure.isEmpty())
            failure = QStringLiteral("The video holds no picture.");
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("Could not import %1.\n%2").arg(FilePart(Path), failure));
        return false;
    }
    // Cancelled: the document stays as it was.
    if (result.Cancelled)
        return false;
    if (result.Truncated)
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("Image too large: only the first %1 frames of %2 were imported.")
                                .arg(result.Frames)
                                .arg(FilePart(Path)));
    ResetDocument();
    MoveImageContents(*Document(), loaded);
    lbFrames->clear();
    lbFrames->AppendEntries(Document()->Frames().Count());
    // A new animation, never saved: no step back reaches an unmodified state.
    FUndo->clear();
    FUndo->resetClean();
    Modified = true;
    Optimized = false;
    FileName = QStringLiteral("Untitled");
    SetTitle(FileName);
    SyncFramesList(0);
    return true;
}

void TfrmMain::mnuFileExportAVIClick() {
    TGIFImage& doc = *Document();
    if (doc.Frames().Count() == 0)
        return;
    PausePlayback();
    const QString suggested = FileName == QStringLiteral("Untitled") ? QString() : QFileInfo(FileName).completeBaseName();
    QString path = FPrompts.SaveFileName(QStringLiteral("Export AVI"), suggested, DialogFilter(AviFilter));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".avi");

    // Each frame becomes the whole picture it shows (disposal and
    // transparency honoured), then the pictures are written; both off the
    // GUI thread on a copy.
    TGIFImage work;
    work.Assign(&doc);
    QString failure;
    bool written = false;
    {
        TfrmProgress progress(this);
        progress.SetRange(0, 100);
        progress.SetText(QStringLiteral("Preparing %1 for AVI export...").arg(FilePart(path)));
        progress.show();
        const std::string file = QFile::encodeName(path).toStdString();
        try {
            RunInBackground(
                [&](const TWorkContext& work_) {
                    if (!ResizeAnimation(work, work.Width(), work.Height(), [&work_](int percent) {
                            work_.Report(percent / 2);
                            return !work_.Cancelled;
                        }))
                        return;
                    QMetaObject::invokeMethod(
                        &progress, [&progress] { progress.SetText(QStringLiteral("Exporting to AVI...")); },
                        Qt::QueuedConnection);
                    written = WriteAVI(file, work, [&work_](int percent) {
                        work_.Report(50 + percent / 2);
                        return !work_.Cancelled;
                    });
                },
                &progress);
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
        if (progress.Cancelled() && written) {
            QFile::remove(path); // Cancel pressed as the last frame went out
            written = false;
        }
    }
    if (!failure.isEmpty())
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("Could not export %1.\n%2").arg(FilePart(path), failure));
}
