#include "engine/disk/DiskSpaceCheck.h"

#include "engine/disk/Volumes.h"

#include <QDir>
#include <QLocale>

namespace kinoloom {

QString DiskSpaceCheck::formattedBytes(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 2, QLocale::DataSizeSIFormat);
}

QString DiskSpaceCheck::message() const
{
    return message(temporaryDiskNote(diskPath));
}

QString DiskSpaceCheck::message(const QString &temporaryDiskNote) const
{
    QString text = QStringLiteral("Disk \"") + diskName + QLatin1Char('"');
    if (diskPath)
        text += QStringLiteral(" (") + *diskPath + QLatin1Char(')');
    text += QStringLiteral(" may need about ") + formattedBytes(requiredBytes);
    text += QStringLiteral(" free, but has ") + formattedBytes(availableBytes);
    text += QStringLiteral(" free. It is short by about ") + formattedBytes(requiredBytes - availableBytes)
        + QLatin1Char('.');
    text += temporaryDiskNote;
    text += QStringLiteral(" If you continue, valid cached clips will be reused and kept. Free space first if needed.");
    return text;
}

QString DiskSpaceCheck::temporaryDiskNote(const std::optional<QString> &diskPath)
{
    const QString temporary = QDir::tempPath();
    const std::optional<qint64> free = volumes::freeBytes(temporary);
    if (!free)
        return {};
    const std::optional<QStringList> mounts = volumes::mountPoints();
    if (!mounts)
        return {};
    const std::optional<QString> volume = volumes::mountPointHolding(temporary, *mounts);
    if (!volume || (diskPath && *diskPath == *volume))
        return {};
    QString name = volumes::volumeName(temporary);
    if (name.isEmpty())
        name = *volume;
    return QStringLiteral(" System temporary disk \"") + name + QStringLiteral("\" (") + *volume
        + QStringLiteral(") has ") + formattedBytes(*free) + QStringLiteral(" free.");
}

} // namespace kinoloom
