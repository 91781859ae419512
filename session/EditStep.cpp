#include "session/EditStep.h"

TEditStep::TEditStep(const QString& Text, TEditSession& Session, TFrameEditLog Log, TEditSession::TShown Shown)
    : QUndoCommand(Text), FSession(Session), FLog(std::move(Log)), FShown(Shown) {}

void TEditStep::undo() {
    FSession.Verify(QStringLiteral("Undo ") + text());
    FLog.Undo(*FSession.FDocument);
    FDone = false;
    FSession.StepShown(FShown.Before);
}

void TEditStep::redo() {
    if (FDone) // pushed: made already
        return FSession.StepShown(FShown.After);
    FSession.Verify(QStringLiteral("Redo ") + text());
    FLog.Redo(*FSession.FDocument);
    FDone = true;
    FSession.StepShown(FShown.After);
}
