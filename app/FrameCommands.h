#pragma once
// The frame commands: delete, cut, copy, paste, the four moves and dragging,
// Frame Properties and Global Frame Properties, and pictures added as frames
// (Add Frame, drops on the frames list, thumbnails). Each change is one named
// operation of the session.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "painter/FrameOperations.h"

class IUserPrompts;
class TBitmap;
class TEditSession;
class TFrameEditLog;
class TGIFImage;
class TfrmMain;
struct TAddPicture;

class TFrameCommands {
public:
    TFrameCommands(TEditSession& Session, IUserPrompts& Prompts, TfrmMain& Window);
    ~TFrameCommands();

    // The last frame copied in this window, as an animation of its own.
    const TGIFImage& Clipboard() const { return *FClipboard; }

    void Delete();
    void DeleteAll();
    // On the selected frames (the current one when no other is selected).
    void Cut();
    void Copy();
    void Paste();
    void MoveUp();
    void MoveDown();
    void MoveToStart();
    void MoveToEnd();
    // A move as one undoable step, keeping the loop count on the first frame.
    void Move(int From, int To);
    void Properties();

    // Over the selection, or every frame when one frame is selected.
    void Duplicate();
    void Reverse();
    void PingPong();
    void RemoveDuplicates();
    void DropFrames();
    void Timing();
    void GlobalProperties();

    void AddFrame();
    // Picture files dropped on the frames list after entry Row (-1: the end).
    void FilesDropped(int Row, const QStringList& Files);
    // Loads a picture file. A multi-frame GIF may instead open as the new
    // animation (answers false then, nothing to add).
    bool LoadPicture(const QString& Path, TBitmap& Bitmap, bool AllowPrompt);
    // The picture as a new frame after AfterIndex, one undo step named
    // StepName ("Add Frame" when empty); the size and palette questions first.
    void AddPicture(TBitmap Bitmap, int AfterIndex, const QString& StepName = QString());
    // The picture in Path added as a frame, asking where.
    void InsertPicture(const QString& Path);
    // Index to add after, -1 at the start, -2 cancelled.
    int AskInsertPosition();

private:
    // The size and palette questions a picture may need; false when one was cancelled.
    bool AskPictureQuestions(const TBitmap& Bitmap, TAddPicture& Add);
    bool Edit(const QString& Name, const std::function<bool(TGIFImage&, TFrameEditLog&)>& Operation, int Before,
              int After);
    void MoveBlock(TBlockMove Where);
    // A sequence operation over the frames to act on, one step named Name.
    void Sequence(const QString& Name, bool (*Operation)(TGIFImage&, const std::vector<int>&, TFrameEditLog&));
    // The global dialog, its values written into Frames ({-1}: every frame).
    void PropertiesOf(const std::vector<int>& Frames, const QString& StepName);

    TEditSession& FSession;
    IUserPrompts& FPrompts;
    TfrmMain& FWindow;
    std::unique_ptr<TGIFImage> FClipboard;
    // Where the copied frames were, for pasting them back in this window.
    std::vector<std::pair<int, int>> FStoredPlaces;
};
