#pragma once
// Check Animation: the findings (how browsers will play the animation, whom
// it may harm), each with its frames and a plain explanation, and a Fix
// button where the finding has one; below, the bytes each frame takes in the
// saved file, as bars, the largest named. The dialog only shows: a fix goes
// to Fix, which changes the document (one undo step) and answers the new
// report.

#include <QDialog>
#include <functional>

#include "painter/AnimationCheck.h"

class QLabel;
class QListWidget;
class QPushButton;
class TByteChart;

class TfrmCheck : public QDialog {
    Q_OBJECT
public:
    using TFixer = std::function<TCheckReport(const TCheckFinding& Finding)>;
    TfrmCheck(TCheckReport Report, TFixer Fix, QWidget* Parent = nullptr);

    const TCheckReport& Report() const { return FReport; }
    // A frame chosen in the list or the chart (the window shows it).
    std::function<void(int Frame)> ShowFrame;

    QListWidget* lstFindings;
    QLabel* lblExplanation;
    QPushButton* btnFix;
    TByteChart* chtBytes;
    QLabel* lblBytes;

private:
    void ShowReport();
    void ShowFinding();
    void FixClicked();

    TCheckReport FReport;
    TFixer FFix;
};
