#include "support/ChildProcesses.h"

#include <QDir>
#include <QFile>

namespace kinoloom::test {

QMap<qint64, QString> ffmpegChildren(qint64 parent)
{
    QMap<qint64, QString> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid ...": the name may hold spaces, so read from its closing bracket.
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('(');
        const qsizetype close = line.lastIndexOf(')');
        const QByteArray name = line.mid(open + 1, close - open - 1);
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (name != "ffmpeg" || rest.size() < 2 || rest.at(0) == "Z" || rest.at(1).toLongLong() != parent)
            continue;
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
        const QByteArray arguments = commandLine.open(QIODevice::ReadOnly) ? commandLine.readAll() : QByteArray();
        children.insert(pid, QString::fromLocal8Bit(QByteArray(arguments).replace('\0', ' ')).trimmed());
    }
    return children;
}

bool processRunning(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

} // namespace kinoloom::test
