// Export of single pictures: the chosen frames written as GIF, JPEG or BMP
// files, off the GUI thread with a progress window.

#include "app/BackgroundWork.h"
#include "app/MainForm.h"
#include "services/UserPrompts.h"
#include "dialogs/Exporter.h"
#include "dialogs/Progress.h"
#include "gif/GIFImage.h"
#include "services/ImageExport.h"

void TfrmMain::mnuFileExportImagesClick() {
    const TGIFImage& doc = *Document();
    if (doc.Frames().Count() == 0)
        return;
    PausePlayback();
    TfrmExporter dialog(doc, FPrompts, this);
    if (RunDialog(dialog) != QDialog::Accepted || dialog.Path().isEmpty())
        return;
    const std::vector<int> frames = dialog.SelectedFrames();
    const TExportOptions options = dialog.Options();
    const QString path = dialog.Path();
    TExportResult result;
    {
        TfrmProgress progress(this);
        progress.SetRange(0, int(frames.size()));
        progress.SetText(QStringLiteral("Exporting images..."));
        progress.show();
        RunInBackground(
            [&](const TWorkContext& work) {
                int done = 0;
                result = ExportFrames(doc, frames, path, options, [&] { work.Report(++done); });
            },
            &progress);
    }
    if (!result.Failed.isEmpty())
        FPrompts.MessageBox(TMsgType::Information, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("An error occurred exporting one or more images."));
}
