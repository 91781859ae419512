// Commands on the whole animation: Animation Information (loop count, size,
// global palette) and Optimize Animation, each OK one undoable step; the
// comment editor, each change of a comment one step; the HTML code.

#include "app/BackgroundWork.h"
#include "app/MainForm.h"
#include "services/UserPrompts.h"
#include "controls/RXListBox.h"
#include "app/Routines.h"
#include "dialogs/Comments.h"
#include "dialogs/Info.h"
#include "dialogs/Optimize.h"
#include "dialogs/Progress.h"
#include "gif/CommentEdits.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "painter/AnimationInfoEdit.h"
#include "painter/AnimationResize.h"
#include "services/SettingsStore.h"

#include <QEventLoop>
#include <QListWidget>
#include <QUndoStack>

namespace {
} // namespace

void TfrmMain::mnuEditAniPropClick() {
    TGIFImage& doc = *Document();
    if (doc.Frames().Count() == 0)
        return;
    PausePlayback();
    TfrmAniInfo dialog(doc, FileName == QStringLiteral("Untitled") ? QString() : FileName, FPrompts, this, DefaultLoop);
    dialog.RunDialog = FRunDialog;
    if (RunDialog(dialog) != QDialog::Accepted)
        return;
    const TAnimationInfoEdit edit = dialog.Values();

    // The resize works on a copy off the GUI thread; Cancel leaves the
    // document exactly as it was.
    std::unique_ptr<TGIFImage> resized;
    if (ResizeRequested(doc, edit)) {
        resized = std::make_unique<TGIFImage>();
        PrepareResizedCopy(doc, edit, *resized);
        TfrmProgress progress(this);
        progress.SetRange(0, 100);
        progress.SetText(QStringLiteral("Resizing..."));
        progress.show();
        bool done = false;
        TGIFImage& copy = *resized;
        RunInBackground(
            [&](const TWorkContext& work) {
                done = ResizeAnimation(copy, edit.Width, edit.Height, [&work](int percent) {
                    work.Report(percent);
                    return !work.Cancelled;
                });
            },
            &progress);
        if (!done || progress.Cancelled())
            return;
    }

    const int selection = lbFrames->currentRow();
    TFrameEditLog log;
    CommitAnimationInfo(doc, edit, resized.get(), log);
    PushEdit(QStringLiteral("Animation Information"), std::move(log), selection,
             std::min(std::max(selection, 0), doc.Frames().Count() - 1));
}

void TfrmMain::mnuToolsOptimizeClick() {
    TGIFImage& doc = *Document();
    if (doc.Frames().Count() == 0)
        return;
    PausePlayback();
    const bool prompt = FSettings.Read(Setting::OptimizePrompt);
    TfrmOptimize dialog(doc, prompt, this, DefaultLoop);
    if (RunDialog(dialog) != QDialog::Accepted)
        return;
    // OK waits for a computation still running.
    if (dialog.Busy()) {
        QEventLoop wait;
        connect(&dialog, &TfrmOptimize::ResultShown, &wait, &QEventLoop::quit);
        wait.exec();
    }
    if (dialog.chkSave->isChecked() != prompt)
        FSettings.Write(Setting::OptimizePrompt, dialog.chkSave->isChecked());
    if (!dialog.Result())
        return;
    TFrameEditLog log;
    log.ReplaceImage(doc, *dialog.Result());
    PushEdit(QStringLiteral("Optimize Animation"), std::move(log), lbFrames->currentRow(), 0);
    Optimized = true;
}

void TfrmMain::PromptOptimizeBeforeSaving() {
    if (Optimized || Document()->Frames().Count() == 0)
        return;
    if (FSettings.Read(Setting::OptimizePrompt))
        mnuToolsOptimizeClick();
}

void TfrmMain::mnuToolsCommentClick() {
    TGIFImage& doc = *Document();
    if (doc.Frames().Count() == 0)
        return;
    PausePlayback();
    TfrmComments dialog(TfrmComments::cmComments, this);
    dialog.Prompts = &FPrompts;
    dialog.RunDialog = FRunDialog;
    {
        TWaitCursor wait;
        dialog.LoadComments(AllComments(doc));
    }
    const int selection = lbFrames->currentRow();
    auto step = [this, selection](const QString& Name, TFrameEditLog Log) {
        PushEdit(Name, std::move(Log), selection, selection);
    };
    dialog.Actions.Add = [&doc, step](const std::vector<std::string>& Lines) {
        TFrameEditLog log;
        TGIFCommentExtension* comment = AddComment(doc, Lines, log);
        step(QStringLiteral("Add Comment"), std::move(log));
        return comment;
    };
    dialog.Actions.Edit = [step](TGIFCommentExtension& Comment, const std::vector<std::string>& Lines) {
        TFrameEditLog log;
        EditComment(Comment, Lines, log);
        step(QStringLiteral("Edit Comment"), std::move(log));
    };
    dialog.Actions.Remove = [&doc, step](TGIFCommentExtension& Comment) {
        TFrameEditLog log;
        RemoveComment(doc, Comment, log);
        step(QStringLiteral("Remove Comment"), std::move(log));
    };
    RunDialog(dialog);
}

void TfrmMain::mnuToolsHTMLClick() {
    TGIFImage& doc = *Document();
    TfrmComments dialog(TfrmComments::cmHTML, this);
    dialog.Prompts = &FPrompts;
    dialog.AnimationHeight = doc.Height();
    dialog.AnimationWidth = doc.Width();
    dialog.SetFileName(FileName == QStringLiteral("Untitled") ? QString() : FilePart(FileName));
    RunDialog(dialog);
    // The clipboard now holds text: Paste follows it.
    UpdateCommandStates();
}
