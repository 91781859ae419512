#pragma once
// "Optimize Animation": the techniques to use, the size before and after
// (in all, and per frame as a bar chart), and optionally a size to fit under. Every change of a box recomputes the result
// from scratch on a private copy of the document, off the GUI thread; a later
// change supersedes a computation still running. The caller replaces the
// document by Result() after OK.

#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "gif/OptimizeChoices.h"
#include "painter/FitUnder.h"

class QCheckBox;
class QSlider;
class QLabel;
class QPushButton;
class TByteChart;
class TGIFImage;
class TNumericEdit;

class TfrmOptimize : public QDialog {
    Q_OBJECT
public:
    // PromptOnSave: the stored "OptimizePrompt", shown by chkSave. DefaultLoop:
    // the loop count saving gives a first frame without a looping block; the
    // copy gets it too, so the sizes shown are what Save writes.
    TfrmOptimize(const TGIFImage& Document, bool PromptOnSave, QWidget* Parent = nullptr, int DefaultLoop = 0);
    ~TfrmOptimize() override;

    TOptimizeChoices Choices() const;
    // A computation is running (OK waits for it).
    bool Busy() const { return FRunning != nullptr; }
    // The optimised copy of the finished computation (null while busy or after a failure).
    TGIFImage* Result() const { return FResult.get(); }
    qint64 CurrentSize() const { return FCurrentSize; }
    qint64 OptimizedSize() const { return FOptimizedSize; }
    // Fit under was asked for and the measured result fits.
    bool FitFound() const { return FFit.Fits; }
    // The target in bytes when "Fit under" is checked, else 0.
    qint64 FitTarget() const;

    QCheckBox* chkOptAll;
    QCheckBox* chkRemoveLocal;
    QCheckBox* chkTrim;
    QCheckBox* chkDupPixels;
    QCheckBox* chkSmallest;
    QCheckBox* chkBest;
    QSlider* sldLossy;
    QLabel* lblLossy;
    QCheckBox* chkSave;
    QCheckBox* chkFitUnder;
    TNumericEdit* txtFitUnder;
    QLabel* lblCurrSize;
    QLabel* lblOptimizedSize;
    QLabel* lblTotal;
    QLabel* lblFit;
    TByteChart* chtBytes;  // bytes per frame before and after
    QPushButton* btnOK;
    QPushButton* btnCancel;

signals:
    // A computation ended and the result labels show it.
    void ResultShown();

public slots:
    // Starts a new computation for the boxes as they are now.
    void Recompute();

private:
    struct TJob;
    void BuildLayout();
    void Finished(TJob* Job);
    void ShowResult(TJob& Job);
    void UpdateButtons();

    const TGIFImage& FDocument;
    int FDefaultLoop = 0;
    std::vector<std::shared_ptr<TJob>> FJobs;  // started, not yet collected
    TJob* FRunning = nullptr;                  // the newest computation
    std::unique_ptr<TGIFImage> FResult;
    TFitResult FFit;
    qint64 FCurrentSize = -1;
    qint64 FOptimizedSize = -1;
};
