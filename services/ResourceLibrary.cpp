#include "services/ResourceLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QResource>
#include <atomic>

namespace {
// Each loaded library is mapped under its own root so two instances (tests
// load several) never shadow each other.
QString NextRoot() {
    static std::atomic<int> counter{0};
    return QStringLiteral("/reelix-library-%1").arg(++counter);
}
} // namespace

QString TResourceLibrary::LoadFailedMessage(const QString& FileName) {
    return QStringLiteral("Could not load %1 library file.").arg(QFileInfo(FileName).fileName());
}

std::unique_ptr<TResourceLibrary> TResourceLibrary::Load(
    const QString& FileName, const std::function<void(const QString&)>& Report) {
    const QString root = NextRoot();
    if (!QFileInfo(FileName).isFile() || !QResource::registerResource(FileName, root)) {
        if (Report)
            Report(LoadFailedMessage(FileName));
        return nullptr;
    }
    return std::unique_ptr<TResourceLibrary>(new TResourceLibrary(FileName, root));
}

TResourceLibrary::TResourceLibrary(QString FileName, QString Root)
    : FFileName(std::move(FileName)), FRoot(std::move(Root)) {}

TResourceLibrary::~TResourceLibrary() {
    QResource::unregisterResource(FFileName, FRoot);
}

QByteArray TResourceLibrary::Data(const QString& Name) const {
    QFile file(QLatin1Char(':') + FRoot + QLatin1Char('/') + Name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage TResourceLibrary::Picture(const QString& Name) const {
    QImage image;
    image.loadFromData(Data(Name));
    return image;
}
