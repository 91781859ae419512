#include "gif/CommentEdits.h"

#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"

std::vector<TGIFCommentExtension*> AllComments(const TGIFImage& image) {
    std::vector<TGIFCommentExtension*> comments;
    const TGIFImageList& frames = image.Frames();
    for (int f = 0; f < frames.Count(); ++f) {
        const TGIFExtensionList& list = frames[f]->ExtensionBlocks();
        for (int e = 0; e < list.Count(); ++e)
            if (auto* comment = dynamic_cast<TGIFCommentExtension*>(list[e])) comments.push_back(comment);
    }
    return comments;
}

TGIFCommentExtension* AddComment(TGIFImage& image, std::vector<std::string> lines, TFrameEditLog& log) {
    if (image.Frames().Count() == 0) return nullptr;
    TGIFSubImage& first = *image.Frames()[0];
    auto comment = std::make_unique<TGIFCommentExtension>(&first);
    comment->Lines = std::move(lines);
    TGIFCommentExtension* added = comment.get();
    first.ExtensionBlocks().Add(std::move(comment));
    log.ExtensionAdded(first, first.ExtensionBlocks().Count() - 1);
    return added;
}

void EditComment(TGIFCommentExtension& comment, std::vector<std::string> lines, TFrameEditLog& log) {
    log.SetCommentLines(comment, std::move(lines));
}

bool RemoveComment(TGIFImage& image, const TGIFCommentExtension& comment, TFrameEditLog& log) {
    TGIFImageList& frames = image.Frames();
    for (int f = 0; f < frames.Count(); ++f) {
        TGIFExtensionList& list = frames[f]->ExtensionBlocks();
        for (int e = 0; e < list.Count(); ++e) {
            if (list[e] == &comment) {
                log.RemoveExtension(*frames[f], e);
                return true;
            }
        }
    }
    return false;
}
