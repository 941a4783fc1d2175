#include "model/FileBytes.h"

#include "model/FileError.h"

#include <QFile>

namespace kinoloom {

QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("read"), path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("read"), path, file.errorString());
    return bytes;
}

} // namespace kinoloom
