#pragma once
// Opening addresses (web pages, mail) with the desktop's registered programs.

#include <QUrl>

// True when the desktop accepted the address; false when no program could be started.
bool ShellOpenUrl(const QUrl& Url);
