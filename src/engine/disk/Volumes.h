#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kinoloom::volumes {

// Mount points of the mounted file systems, in the order the kernel lists them; none when the
// list cannot be read.
std::optional<QStringList> mountPoints();

// Reads the mount points out of the text of /proc/self/mountinfo (escaped characters decoded).
QStringList parseMountInfo(const QByteArray &mountInfo);

// The mount that holds `path`: the longest mount point that equals the path or is a whole-
// component prefix of it. Mount points nest (/ holds /home holds /home/me/usb), so the first
// prefix in the kernel's order is usually the wrong, outer one.
std::optional<QString> mountPointHolding(const QString &path, const QStringList &mountPoints);

// Free bytes available to this user on the file system of `path`. A folder that does not exist
// yet is measured at its nearest existing ancestor, where it is going to be created.
std::optional<qint64> freeBytes(const QString &path);

// The volume's label ("" when it has none or cannot be read).
QString volumeName(const QString &path);

} // namespace kinoloom::volumes
