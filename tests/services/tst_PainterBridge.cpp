// Threaded animation painters under Qt: their drawing and events run on the
// main thread, failures come back to the painter, stopping never waits out a
// delay or deadlocks on a pending call, and the player shows our own frames.
#include "painter/GIFPainter.h"
#include "painter/PainterTestSupport.h"
#include "raster/Canvas.h"
#include "services/QtAnimationPlayer.h"
#include "services/QtPainterBridge.h"
#include "services/QtRasterBridge.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QTest>
#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

using namespace painter_test;

namespace {

// Forwards to the installed Qt synchroniser and notes the thread every call
// runs on and every failure reported for a self-freeing painter.
class TRecordingSynchronizer : public TGIFPainterSynchronizer {
public:
    explicit TRecordingSynchronizer(TGIFPainterSynchronizer& target) : FTarget(target) {}
    void Synchronize(const std::function<void()>& call) override {
        FTarget.Synchronize([&] {
            if (QThread::currentThread() != qApp->thread()) ++OffMainThread;
            ++Calls;
            call();
        });
    }
    void ReportError(std::exception_ptr error) override {
        QMutexLocker lock(&FLock);
        FReported = error;
    }
    QString Reported() {
        QMutexLocker lock(&FLock);
        try {
            if (FReported) std::rethrow_exception(FReported);
        } catch (const std::exception& e) {
            return QString::fromUtf8(e.what());
        }
        return {};
    }
    std::atomic<int> Calls{0};
    std::atomic<int> OffMainThread{0};

private:
    TGIFPainterSynchronizer& FTarget;
    QMutex FLock;
    std::exception_ptr FReported;
};

// A painter that says when it is gone.
class TProbePainter : public TGIFPainter {
public:
    TProbePainter(TGIFImage* image, TGIFPainterOptions options, const TRect& rect, TCanvas* canvas,
                  std::atomic<bool>& deleted)
        : TGIFPainter(image, options, rect, canvas), FDeleted(deleted) {}
    ~TProbePainter() override { FDeleted = true; }

private:
    std::atomic<bool>& FDeleted;
};

// Turns a deadlock of the main thread into a prompt failure instead of a hang
// until the test runner's time-out.
class TDeadlockGuard {
public:
    explicit TDeadlockGuard(const char* what)
        : FWatch([this, what] {
              std::unique_lock lock(FLock);
              if (!FReleased.wait_for(lock, std::chrono::seconds(10), [this] { return FDone; }))
                  qFatal("%s: the main thread is deadlocked", what);
          }) {}
    ~TDeadlockGuard() {
        {
            std::lock_guard lock(FLock);
            FDone = true;
        }
        FReleased.notify_all();
        FWatch.join();
    }

private:
    std::mutex FLock;
    std::condition_variable FReleased;
    bool FDone = false;
    std::thread FWatch;
};

QRgb Rgb(TColor c) { return qRgb(RedOf(c), GreenOf(c), BlueOf(c)); }

// Red, green, blue frames over the whole 4x4 screen, each with `delay`.
std::unique_ptr<TGIFImage> ThreeFrames(int delay, int loopCount = -1) {
    return MakeAnimation(4, 4, {{.fill = 1, .delay = delay, .loopCount = loopCount},
                                {.fill = 2, .delay = delay},
                                {.fill = 3, .delay = delay}});
}

QByteArray GifBytes(TGIFImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return QByteArray(reinterpret_cast<const char*>(stream.Data()), static_cast<qsizetype>(stream.Size()));
}

}  // namespace

class TPainterBridgeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        TQtPainterBridge& bridge = InstallQtPainterBridge();
        QCOMPARE(&InstallQtPainterBridge(), &bridge);  // installed once
        QCOMPARE(&PainterSynchronizer(), static_cast<TGIFPainterSynchronizer*>(&bridge.Synchronizer()));
        QCOMPARE(&PainterMessagePump(), static_cast<TGIFMessagePump*>(&bridge.MessagePump()));
    }

    // Every call of a threaded painter runs on the main thread; the frames are
    // drawn and shown in order, then the painter ends and leaves the image.
    void threadedPainterDrawsOnTheMainThread() {
        auto image = ThreeFrames(1);
        TBitmap bitmap(4, 4, pf24bit);
        TCanvas canvas(bitmap);
        TRecordingSynchronizer sync(PainterSynchronizer());
        QList<int> shown;
        QList<QRgb> colours;
        QStringList events;
        int offMain = 0;
        auto* painter = new TGIFPainter(image.get(), Opt({poThreaded, poAnimate}), TRect{0, 0, 4, 4}, &canvas);
        painter->Synchronizer = &sync;
        auto note = [&](const char* what) {
            if (QThread::currentThread() != qApp->thread()) ++offMain;
            events << QString::fromLatin1(what);
        };
        painter->OnAnimationStart = [&](TGIFPainterBase*) { note("start"); };
        painter->OnFrameShow = [&](TGIFPainterBase*) { note("show"); };
        painter->OnFrameShown = [&](TGIFPainterBase* p) {
            note("shown");
            shown << static_cast<TGIFPainter*>(p)->FrameIndex();
            colours << ToQImage(bitmap).pixel(2, 2);
        };
        painter->OnAnimationEnd = [&](TGIFPainterBase*) { note("end"); };
        painter->Start();  // frees itself at the end
        QTRY_VERIFY_WITH_TIMEOUT(image->PainterList().Count() == 0, 5000);
        QCOMPARE(offMain, 0);
        QCOMPARE(sync.OffMainThread.load(), 0);
        QVERIFY2(sync.Calls.load() >= 3 + 8, "three drawings and eight events pass the synchroniser");
        QCOMPARE(shown, (QList<int>{0, 1, 2}));
        QCOMPARE(colours, (QList<QRgb>{Rgb(kRed), Rgb(kGreen), Rgb(kBlue)}));
        QCOMPARE(events.first(), QStringLiteral("start"));
        QCOMPARE(events.last(), QStringLiteral("end"));
        QCOMPARE(events.count(QStringLiteral("show")), 3);
        QVERIFY(sync.Reported().isEmpty());
    }

    // A stop in the middle of a long delay wakes the painter at once; it
    // leaves the image's list and deletes itself.
    void stopDuringALongDelay() {
        auto image = ThreeFrames(1000);  // 12 s per frame
        TBitmap bitmap(4, 4, pf24bit);
        TCanvas canvas(bitmap);
        std::atomic<bool> deleted{false};
        int shown = 0;
        bool ended = false;
        auto* painter = new TProbePainter(image.get(), Opt({poThreaded, poAnimate, poLoop}), TRect{0, 0, 4, 4},
                                          &canvas, deleted);
        painter->OnFrameShown = [&](TGIFPainterBase*) { ++shown; };
        painter->OnAnimationEnd = [&](TGIFPainterBase*) { ended = true; };
        painter->Start();
        QTRY_COMPARE_WITH_TIMEOUT(shown, 1, 5000);
        QElapsedTimer timer;
        timer.start();
        {
            TDeadlockGuard guard("StopPainting in a long delay");
            image->StopPainting();
        }
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString("StopPainting took %1 ms").arg(timer.elapsed())));
        QCOMPARE(image->PainterList().Count(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(deleted.load(), 5000);
        QCOMPARE(shown, 1);
        QVERIFY2(!ended, "no event is raised once the painter is stopped");
    }

    // The main thread stops the painter without returning to its event loop
    // while the painter waits for a queued call: the stop must deliver that
    // call itself, or both threads wait for each other.
    void stopWhileACallIsWaiting() {
        auto image = ThreeFrames(1, 0);  // shortest delays, looping for ever
        TBitmap bitmap(4, 4, pf24bit);
        TCanvas canvas(bitmap);
        std::atomic<bool> deleted{false};
        auto* painter = new TProbePainter(image.get(), Opt({poThreaded, poAnimate, poLoop}), TRect{0, 0, 4, 4},
                                          &canvas, deleted);
        std::atomic<int> shown{0};
        painter->OnFrameShown = [&](TGIFPainterBase*) { ++shown; };
        painter->Start();
        QTRY_VERIFY_WITH_TIMEOUT(shown.load() >= 2, 5000);
        QThread::msleep(150);  // the painter is now blocked in a queued call
        QElapsedTimer timer;
        timer.start();
        {
            TDeadlockGuard guard("StopPainting with a pending call");
            image->StopPainting();
        }
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString("StopPainting took %1 ms").arg(timer.elapsed())));
        QCOMPARE(image->PainterList().Count(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(deleted.load(), 5000);
    }

    // A failure of a synchronised call ends the painter and reaches its
    // failure path: the owner's Free, or the synchroniser for a self-freeing one.
    void failureOfASynchronisedCall_data() {
        QTest::addColumn<bool>("owned");
        QTest::newRow("owned painter") << true;
        QTest::newRow("self-freeing painter") << false;
    }
    void failureOfASynchronisedCall() {
        QFETCH(bool, owned);
        auto image = ThreeFrames(1);
        TBitmap bitmap(4, 4, pf24bit);
        TCanvas canvas(bitmap);
        TRecordingSynchronizer sync(PainterSynchronizer());
        int shown = 0;
        auto* painter = new TGIFPainter(image.get(), Opt({poThreaded, poAnimate}), TRect{0, 0, 4, 4}, &canvas);
        painter->FreeOnTerminate = !owned;
        painter->Synchronizer = &sync;
        painter->OnFrameShown = [&](TGIFPainterBase*) {
            ++shown;
            throw std::runtime_error("frame handler failed");
        };
        painter->Start();
        QTRY_VERIFY_WITH_TIMEOUT(image->PainterList().Count() == 0, 5000);
        QCOMPARE(shown, 1);  // the failure ended the animation
        if (owned) {
            painter->WaitFor();
            QVERIFY(painter->Error());
            QString caught;
            try {
                painter->Free();
            } catch (const std::exception& e) {
                caught = QString::fromUtf8(e.what());
            }
            QCOMPARE(caught, QStringLiteral("frame handler failed"));
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(sync.Reported(), QStringLiteral("frame handler failed"), 5000);
        }
    }

    // The synchroniser itself: from another thread the call runs on the main
    // thread and its exception is rethrown in the caller; on the main thread
    // it runs at once (a queued call would wait for itself).
    void synchroniserCarriesFailuresBack() {
        TGIFPainterSynchronizer& sync = PainterSynchronizer();
        std::atomic<bool> done{false};
        std::atomic<bool> ranOnMain{false};
        QString caught;
        std::thread worker([&] {
            try {
                sync.Synchronize([&] {
                    ranOnMain = QThread::currentThread() == qApp->thread();
                    throw std::logic_error("call failed");
                });
            } catch (const std::logic_error& e) {
                caught = QString::fromUtf8(e.what());
            }
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), 5000);
        worker.join();
        QVERIFY(ranOnMain.load());
        QCOMPARE(caught, QStringLiteral("call failed"));

        bool direct = false;
        sync.Synchronize([&] { direct = true; });
        QVERIFY(direct);
    }

    // The player reads GIF bytes with our reader and shows every frame of our
    // painter, in order, then stops before the animation goes away.
    void playerShowsOurFrames() {
        auto source = ThreeFrames(1, 0);
        const QByteArray bytes = GifBytes(*source);
        TQtAnimationPlayer player;
        player.Load(bytes);
        QCOMPARE(player.Size(), QSize(4, 4));
        QCOMPARE(player.FrameCount(), 3);
        QList<QRgb> colours;
        int offMain = 0;
        QVERIFY(player.Play(Qt::white, [&](const QImage& frame) {
            if (QThread::currentThread() != qApp->thread()) ++offMain;
            colours << frame.pixel(1, 1);
        }));
        QTRY_VERIFY_WITH_TIMEOUT(colours.size() >= 4, 5000);
        QVERIFY(player.Playing());
        player.Stop();
        QVERIFY(!player.Playing());
        QCOMPARE(offMain, 0);
        QCOMPARE(colours.mid(0, 4), (QList<QRgb>{Rgb(kRed), Rgb(kGreen), Rgb(kBlue), Rgb(kRed)}));
        QCOMPARE(player.FramesShown(), colours.size());
        QCOMPARE(player.CurrentFrame().size(), QSize(4, 4));
    }

    // Transparent pixels show the background the player was given.
    void playerShowsTheBackgroundThroughTransparency() {
        auto source = MakeAnimation(4, 4, {{.width = 2, .fill = 2, .delay = 1, .transparent = -1},
                                           {.left = 2, .width = 2, .fill = 0, .delay = 1, .transparent = 0}});
        TQtAnimationPlayer player;
        player.Load(GifBytes(*source));
        QImage last;
        QVERIFY(player.Play(QColor(10, 20, 30), [&](const QImage& frame) { last = frame; }));
        QTRY_VERIFY_WITH_TIMEOUT(player.FramesShown() >= 2, 5000);
        player.Stop();
        QCOMPARE(last.pixel(0, 0), Rgb(kGreen));
        QCOMPARE(last.pixel(3, 3), qRgb(10, 20, 30));
    }

    void playerRejectsBadData() {
        TQtAnimationPlayer player;
        bool failed = false;
        try {
            player.Load(QByteArray("GIF89a\x04\x00", 8));
        } catch (const std::exception&) {
            failed = true;
        }
        QVERIFY(failed);
        QCOMPARE(player.FrameCount(), 0);
        QVERIFY(!player.Play(Qt::white, [](const QImage&) {}));
        QVERIFY(!player.Playing());
    }

    // The message pump delivers pending events and notices a quit request.
    // Last: a quit request leaves the thread's event loops told to end.
    void messagePumpSeesQuitRequests() {
        TGIFMessagePump& pump = PainterMessagePump();
        bool delivered = false;
        QMetaObject::invokeMethod(this, [&] { delivered = true; }, Qt::QueuedConnection);
        QVERIFY(pump.ProcessMessages());
        QVERIFY(delivered);
        QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
        QVERIFY(!pump.ProcessMessages());
        QVERIFY(pump.ProcessMessages());  // the request is reported once
    }
};

QTEST_MAIN(TPainterBridgeTest)
#include "tst_PainterBridge.moc"
