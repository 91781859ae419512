#pragma once
// "Animation Information": frame count, running time, file size and download
// time, the global palette, and the three things it changes: loop count, size
// (in pixels or percent, proportions optionally kept) and the global palette.
// The dialog only gathers; the caller applies Values() after OK.

#include <QDialog>
#include <functional>

#include "painter/AnimationInfoEdit.h"

class IUserPrompts;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TGIFImage;
class TNumericEdit;
class TByteChart;
class TUpDown;

// Whole numbers with thousands separators ("12,345").
QString ThousandsText(qint64 Value);

// Rounding to nearest, halves to even (as the size coupling rounds).
int RoundHalfEven(double Value);

class TfrmAniInfo : public QDialog {
    Q_OBJECT
public:
    // FileName: the document's file (its folder is not shown; empty when the
    // document was never saved). DefaultLoop: the loop count saving gives a
    // first frame without a looping block, so the size shown is what Save writes.
    TfrmAniInfo(const TGIFImage& Document, const QString& FileName, IUserPrompts& Prompts, QWidget* Parent = nullptr,
                int DefaultLoop = 0);

    TAnimationInfoEdit Values() const;
    bool PaletteEdited() const { return FPaletteEdited; }
    qint64 FileSize() const { return FFileSize; }

    // How the palette dialog runs (tests drive it); exec() by default.
    std::function<int(QDialog& Dialog)> RunDialog;

    QLabel* lblCount;
    TNumericEdit* txtLoop;
    TUpDown* udLoop;
    QLineEdit* txtCurrLoop;
    TNumericEdit* txtAniH;
    TUpDown* udHeight;
    TNumericEdit* txtAniW;
    TUpDown* udWidth;
    TNumericEdit* txtHPercent;
    TNumericEdit* txtWPercent;
    QLineEdit* txtCurrH;
    QLineEdit* txtCurrW;
    QCheckBox* chkConstrain;
    QComboBox* cmbFilter;  // how the frames are scaled
    QLabel* imgConstrain;
    QPushButton* btnReset;
    QLabel* lblRunTime;
    QLabel* lblFileSize;
    QLabel* lblDLTime;
    QComboBox* cbBps;
    TByteChart* chtBytes;  // bytes per frame in the saved file
    QLabel* lblNumColors;
    QLabel* lblOptimized;
    QPushButton* btnPalette;
    QPushButton* btnOK;
    QPushButton* btnCancel;

public slots:
    void accept() override;

private:
    void BuildLayout();
    void Fill();
    void ShowDownloadTime();
    void FieldLeft(TNumericEdit* Field);
    // The size and percent coupling; each does nothing while another writes.
    void HeightChanged();
    void WidthChanged();
    void HeightPercentChanged();
    void WidthPercentChanged();
    // Writes the other fields from Percent of the height (or width) side.
    void Couple(bool Height, int Percent, bool PercentEdited);
    void ConstrainToggled();
    void btnResetClick();
    void btnPaletteClick();
    void SetGuarded(QLineEdit* Field, int Value);
    int Run(QDialog& Dialog);

    const TGIFImage& FDocument;
    IUserPrompts& FPrompts;
    QString FFileName;
    int FCurrWidth = 0;
    int FCurrHeight = 0;
    int FCurrLoop = 0;
    qint64 FFileSize = 0;
    bool FGuard = false;
    bool FPaletteEdited = false;
    int FDefaultLoop = 0;
    std::vector<TGIFRGB> FPalette;
};
