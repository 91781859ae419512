#pragma once
// The timing dialog of several frames: delays set (in hundredths of a second
// or milliseconds), made longer or shorter, or scaled by a percentage; or
// every Nth frame dropped. It gathers the choice and returns it; the frames
// commands carry it out.

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

struct TTimingChange {
    enum class TKind { Set, Add, Subtract, Scale, DropEvery };
    TKind Kind = TKind::Set;
    int Value = 10; // hundredths of a second, a percentage, or N
};

class TfrmTiming : public QDialog {
    Q_OBJECT
public:
    enum TMode { tmDelays, tmDropEvery };
    // Frames: how many frames the change will act on (shown in the caption line).
    TfrmTiming(TMode Mode, int Frames, int CurrentDelay, QWidget* Parent = nullptr);

    TTimingChange Change() const;

    QRadioButton* optSet = nullptr;
    QRadioButton* optAdd = nullptr;
    QRadioButton* optSubtract = nullptr;
    QRadioButton* optScale = nullptr;
    QSpinBox* udValue = nullptr;
    QComboBox* cbUnit = nullptr; // 1/100 s or ms
    QPushButton* btnOK = nullptr;

private:
    void KindChanged();
    TMode FMode;
    int FCurrentDelay;
    bool FScaling = false;
};
