// Tip of the Day: the random pick, the tips file and the "show at startup" flag.
#include "dialogs/TipDay.h"
#include "services/SettingsStore.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class TTipDayTest : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    void WriteTips(const QByteArray& text) {
        QFile f(FDir.filePath(QStringLiteral("Tips.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    // The tips seen on opening and after Clicks presses of "Next Tip".
    QSet<QString> Seen(TfrmTips& dlg, int clicks) {
        QSet<QString> seen;
        dlg.show();
        seen << dlg.lblTip->text();
        for (int i = 0; i < clicks; ++i) {
            dlg.btnNext->click();
            seen << dlg.lblTip->text();
        }
        return seen;
    }

private slots:
    void init() {
        QFile::remove(FDir.filePath(QStringLiteral("Tips.txt")));
    }

    void everyLineIsReachable_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("want");
        QTest::newRow("one line") << QByteArray("only tip\n") << QStringList{"only tip"};
        QTest::newRow("two lines, last included") << QByteArray("first\nsecond\n") << QStringList{"first", "second"};
        QTest::newRow("no final line break") << QByteArray("a\nb\nc") << QStringList{"a", "b", "c"};
        QTest::newRow("CRLF and blank lines") << QByteArray("a\r\n\r\nb\r\n  \r\nc\r\n") << QStringList{"a", "b", "c"};
        QTest::newRow("UTF-8 kept verbatim")
            << QByteArray("Frames are numbered from 0 \xe2\x80\x94 like this.\n<b>not markup</b>\n")
            << QStringList{QString::fromUtf8("Frames are numbered from 0 \xe2\x80\x94 like this."), "<b>not markup</b>"};
    }
    void everyLineIsReachable() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, want);
        WriteTips(file);
        TfrmTips dlg(nullptr, FDir.path());
        dlg.Seed(12345);
        const QSet<QString> seen = Seen(dlg, 200);
        QCOMPARE(seen, QSet<QString>(want.begin(), want.end()));
        QCOMPARE(dlg.LastTipIndex, want.size() - 1);
        QVERIFY(dlg.btnNext->isEnabled());
    }

    void missingOrEmptyFile_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("missing") << false << QByteArray();
        QTest::newRow("empty") << true << QByteArray();
        QTest::newRow("blank lines only") << true << QByteArray("\n\n  \n");
    }
    void missingOrEmptyFile() {
        QFETCH(bool, exists);
        QFETCH(QByteArray, file);
        if (exists)
            WriteTips(file);
        TfrmTips dlg(nullptr, FDir.path());
        dlg.show();
        QCOMPARE(dlg.lblTip->text(), TfrmTips::MissingFileMessage(FDir.path()));
        QVERIFY(dlg.lblTip->text().startsWith(
            "Could not load tips file! Please make sure Tips.txt is in the application folder of "));
        QVERIFY(dlg.lblTip->text().endsWith('.'));
        QVERIFY(!dlg.btnNext->isEnabled());
        QVERIFY(dlg.btnClose->isEnabled());
    }

    void closingWritesTheShowFlag_data() {
        QTest::addColumn<bool>("show");
        QTest::newRow("unchecked writes 0") << false;
        QTest::newRow("checked writes 1") << true;
    }
    void closingWritesTheShowFlag() {
        QFETCH(bool, show);
        WriteTips("tip\n");
        const QString path = FDir.filePath(QStringLiteral("store.ini"));
        QFile::remove(path);
        {
            TSettingsStore store(path);
            TfrmTips dlg(&store, FDir.path());
            dlg.chkShow->setChecked(true);
            dlg.show();
            dlg.chkShow->setChecked(show);
            dlg.btnClose->click();
        }
        TSettingsStore reread(path); // written through to the file at once
        QCOMPARE(reread.ReadString(QStringLiteral("Settings"), QStringLiteral("TipDay"), QStringLiteral("none")),
                 show ? QStringLiteral("1") : QStringLiteral("0"));
    }

    void fromTheMenuTheBoxShowsTheStoredChoice_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("checked");
        QTest::newRow("stored 0") << "0" << false;
        QTest::newRow("stored 1") << "1" << true;
        QTest::newRow("nothing stored") << "" << true;
    }
    void fromTheMenuTheBoxShowsTheStoredChoice() {
        QFETCH(QString, stored);
        QFETCH(bool, checked);
        WriteTips("tip\n");
        TSettingsStore store(FDir.filePath(QStringLiteral("unsaved.ini")));
        if (!stored.isEmpty())
            store.WriteString(QStringLiteral("Settings\\"), QStringLiteral("TipDay"), stored);
        TfrmTips dlg(&store, FDir.path());
        dlg.ReadShowFlag = true;
        dlg.chkShow->setChecked(!checked);
        dlg.show();
        QCOMPARE(dlg.chkShow->isChecked(), checked);
    }
};

QTEST_MAIN(TTipDayTest)
#include "tst_TipDay.moc"
