#include "engine/media/FileCopy.h"

#include "model/FileError.h"
#include "model/FileOperations.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kinoloom {

namespace {

// Small enough that a cancel is noticed within a moment even on a slow card reader.
constexpr qint64 chunkSize = 1 << 20;

FileError copyError(const QString &source, const QString &reason)
{
    return FileError(QStringLiteral("copy"), source, reason);
}

} // namespace

void copyFile(const QString &source, const QString &destination, const std::function<void()> &checkCancellation)
{
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        throw copyError(source, input.errorString());

    const QFileInfo target(destination);
    const QString partialPath = target.dir().filePath(QStringLiteral("partial-") + target.fileName());
    QFile partial(partialPath);
    if (!partial.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        throw copyError(source, partial.errorString());
    auto removePartial = qScopeGuard([&] {
        partial.close();
        QFile::remove(partialPath);
    });

    QByteArray buffer(chunkSize, Qt::Uninitialized);
    qint64 offset = 0;
    for (;;) {
        if (checkCancellation)
            checkCancellation();
        const qint64 count = input.read(buffer.data(), chunkSize);
        if (count < 0)
            throw copyError(source, input.errorString());
        if (count == 0)
            break;
        if (partial.write(buffer.constData(), count) != count)
            throw copyError(source, partial.errorString());
        // Starts writing the chunk out now, so that the final sync has little left to wait for
        // and a cancel near the end of a large copy is not held up by it.
        ::sync_file_range(partial.handle(), offset, count, SYNC_FILE_RANGE_WRITE);
        offset += count;
    }
    // The mode bits themselves: QFile's permissions also report what this user may do, which
    // for root would add write access to a read-only source's copy.
    struct stat status = {};
    if (::fstat(input.handle(), &status) == 0)
        ::fchmod(partial.handle(), status.st_mode & 0777);
    if (::fsync(partial.handle()) != 0)
        throw copyError(source, systemReason());
    partial.close();
    // Refuses to replace a file that is already there.
    if (!partial.rename(destination))
        throw copyError(source, partial.errorString());
    removePartial.dismiss();
}

} // namespace kinoloom
