#pragma once
// How a painter reaches the main thread. A threaded painter never touches the
// canvas or raises an event on its own thread: it hands the work to the
// synchroniser, which runs it on the main thread and waits (the GUI implements
// it with a blocking queued call). A synchronous painter runs on the main
// thread itself and keeps the program responsive through the message pump
// while it waits. The GUI installs both at start-up; without them, calls run
// inline and waiting dispatches nothing.

#include <exception>
#include <functional>

class TGIFPainterSynchronizer {
public:
    virtual ~TGIFPainterSynchronizer() = default;
    // Runs `call` on the main thread and returns when it has finished. An
    // exception thrown by `call` must be carried back and rethrown here, so the
    // painter sees failures of its drawing and events.
    virtual void Synchronize(const std::function<void()>& call) = 0;
    // Receives the failure of a painter that nobody owns any more (one that
    // frees itself when it ends), so the error is shown instead of lost.
    // Called on the painter's thread. The default writes it to stderr.
    virtual void ReportError(std::exception_ptr error);
};

// Runs every call directly on the calling thread.
class TInlinePainterSynchronizer : public TGIFPainterSynchronizer {
public:
    void Synchronize(const std::function<void()>& call) override { call(); }
};

class TGIFMessagePump {
public:
    virtual ~TGIFMessagePump() = default;
    // Dispatches all pending messages of the calling thread. Answers false when
    // a quit request was among them; the pump posts it again so that the main
    // loop still ends, and the painter stops.
    virtual bool ProcessMessages() = 0;
};

// Dispatches nothing.
class TNullMessagePump : public TGIFMessagePump {
public:
    bool ProcessMessages() override { return true; }
};

// The process-wide main-thread bridges (not owned; null restores the default).
// Set once at start-up, before any painter runs.
void SetPainterSynchronizer(TGIFPainterSynchronizer* synchronizer);
TGIFPainterSynchronizer& PainterSynchronizer();
void SetPainterMessagePump(TGIFMessagePump* pump);
TGIFMessagePump& PainterMessagePump();
