#pragma once
// Add Text: a caption's text, font, size, colours and outline, placed by an
// alignment or by dragging it on the picture, for the selected frames or all.
// The dialog gathers the request; the whole-animation commands draw it.

#include <QDialog>
#include <QImage>
#include <optional>

#include "imaging/CaptionRenderer.h"
#include "painter/FrameCaption.h"

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TOverlayView;

struct TCaptionRequest {
    TCaptionStyle Style;
    std::optional<TCaptionPlace> Place = TCaptionPlace::Bottom;  // none: at At
    QPoint At;                                                   // top-left, screen pixels
    bool AllFrames = true;
};

class TfrmCaption : public QDialog {
    Q_OBJECT
public:
    // Picture: the screen at the current frame; Selected: how many frames
    // are selected (the choice "selected frames" is offered from two on).
    TfrmCaption(const QImage& Picture, int Selected, const TCaptionRequest& Last, QWidget* Parent = nullptr);

    TCaptionRequest Request() const;
    // Asks for a colour; tests answer it.
    std::function<std::optional<QColor>(const QColor& Current, const QString& Title)> PickColor;

    QLineEdit* txtText = nullptr;
    QFontComboBox* cmbFont = nullptr;
    QSpinBox* spnSize = nullptr;
    QPushButton* btnColor = nullptr;
    QPushButton* btnOutline = nullptr;
    QSpinBox* spnOutline = nullptr;
    QComboBox* cmbPlace = nullptr;
    QCheckBox* chkAllFrames = nullptr;
    TOverlayView* View = nullptr;

private:
    void Refresh();  // the preview follows the choices
    void Pick(QPushButton* Button, std::uint32_t& Color, const QString& Title);
    static void ShowColor(QPushButton* Button, std::uint32_t Color);

    std::uint32_t FColor;
    std::uint32_t FOutline;
    QPoint FAt;
    QImage FCaption;
};
