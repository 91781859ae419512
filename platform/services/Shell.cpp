#include "platform/services/Shell.h"

#include <QDesktopServices>

bool ShellOpenUrl(const QUrl& Url) {
    return Url.isValid() && QDesktopServices::openUrl(Url);
}
