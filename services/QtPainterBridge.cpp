#include "services/QtPainterBridge.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QtGlobal>
#include <stdexcept>

#include "gif/GIFPainterBase.h"
#include "painter/GIFAnimatedDraw.h"

void TQtPainterSynchronizer::Synchronize(const std::function<void()>& call) {
    QObject* context = FContext.data();
    if (context && QThread::currentThread() == context->thread()) {
        call();  // already on the main thread: a queued call would wait for itself
        return;
    }
    // Without the main thread's object nobody would run the call; drawing on
    // this thread instead would race the GUI, so the painter fails and ends.
    if (!context || !QCoreApplication::instance())
        throw std::runtime_error("The main thread no longer runs painter calls");
    // Exceptions must not cross Qt's event delivery: catch them there and
    // raise them again here, where the painter handles its failures.
    std::exception_ptr error;
    const bool queued = QMetaObject::invokeMethod(
        context,
        [&call, &error] {
            try {
                call();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (!queued) throw std::runtime_error("The main thread no longer runs painter calls");
    if (error) std::rethrow_exception(error);
}

void TQtPainterSynchronizer::ReportError(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        qWarning("Animation painter failed: %s", e.what());
    } catch (...) {
        qWarning("Animation painter failed");
    }
}

TQtMessagePump::TQtMessagePump() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

TQtMessagePump::~TQtMessagePump() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool TQtMessagePump::eventFilter(QObject* watched, QEvent* event) {
    // Let the request through: it ends the event loops, the main one included.
    if (event->type() == QEvent::Quit) FQuitSeen = true;
    return QObject::eventFilter(watched, event);
}

bool TQtMessagePump::ProcessMessages() {
    FQuitSeen = false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !FQuitSeen.exchange(false);
}

bool RunQtSynchronizedCalls(QObject* context) {
    // Posted events can only be delivered by the receiver's own thread.
    if (context && QThread::currentThread() == context->thread())
        QCoreApplication::sendPostedEvents(context, QEvent::MetaCall);
    else
        QThread::yieldCurrentThread();
    return true;
}

TQtPainterBridge::TQtPainterBridge() : FContext(std::make_unique<QObject>()), FSynchronizer(FContext.get()) {
    FContext->setObjectName(QStringLiteral("PainterBridge"));
    TGIFPainterHost host;
    host.Synchronizer = &FSynchronizer;
    host.MessagePump = &FPump;
    // Guarded: a waiting thread may still hold a copy of the host while the
    // bridge goes.
    QPointer<QObject> context(FContext.get());
    host.SynchronizePump = [context] { return RunQtSynchronizedCalls(context.data()); };
    host.AnimatedDrawer = &DrawAnimatedGIF;
    FHost = std::make_unique<TGIFPainterHostScope>(std::move(host));
}

TQtPainterBridge::~TQtPainterBridge() = default;

namespace {
// Process-wide by design: one main thread serves every painter of the program.
std::unique_ptr<TQtPainterBridge>& InstalledBridge() {
    static std::unique_ptr<TQtPainterBridge> bridge;
    return bridge;
}
}  // namespace

TQtPainterBridge& InstallQtPainterBridge() {
    std::unique_ptr<TQtPainterBridge>& bridge = InstalledBridge();
    if (!bridge) {
        bridge = std::make_unique<TQtPainterBridge>();
        // Gone with the application object, while Qt can still clean up the
        // bridge's objects; a later application installs a fresh one.
        qAddPostRoutine([] { InstalledBridge().reset(); });
    }
    return *bridge;
}
