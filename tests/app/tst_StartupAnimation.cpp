// The main window's start-up animation comes from the program's own reader and
// painter: the preview shows the painter's frames as they change, and the
// painter is stopped when the window closes or goes away.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "app/ScriptedPrompts.h"
#include "services/QtAnimationPlayer.h"
#include "services/SettingsStore.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TStartupAnimationTest : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    const QString FFolder = QStringLiteral(REELIX_BINARY_DIR "/bin");

    struct TRig : TMainFormRig {
        TRig(const QString& path, const QString& folder) : TMainFormRig(path, folder, true) {}
    };

    // A started window with the animation playing, or null (after QSKIP) when
    // this build has no library or no animation in it.
    std::unique_ptr<TRig> Started() {
        auto rig = std::make_unique<TRig>(FDir.filePath(QStringLiteral("settings.ini")), FFolder);
        rig->Form->show();
        rig->Form->ShowStartupExtras();
        return rig;
    }

private slots:
    void init() {
        if (!QFile::exists(FFolder + QStringLiteral("/VELMOR.DLL")))
            QSKIP("the program folder has not been built");
    }

    void previewShowsThePaintersFrames() {
        auto rig = Started();
        TQtAnimationPlayer* player = rig->Form->StartupAnimation();
        if (!player)
            QSKIP("this build's library holds no start-up animation");
        QVERIFY(rig->Prompts.Shown.isEmpty());
        QVERIFY(player->Playing());
        QLabel* view = rig->Form->AnimationView();
        QVERIFY2(!view->movie(), "no second reader plays alongside ours");
        QCOMPARE(view->size(), player->Size());
        QCOMPARE(rig->Form->AnimationPanel()->size(), player->Size() + QSize(2, 2));

        // The picture changes from frame to frame, and the preview holds the
        // one shown last.
        QList<QImage> distinct;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QImage& now = player->CurrentFrame();
                if (!now.isNull() && (distinct.isEmpty() || distinct.last() != now))
                    distinct << now;
                return distinct.size() >= 3;
            }(),
            5000);
        const QImage shown = view->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown, player->CurrentFrame().convertToFormat(QImage::Format_RGB32));
        QCOMPARE(shown.size(), player->Size());
    }

    void closingTheWindowStopsThePainter() {
        auto rig = Started();
        TQtAnimationPlayer* player = rig->Form->StartupAnimation();
        if (!player)
            QSKIP("this build's library holds no start-up animation");
        QTRY_VERIFY_WITH_TIMEOUT(player->FramesShown() >= 1, 5000);
        QVERIFY(rig->Form->close());
        QVERIFY(!player->Playing());
        const int shown = player->FramesShown();
        QTest::qWait(300);  // longer than a frame's delay
        QCOMPARE(player->FramesShown(), shown);
    }

    void showingItAgainReplacesThePlayer() {
        auto rig = Started();
        if (!rig->Form->StartupAnimation())
            QSKIP("this build's library holds no start-up animation");
        rig->Form->ShowStartupExtras();
        TQtAnimationPlayer* player = rig->Form->StartupAnimation();
        QTRY_VERIFY_WITH_TIMEOUT(player->FramesShown() >= 1, 5000);
        rig->Form.reset();  // the window's destruction stops the painter first
    }
};

QTEST_MAIN(TStartupAnimationTest)
#include "tst_StartupAnimation.moc"
