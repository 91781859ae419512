// The arrow pair: it steps within Min..Max and tells only of real moves.
#include "controls/UpDown.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class TUpDownTest : public QObject {
    Q_OBJECT

private slots:
    void ArrowsStepWithinTheBounds() {
        TUpDown updown;
        updown.Min = 1;
        updown.Max = 3;
        updown.SetPosition(2);
        QSignalSpy clicked(&updown, &TUpDown::Clicked);
        QTest::mouseClick(updown.btnUp, Qt::LeftButton);
        QCOMPARE(updown.Position(), 3);
        QTest::mouseClick(updown.btnUp, Qt::LeftButton);  // at Max: no move, no notice
        QCOMPARE(updown.Position(), 3);
        QTest::mouseClick(updown.btnDown, Qt::LeftButton);
        QTest::mouseClick(updown.btnDown, Qt::LeftButton);
        QTest::mouseClick(updown.btnDown, Qt::LeftButton);  // at Min
        QCOMPARE(updown.Position(), 1);
        QCOMPARE(clicked.count(), 3);
        QCOMPARE(clicked.at(0).at(0).toInt(), 3);
        QCOMPARE(clicked.at(2).at(0).toInt(), 1);
    }

    void SettingThePositionClampsAndIsSilent() {
        TUpDown updown;
        updown.Min = 0;
        updown.Max = 10;
        QSignalSpy clicked(&updown, &TUpDown::Clicked);
        updown.SetPosition(25);
        QCOMPARE(updown.Position(), 10);
        updown.SetPosition(-4);
        QCOMPARE(updown.Position(), 0);
        updown.Max = -5;  // a range turned over keeps Min
        updown.SetPosition(3);
        QCOMPARE(updown.Position(), 0);
        QCOMPARE(clicked.count(), 0);
    }
};

QTEST_MAIN(TUpDownTest)
#include "tst_UpDown.moc"
