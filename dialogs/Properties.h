#pragma once
// "Frame Properties": placement, delay, disposal, transparency and interlacing
// of one frame, with the frame shown on the animation's screen; Tag 1 is
// "Global Frame Properties", which writes the chosen values into every frame.
// The dialog only gathers: the caller writes Values() after OK. The one
// exception is the local palette editor, whose result goes to the caller at
// once (OnLocalPaletteEdited), so Cancel here does not take it back.

#include <QDialog>
#include <QImage>
#include <functional>

#include "gif/FrameProperties.h"
#include "gif/GIFTypes.h"

class IUserPrompts;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class TGIFColorMap;
class TGIFImage;
class TNumericEdit;
class TUpDown;

class TfrmProp : public QDialog {
    Q_OBJECT
public:
    enum : int { pmFrame = 0, pmGlobal = 1 };

    TfrmProp(int Tag, const TGIFImage& Document, IUserPrompts& Prompts, const QColor& PanelColor, QWidget* Parent = nullptr);

    // Fills the dialog from frame Index of the document.
    void LoadFrame(int Index);
    // What OK means for the frame (or every frame).
    TFramePropertyValues Values() const;

    bool GlobalMode = false;
    int TransparentIndex = 0;
    int FrameIndex = 0;
    int LocalColorCount = 0;
    int DisposalIndex = 0; // -1: each frame keeps its own (global only)
    // The global dialog's first disposal entry, which keeps each frame's.
    static constexpr const char* KeepEachFrameText = "(Keep each frame's)";
    TColor TransparentColor = 0;
    bool TransparentChosen = false;

    // The edited local palette, written by the caller at once.
    std::function<void(const TGIFColorMap& Map)> OnLocalPaletteEdited;
    // How the palette dialog runs (tests drive it); exec() by default.
    std::function<int(QDialog& Dialog)> RunDialog;

    QScrollArea* sbProp;
    QFrame* pnlProp;
    QWidget* pb;
    QLabel* lblW;
    QLabel* lblH;
    QLineEdit* txtCurrXOff;
    QLineEdit* txtCurrYOff;
    TNumericEdit* txtXOffset;
    TNumericEdit* txtYOffset;
    TUpDown* udX;
    TUpDown* udY;
    QCheckBox* chkCenter;
    QCheckBox* chkInterlaced;
    QCheckBox* chkTransparent;
    QPushButton* btnTransparent;
    QCheckBox* chkLocalPal;
    QPushButton* btnPalette;
    QLineEdit* txtCurrDelay;
    TNumericEdit* txtDelay;
    TUpDown* udDelay;
    QComboBox* cbDisposal;
    QPushButton* btnReset;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void BuildLayout();
    void ApplyGlobalLayout();
    int FDisposalKeepEntries = 0; // entries before "None" in the disposal list
    // The panel centred in its box, or at the margin when it does not fit.
    void CenterPanel();
    void PaintFrame();
    void FieldLeft(TNumericEdit* Field, TUpDown* UpDown);
    void CenterToggled(bool On);
    void btnTransparentClick(bool FromBox);
    void btnPaletteClick();
    void SetTransparentBox(bool On);
    int Run(QDialog& Dialog);

    int FTag;
    const TGIFImage& FDocument;
    IUserPrompts& FPrompts;
    QColor FPanelColor;
    QImage FPicture;
    bool FLoading = false;
};
