// The whole-number field: what typing lets through, how a text reads as a
// value, and the remembered text and "left" notice around the focus.
#include "controls/NumericEdit.h"

#include <QSignalSpy>
#include <QTest>

class TNumericEditTest : public QObject {
    Q_OBJECT

private slots:
    void TypingKeepsOnlyDigits_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("digits") << "1234" << "1234";
        QTest::newRow("letters and signs dropped") << "1a-2 .3+" << "123";
        QTest::newRow("nothing but letters") << "abc" << "";
    }
    void TypingKeepsOnlyDigits() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TNumericEdit edit;
        QTest::keyClicks(&edit, typed);
        QCOMPARE(edit.text(), shown);
    }

    void BackspaceAndNavigationStillWork() {
        TNumericEdit edit;
        QTest::keyClicks(&edit, "123");
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClick(&edit, Qt::Key_Home);
        QTest::keyClicks(&edit, "9");
        QCOMPARE(edit.text(), QStringLiteral("912"));
    }

    void ParsingAcceptsWholeNumbersBelowTheLimit_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << true << 42;
        QTest::newRow("blanks ignored") << " 4 2 " << true << 42;
        QTest::newRow("largest") << "32766" << true << 32766;
        QTest::newRow("limit") << "32767" << false << 0;
        QTest::newRow("six digits") << "000001" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("blank only") << "  " << false << 0;
        QTest::newRow("sign") << "-5" << false << 0;
        QTest::newRow("other script's digit") << QString::fromUtf8("\u0663") << false << 0;
    }
    void ParsingAcceptsWholeNumbersBelowTheLimit() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        int parsed = 0;
        QCOMPARE(TNumericEdit::ParseValue(text, parsed), ok);
        if (ok) QCOMPARE(parsed, value);
    }

    void EnteringRemembersTheTextAndLeavingIsAnnounced() {
        QWidget window;
        auto* edit = new TNumericEdit(&window);
        auto* other = new TNumericEdit(&window);
        edit->setText(QStringLiteral("7"));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy left(edit, &TNumericEdit::Left);
        edit->setFocus(Qt::TabFocusReason);
        QCOMPARE(edit->Remembered, QStringLiteral("7"));
        QTest::keyClicks(edit, "3");
        other->setFocus(Qt::TabFocusReason);
        QCOMPARE(left.count(), 1);
        QCOMPARE(edit->Remembered, QStringLiteral("7"));  // the text on entering, to put back
    }
};

QTEST_MAIN(TNumericEditTest)
#include "tst_NumericEdit.moc"
