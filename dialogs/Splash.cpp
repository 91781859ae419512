#include "dialogs/Splash.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

TSplashScreen::TSplashScreen(const QImage& Picture, int IntervalMs, QWidget* Parent)
    : QWidget(Parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      FImage(new QLabel(this)), FTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("SplashScreen"));
    // Closing the splash must never count as closing the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    FImage->setObjectName(QStringLiteral("Image"));
    FImage->setPixmap(QPixmap::fromImage(Picture));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FImage);
    // The window takes the picture's size.
    if (!Picture.isNull())
        setFixedSize(Picture.size());

    FTimer->setObjectName(QStringLiteral("Timer"));
    FTimer->setSingleShot(true);
    FTimer->setInterval(IntervalMs);
    connect(FTimer, &QTimer::timeout, this, [this] { FTimer->stop(); });
    FTimer->start();
}

bool TSplashScreen::TimerEnabled() const {
    return FTimer->isActive();
}

void TSplashScreen::closeEvent(QCloseEvent* Event) {
    if (TimerEnabled())
        Event->ignore();
    else
        Event->accept();
}

void TSplashScreen::mouseReleaseEvent(QMouseEvent* Event) {
    QWidget::mouseReleaseEvent(Event);
    close();
}
