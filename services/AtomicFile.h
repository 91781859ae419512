#pragma once
// Writes a whole file or nothing: the bytes go to a temporary file in the
// target's folder, which is flushed and renamed over the target. On failure the
// old file is untouched and no temporary file stays behind.

#include <QByteArray>
#include <QString>

// Empty on success, else the reason in the system's words.
QString WriteFileAtomically(const QString& Path, const QByteArray& Bytes);
