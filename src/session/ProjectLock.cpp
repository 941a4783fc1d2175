#include "session/ProjectLock.h"

#include "model/StudioError.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kinoloom::ProjectLock {

int acquire(const QString &folder)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(filename));
    const int descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        throw StudioError(QStringLiteral("This project folder is not writable."));
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        throw StudioError(QStringLiteral("This project is open in another Kinoloom process."));
    }
    return descriptor;
}

void release(int descriptor)
{
    if (descriptor < 0)
        return;
    ::flock(descriptor, LOCK_UN);
    ::close(descriptor);
}

} // namespace kinoloom::ProjectLock
