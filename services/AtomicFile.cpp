#include "services/AtomicFile.h"

#include <QSaveFile>

QString WriteFileAtomically(const QString& Path, const QByteArray& Bytes) {
    QSaveFile file(Path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(Bytes) != Bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    // commit() flushes, syncs and renames; on failure the temporary file is removed.
    if (!file.commit())
        return file.errorString();
    return QString();
}
