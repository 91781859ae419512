#include "app/BackgroundWork.h"

#include "dialogs/Progress.h"

#include <QEventLoop>
#include <QMetaObject>
#include <exception>
#include <thread>

void RunInBackground(const std::function<void(const TWorkContext&)>& Work, TfrmProgress* Progress) {
    std::atomic<bool> cancelled{false};
    QEventLoop loop;
    QMetaObject::Connection cancel;
    if (Progress)
        cancel = QObject::connect(Progress, &TfrmProgress::CancelRequested, &loop,
                                  [&cancelled] { cancelled = true; });
    // The progress window outlives the work (the caller owns it and this
    // function waits); the worker only posts, and Qt drops a posted call whose
    // receiver has gone.
    auto report = [Progress](int percent) {
        if (Progress)
            QMetaObject::invokeMethod(Progress, [Progress, percent] { Progress->SetPosition(percent); },
                                      Qt::QueuedConnection);
    };
    const TWorkContext context{cancelled, report};
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            Work(context);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    QObject::disconnect(cancel);
    if (failure)
        std::rethrow_exception(failure);
}
