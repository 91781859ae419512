#pragma once
// A record of the changes one editing command makes to an animation, kept so
// the command can be taken back and made again exactly. Each change is done
// through the log, which keeps only what that change needs to reverse itself:
// a frame taken out, an extension removed, an old order, an old table.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFTypes.h"
#include "gif/LZW.h"

class TGIFCommentExtension;
class TGIFImage;
class TGIFSubImage;

class TFrameEditLog {
public:
    TFrameEditLog();
    ~TFrameEditLog();
    TFrameEditLog(TFrameEditLog&&) noexcept;
    TFrameEditLog& operator=(TFrameEditLog&&) noexcept;

    bool Empty() const { return changes_.empty(); }

    // ---- Changes, done now and recorded ----
    // Takes frame `index` out of the animation (kept by the log).
    void RemoveFrame(TGIFImage& image, int index);
    // Records frame `index`, which the animation has just gained.
    void FrameAdded(TGIFImage& image, int index);
    void MoveFrame(TGIFImage& image, int from, int to);
    // The move, keeping the loop count on whichever frame is first.
    void MoveFrameKeepingLoop(TGIFImage& image, int from, int to);
    // Takes the first frame's looping extension off; answers its count (0 when none).
    int TakeLoop(TGIFImage& image);
    // Puts a looping extension with `count` at the front of the first frame's list.
    void GiveLoop(TGIFImage& image, int count);
    // Records an extension the frame has just gained at `index` of its list.
    void ExtensionAdded(TGIFSubImage& frame, int index);
    // Takes extension `index` out of the frame's list (kept by the log).
    void RemoveExtension(TGIFSubImage& frame, int index);
    // Replaces a comment's text.
    void SetCommentLines(TGIFCommentExtension& comment, std::vector<std::string> lines);
    void SetScreenSize(TGIFImage& image, int width, int height);
    // The animation takes over the frames and header of `replacement` (a
    // resized or optimised version of itself), which is left empty; the whole
    // former animation is kept. Frames move; nothing large is copied.
    void ReplaceImage(TGIFImage& image, TGIFImage& replacement);
    // How saving encodes the image data.
    void SetEncoding(TGIFImage& image, TGIFEncoding encoding);

    // Every colour table, every frame's pixels and transparent index, kept
    // before a change that remaps them all (a shared palette being built).
    // Call Colors before and ColorsChanged after such a change.
    void Colors(TGIFImage& image);
    void ColorsChanged(TGIFImage& image);

    // A frame's placement, interlacing, control extension and local table,
    // and the global table, kept before a change of the frame's properties.
    // Call FrameProperties before and FramePropertiesChanged after it.
    void FrameProperties(TGIFImage& image, TGIFSubImage& frame);
    void FramePropertiesChanged(TGIFImage& image);

    // ---- Taking back and doing again ----
    void Undo(TGIFImage& image);
    void Redo(TGIFImage& image);

    struct TChange;

private:
    std::vector<std::unique_ptr<TChange>> changes_;
};
