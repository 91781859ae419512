// reelix-tool edit makes the same file as the same steps made in the editor:
// on a shared animation, delete two frames, move one and give every frame a
// delay, in the window and on the command line, and compare the bytes saved.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "controls/NumericEdit.h"
#include "controls/RXListBox.h"
#include "dialogs/Properties.h"
#include "gif/GIFImage.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TToolEditTest : public QObject {
    Q_OBJECT
private slots:
    void editGivesTheFileTheEditorSaves() {
        const QString shared = QStringLiteral(REELIX_TESTDATA_DIR "/gif/wuffs/gifplayer-muybridge.gif");
        if (!QFile::exists(shared))
            QSKIP("no shared test data");
        QTemporaryDir dir;
        TMainFormRig rig(dir.filePath(QStringLiteral("s.ini")), dir.filePath(QStringLiteral("p")), false);
        rig.Form->SetDialogRunner([](QDialog& d) {
            auto& p = static_cast<TfrmProp&>(d);
            p.txtDelay->setText(QStringLiteral("8"));
            QTest::mouseClick(p.btnOK, Qt::LeftButton);
            return p.result();
        });
        rig.Prompts.FileNames << shared;
        rig.Cmd(TCommandId::Open)->trigger();
        QVERIFY(rig.Form->Document()->Frames().Count() > 4);
        rig.Form->SetShiftHeld(true);
        for (int frame : {3, 1}) {
            rig.Form->FramesList()->setCurrentRow(frame);
            rig.Cmd(TCommandId::DeleteFrame)->trigger();
        }
        rig.Form->SetShiftHeld(false);
        rig.Form->Frames().Move(0, 2);
        rig.Form->FramesList()->setCurrentRow(0);
        rig.Cmd(TCommandId::GlobalProperties)->trigger();
        const QString byEditor = dir.filePath(QStringLiteral("editor.gif"));
        QVERIFY(rig.Form->Documents().SaveDocument(byEditor));

        const QString byTool = dir.filePath(QStringLiteral("tool.gif"));
        QProcess tool;
        tool.start(QStringLiteral(REELIX_TOOL_PATH),
                   {QStringLiteral("edit"), shared, byTool, QStringLiteral("--delete=1,3"), QStringLiteral("--move=0:2"),
                    QStringLiteral("--delay=all:8")});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        QFile a(byEditor), b(byTool);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        const QByteArray editor = a.readAll(), command = b.readAll();
        QVERIFY(!editor.isEmpty());
        QVERIFY2(editor == command, "the same steps give the same file");
    }
};

QTEST_MAIN(TToolEditTest)
#include "tst_ToolEdit.moc"
