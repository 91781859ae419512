// The colour list: its standard colours, where added colours go in each sort
// order, re-sorting, selection by colour, and how an item is drawn.
#include "controls/ColorComboBox.h"

#include <QAbstractItemView>
#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTest>

namespace {
QStringList Names(const TColorComboBox& box) {
    QStringList names;
    for (int i = 0; i < box.count(); ++i) names << box.itemText(i);
    return names;
}
}  // namespace

class TColorComboBoxTest : public QObject {
    Q_OBJECT

private slots:
    void StandardColorsFollowDefaultInOrder() {
        TColorComboBox box;
        box.AddStandardColors(MakeColor(1, 2, 3));
        QCOMPARE(box.count(), 17);
        QCOMPARE(Names(box).mid(0, 4), QStringList({"Default", "Aqua", "Black", "Blue"}));
        QCOMPARE(box.itemText(16), QStringLiteral("Yellow"));
        QCOMPARE(box.ColorAt(0), MakeColor(1, 2, 3));
        QCOMPARE(box.ColorAt(1), MakeColor(0x00, 0xFF, 0xFF));  // Aqua
        QCOMPARE(box.ColorAt(8), MakeColor(0x80, 0x00, 0x00));  // Maroon
        QCOMPARE(box.SelectedColor(), -1);  // adding selects nothing
    }

    void AddedColorsGoWhereTheOrderPutsThem_data() {
        QTest::addColumn<int>("sort");
        QTest::addColumn<QStringList>("order");
        // Added: "b" 30, "A" 10, "c" 20, "a" 40.
        QTest::newRow("unsorted") << int(TColorComboBox::ccsUnsorted) << QStringList({"b", "A", "c", "a"});
        QTest::newRow("by colour") << int(TColorComboBox::ccsColor) << QStringList({"A", "c", "b", "a"});
        QTest::newRow("by name, equal names keep their order") << int(TColorComboBox::ccsText)
                                                               << QStringList({"A", "a", "b", "c"});
    }
    void AddedColorsGoWhereTheOrderPutsThem() {
        QFETCH(int, sort);
        QFETCH(QStringList, order);
        TColorComboBox box;
        box.SetSortBy(TColorComboBox::TColorSort(sort));
        box.AddColor("b", 30);
        box.AddColor("A", 10);
        box.AddColor("c", 20);
        box.AddColor("a", 40);
        QCOMPARE(Names(box), order);
    }

    void SortingKeepsTheSelectedColour() {
        TColorComboBox box;
        box.AddColor("b", 30);
        box.AddColor("A", 10);
        box.AddColor("c", 20);
        box.SetSelectedColor(20);
        box.SetSortBy(TColorComboBox::ccsColor);
        QCOMPARE(Names(box), QStringList({"A", "c", "b"}));
        QCOMPARE(box.SelectedColor(), 20);
        QCOMPARE(box.currentIndex(), 1);
        box.SetSortBy(TColorComboBox::ccsText);
        QCOMPARE(Names(box), QStringList({"A", "b", "c"}));
        QCOMPARE(box.SelectedColor(), 20);
        box.SetSortBy(TColorComboBox::ccsUnsorted);  // stays as it is
        QCOMPARE(Names(box), QStringList({"A", "b", "c"}));
    }

    void SelectingAnAbsentColourChangesNothing() {
        TColorComboBox box;
        box.AddStandardColors(MakeColor(0, 0, 0));  // Default and Black share black
        box.SetSelectedColor(MakeColor(0, 0, 0));
        QCOMPARE(box.currentIndex(), 0);  // the first item of that colour
        box.SetSelectedColor(MakeColor(1, 1, 1));
        QCOMPARE(box.currentIndex(), 0);
    }

    void ColorWidthBelowFiveAndVersionAreIgnored() {
        TColorComboBox box;
        QCOMPARE(box.ColorWidth(), 18);
        box.SetColorWidth(4);
        QCOMPARE(box.ColorWidth(), 18);
        box.SetColorWidth(5);
        QCOMPARE(box.ColorWidth(), 5);
        box.SetVersion("2.0");
        QCOMPARE(box.Version(), QStringLiteral("1.00.00"));
    }

    void AnItemIsASwatchThenItsName() {
        TColorComboBox box;
        box.AddColor("Red", MakeColor(255, 0, 0));
        box.SetColorWidth(20);
        QImage picture(120, 16, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QStyleOptionViewItem option;
        option.rect = picture.rect();
        option.palette.setColor(QPalette::Base, Qt::white);
        option.palette.setColor(QPalette::Text, Qt::black);
        QPainter painter(&picture);
        box.itemDelegate()->paint(&painter, option, box.model()->index(0, 0));
        painter.end();
        QCOMPARE(picture.pixelColor(10, 8), QColor(255, 0, 0));
        QCOMPARE(picture.pixelColor(0, 8), QColor(Qt::white));  // left + 1 is where the swatch starts
        QCOMPARE(picture.pixelColor(10, 0), QColor(Qt::white));
        QCOMPARE(picture.pixelColor(19, 8), QColor(Qt::white));  // it ends before left + ColorWidth - 1
        bool text = false;  // the name is written after the swatch
        for (int x = 24; x < 120 && !text; ++x)
            for (int y = 0; y < 16 && !text; ++y) text = picture.pixelColor(x, y) != QColor(Qt::white);
        QVERIFY(text);
    }
};

QTEST_MAIN(TColorComboBoxTest)
#include "tst_ColorComboBox.moc"
