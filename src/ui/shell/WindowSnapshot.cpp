#include "ui/shell/WindowSnapshot.h"

#include "model/FileError.h"
#include "model/FileOperations.h"
#include "model/Workspace.h"
#include "session/FailureDescription.h"
#include "session/StudioModel.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kinoloom::WindowSnapshot {

namespace {

QString safePart(QString text)
{
    return text.replace(QLatin1Char('/'), QLatin1Char('_'));
}

} // namespace

QString defaultFolder()
{
    return QStringLiteral("/tmp/kinoloom-evidence");
}

QString fileName(const QString &title, const QString &workspace, const QString &appearance, const QSizeF &size)
{
    return QStringLiteral("%1-%2-%3-%4x%5.png")
        .arg(safePart(title), workspace, safePart(appearance))
        .arg(qint64(size.width()))
        .arg(qint64(size.height()));
}

void prepareFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        throw FileError(QStringLiteral("create the folder"), folder, systemReason(errno));
    // Opened without following a link, so what is checked is what is there.
    const int descriptor = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ELOOP || errno == ENOTDIR)
            throw StudioError(
                QStringLiteral("The snapshot folder %1 is not a folder: it is a link or a file.").arg(folder));
        throw FileError(QStringLiteral("open the folder"), folder, systemReason(errno));
    }
    struct stat status = {};
    const int statResult = ::fstat(descriptor, &status);
    const int statError = errno;
    ::close(descriptor);
    if (statResult != 0)
        throw FileError(QStringLiteral("read the folder"), folder, systemReason(statError));
    if (status.st_uid != ::getuid())
        throw StudioError(QStringLiteral("The snapshot folder %1 belongs to another user.").arg(folder));
}

void write(const QByteArray &png, const QString &folder, const QString &name)
{
    writeFileAtomically(QDir(folder).filePath(name), png);
}

QString capture(QWidget *window, StudioModel &model, const QString &appearance, const QString &folder)
{
    if (!window)
        return {};
    const QPixmap picture = window->grab();
    if (picture.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.toImage().save(&buffer, "PNG") || png.isEmpty())
        return {};
    const QString name = fileName(window->windowTitle(), rawValue(model.workspace()), appearance,
                                  picture.deviceIndependentSize());
    try {
        prepareFolder(folder);
        write(png, folder, name);
    } catch (...) {
        model.setError(describeFailure(std::current_exception()));
        return {};
    }
    return QDir(folder).filePath(name);
}

} // namespace kinoloom::WindowSnapshot
