#pragma once
// The progress window of long work: two lines of text, a bar and Cancel. It has
// no caption bar; the work polls Cancelled() (or listens to CancelRequested)
// between its steps.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class TfrmProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* Parent = nullptr);

    bool Cancelled() const { return FCancelled; }
    void SetRange(int Minimum, int Maximum);
    void SetPosition(int Position);
    void StepBy(int Delta);
    void SetText(const QString& Text);

    QLabel* lblProgress;
    QLabel* lblFileName;
    QProgressBar* prgBar;
    QPushButton* btnCancel;

signals:
    void CancelRequested();

protected:
    void reject() override; // Escape is Cancel too

private:
    bool FCancelled = false;
};
