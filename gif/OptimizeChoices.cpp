#include "gif/OptimizeChoices.h"

#include "gif/FrameDefaults.h"
#include "gif/GIFFrameOptimizer.h"
#include "gif/GIFImage.h"
#include "gif/SmallestEncoding.h"
#include "gif/Stream.h"

void OptimizeCopy(TGIFImage& copy, const TOptimizeChoices& choices) {
    // Unticking the best encoding goes back to the usual one.
    if (choices.Best) copy.Encoding = encLZWBest;
    else if (copy.Encoding == encLZWBest) copy.Encoding = encLZW;
    if (choices.RemoveLocal && HasLocalColorTables(copy)) copy.OptimizeColorMaps();
    if (choices.OptimizeAll) copy.OptimizeAnimation(ooColorMaps);
    const int frameBits = (choices.Trim ? ooCrop : 0) | (choices.DuplicatePixels ? ooMerge : 0);
    if (frameBits != 0) copy.OptimizeAnimation(frameBits);
    if (choices.Lossy > 0) FindSmallestEncoding(copy, choices.Lossy);
    else if (choices.Smallest) copy.OptimizeAnimation(ooSmallest);
}

void MakeOptimizedCopy(const TGIFImage& document, const TOptimizeChoices& choices, TGIFImage& result) {
    result.ClearImage();
    result.SetReductionBits(document.ReductionBits());
    result.DitherKind = document.DitherKind;
    result.Assign(&document);
    result.Encoding = document.Encoding;
    OptimizeCopy(result, choices);
    if (!choices.Smallest && choices.Lossy == 0 && result.Encoding == document.Encoding) return;
    // Never bigger: when nothing tried makes it smaller, the document it is.
    TGIFImage original;
    original.Assign(&document);
    original.Encoding = document.Encoding;
    if (SavedSize(result) >= SavedSize(original)) {
        result.ClearImage();
        result.Assign(&document);
        result.Encoding = document.Encoding;
    }
}

std::int64_t SavedSize(TGIFImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Size();
}

std::int64_t SavedSizeAsSaved(const TGIFImage& image, int defaultLoop) {
    return SavedSize(*PreparedForSaving(image, defaultLoop));
}

bool HasLocalColorTables(const TGIFImage& image) {
    const TGIFImageList& frames = image.Frames();
    for (int i = 0; i < frames.Count(); ++i)
        if (!frames[i]->IsEmpty() && frames[i]->LocalColors().Count() > 0) return true;
    return false;
}
