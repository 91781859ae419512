#include "dialogs/LongWork.h"

#include "dialogs/Progress.h"
#include "services/UserPrompts.h"

#include <QEventLoop>
#include <QMetaObject>
#include <exception>

TWorkOutcome RunLongWork(QWidget* Parent, IUserPrompts* Prompts, const TLongWork& Work,
                         const std::function<void(const TWorkContext&)>& Body) {
    std::unique_ptr<TfrmProgress> progress;
    std::atomic<bool> cancelled{false};
    QEventLoop loop;
    if (!Work.Text.isEmpty()) {
        progress = std::make_unique<TfrmProgress>(Parent);
        progress->SetRange(0, Work.Maximum);
        progress->SetText(Work.Text);
        QObject::connect(progress.get(), &TfrmProgress::CancelRequested, &loop, [&cancelled] { cancelled = true; });
        // Modal to the whole program: the window takes no input meanwhile, but
        // is not disabled, which would disable the progress window's Cancel too.
        progress->show();
    }
    // The progress window outlives the work (this function waits for it);
    // the worker only posts, and Qt drops a posted call whose receiver has gone.
    TfrmProgress* shown = progress.get();
    auto report = [shown](int position) {
        if (shown)
            QMetaObject::invokeMethod(shown, [shown, position] { shown->SetPosition(position); }, Qt::QueuedConnection);
    };
    auto say = [shown](const QString& text) {
        if (shown)
            QMetaObject::invokeMethod(shown, [shown, text] { shown->SetText(text); }, Qt::QueuedConnection);
    };
    const TWorkContext context{cancelled, report, say};
    TWorkOutcome outcome;
    std::thread worker([&] {
        try {
            Body(context);
            outcome.Done = true;
        } catch (const std::exception& e) {
            outcome.Failure = QString::fromUtf8(e.what());
        } catch (...) {
            outcome.Failure = QStringLiteral("Unknown error");
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    // A Cancel that came as the work ended still counts.
    outcome.Cancelled = cancelled || (progress && progress->Cancelled());
    if (outcome.Cancelled)
        outcome.Done = false;
    progress.reset();
    if (!outcome.Failure.isEmpty() && !outcome.Cancelled && Prompts && !Work.FailureText.isEmpty())
        Prompts->MessageBox(TMsgType::Error, TMsgButtons::OK, Work.Title, Work.FailureText + QLatin1Char('\n') + outcome.Failure);
    return outcome;
}

TBackgroundJob::TBackgroundJob(QObject* Receiver, std::function<void(const std::atomic<bool>&)> Body,
                               std::function<void()> Done) {
    QPointer<QObject> receiver(Receiver);
    FThread = std::thread([this, receiver, body = std::move(Body), done = std::move(Done)] {
        body(FCancel);
        if (receiver)
            QMetaObject::invokeMethod(receiver.data(), done, Qt::QueuedConnection);
    });
}

TBackgroundJob::~TBackgroundJob() {
    FCancel = true;
    Join();
}

void TBackgroundJob::Join() {
    if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id())
        FThread.join();
}
