// The about box: its frame, its two link buttons and their failure message.
#include "app/ScriptedPrompts.h"
#include "dialogs/Settings.h"

#include <QPushButton>
#include <QTest>

class TAboutTest : public QObject {
    Q_OBJECT
private slots:
    void aboutBox() {
        TScriptedPrompts prompts;
        TfrmSettings dlg(TfrmSettings::dtAbout, prompts, [](const QUrl&) { return true; });
        QCOMPARE(dlg.windowTitle(), QStringLiteral("About Pellmark Reelix"));
        QCOMPARE(dlg.size(), QSize(372, 300));
        QVERIFY(dlg.pnlAbout);
        QCOMPARE(dlg.btnEmail->text(), QStringLiteral("Email Pellmark"));
        QCOMPARE(dlg.btnPellmark->toolTip(), QStringLiteral("Opens default browser to Pellmark Homepage"));
        QCOMPARE(dlg.btnPellmark->statusTip(), QString());
    }

    void linkButtons_data() {
        QTest::addColumn<bool>("email");
        QTest::addColumn<bool>("works");
        QTest::addColumn<QString>("scheme");
        QTest::newRow("web site") << false << true << "https";
        QTest::newRow("web site, no browser") << false << false << "https";
        QTest::newRow("mail") << true << true << "mailto";
        QTest::newRow("mail, no mail program") << true << false << "mailto";
    }
    void linkButtons() {
        QFETCH(bool, email);
        QFETCH(bool, works);
        QFETCH(QString, scheme);
        TScriptedPrompts prompts;
        QList<QUrl> opened;
        TfrmSettings dlg(TfrmSettings::dtAbout, prompts, [&](const QUrl& u) {
            opened << u;
            return works;
        });
        (email ? dlg.btnEmail : dlg.btnPellmark)->click();
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].scheme(), scheme);
        const QString address = email ? opened[0].path() : opened[0].toString();
        QCOMPARE(prompts.Texts(), works ? QStringList{}
                                        : QStringList{QStringLiteral("Could not load the default registered client.\n"
                                                                     "The link could not be opened: %1").arg(address)});
    }
};

QTEST_MAIN(TAboutTest)
#include "tst_About.moc"
