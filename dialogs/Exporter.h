#pragma once
// "Export Images": which frames to write as single pictures, and how (GIF with
// a palette choice, JPEG with quality and options, BMP). OK asks for the file
// name; cancelling that question keeps this dialog open. The dialog only
// gathers: the caller writes the files with ExportFrames.

#include <QDialog>
#include <vector>

#include "services/ImageExport.h"

class IUserPrompts;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QRadioButton;
class QScrollArea;
class QSlider;
class TGIFImage;

class TfrmExporter : public QDialog {
    Q_OBJECT
public:
    TfrmExporter(const TGIFImage& Document, IUserPrompts& Prompts, QWidget* Parent = nullptr);

    TExportOptions Options() const;
    std::vector<int> SelectedFrames() const;
    // The name chosen after OK (empty when nothing is to be written).
    QString Path() const { return FPath; }
    int GIFPaletteChoice() const;

    QListWidget* lbExport;
    QScrollArea* sbPreview;
    QLabel* imgPreview;
    QRadioButton* optGIF;
    QRadioButton* optJpeg;
    QRadioButton* optBitmap;
    QWidget* pnlGIF;
    QRadioButton* optGIFNetscape;
    QRadioButton* optGIFGray;
    QRadioButton* optGIFMonochrome;
    QRadioButton* optGIFWindows;
    QComboBox* cbGIFColors;
    QRadioButton* optGIFFitted = nullptr;
    QRadioButton* optGIFWinSys20;
    QCheckBox* chkGIFOptimized;
    QWidget* pnlJPEG;
    QSlider* trackbar;
    QCheckBox* chkJGrayscale;
    QCheckBox* chkJProgress;
    QCheckBox* chkJSmooth;
    QRadioButton* optJBestQuality;
    QRadioButton* optJSpdQuality;
    QWidget* pnlBitmap;
    QCheckBox* chkBMono;

public slots:
    void accept() override;

private:
    void BuildLayout();
    void ShowPanel();
    void ShowPreview();

    const TGIFImage& FDocument;
    IUserPrompts& FPrompts;
    QString FPath;
};
