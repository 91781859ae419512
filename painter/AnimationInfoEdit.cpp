#include "painter/AnimationInfoEdit.h"

#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"

bool ResizeRequested(const TGIFImage& image, const TAnimationInfoEdit& edit) {
    return edit.Width != image.Width() || edit.Height != image.Height();
}

void SetGlobalColors(TGIFImage& image, const std::vector<TGIFRGB>& colors) {
    TGIFColorMap& table = image.GlobalColors();
    table.ClearColors();
    for (const TGIFRGB& c : colors) table.AddColor(MakeColor(c.red, c.green, c.blue));
    image.ReleaseCaches();
}

void PrepareResizedCopy(const TGIFImage& document, const TAnimationInfoEdit& edit, TGIFImage& copy) {
    copy.SetReductionBits(document.ReductionBits());
    copy.Assign(&document);
    if (edit.PaletteEdited) SetGlobalColors(copy, edit.Palette);
}

void CommitAnimationInfo(TGIFImage& document, const TAnimationInfoEdit& edit, TGIFImage* resized,
                         TFrameEditLog& log) {
    if (resized) {
        log.ReplaceImage(document, *resized);
    } else if (edit.PaletteEdited) {
        log.Colors(document);
        SetGlobalColors(document, edit.Palette);
        log.ColorsChanged(document);
    }
    if (edit.Loop < 0 || document.Frames().Count() == 0) return;
    const auto* loop = document.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    if (!loop || loop->LoopCount == edit.Loop) return;
    log.TakeLoop(document);
    log.GiveLoop(document, edit.Loop);
}
