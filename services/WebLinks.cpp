#include "services/WebLinks.h"

#include "services/UserPrompts.h"

namespace WebLinks {

// The maker's site lives under a reserved example domain until a real one exists.
QUrl HomePage() { return QUrl(QStringLiteral("https://www.pellmark.example/")); }
QUrl OrderPage() { return QUrl(QStringLiteral("https://www.pellmark.example/order.html")); }
QUrl SupportPage() { return QUrl(QStringLiteral("https://www.pellmark.example/support.html")); }
QUrl SupportMail() { return QUrl(QStringLiteral("mailto:support@pellmark.example?subject=Reelix%202.0")); }

bool Open(const QUrl& Url, const TUrlOpener& Opener, IUserPrompts& Prompts) {
    if (Opener && Opener(Url))
        return true;
    // The address is shown so that it can still be typed into a browser.
    const QString address = Url.scheme() == QLatin1String("mailto") ? Url.path() : Url.toString();
    Prompts.MessageBox(TMsgType::Information, TMsgButtons::OK, QString(),
                       QStringLiteral("Could not load the default registered client.\nThe link could not be opened: %1")
                           .arg(address));
    return false;
}

} // namespace WebLinks
