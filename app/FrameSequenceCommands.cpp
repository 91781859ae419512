// The frame commands over many frames at once: duplicate, reverse, ping-pong,
// remove duplicate frames, drop frames and the frame delays. Each acts on the
// selection, or on every frame when one frame is selected, as one step.
#include "app/FrameCommands.h"

#include "app/MainForm.h"
#include "app/Routines.h"
#include "dialogs/Timing.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "painter/FrameSequence.h"
#include "services/UserPrompts.h"
#include "session/EditSession.h"

void TFrameCommands::Sequence(const QString& Name,
                              bool (*Operation)(TGIFImage&, const std::vector<int>&, TFrameEditLog&)) {
    const std::vector<int> selection = FWindow.SelectedFrames();
    if (FSession.Document().Frames().Count() == 0)
        return;
    const int current = FWindow.CurrentFrame();
    if (!Edit(Name, [&](TGIFImage& d, TFrameEditLog& log) { return Operation(d, selection, log); }, current,
              std::max(current, 0)))
        FPrompts.MessageBox(TMsgType::Information, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("%1 leaves the frames as they are.").arg(Name));
}

void TFrameCommands::Duplicate() {
    Sequence(QStringLiteral("Duplicate Frames"), DuplicateFrames);
}

void TFrameCommands::Reverse() {
    Sequence(QStringLiteral("Reverse Frames"), ReverseFrames);
}

void TFrameCommands::PingPong() {
    Sequence(QStringLiteral("Ping-Pong"), PingPongFrames);
}

void TFrameCommands::RemoveDuplicates() {
    Sequence(QStringLiteral("Remove Duplicate Frames"), RemoveDuplicateFrames);
}

void TFrameCommands::DropFrames() {
    const std::vector<int> frames = FramesToActOn(FSession.Document(), FWindow.SelectedFrames());
    if (frames.size() < 2)
        return;
    TfrmTiming dialog(TfrmTiming::tmDropEvery, FWindow.SelectedFrames().size() > 1 ? int(frames.size()) : 1, 0,
                      &FWindow);
    if (FWindow.RunDialog(dialog) != QDialog::Accepted)
        return;
    const int n = dialog.Change().Value;
    const std::vector<int> selection = FWindow.SelectedFrames();
    Edit(QStringLiteral("Drop Frames"),
         [&](TGIFImage& d, TFrameEditLog& log) { return DropEveryNthFrame(d, selection, n, log); },
         FWindow.CurrentFrame(), 0);
}

void TFrameCommands::Timing() {
    const TGIFImage& doc = FSession.Document();
    const int current = FWindow.CurrentFrame();
    if (current < 0 || current >= doc.Frames().Count())
        return;
    const std::vector<int> selection = FWindow.SelectedFrames();
    const TGIFGraphicControlExtension* control = doc.Frames()[current]->ControlExtension();
    TfrmTiming dialog(TfrmTiming::tmDelays, selection.size() > 1 ? int(selection.size()) : 1,
                      control ? control->DelayTime : 0, &FWindow);
    if (FWindow.RunDialog(dialog) != QDialog::Accepted)
        return;
    const TTimingChange change = dialog.Change();
    Edit(QStringLiteral("Frame Delays"),
         [&](TGIFImage& d, TFrameEditLog& log) {
             switch (change.Kind) {
             case TTimingChange::TKind::Set: return SetDelays(d, selection, change.Value, log);
             case TTimingChange::TKind::Add: return ShiftDelays(d, selection, change.Value, log);
             case TTimingChange::TKind::Subtract: return ShiftDelays(d, selection, -change.Value, log);
             case TTimingChange::TKind::Scale: return ScaleDelays(d, selection, change.Value, log);
             case TTimingChange::TKind::DropEvery: break;
             }
             return false;
         },
         current, current);
    if (selection.size() > 1)
        FWindow.SelectFrames(selection);
}
