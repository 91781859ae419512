#pragma once
// One undoable step of the session: a recorded change of the document, taken
// back and made again through its log. The change has already been made when
// the step is pushed, so the stack's first redo only shows it.

#include "gif/FrameEditLog.h"
#include "session/EditSession.h"

#include <QUndoCommand>

class TEditStep : public QUndoCommand {
public:
    TEditStep(const QString& Text, TEditSession& Session, TFrameEditLog Log, TEditSession::TShown Shown);

    void undo() override;
    void redo() override;

private:
    TEditSession& FSession;
    TFrameEditLog FLog;
    TEditSession::TShown FShown;
    bool FDone = true;
};
