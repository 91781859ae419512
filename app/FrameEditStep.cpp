#include "app/FrameEditStep.h"

TFrameEditStep::TFrameEditStep(const QString& Text, TGIFImage& Document, TFrameEditLog Log, int SelectionBefore,
                               int SelectionAfter, std::function<void(int)> Show)
    : QUndoCommand(Text), FDocument(Document), FLog(std::move(Log)), FSelectionBefore(SelectionBefore),
      FSelectionAfter(SelectionAfter), FShow(std::move(Show)) {}

void TFrameEditStep::undo() {
    FLog.Undo(FDocument);
    FDone = false;
    FShow(FSelectionBefore);
}

void TFrameEditStep::redo() {
    if (!FDone)
        FLog.Redo(FDocument);
    FDone = true;
    FShow(FSelectionAfter);
}
