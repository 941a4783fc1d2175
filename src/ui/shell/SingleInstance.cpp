#include "ui/shell/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kinoloom {

Q_LOGGING_CATEGORY(instanceLog, "kinoloom.instance", QtWarningMsg)

namespace {

// The first start takes the lock a moment before it listens; a second start that comes in
// between waits this long for the socket.
constexpr int connectPatienceMs = 3000;
constexpr int retryPauseMs = 50;
constexpr qint64 longestMessage = 64;

} // namespace

SingleInstance::SingleInstance(QString folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) : std::move(folder))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lockFD >= 0)
        ::close(m_lockFD);
}

QString SingleInstance::lockPath() const
{
    return QDir(m_folder).filePath(QStringLiteral("Kinoloom.lock"));
}

QString SingleInstance::socketPath() const
{
    return QDir(m_folder).filePath(QStringLiteral("Kinoloom.socket"));
}

bool SingleInstance::claim()
{
    if (m_folder.isEmpty()) {
        qCWarning(instanceLog) << "No runtime folder: running without the single-instance guard";
        return true;
    }
    const QByteArray path = QFile::encodeName(lockPath());
    const int descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        qCWarning(instanceLog) << "Cannot open" << lockPath() << "- running without the single-instance guard";
        return true;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        ::close(descriptor);
        if (reason != EWOULDBLOCK) {
            qCWarning(instanceLog) << "Cannot lock" << lockPath() << "- running without the single-instance guard";
            return true;
        }
        notifyFirst();
        return false;
    }
    m_lockFD = descriptor;
    listen();
    return true;
}

void SingleInstance::listen()
{
    // Whatever socket is there was left by a Kinoloom that no longer holds the lock.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::receive);
    if (!m_server->listen(socketPath()))
        qCWarning(instanceLog) << "Cannot listen on" << socketPath() << m_server->errorString();
}

void SingleInstance::receive()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        auto readLines = [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(longestMessage).trimmed();
                if (line == activateMessage) {
                    qCInfo(instanceLog) << "Activation requested by another start";
                    Q_EMIT activationRequested();
                }
            }
            // A peer that sends a long line without an end gets no more of our memory.
            if (socket->bytesAvailable() > longestMessage)
                socket->abort();
        };
        connect(socket, &QLocalSocket::readyRead, this, readLines);
        // A start that writes and leaves at once may be gone before its line was read.
        connect(socket, &QLocalSocket::disconnected, this, readLines);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void SingleInstance::notifyFirst()
{
    QLocalSocket socket;
    const QDeadlineTimer deadline(connectPatienceMs);
    while (true) {
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(retryPauseMs))
            break;
        if (deadline.hasExpired()) {
            qCWarning(instanceLog) << "Kinoloom is running but did not answer on" << socketPath();
            return;
        }
        QThread::msleep(retryPauseMs);
    }
    socket.write(QByteArray(activateMessage) + '\n');
    socket.waitForBytesWritten(connectPatienceMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(connectPatienceMs);
    qCInfo(instanceLog) << "Kinoloom is already running; asked it to come forward";
}

} // namespace kinoloom
