// The thumbnail list: a picture made after its item was laid out is drawn
// whole, in the place the item had from the start, its caption below it.
#include "controls/ThumbnailView.h"

#include <QAbstractItemView>
#include <QImage>
#include <QTest>

class TThumbnailViewTest : public QObject {
    Q_OBJECT
private slots:
    void picturesArrivingLaterFitTheirPlace() {
        TThumbnailView view;
        view.resize(600, 400);
        view.SetTileSize(75);
        for (int i = 0; i < 53; ++i)
            view.AddItem(QStringLiteral("/pictures/%1.gif").arg(i), QStringLiteral("1 KB"));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QAbstractItemView* icons = view.CurrentView();
        QList<QRect> before;
        for (int row = 0; row < view.Count(); ++row)
            before << icons->visualRect(icons->model()->index(row, 0));
        for (const QRect& r : before)
            QVERIFY2(r.height() >= 75 + icons->fontMetrics().height(), "room for the tile and its caption");

        QImage tile(75, 75, QImage::Format_RGB32);
        tile.fill(Qt::darkGreen);
        for (int row = 0; row < view.Count(); ++row) {
            view.SetThumbnail(row, tile, 20, 20);
            QCoreApplication::processEvents();
            QCOMPARE(icons->visualRect(icons->model()->index(row, 0)), before[row]);
        }
        QVERIFY(view.HasThumbnail(52));
    }
};

QTEST_MAIN(TThumbnailViewTest)
#include "tst_ThumbnailView.moc"
