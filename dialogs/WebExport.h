#pragma once
// Export As Web Animation: the format (animated WebP or PNG, an MP4 or WebM
// video), lossless or a quality, and whether a still picture for readers who
// ask for reduced motion goes beside it. OK asks for the file name;
// cancelling that question keeps this dialog open. The dialog only gathers:
// the caller writes the files.

#include <QDialog>
#include <array>

#include "imaging/WebExport.h"

class IUserPrompts;
class QCheckBox;
class QLabel;
class QRadioButton;
class QSlider;
class QSpinBox;

struct TWebExportChoice {
    TWebExportOptions Options;
    bool WriteStill = true;  // NAME-still.png beside the file
};

class TfrmWebExport : public QDialog {
    Q_OBJECT
public:
    // Suggested: the name the file question starts with (may be empty).
    TfrmWebExport(IUserPrompts& Prompts, const QString& Suggested, QWidget* Parent = nullptr);

    void SetChoice(const TWebExportChoice& Choice);
    TWebExportChoice Choice() const;
    // The file chosen after OK (its extension matching the format).
    QString Path() const { return FPath; }

    QRadioButton* optWebP;
    QRadioButton* optApng;
    QRadioButton* optMp4;
    QRadioButton* optWebm;
    QCheckBox* chkLossless;
    QSlider* sldQuality;
    QSpinBox* spnQuality;
    QCheckBox* chkStill;
    QLabel* lblAbout;  // what the chosen format keeps and loses

public slots:
    void accept() override;

private:
    TWebFormat Format() const;
    std::array<QRadioButton*, 4> FormatButtons() const;
    void ShowFormat();

    IUserPrompts& FPrompts;
    QString FSuggested;
    QString FPath;
};
