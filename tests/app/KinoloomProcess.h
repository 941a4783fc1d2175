#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kinoloom::test {

// A home of its own for real `kinoloom` processes: HOME, the XDG folders and the runtime folder
// (where the single-instance lock and socket live) in a temporary folder, and the shell's own
// log lines switched on, so a test reads what a process did from its standard error.
class KinoloomHome
{
public:
    KinoloomHome()
    {
        for (const char *folder : {"home", "config", "data", "cache", "runtime"})
            QDir().mkpath(path(QString::fromLatin1(folder)));
        QFile::setPermissions(path(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString path(const QString &relative) const { return QDir(m_folder.path()).filePath(relative); }
    QString socketPath() const { return path(QStringLiteral("runtime/Kinoloom.socket")); }

    // The user defaults the process reads (organisation and application "Kinoloom").
    std::unique_ptr<QSettings> defaults() const
    {
        return std::make_unique<QSettings>(path(QStringLiteral("config/Kinoloom/Kinoloom.conf")), QSettings::IniFormat);
    }

    QProcessEnvironment environment(const QString &platform = QStringLiteral("offscreen")) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kinoloom.*.info=true"));
        return environment;
    }

    // Starts `kinoloom` with `arguments`; the caller waits for what it needs.
    std::unique_ptr<QProcess> start(const QStringList &arguments = {},
                                    const QString &platform = QStringLiteral("offscreen")) const
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment(platform));
        process->setWorkingDirectory(path(QStringLiteral("home")));
        process->start(QStringLiteral(KINOLOOM_EXECUTABLE), arguments);
        return process;
    }

private:
    QTemporaryDir m_folder;
};

// Whether another process holds the lock of the project in `folder`.
inline bool projectLocked(const QString &folder)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".kinoloom.lock")));
    const int descriptor = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool locked = ::flock(descriptor, LOCK_EX | LOCK_NB) != 0;
    ::close(descriptor);
    return locked;
}

// Standard error read so far, kept: QProcess hands each byte out once.
inline QString errorText(QProcess &process, QString &kept)
{
    kept += QString::fromLocal8Bit(process.readAllStandardError());
    return kept;
}

inline void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace kinoloom::test
