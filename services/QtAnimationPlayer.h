#pragma once
// Plays a GIF animation through the program's own reader and painter and hands
// every shown frame to the GUI as a QImage. The painter runs in its own thread
// and draws onto a picture the size of the animation; the picture is read only
// in the frame event, which the painter bridge runs on the main thread.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <functional>
#include <memory>

class TBitmap;
class TCanvas;
class TGIFImage;

class TQtAnimationPlayer {
public:
    using TFrameHandler = std::function<void(const QImage& frame)>;
    // The frame shown, its index (-1 between passes) and the frame count.
    using TIndexedFrameHandler = std::function<void(const QImage& frame, int index, int count)>;

    TQtAnimationPlayer();
    // Stops the painter before the animation and its picture go away.
    ~TQtAnimationPlayer();
    TQtAnimationPlayer(const TQtAnimationPlayer&) = delete;
    TQtAnimationPlayer& operator=(const TQtAnimationPlayer&) = delete;

    // Reads a GIF file's bytes (stopping what was playing). Bad data raises
    // GIFException; an image without frames loads but cannot play.
    void Load(const QByteArray& data);
    // Plays a copy of an animation being edited: later edits do not reach it.
    void LoadCopy(const TGIFImage& source);
    QSize Size() const;
    int FrameCount() const;

    // Starts playing on `background` (seen through transparent pixels), in a
    // loop as the file asks; `onFrame` receives each frame as it is shown, on
    // the main thread. Answers false when there is nothing to play.
    bool Play(const QColor& background, TFrameHandler onFrame);
    bool Play(const QColor& background, TIndexedFrameHandler onFrame);
    // Stops the painter and waits until it has let go of the animation. Not
    // from inside the frame handler: the painter waits for that call to end.
    void Stop();
    bool Playing() const;
    // Frames shown since the last Play.
    int FramesShown() const { return FFramesShown; }
    // The picture as last shown (null before the first frame).
    const QImage& CurrentFrame() const { return FCurrent; }

private:
    void FrameShown(int index);

    std::unique_ptr<TGIFImage> FImage;
    // Declared after the image: destroyed first, once the painter has stopped.
    std::unique_ptr<TBitmap> FPicture;
    std::unique_ptr<TCanvas> FCanvas;
    TIndexedFrameHandler FOnFrame;
    QImage FCurrent;
    int FFramesShown = 0;
};
