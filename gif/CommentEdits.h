#pragma once
// The comments of an animation as the comment editor sees them: comment
// extensions of every frame, first frame first, each frame's in list order.
// Adding, editing and removing go through an edit log so each is undoable.

#include <string>
#include <vector>

class TFrameEditLog;
class TGIFCommentExtension;
class TGIFImage;

std::vector<TGIFCommentExtension*> AllComments(const TGIFImage& image);

// A new comment at the end of the first frame's extension list (null when the
// animation has no frame).
TGIFCommentExtension* AddComment(TGIFImage& image, std::vector<std::string> lines, TFrameEditLog& log);

void EditComment(TGIFCommentExtension& comment, std::vector<std::string> lines, TFrameEditLog& log);

// Takes the comment out of the first frame that holds it; false when none does.
bool RemoveComment(TGIFImage& image, const TGIFCommentExtension& comment, TFrameEditLog& log);
