#pragma once
// The start-up splash window: a borderless picture that stays up for at least
// 2.5 s. It refuses to close until its timer has run out, so a click on it
// closes it only after that time.

#include <QImage>
#include <QWidget>

class QLabel;
class QTimer;

class TSplashScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultInterval = 2500; // ms

    explicit TSplashScreen(const QImage& Picture, int IntervalMs = DefaultInterval,
                           QWidget* Parent = nullptr);

    // True while the minimum display time has not run out.
    bool TimerEnabled() const;
    QLabel* Image() const { return FImage; }

protected:
    void closeEvent(QCloseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    QLabel* FImage;
    QTimer* FTimer;
};
