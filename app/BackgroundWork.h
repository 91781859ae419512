#pragma once
// Long work off the GUI thread: the work runs on a worker thread while the
// caller's event loop keeps the window responsive; progress and the end come
// back through queued calls. Failures are carried back and thrown again here.

#include <atomic>
#include <functional>

class TfrmProgress;

struct TWorkContext {
    // Set when the user pressed Cancel; the work polls it between steps.
    const std::atomic<bool>& Cancelled;
    // Moves the progress bar (0..100); safe to call from the worker.
    std::function<void(int Percent)> Report;
};

// Returns when Work has ended. Progress may be null (no bar, no Cancel).
void RunInBackground(const std::function<void(const TWorkContext&)>& Work, TfrmProgress* Progress);
