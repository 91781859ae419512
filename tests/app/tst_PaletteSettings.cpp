// Stored palette choices become the document's colour reduction.
#include "session/PaletteSettings.h"
#include "gif/GIFImage.h"
#include "services/SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

class TPaletteSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void apply_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("colors");
        QTest::addColumn<QString>("dither");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("ditherKind");
        QTest::addColumn<bool>("global");
        QTest::newRow("nothing stored: fitted") << "" << "" << "" << int(crFitted) << 8 << int(dkNearest) << false;
        QTest::newRow("fitted, 64 colours") << "3" << "64" << "1" << int(crFitted) << 6 << int(dkFloydSteinberg) << false;
        QTest::newRow("optimised, 16 colours") << "0" << "16" << "0" << int(crQuantize) << 4 << int(dkNearest) << true;
        QTest::newRow("web palette ignores the count") << "1" << "8" << "1" << int(crWebSafe) << 8 << int(dkFloydSteinberg) << true;
        QTest::newRow("local palettes, 8 colours") << "2" << "8" << "0" << int(crQuantize) << 3 << int(dkNearest) << false;
        QTest::newRow("local palettes, 128 colours") << "2" << "128" << "1" << int(crQuantize) << 7 << int(dkFloydSteinberg) << false;
        QTest::newRow("odd count keeps 8 bits") << "0" << "100" << "0" << int(crQuantize) << 8 << int(dkNearest) << true;
        QTest::newRow("garbage everywhere") << "x" << "y" << "z" << int(crFitted) << 8 << int(dkNearest) << false;
        QTest::newRow("unknown type") << "7" << "32" << "5" << int(crFitted) << 5 << int(dkNearest) << false;
    }
    void apply() {
        QFETCH(QString, type);
        QFETCH(QString, colors);
        QFETCH(QString, dither);
        QFETCH(int, kind);
        QFETCH(int, bits);
        QFETCH(int, ditherKind);
        QFETCH(bool, global);
        QTemporaryDir dir;
        TSettingsStore store(dir.filePath(QStringLiteral("s.ini")));
        const QString section = QStringLiteral("Settings\\");
        if (!type.isEmpty())
            store.WriteString(section, QStringLiteral("PaletteType"), type);
        if (!colors.isEmpty())
            store.WriteString(section, QStringLiteral("MaxColorCount"), colors);
        if (!dither.isEmpty())
            store.WriteString(section, QStringLiteral("DitherMethod"), dither);
        TGIFImage image;
        image.ColorReductionKind = crNone;
        image.DitherKind = dkBurkes;
        QCOMPARE(ApplyPaletteSettings(image, store), global);
        QCOMPARE(int(image.ColorReductionKind), kind);
        QCOMPARE(image.ReductionBits(), bits);
        QCOMPARE(int(image.DitherKind), ditherKind);
    }
};

QTEST_MAIN(TPaletteSettingsTest)
#include "tst_PaletteSettings.moc"
