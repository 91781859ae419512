// Centring the preview in its scroll box, and hint splitting.
#include "app/Routines.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

class TRoutinesTest : public QObject {
    Q_OBJECT
private slots:
    void centeredOffset_data() {
        QTest::addColumn<int>("client");
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("want");
        QTest::newRow("fits, even") << 300 << 100 << 10 << 100;
        QTest::newRow("fits, odd difference rounds down") << 301 << 100 << 10 << 100;
        QTest::newRow("exactly fits") << 100 << 100 << 10 << 0;
        QTest::newRow("one pixel too big") << 99 << 100 << 10 << 10;
        QTest::newRow("far too big, vertical margin") << 50 << 400 << 5 << 5;
        QTest::newRow("empty box") << 0 << 100 << 5 << 5;
    }
    void centeredOffset() {
        QFETCH(int, client);
        QFETCH(int, control);
        QFETCH(int, margin);
        QFETCH(int, want);
        QCOMPARE(CenteredOffset(client, control, margin), want);
    }

    void centerInScrollBox_data() {
        QTest::addColumn<QSize>("control");
        QTest::addColumn<bool>("fitsX");
        QTest::addColumn<bool>("fitsY");
        QTest::newRow("small panel") << QSize(100, 100) << true << true;
        QTest::newRow("too wide") << QSize(900, 100) << false << true;
        QTest::newRow("too tall") << QSize(100, 900) << true << false;
        QTest::newRow("too big") << QSize(900, 900) << false << false;
    }
    void centerInScrollBox() {
        QFETCH(QSize, control);
        QFETCH(bool, fitsX);
        QFETCH(bool, fitsY);
        QScrollArea box;
        box.resize(400, 300);
        auto* canvas = new QWidget;
        box.setWidget(canvas);
        auto* panel = new QWidget(canvas);
        panel->resize(control);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        // Start scrolled away to check the box goes home first.
        canvas->resize(2000, 2000);
        box.horizontalScrollBar()->setValue(300);
        box.verticalScrollBar()->setValue(300);

        CenterInScrollBox(&box, panel);
        QCoreApplication::processEvents();
        CenterInScrollBox(&box, panel); // again, with the scroll bars settled
        const QSize client = box.viewport()->size();
        QCOMPARE(box.horizontalScrollBar()->value(), 0);
        QCOMPARE(box.verticalScrollBar()->value(), 0);
        QCOMPARE(panel->x(), fitsX ? (client.width() - control.width()) / 2 : ScrollBoxMarginX);
        QCOMPARE(panel->y(), fitsY ? (client.height() - control.height()) / 2 : ScrollBoxMarginY);
        // An oversized panel can be scrolled fully into view, margins included.
        QVERIFY(canvas->width() >= panel->x() + control.width() + (fitsX ? 0 : ScrollBoxMarginX));
        QVERIFY(canvas->height() >= panel->y() + control.height() + (fitsY ? 0 : ScrollBoxMarginY));
    }

    void hints_data() {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("shortHint");
        QTest::addColumn<QString>("longHint");
        QTest::newRow("two parts") << "Help|Opens Help" << "Help" << "Opens Help";
        QTest::newRow("no bar") << "Opens browser" << "Opens browser" << "Opens browser";
        QTest::newRow("empty status") << "Email Pellmark Software|" << "Email Pellmark Software" << "";
        QTest::newRow("second bar kept") << "a|b|c" << "a" << "b|c";
    }
    void hints() {
        QFETCH(QString, hint);
        QFETCH(QString, shortHint);
        QFETCH(QString, longHint);
        QCOMPARE(ShortHint(hint), shortHint);
        QCOMPARE(LongHint(hint), longHint);
    }
};

QTEST_MAIN(TRoutinesTest)
#include "tst_Routines.moc"
