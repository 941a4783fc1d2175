#include "engine/disk/Volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace kinoloom::volumes {

namespace {

// mountinfo writes space, tab, newline and backslash as three octal digits after a backslash.
QString decodeMountField(const QByteArray &field)
{
    QByteArray decoded;
    decoded.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                decoded.append(char(code));
                i += 3;
                continue;
            }
        }
        decoded.append(field[i]);
    }
    return QString::fromUtf8(decoded);
}

QString nearestExistingFolder(const QString &path)
{
    QString current = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!QFileInfo::exists(current)) {
        const QString parent = QFileInfo(current).path();
        if (parent == current)
            break;
        current = parent;
    }
    return current;
}

} // namespace

QStringList parseMountInfo(const QByteArray &mountInfo)
{
    QStringList points;
    for (const QByteArray &line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4 && !fields[4].isEmpty())
            points.append(decodeMountField(fields[4]));
    }
    return points;
}

std::optional<QStringList> mountPoints()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The file reports a size of 0, so read until the end rather than by size.
    const QByteArray text = file.readAll();
    if (text.isEmpty())
        return std::nullopt;
    return parseMountInfo(text);
}

std::optional<QString> mountPointHolding(const QString &path, const QStringList &mountPoints)
{
    const QString folder = QDir::cleanPath(path);
    std::optional<QString> best;
    for (const QString &point : mountPoints) {
        const QString mount = QDir::cleanPath(point);
        const bool holds = folder == mount || (mount == QStringLiteral("/") && folder.startsWith(QLatin1Char('/')))
            || folder.startsWith(mount + QLatin1Char('/'));
        if (holds && (!best || mount.size() > best->size()))
            best = mount;
    }
    return best;
}

std::optional<qint64> freeBytes(const QString &path)
{
    const QStorageInfo storage(nearestExistingFolder(path));
    if (!storage.isValid() || !storage.isReady())
        return std::nullopt;
    const qint64 available = storage.bytesAvailable();
    if (available < 0)
        return std::nullopt;
    return available;
}

QString volumeName(const QString &path)
{
    const QStorageInfo storage(nearestExistingFolder(path));
    return storage.isValid() ? storage.name() : QString();
}

} // namespace kinoloom::volumes
