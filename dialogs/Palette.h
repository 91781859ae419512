#pragma once
// "Palette": a colour table as a grid of 16 cells a row. Tag 0 picks a
// transparent colour with the frame's picture beside the grid, 1 edits the
// colours, 2 picks a transparent colour from the grid alone. The dialog works
// on its own copy of the table; the caller reads the table, the selected index
// and the picked colour after OK.

#include <QDialog>
#include <QImage>
#include <memory>

#include "gif/GIFTypes.h"

class IUserPrompts;
class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class TGIFColorMap;
class TGIFImage;
class TNumericEdit;
class TUpDown;

class TfrmPalette : public QDialog {
    Q_OBJECT
public:
    enum : int { pmPickWithPicture = 0, pmEdit = 1, pmPick = 2 };

    TfrmPalette(int Tag, IUserPrompts& Prompts, QWidget* Parent = nullptr);
    ~TfrmPalette() override;

    int Tag() const { return FTag; }
    // The table to show (copied in) and, after OK, the table as edited.
    void SetColorMap(const TGIFColorMap& Map);
    const TGIFColorMap& ColorMap() const;
    int ColorCount() const;

    int SelectedIndex() const { return FSelected; }
    void SetSelectedIndex(int Index);
    bool SelectionChanged() const { return FSelectionChanged; }

    // Tag 0: the frame's picture, and the transparent colour already in force.
    void SetPicture(const QImage& Picture);
    void SetTransparentColor(TColor Color);
    TColor PickedColor() const { return FPicked; }
    bool ColorPicked() const { return FColorPicked; }

    // The cell under (X, Y) of the grid, or -1 outside it or past the colours.
    static int HitTest(int X, int Y, int Count);
    // The cell's square in the grid.
    static QRect CellRect(int Index);

    QWidget* pbPalette;
    QFrame* shpPicker;
    QLabel* lblCaption;
    QFrame* shpPreview;
    QLabel* lblIndex;
    TNumericEdit* txtRed;
    TNumericEdit* txtGreen;
    TNumericEdit* txtBlue;
    TUpDown* udRed;
    TUpDown* udGreen;
    TUpDown* udBlue;
    QScrollArea* sbPreview;
    QWidget* pbImage;
    QPushButton* btnOK;
    QPushButton* btnCancel;

public slots:
    void done(int Result) override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void PaintGrid(QPaintEvent* Event);
    void PaintPicture();
    void SelectCell(int Index);
    void ShowEntry(int Index);
    void PickFromPicture(const QPoint& At);
    void FieldLeft(TNumericEdit* Field, TUpDown* UpDown);
    void ApplyColor();

    int FTag;
    IUserPrompts& FPrompts;
    std::unique_ptr<TGIFImage> FHolder; // its global table is the dialog's copy
    int FSelected = 0;
    bool FSelectionChanged = false;
    QImage FPicture;
    TColor FPicked = 0;
    bool FColorPicked = false;
    QCursor* FEyedropper = nullptr;
};
