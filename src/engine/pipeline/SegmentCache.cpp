#include "engine/pipeline/Pipeline.h"

#include "engine/pipeline/CompleteFile.h"
#include "engine/pipeline/SegmentArguments.h"
#include "model/FileError.h"
#include "model/FileOperations.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace kinoloom {

namespace {

// A cache file or a left-over segment this small is taken for a broken one. An 8-bit segment
// holds the same pictures in about half the bytes of a 16-bit one, so its bound is half as high.
constexpr qint64 usableSize = 1'000'000;
qint64 usableBytes(const std::optional<QString> &pixelFormat)
{
    return pixelFormat == SegmentArguments::eightBitPixelFormat ? usableSize / 2 : usableSize;
}
constexpr qint64 freeSpaceMargin = 2'147'483'648;
constexpr qint64 cacheBudget = 12'884'901'888;

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(nativePath(path).toStdString());
}

bool hardLink(const QString &source, const QString &destination)
{
    return ::link(nativePath(source).constData(), nativePath(destination).constData()) == 0;
}

std::optional<qint64> fileSize(const QString &path)
{
    struct stat attributes = {};
    if (::stat(nativePath(path).constData(), &attributes) != 0)
        return std::nullopt;
    return qint64(attributes.st_size);
}

std::optional<qint64> freeSpace(const QString &folder)
{
    struct statvfs volume = {};
    if (::statvfs(nativePath(folder).constData(), &volume) != 0)
        return std::nullopt;
    return qint64(volume.f_bavail) * qint64(volume.f_frsize);
}

// The regular files below `folder`, hidden ones included; unreadable entries add nothing.
qint64 regularFileBytes(const QString &folder)
{
    qint64 total = 0;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        struct stat attributes = {};
        if (::lstat(nativePath(files.next()).constData(), &attributes) == 0 && S_ISREG(attributes.st_mode))
            total += attributes.st_size;
    }
    return total;
}

QString clipCaption(const char *action, int index, const QString &name)
{
    return QStringLiteral("%1 clip %2 · %3").arg(QLatin1String(action)).arg(index + 1).arg(name);
}

void notify(const std::function<void(double)> &progress)
{
    if (progress)
        progress(1);
}

} // namespace

QString Pipeline::segmentCacheFile(const QString &cacheRoot, const QString &key)
{
    return QDir(cacheRoot).filePath(QStringLiteral("Segments/") + key + QStringLiteral(".mkv"));
}

std::optional<QString> Pipeline::findSegment(const QString &key, const QString &cacheRoot, int index,
                                             const QString &name, const std::optional<QString> &destination,
                                             const std::function<void(double)> &progress) const
{
    const QString folder = QDir(cacheRoot).filePath(QStringLiteral("Segments"));
    createFolder(folder);

    const QString cacheFile = segmentCacheFile(cacheRoot, key);
    // A file cut short (a full disk, a crash of the machine) can still be large: only a complete
    // Matroska file is a hit. A damaged one is deleted and rendered again.
    const std::optional<qint64> size = fileSize(cacheFile);
    if (size && *size > usableBytes(segmentPixelFormat) && completeMatroska(cacheFile)) {
        update(clipCaption("Reusing cached", index, name), 1.0);
        notify(progress);
        return cacheFile;
    }
    const QFileInfo leftover(cacheFile);
    if (leftover.exists() || leftover.isSymLink()) {
        if (::unlink(nativePath(cacheFile).constData()) != 0)
            throw FileError(QStringLiteral("remove"), cacheFile, systemReason());
    }

    if (reuseInterruptedJobCache) {
        const QString root = QDir::cleanPath(cacheRoot + QStringLiteral("/../..")); // <root>/Cache/Render
        if (const std::optional<QString> segment = interruptedJobSegment(index, root, destination, key)) {
            update(clipCaption("Reusing interrupted", index, name), 1.0);
            notify(progress);
            return segment;
        }
    }
    return std::nullopt;
}

std::optional<QString> Pipeline::interruptedJobSegment(int index, const QString &root,
                                                       const std::optional<QString> &destination,
                                                       const QString &key) const
{
    try {
        QStringList bases{QDir::cleanPath(QDir(root).absoluteFilePath(QStringLiteral(".KinoloomRender")))};
        if (destination && !destination->isEmpty())
            bases.append(QDir::cleanPath(QFileInfo(*destination).absolutePath() + QStringLiteral("/.KinoloomRender")));
        bases.removeDuplicates();

        QList<QFileInfo> folders;
        for (const QString &base : bases)
            folders += QDir(base).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
        // Newest first; a folder without a readable date counts as the oldest.
        std::stable_sort(folders.begin(), folders.end(), [](const QFileInfo &a, const QFileInfo &b) {
            const QDateTime left = a.lastModified();
            const QDateTime right = b.lastModified();
            if (!right.isValid())
                return left.isValid();
            return left.isValid() && left > right;
        });

        for (const QFileInfo &folder : folders) {
            const QString directory = folder.absoluteFilePath();
            const QString segment = jobSegmentFile(directory, index);
            const std::optional<qint64> size = fileSize(segment);
            if (!size || *size <= usableBytes(segmentPixelFormat) || !completeMatroska(segment))
                continue;
            QFile keyFile(jobSegmentKeyFile(directory, index));
            if (!keyFile.open(QIODevice::ReadOnly))
                continue;
            if (QString::fromLatin1(keyFile.read(256)).trimmed() == key)
                return segment;
        }
    } catch (...) {
        // Reuse is an optimisation: any problem means rendering the segment again.
    }
    return std::nullopt;
}

QString Pipeline::jobSegmentFile(const QString &directory, int index)
{
    return QDir(directory).filePath(QStringLiteral("segment-%1.mkv").arg(index));
}

QString Pipeline::jobSegmentPartialFile(const QString &directory, int index)
{
    return QDir(directory).filePath(QStringLiteral("segment-%1.partial.mkv").arg(index));
}

QString Pipeline::jobSegmentKeyFile(const QString &directory, int index)
{
    return QDir(directory).filePath(QStringLiteral("segment-%1.key").arg(index));
}

void Pipeline::commitJobSegment(const QString &directory, int index, const QString &key)
{
    const QString segment = jobSegmentFile(directory, index);
    // An older segment must never end up paired with the new key.
    if (::unlink(nativePath(segment).constData()) != 0 && errno != ENOENT)
        throw FileError(QStringLiteral("remove"), segment, systemReason());

    const QString keyPath = jobSegmentKeyFile(directory, index);
    writeFileAtomically(keyPath, key.toLatin1() + '\n');
    renameFile(jobSegmentPartialFile(directory, index), segment, QStringLiteral("save"));
}

bool Pipeline::persistSegmentCache(const QString &segment, const QString &cacheFile, const QString &cacheRoot)
{
    if (hardLink(segment, cacheFile))
        return true;
    if (!canKeepCacheFile(segment, cacheRoot))
        return false;
    copyFileThroughTemporary(segment, cacheFile);
    return true;
}

bool Pipeline::canKeepCacheFile(const QString &file, const QString &cacheRoot)
{
    const std::optional<qint64> size = fileSize(file);
    // The copy lands in the cache, so the cache's volume must keep its margin.
    const std::optional<qint64> free = freeSpace(cacheRoot);
    if (!size || !free)
        return false;
    const QDir cache(cacheRoot);
    const qint64 used = regularFileBytes(cache.filePath(QStringLiteral("Prepared")))
        + regularFileBytes(cache.filePath(QStringLiteral("Segments")));
    return cacheFileFits(*size, *free, used);
}

bool Pipeline::cacheFileFits(qint64 size, qint64 freeBytes, qint64 usedBytes)
{
    return freeBytes - size >= freeSpaceMargin && size + usedBytes <= cacheBudget;
}

void Pipeline::linkOrCopy(const QString &source, const QString &destination)
{
    if (!hardLink(source, destination))
        copyFileThroughTemporary(source, destination);
}

QString Pipeline::copyResource(const QString &source, const QString &name, const QString &folder)
{
    const QString destination = QDir(folder).filePath(name);
    const QFileInfo existing(destination);
    if ((existing.exists() || existing.isSymLink()) && ::unlink(nativePath(destination).constData()) != 0)
        throw FileError(QStringLiteral("remove"), destination, systemReason());
    std::error_code error;
    std::filesystem::copy_file(fsPath(source), fsPath(destination), error);
    if (error)
        throw FileError(QStringLiteral("copy"), source, QString::fromStdString(error.message()));
    return name;
}

} // namespace kinoloom
