#include "app/BackgroundWork.h"

#include "dialogs/Progress.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QPointer>
#include <exception>
#include <thread>

void RunInBackground(const std::function<void(const TWorkContext&)>& Work, TfrmProgress* Progress) {
    std::atomic<bool> cancelled{false};
    QEventLoop loop;
    QMetaObject::Connection cancel;
    if (Progress)
        cancel = QObject::connect(Progress, &TfrmProgress::CancelRequested, &loop,
                                  [&cancelled] { cancelled = true; });
    QPointer<TfrmProgress> bar(Progress);
    auto report = [bar](int percent) {
        if (!bar)
            return;
        QMetaObject::invokeMethod(bar.data(), [bar, percent] {
            if (bar)
                bar->SetPosition(percent);
        }, Qt::QueuedConnection);
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
