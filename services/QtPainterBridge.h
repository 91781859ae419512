#pragma once
// Connects the core's animation painters to Qt's main thread.
//
// A threaded painter hands every drawing and every event to the synchroniser,
// which runs it on the main thread through a blocking queued call and waits.
// While the main thread waits for painters to end (an image's StopPainting, a
// painter's WaitFor), it delivers those queued calls itself, or the painter
// thread and the main thread would wait for each other. A synchronous painter
// keeps the window alive through the message pump while it waits out a delay.

#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>

#include "gif/GIFPainterHost.h"

// Runs calls on the thread of `context` (an object living in the main thread).
// Exceptions thrown by a call are carried back and rethrown in the caller.
class TQtPainterSynchronizer : public TGIFPainterSynchronizer {
public:
    explicit TQtPainterSynchronizer(QObject* context) : FContext(context) {}
    void Synchronize(const std::function<void()>& call) override;
    // Goes to Qt's message handler, so it lands where the program's other
    // warnings go.
    void ReportError(std::exception_ptr error) override;

private:
    QPointer<QObject> FContext;
};

// Dispatches the pending events of the calling thread. A quit request among
// them is seen through an application event filter; it has already told the
// event loops to end, so it needs no reposting.
class TQtMessagePump : public TGIFMessagePump, private QObject {
public:
    TQtMessagePump();
    ~TQtMessagePump() override;
    bool ProcessMessages() override;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    std::atomic<bool> FQuitSeen{false};
};

// Delivers the queued calls waiting for `context` (and nothing else, so no user
// input or timer runs inside a caller that is only waiting for painters).
// Answers true: no quit request can be among them.
bool RunQtSynchronizedCalls(QObject* context);

// The three bridges together, installed as the painter host (with the animated
// drawer) for the bridge's lifetime. Create it on the main thread after the
// application object.
class TQtPainterBridge {
public:
    TQtPainterBridge();
    ~TQtPainterBridge();
    TQtPainterBridge(const TQtPainterBridge&) = delete;
    TQtPainterBridge& operator=(const TQtPainterBridge&) = delete;

    QObject* Context() const { return FContext.get(); }
    TQtPainterSynchronizer& Synchronizer() { return FSynchronizer; }
    TQtMessagePump& MessagePump() { return FPump; }

private:
    std::unique_ptr<QObject> FContext;
    TQtPainterSynchronizer FSynchronizer;
    TQtMessagePump FPump;
    std::unique_ptr<TGIFPainterHostScope> FHost;  // last: it ends first
};

// Installs the process-wide bridge (once; later calls answer the same one) and
// makes TGIFImage::Draw animate. It lives until the application object is
// destroyed. Call on the main thread after the application object exists.
TQtPainterBridge& InstallQtPainterBridge();
