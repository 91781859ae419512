#pragma once
// Crop: the rectangle of the animation to keep, drawn on the picture with the
// mouse (with handles) or typed; Enter applies. The dialog gathers the
// rectangle; the whole-animation commands crop.

#include <QDialog>
#include <QRect>

class QImage;
class QLabel;
class QSpinBox;
class TCropView;

class TfrmCrop : public QDialog {
    Q_OBJECT
public:
    // Picture: what the screen shows at the current frame, at its own size.
    explicit TfrmCrop(const QImage& Picture, QWidget* Parent = nullptr);

    // The rectangle to keep, in screen pixels.
    QRect Area() const;

    TCropView* View = nullptr;
    QSpinBox* spnLeft = nullptr;
    QSpinBox* spnTop = nullptr;
    QSpinBox* spnWidth = nullptr;
    QSpinBox* spnHeight = nullptr;
    QLabel* lblReadout = nullptr;

private:
    void ShowArea(const QRect& Area);  // the edits and the readout follow the view
    void AreaTyped();
    bool FShowing = false;
};
