#pragma once
// Pictures becoming frames, as plain operations: a picture from a file, the
// clipboard or another program added at a place, a frame copied out as a
// picture of its own, and a pasted frame taking its delay, disposal and
// transparency along. The questions (the size, the palette) are asked before;
// their answers are the parameters.

#include "color/ReductionKinds.h"
#include "gif/GIFTypes.h"
#include "raster/Bitmap.h"

#include <memory>
#include <utility>
#include <vector>

class IPictureScaler;
class TFrameEditLog;
class TGIFImage;
class TGIFSubImage;

// What happens to a picture larger than the animation's screen.
enum class TLargePicture {
    Clip,       // the picture is cut to the screen, from the top left
    GrowScreen, // the screen grows to the picture (never cutting a frame)
    Fit,        // the picture is scaled down, its ratio kept, to fit the screen
};

// The colours a true-colour picture is reduced to.
struct TPaletteUse {
    TColorReductionKind Reduction = crQuantize;
    int Bits = 8;
    TDitherKind Dither = dkNearest;
    // One table for the whole animation (rebuilt over every frame); else the
    // frame keeps its own.
    bool Shared = true;
};

struct TAddPicture {
    TBitmap Picture;
    // Where the frame goes (clamped to the frames there are).
    int Position = 0;
    TLargePicture Large = TLargePicture::Clip;
    // Scales for Fit with its smooth filter (not owned); without one, Fit
    // takes the nearest pixel.
    const IPictureScaler* Scaler = nullptr;
    TPaletteUse Palette;
    int DefaultDelay = 100; // for a new frame's control extension
    int DefaultLoop = 0;    // for a looping block the animation did not have
};

// True when the picture needs the large-picture choice (it is more than a
// pixel wider or higher than the screen of an animation with frames).
bool PictureExceedsScreen(const TGIFImage& image, const TBitmap& picture);

// The picture added as a frame at Position; answers its index.
int AddPicture(TGIFImage& image, const TAddPicture& add, TFrameEditLog& log);

// The attributes a pasted frame brings along.
struct TPastedAttributes {
    bool Interlaced = false;
    bool HasControl = false;
    int Delay = 0;
    bool WaitForInput = false;
    int Disposal = 0;
    bool Transparent = false;
    TColor TransparentColor = 0;
    // Where the frame was when it was copied in this program (else left as added).
    bool KeepPlace = false;
    int Left = 0;
    int Top = 0;
};

// The attributes of a frame, for pasting it elsewhere.
TPastedAttributes AttributesOf(const TGIFSubImage& frame);

// A pasted frame: the picture added as AddPicture would, then given the
// attributes (the transparent colour found again in its new colours).
int PasteFrame(TGIFImage& image, const TAddPicture& add, const TPastedAttributes& attributes,
               TFrameEditLog& log);

// Frame `index` alone, as an animation of its own the frame's size (its
// colours, extensions and pixels kept; borrowed global colours made local).
std::unique_ptr<TGIFImage> FrameAsAnimation(const TGIFImage& image, int index);

// Several frames as one animation, each alone as FrameAsAnimation makes it,
// on a screen as large as the largest (null when none exists).
std::unique_ptr<TGIFImage> FramesAsAnimation(const TGIFImage& image, const std::vector<int>& frames);

// Every frame of `pasted` (what FramesAsAnimation made, here or in another
// window) added from Add.Position on, each with its own attributes; Places,
// when not empty, puts frame k at Places[k] (copied in this window). Answers
// the number of frames added.
int PasteFrames(TGIFImage& image, const TGIFImage& pasted, TAddPicture add, const std::vector<std::pair<int, int>>& places,
                TFrameEditLog& log);

// The top-left part of a bitmap, at most width x height.
TBitmap TopLeftPart(const TBitmap& source, int width, int height);
