#pragma once
// The maker's web addresses and the one way the program opens them.

#include <QUrl>
#include <functional>

class IUserPrompts;

// Opens an address with the desktop; returns false when no program could be started.
using TUrlOpener = std::function<bool(const QUrl&)>;

namespace WebLinks {
QUrl HomePage();
QUrl OrderPage();
QUrl SupportPage();
QUrl SupportMail();
// Opens Url; when the desktop cannot, tells the user
// "Could not load the default registered client." with the address, and
// returns false.
bool Open(const QUrl& Url, const TUrlOpener& Opener, IUserPrompts& Prompts);
} // namespace WebLinks
