#pragma once
// The one way to run long work: the work runs on a worker thread while the
// window stays responsive; a progress window with Cancel shows how far it is,
// and a failure comes back to the GUI thread, where it is told to the user.
// RunLongWork waits (with the event loop running) until the work has ended;
// TBackgroundJob runs work behind a dialog that stays usable and hands the
// result back on the GUI thread.

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class IUserPrompts;
class QWidget;

struct TWorkContext {
    // Set when the user pressed Cancel; the work polls it between steps.
    const std::atomic<bool>& Cancelled;
    // Moves the progress bar (0..Maximum); safe to call from the worker.
    std::function<void(int Position)> Report;
    // Changes the progress window's text; safe to call from the worker.
    std::function<void(const QString& Text)> Say;
};

struct TLongWork {
    QString Text;          // the progress window's text; empty: no window, no Cancel
    int Maximum = 100;     // the bar's end
    QString FailureText;   // the error box's first line (empty: no box, the caller tells)
    QString Title;         // the error box's caption
};

struct TWorkOutcome {
    bool Done = false;      // ran to its end without an error
    bool Cancelled = false; // Cancel was pressed (even as the work ended)
    QString Failure;        // the error's text, when it failed
};

// Runs Work; Prompts shows the failure when Work.FailureText is set.
TWorkOutcome RunLongWork(QWidget* Parent, IUserPrompts* Prompts, const TLongWork& Work,
                         const std::function<void(const TWorkContext&)>& Body);

// Work behind a dialog: Start runs Body on a worker thread and, once it has
// ended, Done on the Receiver's thread (not at all when Receiver has gone).
// Cancel asks the work to stop; the destructor cancels and waits.
class TBackgroundJob {
public:
    TBackgroundJob(QObject* Receiver, std::function<void(const std::atomic<bool>& Cancelled)> Body,
                   std::function<void()> Done);
    ~TBackgroundJob();
    TBackgroundJob(const TBackgroundJob&) = delete;
    TBackgroundJob& operator=(const TBackgroundJob&) = delete;

    void Cancel() { FCancel = true; }
    bool Cancelled() const { return FCancel; }
    // Waits for the worker (call from Done, or before reading results).
    void Join();

private:
    std::atomic<bool> FCancel{false};
    std::thread FThread;
};
