#include "session/UnreadableFile.h"

#include "model/FileError.h"
#include "model/FileOperations.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kinoloom {

void moveAsideUnreadable(const QString &path, const QDateTime &now)
{
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink())
        return;
    const QString base = path + QStringLiteral(".unreadable-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int suffix = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++suffix)
        target = base + QStringLiteral("-%1").arg(suffix);
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0)
        throw FileError(QStringLiteral("move aside"), path, systemReason());
}

} // namespace kinoloom
