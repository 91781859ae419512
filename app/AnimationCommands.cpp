#include "app/AnimationCommands.h"

#include "app/MainForm.h"
#include "app/Routines.h"
#include "dialogs/Caption.h"
#include "dialogs/Comments.h"
#include "dialogs/Info.h"
#include "dialogs/LongWork.h"
#include "dialogs/Optimize.h"
#include "gif/CommentEdits.h"
#include "gif/FrameDefaults.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "painter/AnimationInfoEdit.h"
#include "imaging/SwsPictureScaler.h"
#include "imaging/WebExport.h"
#include "painter/AnimationResize.h"
#include "painter/SmoothResize.h"
#include "painter/FrameOperations.h"
#include "services/UserPrompts.h"
#include "session/EditSession.h"

#include <QCheckBox>
#include <QEventLoop>
#include <algorithm>

TAnimationCommands::TAnimationCommands(TEditSession& Session, IUserPrompts& Prompts, TfrmMain& Window)
    : FSession(Session), FPrompts(Prompts), FWindow(Window) {}

void TAnimationCommands::Information() {
    const TGIFImage& doc = FSession.Document();
    if (doc.Frames().Count() == 0)
        return;
    FWindow.PausePlayback();
    TfrmAniInfo dialog(FSession.Document(), FSession.Untitled() ? QString() : FSession.FileName(), FPrompts,
                       &FWindow, FSession.Read(Setting::DefaultLoop));
    dialog.RunDialog = [this](QDialog& d) { return FWindow.RunDialog(d); };
    if (FWindow.RunDialog(dialog) != QDialog::Accepted)
        return;
    const TAnimationInfoEdit edit = dialog.Values();

    // The resize works on a copy off the GUI thread; Cancel leaves the
    // document exactly as it was.
    std::unique_ptr<TGIFImage> resized;
    if (ResizeRequested(doc, edit)) {
        resized = std::make_unique<TGIFImage>();
        PrepareResizedCopy(doc, edit, *resized);
        bool done = false;
        TGIFImage& copy = *resized;
        const TLongWork work{QStringLiteral("Resizing..."), 100, QStringLiteral("Could not resize the animation."),
                             TfrmMain::ApplicationTitle()};
        const TWorkOutcome run = RunLongWork(&FWindow, &FPrompts, work, [&](const TWorkContext& context) {
            done = ResizeAnimationWith(copy, edit.Width, edit.Height, edit.Filter, TSwsPictureScaler{}, [&context](int percent) {
                context.Report(percent);
                return !context.Cancelled;
            });
        });
        if (!done || !run.Done)
            return;
    }
    const int selection = FWindow.CurrentFrame();
    FSession.Apply(
        QStringLiteral("Animation Information"),
        [&](TGIFImage& d, TFrameEditLog& log) {
            CommitAnimationInfo(d, edit, resized.get(), log);
            return true;
        },
        {selection, std::min(std::max(selection, 0), doc.Frames().Count() - 1)});
}

void TAnimationCommands::Optimize() {
    if (FSession.Document().Frames().Count() == 0)
        return;
    FWindow.PausePlayback();
    const bool prompt = FSession.Read(Setting::OptimizePrompt);
    TfrmOptimize dialog(FSession.Document(), prompt, &FWindow, FSession.Read(Setting::DefaultLoop));
    if (FWindow.RunDialog(dialog) != QDialog::Accepted)
        return;
    // OK waits for a computation still running.
    if (dialog.Busy()) {
        QEventLoop wait;
        QObject::connect(&dialog, &TfrmOptimize::ResultShown, &wait, &QEventLoop::quit);
        wait.exec();
    }
    FSession.Settings().WriteIfChanged(Setting::OptimizePrompt, dialog.chkSave->isChecked());
    if (!dialog.Result())
        return;
    TGIFImage& result = *dialog.Result();
    FSession.Apply(
        QStringLiteral("Optimize Animation"),
        [&result](TGIFImage& d, TFrameEditLog& log) { return ReplaceWithOptimized(d, result, log); },
        {FWindow.CurrentFrame(), 0}, TEditSession::TStepKind::Optimization);
}

void TAnimationCommands::Comments() {
    const TGIFImage& doc = FSession.Document();
    if (doc.Frames().Count() == 0)
        return;
    FWindow.PausePlayback();
    TfrmComments dialog(TfrmComments::cmComments, &FWindow);
    dialog.Prompts = &FPrompts;
    dialog.RunDialog = [this](QDialog& d) { return FWindow.RunDialog(d); };
    {
        TWaitCursor wait;
        dialog.LoadComments(AllComments(doc));
    }
    const int selection = FWindow.CurrentFrame();
    auto step = [this, selection](const QString& Name, const TEditSession::TOperation& Operation) {
        FSession.Apply(Name, Operation, {selection, selection});
    };
    // The dialog names comments by the blocks it was shown; each change is
    // an operation on the document that holds them.
    dialog.Actions.Add = [step](const std::vector<std::string>& Lines) {
        TGIFCommentExtension* added = nullptr;
        step(QStringLiteral("Add Comment"), [&](TGIFImage& d, TFrameEditLog& log) {
            added = AddComment(d, Lines, log);
            return added != nullptr;
        });
        return added;
    };
    dialog.Actions.Edit = [step](TGIFCommentExtension& Comment, const std::vector<std::string>& Lines) {
        step(QStringLiteral("Edit Comment"), [&](TGIFImage&, TFrameEditLog& log) {
            EditComment(Comment, Lines, log);
            return true;
        });
    };
    dialog.Actions.Remove = [step](TGIFCommentExtension& Comment) {
        step(QStringLiteral("Remove Comment"),
             [&](TGIFImage& d, TFrameEditLog& log) { return RemoveComment(d, Comment, log); });
    };
    FWindow.RunDialog(dialog);
}

void TAnimationCommands::HtmlCode() {
    const TGIFImage& doc = FSession.Document();
    TfrmComments dialog(TfrmComments::cmHTML, &FWindow);
    dialog.Prompts = &FPrompts;
    dialog.AnimationHeight = doc.Height();
    dialog.AnimationWidth = doc.Width();
    dialog.AnimationLoops = AnimationPlays(*PreparedForSaving(doc, FSession.Read(Setting::DefaultLoop))) == 0;
    dialog.SetFileName(FSession.Untitled() ? QString() : FilePart(FSession.FileName()));
    FWindow.RunDialog(dialog);
    // The clipboard now holds text: Paste follows it.
    FWindow.UpdateCommandStates();
}
