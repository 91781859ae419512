// Today's web formats both ways: the animation exported as animated WebP or
// PNG, or as an MP4 or WebM video; an animated WebP or PNG (or a still WebP)
// opened as a new animation. Both run off the GUI thread with progress and
// Cancel.
#include "app/DocumentCommands.h"

#include "app/MainForm.h"
#include "app/Routines.h"
#include "dialogs/LongWork.h"
#include "dialogs/WebExport.h"
#include "gif/FrameDefaults.h"
#include "gif/GIFImage.h"
#include "imaging/WebAnimationImport.h"
#include "imaging/WebExport.h"
#include "imaging/WebSnippet.h"
#include "services/MachineMemory.h"
#include "services/SettingsStore.h"
#include "services/UserPrompts.h"
#include "session/EditSession.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

TWebExportChoice StoredWebChoice(const TEditSession& Session) {
    TWebExportChoice choice;
    choice.Options.Format = TWebFormat(std::clamp(Session.Read(Setting::WebFormat), 0, 3));
    choice.Options.Lossless = Session.Read(Setting::WebLossless);
    choice.Options.Quality = std::clamp(Session.Read(Setting::WebQuality), 0, 100);
    choice.WriteStill = Session.Read(Setting::WebStill);
    return choice;
}

void StoreWebChoice(TSettingsStore& Store, const TWebExportChoice& Choice) {
    Store.WriteIfChanged(Setting::WebFormat, int(Choice.Options.Format));
    Store.WriteIfChanged(Setting::WebLossless, Choice.Options.Lossless);
    Store.WriteIfChanged(Setting::WebQuality, Choice.Options.Quality);
    Store.WriteIfChanged(Setting::WebStill, Choice.WriteStill);
}

} // namespace

void TDocumentCommands::ExportWeb() {
    const TGIFImage& doc = FSession.Document();
    if (doc.Frames().Count() == 0)
        return;
    FWindow.PausePlayback();
    const QString suggested = FSession.Untitled() ? QString() : QFileInfo(FSession.FileName()).completeBaseName();
    TfrmWebExport dialog(FPrompts, suggested, &FWindow);
    dialog.SetChoice(StoredWebChoice(FSession));
    if (FWindow.RunDialog(dialog) != QDialog::Accepted || dialog.Path().isEmpty())
        return;
    const TWebExportChoice choice = dialog.Choice();
    StoreWebChoice(FSession.Settings(), choice);
    const QString path = dialog.Path();
    const std::string file = QFile::encodeName(path).toStdString();
    const std::string still = SiblingName(file, "-still.png");

    // What saving would write (its loop count as saved), composed and
    // encoded off the GUI thread.
    const std::unique_ptr<TGIFImage> copy = PreparedForSaving(doc, FSession.Read(Setting::DefaultLoop));
    bool written = false;
    const TLongWork work{QStringLiteral("Exporting %1...").arg(FilePart(path)), 100,
                         QStringLiteral("Could not export %1.").arg(FilePart(path)), TfrmMain::ApplicationTitle()};
    const TWorkOutcome run = RunLongWork(&FWindow, &FPrompts, work, [&](const TWorkContext& context) {
        written = ExportWebAnimation(*copy, file, choice.Options, [&context](int percent) {
            context.Report(percent);
            return !context.Cancelled;
        });
        if (written && choice.WriteStill)
            WriteStillPicture(*copy, still);
    });
    if (run.Cancelled && written) { // Cancel pressed as the last frame went out
        QFile::remove(path);
        QFile::remove(QFile::decodeName(still.c_str()));
        written = false;
    }
    if (run.Done && written)
        FWindow.SetStatusText(2, QStringLiteral("Exported %1 (%2 bytes).")
                                     .arg(FilePart(path))
                                     .arg(QLocale().toString(QFileInfo(path).size())));
}

bool TDocumentCommands::ImportWebAnimationFile(const QString& Path) {
    FWindow.PausePlayback();
    TGIFImage loaded;
    if (!ReadWebAnimation(Path, loaded))
        return false;
    UseImportedAnimation(loaded);
    return true;
}

void TDocumentCommands::UseImportedAnimation(TGIFImage& Loaded) {
    if (Loaded.Frames().Count() == 1)
        PrepareNewFrame(Loaded, 0, FSession.Read(Setting::DefaultDelay), FSession.Read(Setting::DefaultLoop));
    // A new animation, never saved as GIF: saving asks for a name.
    FSession.Replace(Loaded, QStringLiteral("Untitled"), false);
}

bool TDocumentCommands::ReadWebAnimation(const QString& Path, TGIFImage& Loaded) {
    const std::string file = QFile::encodeName(Path).toStdString();
    Loaded.PixelBudget = MachinePixelBudget();
    TWebImportResult result;
    const TLongWork work{QStringLiteral("Reading %1...").arg(FilePart(Path)), 100, QString(), QString()};
    const TWorkOutcome run = RunLongWork(&FWindow, &FPrompts, work, [&](const TWorkContext& context) {
        result = ImportWebAnimation(file, Loaded, [&context](int percent) {
            context.Report(percent);
            return !context.Cancelled;
        });
    });
    if (run.Cancelled && Loaded.Frames().Count() == 0)
        return false;
    if (!run.Done || Loaded.Frames().Count() == 0) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("Could not open %1.\n%2")
                                .arg(FilePart(Path),
                                     run.Failure.isEmpty() ? QStringLiteral("The file holds no picture.") : run.Failure));
        return false;
    }
    if (result.CutShort)
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("%1 is cut short: the %2 frames that arrived whole were read.")
                                .arg(FilePart(Path))
                                .arg(result.Frames));
    if (result.Truncated)
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("Image too large: only the first %1 frames of %2 were imported.")
                                .arg(result.Frames)
                                .arg(FilePart(Path)));
    return true;
}
