#pragma once
// What OK in the Animation Information dialog changes, as one recorded step:
// the global palette, the size (every frame rewritten) and the loop count.
// Resizing is slow, so it runs apart on a copy: PrepareResizedCopy and
// ResizeAnimation may run off the GUI thread on the copy, CommitAnimationInfo
// then records everything into the log on the document's thread.

#include <vector>

#include "gif/GIFTypes.h"
#include "painter/PictureScaler.h"

class TFrameEditLog;
class TGIFImage;

struct TAnimationInfoEdit {
    int Width = 0;            // asked size; clamped to 1..1000 when it differs
    int Height = 0;
    int Loop = -1;            // the loop count asked for; -1 leaves it alone
    bool PaletteEdited = false;
    std::vector<TGIFRGB> Palette;  // the global table, when edited
    TResizeFilter Filter = TResizeFilter::Smooth;  // how a resize scales
};

// The size differs from the animation's (before clamping, as the dialog asks).
bool ResizeRequested(const TGIFImage& image, const TAnimationInfoEdit& edit);

// Makes the global colour table exactly `colors`.
void SetGlobalColors(TGIFImage& image, const std::vector<TGIFRGB>& colors);

// `copy` becomes the document with the edited palette, ready to be resized.
void PrepareResizedCopy(const TGIFImage& document, const TAnimationInfoEdit& edit, TGIFImage& copy);

// Records the change into `log`: the resized copy replaces the document when
// given (its contents are taken), else an edited palette is written; then the loop count of a first
// frame that has a looping extension (none is created).
void CommitAnimationInfo(TGIFImage& document, const TAnimationInfoEdit& edit, TGIFImage* resized,
                         TFrameEditLog& log);
