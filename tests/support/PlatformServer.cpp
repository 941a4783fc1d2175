#include "support/PlatformServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace kinoloom::test {

namespace {

const QString uploadPath = QStringLiteral("/upload/youtube/v3/videos");

std::optional<QByteArray> findHeader(const RawHeaders &headers, const QByteArray &name)
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 308: return "Resume Incomplete";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

// "bytes a-b/total" gives {a, total}; "bytes */total" gives {-1, total}.
std::optional<std::pair<qint64, qint64>> contentRange(const QByteArray &value)
{
    if (!value.startsWith("bytes "))
        return std::nullopt;
    const QList<QByteArray> parts = value.mid(6).split('/');
    if (parts.size() != 2)
        return std::nullopt;
    bool ok = false;
    const qint64 total = parts.at(1).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    if (parts.at(0) == "*")
        return std::pair<qint64, qint64>{-1, total};
    const qint64 start = parts.at(0).split('-').value(0).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return std::pair<qint64, qint64>{start, total};
}

} // namespace

std::optional<QByteArray> RecordedRequest::header(const QByteArray &name) const
{
    return findHeader(headers, name);
}

QString RecordedRequest::path() const
{
    return QUrl(QStringLiteral("http://127.0.0.1") + QString::fromLatin1(target)).path();
}

QUrlQuery RecordedRequest::query() const
{
    return QUrlQuery(QUrl(QStringLiteral("http://127.0.0.1") + QString::fromLatin1(target)));
}

QMap<QString, QString> RecordedRequest::form() const
{
    QMap<QString, QString> fields;
    if (body.isEmpty())
        return fields;
    for (const QByteArray &pair : body.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        const QByteArray name = pair.left(equals);
        const QByteArray value = equals < 0 ? QByteArray() : pair.mid(equals + 1);
        // A form decoder reads "+" as a space; the client must never send one unescaped.
        QByteArray spaced = value;
        spaced.replace('+', ' ');
        fields.insert(QString::fromUtf8(QByteArray::fromPercentEncoding(name)),
                      QString::fromUtf8(QByteArray::fromPercentEncoding(spaced)));
    }
    return fields;
}

struct PlatformServer::Connection
{
    QByteArray buffer;
    bool headersRead = false;
    std::optional<bool> cut;
    qint64 contentLength = 0;
    RecordedRequest request;
};

PlatformServer::PlatformServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &PlatformServer::onNewConnection);
    m_server.listen(QHostAddress::LocalHost, 0);
}

PlatformServer::~PlatformServer()
{
    // The sockets die with m_server, after the table: they must not report back to it.
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        it.key()->disconnect(this);
        delete it.value();
    }
    m_connections.clear();
}

quint16 PlatformServer::port() const
{
    return m_server.serverPort();
}

QUrl PlatformServer::base() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port()));
}

void PlatformServer::setReply(const QByteArray &method, const QString &path, const CannedReply &reply)
{
    m_replies.insert({method, path}, reply);
}

void PlatformServer::failNext(const QString &pathPrefix, const CannedReply &reply)
{
    m_failures.append({pathPrefix, reply});
}

void PlatformServer::dropNext(const QString &pathPrefix)
{
    m_drops.append(pathPrefix);
}

void PlatformServer::delayNext(const QString &pathPrefix, int milliseconds, int spared)
{
    m_delays.append(Delay{pathPrefix, milliseconds, spared});
}

void PlatformServer::cutChunksAfter(qint64 bytes, int spared)
{
    m_cutAfter = bytes;
    m_cutSpared = spared;
}

void PlatformServer::setOmitRange(bool omit)
{
    m_omitRange = omit;
}

QList<RecordedRequest> PlatformServer::requestsTo(const QString &path) const
{
    QList<RecordedRequest> found;
    for (const RecordedRequest &request : m_requests) {
        if (request.path() == path)
            found.append(request);
    }
    return found;
}

QByteArray PlatformServer::uploaded(int session) const
{
    if (m_sessions.isEmpty())
        return {};
    return m_sessions.at(session < 0 ? m_sessions.size() - 1 : session).data;
}

void PlatformServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        m_connections.insert(socket, new Connection);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            delete m_connections.take(socket);
            socket->deleteLater();
        });
    }
}

void PlatformServer::onReadyRead(QTcpSocket *socket)
{
    Connection *connection = m_connections.value(socket);
    if (!connection)
        return;
    connection->buffer += socket->readAll();
    if (!connection->headersRead) {
        const qsizetype end = connection->buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = connection->buffer.left(end).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        connection->request.method = requestLine.value(0);
        connection->request.target = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                connection->request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        }
        connection->contentLength = connection->request.header("Content-Length").value_or("0").toLongLong();
        connection->buffer.remove(0, end + 4);
        connection->headersRead = true;
    }
    if (handleChunkBody(socket, *connection))
        return;
    if (connection->buffer.size() < connection->contentLength)
        return;
    connection->request.body = connection->buffer.left(connection->contentLength);
    const RecordedRequest request = connection->request;
    *connection = Connection();
    m_requests.append(request);
    handle(socket, request);
}

// An upload chunk cut off on purpose: the bytes read so far are kept, then the line goes dead.
bool PlatformServer::handleChunkBody(QTcpSocket *socket, Connection &connection)
{
    if (m_cutAfter < 0 || connection.request.method != "PUT" || connection.request.path() != uploadPath)
        return false;
    const auto range = contentRange(connection.request.header("Content-Range").value_or(QByteArray()));
    if (!range || range->first < 0 || m_cutAfter >= connection.contentLength)
        return false;
    if (!connection.cut) {
        connection.cut = m_cutSpared == 0;
        if (m_cutSpared > 0)
            --m_cutSpared;
    }
    if (!*connection.cut || connection.buffer.size() < m_cutAfter)
        return false;
    RecordedRequest request = connection.request;
    request.body = connection.buffer.left(m_cutAfter);
    m_requests.append(request);
    if (Session *session = sessionFor(request))
        store(*session, range->first, request.body);
    connection = Connection();
    socket->abort();
    return true;
}

PlatformServer::Session *PlatformServer::sessionFor(const RecordedRequest &request)
{
    bool ok = false;
    const int id = request.query().queryItemValue(QStringLiteral("upload_id")).toInt(&ok);
    if (!ok || id < 0 || id >= m_sessions.size())
        return nullptr;
    return &m_sessions[id];
}

void PlatformServer::store(Session &session, qint64 start, const QByteArray &bytes)
{
    m_chunkBytes += bytes.size();
    const qint64 have = session.data.size();
    const qint64 overlap = std::clamp<qint64>(have - start, 0, bytes.size());
    m_duplicateBytes += overlap;
    session.data += bytes.mid(overlap);
}

void PlatformServer::handle(QTcpSocket *socket, const RecordedRequest &request)
{
    const QString path = request.path();
    for (qsizetype i = 0; i < m_drops.size(); ++i) {
        if (path.startsWith(m_drops.at(i))) {
            m_drops.removeAt(i);
            socket->abort();
            return;
        }
    }
    if (const std::optional<CannedReply> fault = takeFault(m_failures, path)) {
        respond(socket, path, *fault);
        return;
    }
    if (path == uploadPath) {
        respond(socket, path, uploadReply(request));
        return;
    }
    const auto found = m_replies.constFind({request.method, path});
    if (found != m_replies.constEnd()) {
        respond(socket, path, *found);
        return;
    }
    respond(socket, path, CannedReply{404, R"({"error":"not found"})", {}});
}

CannedReply PlatformServer::uploadReply(const RecordedRequest &request)
{
    if (request.method == "POST") {
        Session session;
        session.total = request.header("X-Upload-Content-Length").value_or("0").toLongLong();
        session.metadata = request.body;
        m_sessions.append(session);
        const QByteArray location = base().toEncoded() + uploadPath.toLatin1()
            + "?uploadType=resumable&upload_id=" + QByteArray::number(m_sessions.size() - 1);
        return CannedReply{200, QByteArray(), {{"Location", location}}};
    }
    Session *session = sessionFor(request);
    const auto range = contentRange(request.header("Content-Range").value_or(QByteArray()));
    if (!session || !range)
        return CannedReply{404, R"({"error":"no such upload"})", {}};
    if (range->first >= 0) {
        if (range->first > session->data.size())
            return CannedReply{400, R"({"error":"chunk leaves a gap"})", {}};
        store(*session, range->first, request.body);
    }
    return sessionState(*session);
}

CannedReply PlatformServer::sessionState(const Session &session) const
{
    if (session.data.size() >= session.total) {
        QJsonObject video;
        video.insert(QStringLiteral("id"), videoID());
        video.insert(QStringLiteral("kind"), QStringLiteral("youtube#video"));
        return CannedReply{200, QJsonDocument(video).toJson(QJsonDocument::Compact), {}};
    }
    CannedReply reply{308, QByteArray(), {}};
    if (!session.data.isEmpty() && !m_omitRange)
        reply.headers.append({"Range", "bytes=0-" + QByteArray::number(session.data.size() - 1)});
    return reply;
}

std::optional<CannedReply> PlatformServer::takeFault(QList<std::pair<QString, CannedReply>> &faults,
                                                     const QString &path)
{
    for (qsizetype i = 0; i < faults.size(); ++i) {
        if (path.startsWith(faults.at(i).first))
            return faults.takeAt(i).second;
    }
    return std::nullopt;
}

void PlatformServer::respond(QTcpSocket *socket, const QString &path, const CannedReply &reply)
{
    QByteArray text = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    text += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    text += "Connection: close\r\n";
    if (!reply.body.isEmpty() && !findHeader(reply.headers, "Content-Type"))
        text += "Content-Type: application/json; charset=UTF-8\r\n";
    for (const auto &[name, value] : reply.headers)
        text += name + ": " + value + "\r\n";
    text += "\r\n" + reply.body;

    int delay = 0;
    for (qsizetype i = 0; i < m_delays.size(); ++i) {
        if (!path.startsWith(m_delays.at(i).pathPrefix))
            continue;
        if (m_delays.at(i).spared > 0)
            --m_delays[i].spared;
        else
            delay = m_delays.takeAt(i).milliseconds;
        break;
    }
    const QPointer<QTcpSocket> target(socket);
    const auto send = [target, text] {
        if (!target || target->state() != QAbstractSocket::ConnectedState)
            return;
        target->write(text);
        target->disconnectFromHost();
    };
    if (delay > 0)
        QTimer::singleShot(delay, this, send);
    else
        send();
}

} // namespace kinoloom::test
