#include "services/QtAnimationPlayer.h"

#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "painter/GIFPainter.h"
#include "raster/Canvas.h"
#include "services/QtPainterBridge.h"
#include "services/QtRasterBridge.h"

TQtAnimationPlayer::TQtAnimationPlayer() : FImage(std::make_unique<TGIFImage>()) {}

TQtAnimationPlayer::~TQtAnimationPlayer() { Stop(); }

void TQtAnimationPlayer::Load(const QByteArray& data) {
    Stop();
    FCanvas.reset();
    FPicture.reset();
    FCurrent = QImage();
    // Read into a fresh image: a failed read leaves an empty one, not half a file.
    FImage = std::make_unique<TGIFImage>();
    TMemoryStream stream(data.constData(), static_cast<std::size_t>(data.size()));
    auto image = std::make_unique<TGIFImage>();
    image->LoadFromStream(stream);
    FImage = std::move(image);
}

void TQtAnimationPlayer::LoadCopy(const TGIFImage& source) {
    Stop();
    FCanvas.reset();
    FPicture.reset();
    FCurrent = QImage();
    auto image = std::make_unique<TGIFImage>();
    image->Assign(&source);
    FImage = std::move(image);
}

QSize TQtAnimationPlayer::Size() const { return {FImage->Width(), FImage->Height()}; }

int TQtAnimationPlayer::FrameCount() const { return FImage->Frames().Count(); }

bool TQtAnimationPlayer::Play(const QColor& background, TFrameHandler onFrame) {
    return Play(background, TIndexedFrameHandler([onFrame = std::move(onFrame)](const QImage& frame, int, int) {
                    if (onFrame) onFrame(frame);
                }));
}

bool TQtAnimationPlayer::Play(const QColor& background, TIndexedFrameHandler onFrame) {
    Stop();
    const QSize size = Size();
    if (FrameCount() == 0 || size.isEmpty()) return false;
    // Without the bridge a threaded painter would draw and call back on its
    // own thread.
    InstallQtPainterBridge();
    FOnFrame = std::move(onFrame);
    FFramesShown = 0;
    FCurrent = QImage();
    // The painter captures what lies under the animation before it starts, so
    // transparent pixels and restored areas show the window colour.
    FPicture = std::make_unique<TBitmap>(size.width(), size.height(), pf24bit);
    FCanvas = std::make_unique<TCanvas>(*FPicture);
    const QColor solid = background.isValid() ? background : QColor(Qt::white);
    FCanvas->FillRect(FPicture->BoundsRect(),
                      RGBColor(static_cast<std::uint8_t>(solid.red()), static_cast<std::uint8_t>(solid.green()),
                               static_cast<std::uint8_t>(solid.blue())));
    const TGIFPainterOptions options = PaintOptionBit(poThreaded) | PaintOptionBit(poAnimate) |
                                       PaintOptionBit(poLoop) | PaintOptionBit(poTransparent);
    // Self-freeing: the painter leaves the image's list and deletes itself on
    // its thread; Stop waits for the first, which is all the image needs.
    auto* painter = new TGIFPainter(FImage.get(), options, FPicture->BoundsRect(), FCanvas.get());
    painter->AnimationSpeed = FImage->AnimationSpeed;
    painter->OnFrameShown = [this](TGIFPainterBase* sender) {
        auto* shown = dynamic_cast<TGIFPainter*>(sender);
        FrameShown(shown ? shown->FrameIndex() : -1);
    };
    painter->Start();
    return true;
}

void TQtAnimationPlayer::FrameShown(int index) {
    // Runs on the main thread while the painter thread waits: the picture is still.
    FCurrent = ToQImage(*FPicture);
    ++FFramesShown;
    if (FOnFrame) FOnFrame(FCurrent, index, FrameCount());
}

void TQtAnimationPlayer::Stop() { FImage->StopPainting(); }

bool TQtAnimationPlayer::Playing() const { return FImage->PainterList().Count() > 0; }
