// Optimize Animation driven through its widgets: the first result on opening,
// the sizes as saving writes them, later clicks superseding earlier ones, the
// dialog closing while a computation runs, and Fit under.
#include "controls/ByteChart.h"
#include "controls/NumericEdit.h"
#include "dialogs/Info.h"
#include "dialogs/Optimize.h"
#include "gif/FrameDefaults.h"
#include "gif/GIFImage.h"
#include "gif/OptimizeChoices.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <numeric>
#include <cmath>
#include <memory>

namespace {

// `count` frames of width x height, each a gradient shifted by its index and
// drawn with its own local table, so optimising has work to do.
std::unique_ptr<TGIFImage> MakeDocument(int count, int width, int height, bool localTables = true) {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = std::uint16_t(width);
    image->Header().ScreenHeight = std::uint16_t(height);
    for (int c = 0; c < 64; ++c)
        image->GlobalColors().AddColor(MakeColor(std::uint8_t(c * 4), std::uint8_t(255 - c * 4), 0));
    for (int i = 0; i < count; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->PlaceFrame(0, 0, width, height);
        if (localTables)
            for (int c = 0; c < 64; ++c)
                frame->LocalColors().AddColor(MakeColor(0, std::uint8_t(c * 4), std::uint8_t(255 - c * 4)));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                frame->PixelData()[y * width + x] = std::uint8_t((x / 4 + (y < height / 2 ? i : 0)) % 64);
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = 10;
        frame->ExtensionBlocks().Add(std::move(control));
        image->AddFrame(std::move(frame));
    }
    return image;
}

// On the box itself: a click right of a check box's caption does not toggle it.
void Click(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

bool WaitForResult(TfrmOptimize& dialog) {
    return QTest::qWaitFor([&] { return !dialog.Busy(); }, 20000);
}

} // namespace

class TOptimizeTest : public QObject {
    Q_OBJECT

private slots:
    void opensWithAFirstResultMeasuredAsSaved() {
        auto doc = MakeDocument(4, 64, 32);
        TfrmOptimize dialog(*doc, false);
        QVERIFY(dialog.chkOptAll->isChecked());
        QVERIFY(dialog.chkDupPixels->isChecked());
        QVERIFY(dialog.chkSmallest->isChecked());
        QVERIFY(!dialog.chkTrim->isChecked());
        QVERIFY(!dialog.chkSave->isChecked());
        QVERIFY(dialog.chkRemoveLocal->isEnabled());
        QVERIFY(WaitForResult(dialog));
        QVERIFY(dialog.Result());
        QVERIFY(dialog.btnOK->isEnabled());
        // Measured as saving writes it: a looping block is added then.
        const qint64 current = SavedSizeAsSaved(*doc, 0);
        QCOMPARE(current, SavedSize(*doc) + 19);
        QCOMPARE(dialog.CurrentSize(), current);
        QCOMPARE(dialog.lblCurrSize->text(), ThousandsText(current) + QStringLiteral(" bytes"));
        const qint64 optimized = SavedSize(*dialog.Result());
        QCOMPARE(dialog.OptimizedSize(), optimized);
        QCOMPARE(dialog.lblOptimizedSize->text(), ThousandsText(optimized) + QStringLiteral(" bytes"));
        // The chart: a bar per frame, before and after, adding up to the sizes less the file's own bytes.
        QCOMPARE(int(dialog.chtBytes->Bytes().size()), 4);
        const auto& bars = dialog.chtBytes->Bytes();
        QVERIFY(std::accumulate(bars.begin(), bars.end(), std::uint64_t(0)) < std::uint64_t(current));
        const double percent = std::fabs(double(optimized) / double(current) * 100.0 - 100.0);
        QCOMPARE(dialog.lblTotal->text(), QStringLiteral("%1 bytes (%2%)")
                                              .arg(ThousandsText(std::llabs(optimized - current)))
                                              .arg(QString::asprintf("%4.1f", percent)));
    }

    void eachClickStartsAgainFromTheDocument() {
        auto doc = MakeDocument(6, 96, 48);
        TfrmOptimize dialog(*doc, true);
        QVERIFY(dialog.chkSave->isChecked());
        // Clicks in quick succession: only the last one's result is shown.
        Click(dialog.chkRemoveLocal);
        Click(dialog.chkTrim);
        Click(dialog.chkDupPixels);
        QVERIFY(dialog.Choices() == (TOptimizeChoices{true, true, true, false, true}));
        QVERIFY(WaitForResult(dialog));
        TGIFImage asSaved, expected;
        asSaved.Assign(doc.get());
        NormalizeLoopExtension(asSaved, 0);
        MakeOptimizedCopy(asSaved, dialog.Choices(), expected);
        QCOMPARE(dialog.OptimizedSize(), SavedSize(expected));
        QCOMPARE(dialog.Result()->Frames()[1]->LocalColors().Count(), 0); // one shared table
        // The smallest encoding alone still finds the duplicate pixels, and
        // never gives more than the document.
        Click(dialog.chkRemoveLocal);
        Click(dialog.chkTrim);
        Click(dialog.chkOptAll);
        QVERIFY(dialog.Choices() == (TOptimizeChoices{false, false, false, false, true}));
        QVERIFY(WaitForResult(dialog));
        QVERIFY(dialog.OptimizedSize() < dialog.CurrentSize());
        // Unchecking everything gives back the document's own size.
        Click(dialog.chkSmallest);
        QVERIFY(dialog.Choices() == (TOptimizeChoices{false, false, false, false, false}));
        QVERIFY(WaitForResult(dialog));
        QCOMPARE(dialog.OptimizedSize(), dialog.CurrentSize());
    }

    void lossySliderTradesPixelsForSize() {
        auto doc = MakeDocument(6, 96, 48);
        TfrmOptimize dialog(*doc, false);
        QVERIFY(WaitForResult(dialog));
        const qint64 exact = dialog.OptimizedSize();
        QCOMPARE(dialog.lblLossy->text(), QStringLiteral("Off"));
        dialog.sldLossy->setFocus();
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(dialog.sldLossy, Qt::Key_PageUp);
        QCOMPARE(dialog.sldLossy->value(), 80);
        QCOMPARE(dialog.lblLossy->text(), QStringLiteral("80"));
        QCOMPARE(dialog.Choices().Lossy, 80);
        QVERIFY(WaitForResult(dialog));
        QVERIFY(dialog.OptimizedSize() <= exact);
    }

    void bestCompressionIsAChoiceTheResultCarries() {
        auto doc = MakeDocument(6, 96, 48);
        TfrmOptimize dialog(*doc, false);
        QVERIFY(!dialog.chkBest->isChecked());
        QVERIFY(WaitForResult(dialog));
        const qint64 usual = dialog.OptimizedSize();
        QCOMPARE(dialog.Result()->Encoding, encLZW);
        dialog.chkBest->setFocus();
        QTest::keyClick(dialog.chkBest, Qt::Key_Space);
        QVERIFY(dialog.Choices().Best);
        QVERIFY(WaitForResult(dialog));
        QCOMPARE(dialog.Result()->Encoding, encLZWBest);
        QVERIFY(dialog.OptimizedSize() <= usual);
        QCOMPARE(dialog.OptimizedSize(), SavedSize(*dialog.Result()));

        // A document already written that way opens with the box ticked.
        doc->Encoding = encLZWBest;
        TfrmOptimize again(*doc, false);
        QVERIFY(again.chkBest->isChecked());
        QVERIFY(WaitForResult(again));
    }

    void closingWhileComputingIsSafe() {
        auto doc = MakeDocument(40, 320, 200);
        auto dialog = std::make_unique<TfrmOptimize>(*doc, true);
        Click(dialog->chkTrim);
        dialog.reset(); // the worker is told to stop and waited for
        QCOMPARE(doc->Frames().Count(), 40);
    }

    void localPalettesBoxNeedsLocalTables() {
        auto doc = MakeDocument(2, 16, 16, false);
        TfrmOptimize dialog(*doc, true);
        QVERIFY(!dialog.chkRemoveLocal->isEnabled());
        QVERIFY(WaitForResult(dialog));
    }

    void fitUnderShowsAMeasuredResultAndWhatItGaveUp() {
        auto doc = MakeDocument(8, 128, 64);
        TfrmOptimize dialog(*doc, true);
        QVERIFY(WaitForResult(dialog));
        const qint64 lossless = dialog.OptimizedSize();
        QVERIFY(!dialog.txtFitUnder->isEnabled());
        Click(dialog.chkFitUnder);
        QVERIFY(dialog.txtFitUnder->isEnabled());
        // A target the lossless result already meets gives nothing up.
        dialog.txtFitUnder->setText(QString::number(lossless / 1024 + 1));
        dialog.Recompute();
        QVERIFY(WaitForResult(dialog));
        QVERIFY(dialog.FitFound());
        QVERIFY(dialog.lblFit->text().endsWith(QStringLiteral("given up: nothing.")));
        // One byte short of a kilobyte: something must go, and what is shown is measured.
        dialog.txtFitUnder->setText(QStringLiteral("1"));
        dialog.Recompute();
        QVERIFY(WaitForResult(dialog));
        QCOMPARE(dialog.OptimizedSize(), SavedSize(*dialog.Result()));
        if (dialog.FitFound())
            QVERIFY(dialog.OptimizedSize() <= 1024);
        else
            QVERIFY(dialog.lblFit->text().startsWith(QStringLiteral("Nothing tried fits under 1 KB")));
        QVERIFY(!dialog.lblFit->text().contains(QStringLiteral("nothing.")));
    }
};

QTEST_MAIN(TOptimizeTest)
#include "tst_Optimize.moc"
