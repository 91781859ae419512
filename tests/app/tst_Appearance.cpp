// How the window looks on today's desktops: with a dark colour scheme every
// text stays readable (colours the user has not set follow the scheme; those
// the settings hold stay), and at a scale factor of 2 nothing overlaps. The
// screenshots go to the build folder ("screenshots/"), where the desktop
// metadata's picture is made too.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "controls/RXListBox.h"
#include "gif/GIFImage.h"

#include <QApplication>
#include <QPixmap>
#include <cstdlib>
#include <QDir>
#include <QFile>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

namespace {
void WriteGif(const QString& path) {
    TGIFImage image;
    image.Header().ScreenWidth = 120;
    image.Header().ScreenHeight = 80;
    for (TColor c : {0x202020u, 0x3060E0u, 0x40C040u, 0xE04030u})
        image.GlobalColors().AddColor(c);
    for (int i = 0; i < 4; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, 120, 80);
        for (int p = 0; p < frame->PixelDataSize(); ++p) {
            const int x = p % 120, y = p / 120;
            frame->PixelData()[p] = std::uint8_t((x / 20 + y / 20 + i) % 4);
        }
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = 10;
        frame->ExtensionBlocks().Add(std::move(control));
        image.AddFrame(std::move(frame));
    }
    image.SaveToFile(QFile::encodeName(path).toStdString());
}

QPalette DarkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(45, 45, 48));
    p.setColor(QPalette::WindowText, QColor(230, 230, 230));
    p.setColor(QPalette::Base, QColor(30, 30, 32));
    p.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    p.setColor(QPalette::Text, QColor(230, 230, 230));
    p.setColor(QPalette::Button, QColor(55, 55, 60));
    p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    p.setColor(QPalette::Highlight, QColor(60, 110, 200));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

QString ScreenshotFolder() {
    const QString folder = QStringLiteral(REELIX_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    return folder;
}
} // namespace

class TAppearanceTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    std::unique_ptr<TMainFormRig> Shown() {
        QFile::remove(FDir.filePath(QStringLiteral("s.ini")));
        auto rig = std::make_unique<TMainFormRig>(FDir.filePath(QStringLiteral("s.ini")), FDir.filePath(QStringLiteral("p")), false);
        rig->Form->resize(900, 620);
        rig->Form->show();
        rig->Prompts.FileNames << FDir.filePath(QStringLiteral("a.gif"));
        rig->Cmd(TCommandId::Open)->trigger();
        QTest::qWait(50);
        return rig;
    }

private slots:
    void initTestCase() {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        WriteGif(FDir.filePath(QStringLiteral("a.gif")));
    }

    void theDefaultLookIsPictured() {
        auto rig = Shown();
        QVERIFY(rig->Form->grab().save(ScreenshotFolder() + QStringLiteral("/reelix-main.png")));
    }

    void aDarkSchemeKeepsEveryTextReadable() {
        const QPalette before = QApplication::palette();
        QApplication::setPalette(DarkPalette());
        const auto contrast = [](const QColor& a, const QColor& b) { return std::abs(a.lightness() - b.lightness()); };
        {
            // Nothing stored: the frames list and preview take the scheme's colours.
            auto rig = Shown();
            TRXListBox& list = *rig->Form->FramesList();
            QVERIFY(list.WindowColor().lightness() < 100);
            QVERIFY(list.FrameColor.lightness() < 100);
            QVERIFY(contrast(list.TextColor(), list.FrameColor) >= 96);
            QVERIFY(contrast(list.SelTextColor, list.HighlightColor) >= 60);
            QVERIFY(rig->Form->CurrentOptions().AnimationColor.lightness() < 100);
            QVERIFY(rig->Form->grab().save(ScreenshotFolder() + QStringLiteral("/reelix-dark.png")));
            // Leaving stores none of them, so they go on following the scheme.
            rig->Form = nullptr;
            for (const char* name : {"FrameColor", "WindowColor", "AnimationWindowColor"})
                QVERIFY2(!rig->Store.ValueExists(QStringLiteral("Settings\\"), QLatin1String(name)), name);
        }
        {
            // A colour the user chose stays, and the text still stands out on it.
            QFile::remove(FDir.filePath(QStringLiteral("s.ini")));
            TMainFormRig rig(FDir.filePath(QStringLiteral("s.ini")), FDir.filePath(QStringLiteral("p")), false);
            rig.Store.WriteInteger(QStringLiteral("Settings\\"), QStringLiteral("FrameColor"), 0xC0C0C0);
            rig.Form = std::make_unique<TfrmMain>(rig.Store, rig.Prompts, FDir.filePath(QStringLiteral("p")));
            TRXListBox& list = *rig.Form->FramesList();
            QCOMPARE(list.FrameColor, QColor(0xC0, 0xC0, 0xC0));
            QVERIFY(contrast(list.TextColor(), list.FrameColor) >= 96);
        }
        QApplication::setPalette(before);
    }

    // At a scale factor of 2 the tiles, tool bars and preview are drawn at
    // twice the pixels, and the cells do not overlap.
    void atScaleTwoNothingOverlaps() {
        auto rig = Shown();
        TRXListBox& list = *rig->Form->FramesList();
        QVERIFY(list.count() >= 2);
        const QRect first = list.visualItemRect(list.item(0));
        const QRect second = list.visualItemRect(list.item(1));
        QVERIFY(!first.intersects(second));
        QVERIFY2(first.height() >= rig->Form->FrameSize(), "a cell holds its tile");
        const QPixmap shot = rig->Form->grab();
        QCOMPARE(shot.devicePixelRatio(), qApp->devicePixelRatio());
        QVERIFY(shot.save(ScreenshotFolder() + QStringLiteral("/reelix-scale%1.png").arg(qApp->devicePixelRatio())));
    }
};

QTEST_MAIN(TAppearanceTest)
#include "tst_Appearance.moc"
