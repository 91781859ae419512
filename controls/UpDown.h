#pragma once
// A pair of small arrow buttons beside an edit field that step a position
// between Min and Max; the field shows the position, the buttons move it.

#include <QWidget>

class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* Parent = nullptr);

    int Min = 0;
    int Max = 100;
    int Position() const { return FPosition; }
    // Clamped to Min..Max; emits nothing.
    void SetPosition(int Value);

    QToolButton* btnUp;
    QToolButton* btnDown;

signals:
    // A button moved the position.
    void Clicked(int Position);

private:
    void Step(int Delta);
    int FPosition = 0;
};
