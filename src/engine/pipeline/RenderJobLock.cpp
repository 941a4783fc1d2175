#include "engine/pipeline/RenderJobLock.h"

#include "model/FileError.h"
#include "model/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace kinoloom {

namespace {

QString lockFile(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("render.lock"));
}

int openLockFile(const QString &folder, int flags)
{
    int descriptor;
    do {
        descriptor = ::open(QFile::encodeName(lockFile(folder)).constData(), flags | O_CLOEXEC, 0644);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

bool lock(int descriptor, int operation)
{
    int result;
    do {
        result = ::flock(descriptor, operation | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

QByteArray contents(int descriptor)
{
    QByteArray bytes;
    char buffer[512];
    qint64 offset = 0;
    for (;;) {
        const ssize_t count = ::pread(descriptor, buffer, sizeof buffer, offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0 || bytes.size() > 64 * 1024)
            return bytes;
        bytes.append(buffer, qsizetype(count));
        offset += count;
    }
}

} // namespace

RenderJobLock::RenderJobLock(QString folder, int descriptor)
    : m_folder(std::move(folder))
    , m_descriptor(descriptor)
{
}

RenderJobLock RenderJobLock::own(const QString &folder, const QString &output)
{
    const int descriptor = openLockFile(folder, O_RDWR | O_CREAT | O_TRUNC);
    if (descriptor < 0)
        throw FileError(QStringLiteral("create"), lockFile(folder), systemReason());
    RenderJobLock held(folder, descriptor);
    const QByteArray text = output.toUtf8();
    if (!lock(descriptor, LOCK_SH) || ::write(descriptor, text.constData(), size_t(text.size())) != text.size())
        throw FileError(QStringLiteral("write"), lockFile(folder), systemReason());
    return held;
}

std::optional<RenderJobLock> RenderJobLock::share(const QString &folder)
{
    const int descriptor = openLockFile(folder, O_RDONLY);
    if (descriptor < 0)
        return std::nullopt;
    RenderJobLock held(folder, descriptor);
    if (!lock(descriptor, LOCK_SH))
        return std::nullopt; // being removed
    return held;
}

RenderJobLock::RenderJobLock(RenderJobLock &&other) noexcept
    : m_folder(std::move(other.m_folder))
    , m_descriptor(std::exchange(other.m_descriptor, -1))
{
}

RenderJobLock &RenderJobLock::operator=(RenderJobLock &&other) noexcept
{
    if (this != &other) {
        release();
        m_folder = std::move(other.m_folder);
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

RenderJobLock::~RenderJobLock()
{
    release();
}

void RenderJobLock::release()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
}

bool RenderJobLock::removeIfUnused(const QString &output)
{
    if (m_descriptor < 0)
        return false;
    // Exclusive only when no other render holds the folder, in this process or another.
    const bool alone = QString::fromUtf8(contents(m_descriptor)) == output && lock(m_descriptor, LOCK_EX);
    bool removed = false;
    if (alone) {
        removed = QDir(m_folder).removeRecursively();
        // Fails, as it should, while the folder holds another render's job folder.
        if (removed)
            QDir().rmdir(QFileInfo(m_folder).absolutePath());
    }
    release();
    return removed;
}

} // namespace kinoloom
