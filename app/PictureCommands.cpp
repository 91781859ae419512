// The picture tools of the whole animation: crop, rotate, flip and text.

#include "app/AnimationCommands.h"

#include "app/MainForm.h"
#include "app/TilePictures.h"
#include "dialogs/Caption.h"
#include "dialogs/Crop.h"
#include "dialogs/LongWork.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "painter/FrameCaption.h"
#include "painter/FrameOperations.h"
#include "services/UserPrompts.h"
#include "session/EditSession.h"

#include <algorithm>

TAnimationCommands::~TAnimationCommands() = default;

QImage TAnimationCommands::CurrentPicture() const {
    const TGIFImage& doc = FSession.Document();
    return ComposedScreen(doc, std::clamp(FWindow.CurrentFrame(), 0, doc.Frames().Count() - 1), QColor(Qt::white));
}

void TAnimationCommands::Crop() {
    if (FSession.Document().Frames().Count() == 0)
        return;
    FWindow.PausePlayback();
    TfrmCrop dialog(CurrentPicture(), &FWindow);
    if (FWindow.RunDialog(dialog) != QDialog::Accepted)
        return;
    const QRect area = dialog.Area();
    const TRect crop = MakeRect(area.left(), area.top(), area.width(), area.height());
    FSession.Apply(QStringLiteral("Crop"),
                   [crop](TGIFImage& d, TFrameEditLog& log) { return CropAnimation(d, crop, log); },
                   {FWindow.CurrentFrame(), FWindow.CurrentFrame()});
}

void TAnimationCommands::Rotate(int DegreesClockwise) {
    const QString name = DegreesClockwise == 90    ? QStringLiteral("Rotate Right")
                         : DegreesClockwise == 270 ? QStringLiteral("Rotate Left")
                                                   : QStringLiteral("Rotate Half a Turn");
    FSession.Apply(name,
                   [DegreesClockwise](TGIFImage& d, TFrameEditLog& log) { return RotateAnimation(d, DegreesClockwise, log); },
                   {FWindow.CurrentFrame(), FWindow.CurrentFrame()});
}

void TAnimationCommands::Flip(TFlipAxis Axis) {
    FSession.Apply(Axis == TFlipAxis::Horizontal ? QStringLiteral("Flip Horizontally") : QStringLiteral("Flip Vertically"),
                   [Axis](TGIFImage& d, TFrameEditLog& log) { return FlipAnimation(d, Axis, log); },
                   {FWindow.CurrentFrame(), FWindow.CurrentFrame()});
}

void TAnimationCommands::AddText() {
    const TGIFImage& doc = FSession.Document();
    if (doc.Frames().Count() == 0)
        return;
    FWindow.PausePlayback();
    if (!FLastCaption) {
        FLastCaption = std::make_unique<TCaptionRequest>();
        FLastCaption->Style.Text = "Caption";
        FLastCaption->Style.PixelSize = std::max(12, doc.Height() / 12);
    }
    const std::vector<int> selected = FWindow.SelectedFrames();
    TfrmCaption dialog(CurrentPicture(), int(selected.size()), *FLastCaption, &FWindow);
    if (FWindow.RunDialog(dialog) != QDialog::Accepted)
        return;
    const TCaptionRequest request = dialog.Request();
    *FLastCaption = request;
    const TRGBAPicture caption = RenderCaption(request.Style);
    if (caption.Empty())
        return;
    const TPoint origin = request.Place ? CaptionOrigin(doc.Width(), doc.Height(), caption.Width, caption.Height,
                                                        *request.Place, CaptionMargin(doc.Height()))
                                        : TPoint{request.At.x(), request.At.y()};
    const std::vector<int> frames = request.AllFrames ? std::vector<int>{} : selected;
    TCaptionColors colors{request.Style.Color, std::nullopt};
    if (request.Style.OutlineWidth > 0)
        colors.Outline = request.Style.OutlineColor;
    // Drawn on a copy off the GUI thread (every frame is recomposed and the
    // result optimised); the step then takes the copy over.
    TGIFImage captioned;
    captioned.Assign(&doc);
    bool drawn = false;
    const TLongWork work{QStringLiteral("Adding text..."), 0, QStringLiteral("Could not add the text."),
                         TfrmMain::ApplicationTitle()};
    const TWorkOutcome run = RunLongWork(&FWindow, &FPrompts, work, [&](const TWorkContext&) {
        TFrameEditLog scratch;
        drawn = AddCaption(captioned, frames, caption, origin, colors, scratch);
    });
    if (!run.Done)
        return;
    if (!drawn) {
        FPrompts.MessageBox(TMsgType::Information, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("The text does not fall on the animation."));
        return;
    }
    FSession.Apply(QStringLiteral("Add Text"),
                   [&captioned](TGIFImage& d, TFrameEditLog& log) { return ReplaceAnimation(d, captioned, log); },
                   {FWindow.CurrentFrame(), FWindow.CurrentFrame()});
}
