#pragma once
// One undoable step of the editor: a recorded change of the document, taken
// back and made again through its log. The change has already been made when
// the step is pushed, so the stack's first redo only shows it.

#include <QUndoCommand>
#include <functional>

#include "gif/FrameEditLog.h"

class TGIFImage;

class TFrameEditStep : public QUndoCommand {
public:
    // Show(selection) brings the window in line with the document afterwards.
    TFrameEditStep(const QString& Text, TGIFImage& Document, TFrameEditLog Log, int SelectionBefore,
                   int SelectionAfter, std::function<void(int)> Show);

    void undo() override;
    void redo() override;

private:
    TGIFImage& FDocument;
    TFrameEditLog FLog;
    int FSelectionBefore;
    int FSelectionAfter;
    std::function<void(int)> FShow;
    bool FDone = true;
};
