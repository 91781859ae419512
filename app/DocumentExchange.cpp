// Video in and out, and single pictures out: a video file imported as a new
// animation, the animation exported as an uncompressed AVI, chosen frames
// exported as pictures. Each runs off the GUI thread with progress and Cancel.
#include "app/DocumentCommands.h"

#include "app/MainForm.h"
#include "app/Routines.h"
#include "dialogs/Exporter.h"
#include "dialogs/LongWork.h"
#include "dialogs/VideoImport.h"
#include "imaging/VideoImport.h"
#include "imaging/VideoReader.h"
#include "services/QtRasterBridge.h"
#include "gif/GIFImage.h"
#include "painter/AnimationResize.h"
#include "services/ImageExport.h"
#include "services/MachineMemory.h"
#include "services/UserPrompts.h"
#include "services/VideoWriter.h"
#include "session/EditSession.h"

#include <QFile>
#include <algorithm>
#include <memory>
#include <QFileInfo>

namespace {
const QString VideoFilter = QStringLiteral(
    "Videos (*.avi, *.mp4, *.webm, *.mov, *.mkv)|*.avi;*.mp4;*.m4v;*.webm;*.mov;*.mkv|"
    "AVI Animations (*.avi)|*.avi|All Files (*.*)|*.*");
const QString AviFilter = QStringLiteral("AVI Animations (*.avi)|*.avi");
} // namespace

void TDocumentCommands::ImportVideo() {
    if (!AskSaveChanges())
        return; // the user kept the unsaved document
    const QString path =
        FPrompts.OpenFileName(QStringLiteral("Import AVI"), FWindow.InitialDir(), DialogFilter(VideoFilter));
    if (!path.isEmpty())
        ImportVideoFile(path);
}

namespace {

// What the import dialog shows of the clip, and its previews (at most
// 320 x 240, decoded when asked). Null when the file is no video.
std::shared_ptr<TVideoReader> OpenPreviews(const std::string& File, TVideoFacts& Facts) {
    auto reader = std::make_shared<TVideoReader>(File);
    Facts.Width = reader->Width();
    Facts.Height = reader->Height();
    Facts.Seconds = reader->DurationSeconds();
    Facts.FramesPerSecond = reader->FramesPerSecond();
    const double scale = std::min({1.0, 320.0 / Facts.Width, 240.0 / Facts.Height});
    reader->SetOutputSize(std::max(1, int(Facts.Width * scale)), std::max(1, int(Facts.Height * scale)));
    return reader;
}

} // namespace

bool TDocumentCommands::ImportVideoFile(const QString& Path) {
    FWindow.PausePlayback();
    const std::string file = QFile::encodeName(Path).toStdString();
    auto failed = [&](const QString& Failure) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("Could not import %1.\n%2").arg(FilePart(Path), Failure));
        return false;
    };
    TVideoFacts facts;
    std::shared_ptr<TVideoReader> previews;
    try {
        previews = OpenPreviews(file, facts);
    } catch (const std::exception& e) {
        return failed(QString::fromStdString(e.what()));
    }
    TfrmVideoImport dialog(FilePart(Path), facts, [previews](double Seconds) {
        TBitmap picture;
        try {
            return previews->PictureAt(Seconds, picture) ? ToQImage(picture) : QImage();
        } catch (const std::exception&) {
            return QImage(); // a damaged spot shows no preview; the import reports it
        }
    }, &FWindow);
    if (FWindow.RunDialog(dialog) != QDialog::Accepted)
        return false;
    const TVideoImportOptions options = dialog.Options();
    previews.reset();

    TGIFImage loaded;
    loaded.PixelBudget = MachinePixelBudget();
    TVideoImportResult result;
    const TLongWork work{QStringLiteral("Importing %1...").arg(FilePart(Path)), 100, QString(), QString()};
    const TWorkOutcome run = RunLongWork(&FWindow, &FPrompts, work, [&](const TWorkContext& context) {
        result = ::ImportVideo(file, loaded, [&context](int percent) {
            context.Report(percent);
            return !context.Cancelled;
        }, options);
    });
    // Cancelled: the frames made so far become the animation; none, and the
    // document stays as it was.
    if (run.Cancelled && (!run.Done || !result.Cancelled))
        return false;
    if (!run.Done || loaded.Frames().Count() == 0) {
        if (result.Cancelled)
            return false;
        return failed(run.Failure.isEmpty() ? QStringLiteral("The video holds no picture.") : run.Failure);
    }
    if (result.Truncated)
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("Image too large: only the first %1 frames of %2 were imported.")
                                .arg(result.Frames)
                                .arg(FilePart(Path)));
    // A new animation, never saved: no step back reaches an unmodified state.
    FSession.Replace(loaded, QStringLiteral("Untitled"), false);
    return true;
}

void TDocumentCommands::ExportVideo() {
    const TGIFImage& doc = FSession.Document();
    if (doc.Frames().Count() == 0)
        return;
    FWindow.PausePlayback();
    const QString suggested = FSession.Untitled() ? QString() : QFileInfo(FSession.FileName()).completeBaseName();
    QString path = FPrompts.SaveFileName(QStringLiteral("Export AVI"), suggested, DialogFilter(AviFilter));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".avi");

    // Each frame becomes the whole picture it shows (disposal and
    // transparency honoured), then the pictures are written; both off the
    // GUI thread on a copy.
    TGIFImage copy;
    copy.Assign(&doc);
    bool written = false;
    const std::string file = QFile::encodeName(path).toStdString();
    const TLongWork work{QStringLiteral("Preparing %1 for AVI export...").arg(FilePart(path)), 100,
                         QStringLiteral("Could not export %1.").arg(FilePart(path)), TfrmMain::ApplicationTitle()};
    const TWorkOutcome run = RunLongWork(&FWindow, &FPrompts, work, [&](const TWorkContext& context) {
        if (!FlattenAnimation(copy, [&context](int percent) {
                context.Report(percent / 2);
                return !context.Cancelled;
            }))
            return;
        context.Say(QStringLiteral("Exporting to AVI..."));
        written = WriteAVI(file, copy, [&context](int percent) {
            context.Report(50 + percent / 2);
            return !context.Cancelled;
        });
    });
    if (run.Cancelled && written)
        QFile::remove(path); // Cancel pressed as the last frame went out
}

void TDocumentCommands::ExportImages() {
    const TGIFImage& doc = FSession.Document();
    if (doc.Frames().Count() == 0)
        return;
    FWindow.PausePlayback();
    TfrmExporter dialog(doc, FPrompts, &FWindow);
    if (FWindow.RunDialog(dialog) != QDialog::Accepted || dialog.Path().isEmpty())
        return;
    const std::vector<int> frames = dialog.SelectedFrames();
    const TExportOptions options = dialog.Options();
    const QString path = dialog.Path();
    TExportResult result;
    const TLongWork work{QStringLiteral("Exporting images..."), int(frames.size()),
                         QStringLiteral("An error occurred exporting one or more images."), TfrmMain::ApplicationTitle()};
    RunLongWork(&FWindow, &FPrompts, work, [&](const TWorkContext& context) {
        int done = 0;
        result = ExportFrames(doc, frames, path, options, [&] { context.Report(++done); });
    });
    if (!result.Failed.isEmpty())
        FPrompts.MessageBox(TMsgType::Information, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("An error occurred exporting one or more images."));
}
