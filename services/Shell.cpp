#include "services/Shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace {
// Whether some program is there to show a web address or write a mail. The
// desktop's opener (xdg-open) starts and reports success even when no
// browser is installed, and the address then goes nowhere; so look for a
// handler first, the ways xdg-open itself finds one.
bool HasHandlerFor(const QString& Scheme) {
    if (!qEnvironmentVariableIsEmpty("BROWSER") && Scheme != QLatin1String("mailto"))
        return true;
    if (Scheme.startsWith(QLatin1String("http")))
        for (const char* browser : {"x-www-browser", "www-browser"})
            if (!QStandardPaths::findExecutable(QLatin1String(browser)).isEmpty())
                return true;
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return true; // no way to ask: the desktop's answer stands
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("x-scheme-handler/") + Scheme});
    if (!process.waitForFinished(3000))
        return true;
    return !process.readAllStandardOutput().trimmed().isEmpty();
}
} // namespace

bool ShellOpenUrl(const QUrl& Url) {
    if (!Url.isValid())
        return false;
    if (!Url.isLocalFile() && !HasHandlerFor(Url.scheme()))
        return false;
    return QDesktopServices::openUrl(Url);
}
