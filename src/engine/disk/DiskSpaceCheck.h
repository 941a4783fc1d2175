#pragma once

#include <QString>

#include <optional>

namespace kinoloom {

// Whether the disk that receives a render has room for it, and the warning shown when not.
struct DiskSpaceCheck
{
    qint64 requiredBytes = 0;
    qint64 availableBytes = 0;
    QString diskName = QStringLiteral("project disk");
    std::optional<QString> diskPath;

    bool operator==(const DiskSpaceCheck &) const = default;

    bool isInsufficient() const { return availableBytes < requiredBytes; }

    // The warning, with a note about the system temporary disk when that is another volume.
    QString message() const;
    // The warning with a given temporary-disk note (empty for none).
    QString message(const QString &temporaryDiskNote) const;

    // Decimal file-size units ("2.15 GB").
    static QString formattedBytes(qint64 bytes);

    // Names the volume of the system temporary folder when it is not the disk at `diskPath`;
    // empty when it is, or when the volume or its free space cannot be found.
    static QString temporaryDiskNote(const std::optional<QString> &diskPath);
};

} // namespace kinoloom
