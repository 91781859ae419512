#include "app/Startup.h"

#include "app/MainForm.h"
#include "app/DocumentCommands.h"
#include "services/UserPrompts.h"
#include "dialogs/Splash.h"
#include "services/QtPainterBridge.h"
#include "services/ResourceLibrary.h"
#include "services/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <memory>

int RunReelix(int argc, char** argv) {
    QApplication app(argc, argv);
    // Animation painters draw and report on this thread from here on.
    InstallQtPainterBridge();
    // Files named on the command line (a desktop's "Open With"): the first opens.
    QStringList files = QCoreApplication::arguments();
    files.removeFirst();
    files.removeOne(QStringLiteral("--")); // what follows it is a file name
    const QString folder = QCoreApplication::applicationDirPath();
    // Until the main window is up, no window closing may end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    TQtUserPrompts prompts;

    // 1. The splash, painted at once. Without the resource library it is
    //    simply missing (the loader has told the user why).
    std::unique_ptr<TSplashScreen> splash;
    {
        auto library = TResourceLibrary::Load(
            QDir(folder).filePath(QLatin1String(TResourceLibrary::DefaultName)),
            [&prompts](const QString& message) {
                prompts.MessageBox(TMsgType::Error, TMsgButtons::OK, QString(), message);
            });
        const QImage picture = library ? library->Picture(QStringLiteral("SPLASH")) : QImage();
        if (!picture.isNull()) {
            splash = std::make_unique<TSplashScreen>(picture);
            splash->show();
            splash->repaint();
            QCoreApplication::processEvents();
        }
    }

    // 2. The application's identity.
    QApplication::setApplicationName(QStringLiteral("Reelix"));
    // No display name: the window system would append it to every title.
    QApplication::setOrganizationName(QStringLiteral("Pellmark Software"));

    // 3. The main window reads its settings as it is created.
    TSettingsStore settings(TSettingsStore::DefaultFileName());
    auto main = std::make_unique<TfrmMain>(settings, prompts, folder);
    prompts.SetParent(main.get());

    // 4. Messages flow until the splash agrees to close.
    if (splash) {
        while (!splash->close())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        splash.reset();
    }

    // 5. The main loop, until the main window closes.
    main->show();
    QApplication::setQuitOnLastWindowClosed(true);
    if (!files.isEmpty())
        QTimer::singleShot(0, main.get(), [&main, files] { main->Documents().OpenCommandLineFiles(files); });
    const int result = app.exec();
    main.reset(); // writes the settings
    return result;
}
