// The splash refuses to close until its minimum time is up; a click closes it after.
#include "dialogs/Splash.h"

#include <QLabel>
#include <QTest>

class TSplashTest : public QObject {
    Q_OBJECT

    static QImage Picture() {
        QImage img(120, 80, QImage::Format_RGB32);
        img.fill(Qt::blue);
        return img;
    }

private slots:
    void takesThePicturesSize() {
        TSplashScreen splash(Picture());
        QCOMPARE(splash.size(), QSize(120, 80));
        QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(!splash.testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(splash.TimerEnabled());
    }

    void designedTimeIsTwoAndAHalfSeconds() {
        TSplashScreen splash(Picture());
        QCOMPARE(TSplashScreen::DefaultInterval, 2500);
        QTest::qWait(100);
        QVERIFY(splash.TimerEnabled());
    }

    void closeRefusedWhileTheTimerRuns() {
        TSplashScreen splash(Picture(), 300);
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QVERIFY(!splash.close());
        QTest::mouseClick(splash.Image(), Qt::LeftButton);
        QVERIFY(splash.isVisible());
        QTRY_VERIFY(!splash.TimerEnabled());
        QVERIFY(splash.isVisible()); // the timer alone does not close it
        QTest::mouseClick(splash.Image(), Qt::LeftButton);
        QVERIFY(!splash.isVisible());
    }

    // The start-up loop: pump messages until the splash agrees to close.
    void startUpLoopEndsAfterTheTimer() {
        TSplashScreen splash(Picture(), 150);
        splash.show();
        QElapsedTimer clock;
        clock.start();
        while (!splash.close())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QVERIFY(clock.elapsed() >= 140);
        QVERIFY(!splash.isVisible());
    }
};

QTEST_MAIN(TSplashTest)
#include "tst_Splash.moc"
