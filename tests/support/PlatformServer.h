#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <QUrlQuery>

#include <optional>
#include <utility>

class QTcpSocket;

namespace kinoloom::test {

using RawHeaders = QList<std::pair<QByteArray, QByteArray>>;

// One request as the server read it.
struct RecordedRequest
{
    QByteArray method;
    QByteArray target; // path and query, as sent
    RawHeaders headers;
    QByteArray body;

    std::optional<QByteArray> header(const QByteArray &name) const;
    QString path() const;
    QUrlQuery query() const;
    // The body read as a form (name=value&...), percent-decoded.
    QMap<QString, QString> form() const;
};

struct CannedReply
{
    int status = 200;
    QByteArray body;
    RawHeaders headers;
};

// A local stand-in for the token service, the video platform and the text-generation service,
// on 127.0.0.1 with a port of the system's choosing, served from the test's own event loop.
//
// Fixed endpoints answer with canned replies (setReply). The resumable upload is played for
// real: POST creates a session and answers with its Location; PUT with "bytes */total" asks for
// its state; PUT with "bytes a-b/total" appends. Bytes below what is already stored are ignored
// and counted as duplicates, as resumable servers do. A complete upload answers 200 with an id.
// Faults: a scripted reply for the next request to a path, a dropped connection, a slow reply,
// and chunks cut off after a number of body bytes.
class PlatformServer : public QObject
{
    Q_OBJECT

public:
    explicit PlatformServer(QObject *parent = nullptr);
    ~PlatformServer() override;

    quint16 port() const;
    QUrl base() const; // http://127.0.0.1:<port>

    void setReply(const QByteArray &method, const QString &path, const CannedReply &reply);
    // The next request whose path starts with `pathPrefix` gets `reply` instead of its usual answer.
    void failNext(const QString &pathPrefix, const CannedReply &reply);
    // The next request whose path starts with `pathPrefix` is read whole, then its connection closed.
    void dropNext(const QString &pathPrefix);
    // After `spared` more replies to a path starting with `pathPrefix`, the next one is held
    // back for `milliseconds`.
    void delayNext(const QString &pathPrefix, int milliseconds, int spared = 0);
    // After `spared` more chunks, every upload chunk is cut off after `bytes` of its body (those
    // are stored) and its connection dropped, until cleared with -1.
    void cutChunksAfter(qint64 bytes, int spared = 0);
    // 308 replies of the upload leave out Range while set.
    void setOmitRange(bool omit);

    const QList<RecordedRequest> &requests() const { return m_requests; }
    QList<RecordedRequest> requestsTo(const QString &path) const;

    int sessionsCreated() const { return m_sessions.size(); }
    QByteArray uploaded(int session = -1) const;
    // Body bytes of upload chunks read off the wire, and those of them the server already had.
    qint64 chunkBytesReceived() const { return m_chunkBytes; }
    qint64 duplicateBytesReceived() const { return m_duplicateBytes; }
    QString videoID() const { return QStringLiteral("vid-kinoloom-1"); }

private:
    struct Connection;
    struct Session
    {
        qint64 total = 0;
        QByteArray data;
        QByteArray metadata;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void handle(QTcpSocket *socket, const RecordedRequest &request);
    bool handleChunkBody(QTcpSocket *socket, Connection &connection);
    CannedReply uploadReply(const RecordedRequest &request);
    CannedReply sessionState(const Session &session) const;
    void store(Session &session, qint64 start, const QByteArray &bytes);
    void respond(QTcpSocket *socket, const QString &path, const CannedReply &reply);
    std::optional<CannedReply> takeFault(QList<std::pair<QString, CannedReply>> &faults, const QString &path);
    Session *sessionFor(const RecordedRequest &request);

    QTcpServer m_server;
    QHash<QTcpSocket *, Connection *> m_connections;
    QMap<std::pair<QByteArray, QString>, CannedReply> m_replies;
    QList<std::pair<QString, CannedReply>> m_failures;
    QList<QString> m_drops;
    struct Delay
    {
        QString pathPrefix;
        int milliseconds = 0;
        int spared = 0;
    };
    QList<Delay> m_delays;
    QList<RecordedRequest> m_requests;
    QList<Session> m_sessions;
    qint64 m_cutAfter = -1;
    int m_cutSpared = 0;
    bool m_omitRange = false;
    qint64 m_chunkBytes = 0;
    qint64 m_duplicateBytes = 0;
};

} // namespace kinoloom::test
