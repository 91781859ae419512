#pragma once
// Import Video: the part of a clip to import (start and end, each with a
// slider and a preview of the picture there), the frame rate (the video's,
// or a lower one), the frame size (the video's, a width or a height with the
// ratio kept, or a percentage) and how colours are made. The dialog gathers
// the choices; the import makes the frames.

#include <QDialog>
#include <QImage>
#include <functional>

#include "imaging/VideoImport.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSlider;
class QSpinBox;
class QTimer;

// What the dialog is told of the clip.
struct TVideoFacts {
    int Width = 0, Height = 0;
    double Seconds = 0;          // running time (0 when unknown)
    double FramesPerSecond = 0;  // 0 when unknown
};

class TfrmVideoImport : public QDialog {
    Q_OBJECT
public:
    // Preview(seconds) answers the picture shown then (null when none).
    TfrmVideoImport(const QString& FileName, const TVideoFacts& Facts, std::function<QImage(double)> Preview,
                    QWidget* Parent = nullptr);

    void SetOptions(const TVideoImportOptions& Options);
    TVideoImportOptions Options() const;

    QSlider* sldFrom = nullptr;
    QSlider* sldTo = nullptr;
    QDoubleSpinBox* spnFrom = nullptr;
    QDoubleSpinBox* spnTo = nullptr;
    QLabel* lblPreview = nullptr;
    QComboBox* cmbRate = nullptr;   // data: frames a second, 0 for the video's
    QComboBox* cmbSize = nullptr;   // "Keep", "Width", "Height", "Percent"
    QSpinBox* spnSize = nullptr;
    QComboBox* cmbColors = nullptr; // data: 0 fitted, 1 web palette
    QSpinBox* spnColors = nullptr;
    QCheckBox* chkDither = nullptr;
    QLabel* lblSummary = nullptr;

private:
    void TimeTyped(QDoubleSpinBox* Box, QSlider* Slider);
    void SliderMoved(QSlider* Slider, QDoubleSpinBox* Box);
    void SizeChoiceChanged();
    void ShowSummary();
    void ShowPreview();

    TVideoFacts FFacts;
    std::function<QImage(double)> FPreview;
    QTimer* FPreviewTimer = nullptr;
    double FPreviewAt = 0;
    bool FSyncing = false;
};
