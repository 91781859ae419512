// The palette dialog driven through its widgets: grid geometry and hit test,
// the three modes, colour editing with its entry rules, picking from the picture.
#include "app/ScriptedPrompts.h"
#include "controls/NumericEdit.h"
#include "controls/UpDown.h"
#include "dialogs/Palette.h"
#include "gif/GIFImage.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

namespace {
// A table of n colours, entry i = (i, 2i, 3i).
void FillTable(TGIFColorMap& map, int n) {
    for (int i = 0; i < n; ++i)
        map.AddColor(TColor(i) | (TColor(2 * i & 0xFF) << 8) | (TColor(3 * i & 0xFF) << 16));
}
} // namespace

class TPaletteTest : public QObject {
    Q_OBJECT

    TGIFImage FSource;

    std::unique_ptr<TfrmPalette> Dialog(int tag, TScriptedPrompts& prompts, int colors = 20) {
        FSource.GlobalColors().ClearColors();
        FillTable(FSource.GlobalColors(), colors);
        auto d = std::make_unique<TfrmPalette>(tag, prompts);
        d->SetColorMap(FSource.GlobalColors());
        d->show();
        return d;
    }

private slots:
    void hitTest_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index");
        QTest::newRow("first cell") << QPoint(3, 3) << 20 << 0;
        QTest::newRow("second cell") << QPoint(18, 3) << 20 << 1;
        QTest::newRow("second row") << QPoint(3, 18) << 20 << 16;
        QTest::newRow("cell 19 of 20") << QPoint(3 + 3 * 15, 18) << 20 << 19;
        QTest::newRow("cell 20 of 20: past the colours") << QPoint(3 + 4 * 15, 18) << 20 << -1;
        QTest::newRow("left of the grid") << QPoint(2, 50) << 256 << -1;
        QTest::newRow("below the grid") << QPoint(50, 244) << 256 << -1;
        QTest::newRow("last cell") << QPoint(242, 242) << 256 << 255;
    }
    void hitTest() {
        QFETCH(QPoint, at);
        QFETCH(int, count);
        QFETCH(int, index);
        QCOMPARE(TfrmPalette::HitTest(at.x(), at.y(), count), index);
    }

    void gridGeometry() {
        QCOMPARE(TfrmPalette::CellRect(0), QRect(1, 1, 15, 15));
        QCOMPARE(TfrmPalette::CellRect(17), QRect(16, 16, 15, 15));
        QCOMPARE(TfrmPalette::CellRect(255), QRect(226, 226, 15, 15));
    }

    void clicksSelectOnlyCellsWithColours() {
        TScriptedPrompts prompts;
        auto d = Dialog(TfrmPalette::pmPick, prompts);
        QTest::mouseClick(d->pbPalette, Qt::LeftButton, {}, QPoint(18, 18)); // cell 17
        QCOMPARE(d->SelectedIndex(), 17);
        QCOMPARE(d->shpPicker->pos(), QPoint(16, 16));
        QCOMPARE(d->lblIndex->text(), QStringLiteral("18 of 20"));
        QCOMPARE(d->txtGreen->text(), QStringLiteral("34"));
        QVERIFY(d->SelectionChanged());
        // Cell 20 and the point (2, 50) change nothing.
        QTest::mouseClick(d->pbPalette, Qt::LeftButton, {}, QPoint(3 + 4 * 15 + 2, 20));
        QTest::mouseClick(d->pbPalette, Qt::LeftButton, {}, QPoint(2, 50));
        QCOMPARE(d->SelectedIndex(), 17);
        QCOMPARE(d->shpPicker->pos(), QPoint(16, 16));
    }

    void modes_data() {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("picture");
        QTest::newRow("pick with picture") << 0
            << "Select a transparent color from the color palette or click on the image." << false << true;
        QTest::newRow("edit") << 1 << "Select a color to edit the color palette." << true << false;
        QTest::newRow("pick") << 2 << "Select a transparent color from the color palette" << false << false;
    }
    void modes() {
        QFETCH(int, tag);
        QFETCH(QString, caption);
        QFETCH(bool, editable);
        QFETCH(bool, picture);
        TScriptedPrompts prompts;
        auto d = Dialog(tag, prompts);
        QCOMPARE(d->lblCaption->text(), caption);
        QCOMPARE(!d->txtRed->isReadOnly(), editable);
        QCOMPARE(d->udBlue->isEnabled(), editable);
        QCOMPARE(d->sbPreview->isVisible(), picture);
    }

    void editingAColourAndItsEntryRules_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("red");
        QTest::newRow("in range") << "200" << "" << 200;
        QTest::newRow("over 255") << "300" << "'300' is not within the 0-255 range." << 5;
        QTest::newRow("empty") << "" << "'' is not a valid integer value." << 5;
        QTest::newRow("letters are dropped") << "1x2" << "" << 12;
    }
    void editingAColourAndItsEntryRules() {
        QFETCH(QString, typed);
        QFETCH(QString, error);
        QFETCH(int, red);
        TScriptedPrompts prompts;
        auto d = Dialog(TfrmPalette::pmEdit, prompts);
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        QTest::mouseClick(d->pbPalette, Qt::LeftButton, {}, QPoint(3 + 5 * 15 + 2, 5)); // entry 5
        d->txtRed->setFocus();
        d->txtRed->selectAll();
        QTest::keyClick(d->txtRed, Qt::Key_Backspace);
        QTest::keyClicks(d->txtRed, typed);
        d->txtGreen->setFocus(); // leaving the field checks it
        QCOMPARE(prompts.Texts().join(QLatin1Char('|')), error);
        QCOMPARE(d->txtRed->text(), QString::number(red));
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
        QCOMPARE(d->ColorMap().Entry(5).red, std::uint8_t(red));
        QCOMPARE(d->ColorMap().Entry(5).green, std::uint8_t(10));
    }

    void upDownChangesTheColourAtOnce() {
        TScriptedPrompts prompts;
        auto d = Dialog(TfrmPalette::pmEdit, prompts);
        QTest::mouseClick(d->pbPalette, Qt::LeftButton, {}, QPoint(5, 5)); // entry 0: (0,0,0)
        QTest::mouseClick(d->udBlue->btnUp, Qt::LeftButton);
        QCOMPARE(d->txtBlue->text(), QStringLiteral("1"));
        QCOMPARE(d->ColorMap().Entry(0).blue, std::uint8_t(1));
        // Cancel gives the caller nothing to read: the source table is untouched.
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
        QCOMPARE(FSource.GlobalColors().Entry(0).blue, std::uint8_t(0));
    }

    void pickingFromThePicture() {
        TScriptedPrompts prompts;
        auto d = Dialog(TfrmPalette::pmPickWithPicture, prompts);
        // A 4x2 picture whose right half has entry 7's colour (7, 14, 21).
        QImage picture(4, 2, QImage::Format_RGB32);
        picture.fill(qRgb(0, 0, 0));
        for (int y = 0; y < 2; ++y)
            for (int x = 2; x < 4; ++x)
                picture.setPixel(x, y, qRgb(7, 14, 21));
        d->SetPicture(picture);
        QVERIFY(!d->ColorPicked());
        QTest::mouseClick(d->pbImage, Qt::LeftButton, {}, QPoint(3, 1));
        QVERIFY(d->ColorPicked());
        QCOMPARE(d->PickedColor(), TColor(7 | (14 << 8) | (21 << 16)));
        QCOMPARE(d->SelectedIndex(), 7);
        QCOMPARE(d->shpPicker->pos(), TfrmPalette::CellRect(7).topLeft());
        // A cell click picks too in this mode.
        QTest::mouseClick(d->pbPalette, Qt::LeftButton, {}, QPoint(3 + 2 * 15 + 2, 5));
        QCOMPARE(d->PickedColor(), TColor(2 | (4 << 8) | (6 << 16)));
    }
};

QTEST_MAIN(TPaletteTest)
#include "tst_Palette.moc"
