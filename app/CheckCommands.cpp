// Tools > Check Animation: the check runs off the GUI thread, its findings
// are shown, and each Fix is one undo step, after which the check runs again.
#include "app/AnimationCommands.h"

#include "app/MainForm.h"
#include "dialogs/CheckAnimation.h"
#include "dialogs/LongWork.h"
#include "gif/GIFImage.h"
#include "painter/AnimationCheck.h"
#include "services/SettingsSchema.h"
#include "services/UserPrompts.h"
#include "session/EditSession.h"

namespace {

TCheckReport RunCheck(TfrmMain& Window, IUserPrompts& Prompts, const TEditSession& Session) {
    TCheckReport report;
    const TGIFImage& doc = Session.Document();
    const int loop = Session.Read(Setting::DefaultLoop);
    const TLongWork work{QStringLiteral("Checking the animation..."), 100, QStringLiteral("Could not check the animation."),
                         TfrmMain::ApplicationTitle()};
    RunLongWork(&Window, &Prompts, work, [&](const TWorkContext&) { report = CheckAnimation(doc, loop); });
    return report;
}

} // namespace

void TAnimationCommands::CheckAnimation() {
    if (FSession.Document().Frames().Count() == 0)
        return;
    FWindow.PausePlayback();
    TfrmCheck dialog(RunCheck(FWindow, FPrompts, FSession), [this](const TCheckFinding& Finding) {
        const int frame = Finding.Frames.empty() ? FWindow.CurrentFrame() : Finding.Frames.front();
        FSession.Apply(QStringLiteral("Fix: ") + QString::fromStdString(Finding.FixCaption),
                       [&Finding](TGIFImage& d, TFrameEditLog& log) { return ApplyCheckFix(d, Finding, log); },
                       {frame, frame});
        return RunCheck(FWindow, FPrompts, FSession);
    }, &FWindow);
    dialog.ShowFrame = [this](int Frame) {
        if (Frame >= 0 && Frame < FSession.Document().Frames().Count())
            FWindow.SelectFrames({Frame});
    };
    FWindow.RunDialog(dialog);
}
