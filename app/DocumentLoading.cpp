#include "app/DocumentLoading.h"

#include "app/MainForm.h"
#include "app/Routines.h"
#include "dialogs/LongWork.h"
#include "gif/ColorTableRepair.h"
#include "gif/GIFImage.h"
#include "gif/ImageContents.h"
#include "services/MachineMemory.h"
#include "services/UserPrompts.h"

#include <QFile>
#include <exception>

namespace {
// Raised by the loader's progress hook when the user presses Cancel.
struct TLoadCancelled {};
} // namespace

TLoadOutcome ReadGIF(const QString& Path, TGIFImage& Target, QWidget* ProgressParent) {
    TGIFImage loaded;
    loaded.PixelBudget = MachinePixelBudget();
    std::vector<std::string> warnings;
    loaded.OnWarn = [&warnings](TPersistent*, int, const std::string& text) { warnings.push_back(text); };
    const std::string file = QFile::encodeName(Path).toStdString();
    TLongWork work;
    if (ProgressParent)
        work.Text = QStringLiteral("Loading %1...").arg(FilePart(Path));
    QString failure;
    const TWorkOutcome run = RunLongWork(ProgressParent, nullptr, work, [&](const TWorkContext& context) {
        // At most one report per percent: the bar is repainted for each.
        int reported = -1;
        loaded.OnProgress = [&context, &reported](TPersistent*, TProgressStage, int percent, bool, const TRect&,
                                                  const std::string&) {
            if (context.Cancelled)
                throw TLoadCancelled{};
            if (percent != reported) {
                reported = percent;
                context.Report(percent);
            }
        };
        try {
            loaded.LoadFromFile(file);
        } catch (const std::exception& e) {
            failure = ExceptionText(e);
        }
        loaded.OnProgress = nullptr;
    });
    loaded.OnProgress = nullptr;
    loaded.OnWarn = nullptr;
    TLoadOutcome outcome;
    outcome.Cancelled = run.Cancelled;
    if (outcome.Cancelled)
        return outcome;
    if (!failure.isEmpty() || !run.Done) {
        outcome.Failure = failure.isEmpty() ? run.Failure : failure;
        return outcome;
    }
    const TGIFImageList& frames = loaded.Frames();
    if (frames.Count() == 0 || frames[0]->IsEmpty()) {
        outcome.Failure = QStringLiteral("The file holds no picture.");
        return outcome;
    }
    outcome.Loaded = true;
    outcome.Warnings = WarningsText(Path, warnings);
    MoveImageContents(Target, loaded);
    // Pixels past their colour table would make the file unsavable.
    ExtendColorTablesToPixels(Target);
    return outcome;
}

void ShowLoadFailure(IUserPrompts& Prompts, const QString& Path, const TLoadOutcome& Outcome) {
    if (Outcome.Cancelled)
        return;
    Prompts.MessageBox(TMsgType::Error, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                       QStringLiteral("Unable to decode GIF file.\n%1: %2").arg(FilePart(Path), Outcome.Failure));
}

void ShowLoadWarnings(IUserPrompts& Prompts, const TLoadOutcome& Outcome) {
    if (!Outcome.Warnings.isEmpty())
        Prompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, TfrmMain::ApplicationTitle(), Outcome.Warnings);
}

void ShowPictureFailure(IUserPrompts& Prompts, const QString& Path, const QString& Reason) {
    Prompts.MessageBox(TMsgType::Error, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                       QStringLiteral("Error loading %1. Unknown file type or corrupted file.\n%2")
                           .arg(FilePart(Path), Reason));
}
