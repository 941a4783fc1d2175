#include "services/LoopbackLogin.h"

#include "model/CancellationError.h"
#include "model/StudioError.h"
#include "services/HTTPRequests.h"
#include "services/NetworkError.h"

#include <QCryptographicHash>
#include <QDesktopServices>
#include <QStringDecoder>
#include <QTcpSocket>
#include <QUuid>

#include <qcoro/qcorosignal.h>

namespace kinoloom {

namespace {

constexpr qint64 requestLimit = 16384;
const QString youtubeScope = QStringLiteral("https://www.googleapis.com/auth/youtube.force-ssl");

QString upperUuid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

// Query items as the browser sent them: a name without "=" has no value, "name=" an empty one.
// "+" stays a plus sign, as in any URL query outside a form body.
QList<std::pair<QString, std::optional<QString>>> queryItems(const QString &query)
{
    QList<std::pair<QString, std::optional<QString>>> items;
    if (query.isEmpty())
        return items;
    for (const QString &part : query.split(QLatin1Char('&'))) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        const QString name = QUrl::fromPercentEncoding(part.left(equals < 0 ? part.size() : equals).toUtf8());
        std::optional<QString> value;
        if (equals >= 0)
            value = QUrl::fromPercentEncoding(part.mid(equals + 1).toUtf8());
        items.append({name, value});
    }
    return items;
}

std::optional<std::optional<QString>> firstItem(const QList<std::pair<QString, std::optional<QString>>> &items,
                                                const QString &name)
{
    for (const auto &[key, value] : items) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

QByteArray page(const QString &text)
{
    const QByteArray body = text.toUtf8();
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

HTTPRequest codeRequest(const QUrl &tokenBase, const GoogleCredential &client, const QString &code,
                        const QString &verifier, const QString &redirect)
{
    QMap<QString, QString> grant;
    grant.insert(QStringLiteral("code"), code);
    grant.insert(QStringLiteral("code_verifier"), verifier);
    grant.insert(QStringLiteral("redirect_uri"), redirect);
    grant.insert(QStringLiteral("grant_type"), QStringLiteral("authorization_code"));
    return tokenRequest(tokenBase, client, grant);
}

} // namespace

LoopbackLogin::LoopbackLogin(YouTubeService service, BrowserOpener opener, std::chrono::milliseconds timeout,
                             QObject *parent)
    : QObject(parent)
    , m_service(std::move(service))
    , m_opener(std::move(opener))
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeout);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        finish(std::make_exception_ptr(StudioError(QStringLiteral("Sign-in timed out. Try connecting again."))));
    });
    connect(&m_listener, &QTcpServer::newConnection, this, &LoopbackLogin::onNewConnection);
    // A listener that cannot accept (out of descriptors, say) stops accepting for good: the
    // browser's callback could never arrive, so the sign-in ends now rather than at the timeout.
    connect(&m_listener, &QTcpServer::acceptError, this, [this] {
        finish(std::make_exception_ptr(StudioError(QStringLiteral("Could not open the local sign-in callback."))));
    });
}

LoopbackLogin::~LoopbackLogin() = default;

BrowserOpener LoopbackLogin::systemBrowser()
{
    return [](const QUrl &url) { return QDesktopServices::openUrl(url); };
}

QString LoopbackLogin::codeChallenge(const QString &verifier)
{
    const QByteArray digest = QCryptographicHash::hash(verifier.toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QUrl LoopbackLogin::authorizationURL(const GoogleCredential &client, const QString &challenge) const
{
    const QueryItems query{
        {QStringLiteral("client_id"), client.clientID},
        {QStringLiteral("redirect_uri"), m_redirect},
        {QStringLiteral("response_type"), QStringLiteral("code")},
        {QStringLiteral("scope"), youtubeScope},
        {QStringLiteral("access_type"), QStringLiteral("offline")},
        {QStringLiteral("prompt"), QStringLiteral("consent")},
        {QStringLiteral("state"), m_state},
        {QStringLiteral("code_challenge"), challenge},
        {QStringLiteral("code_challenge_method"), QStringLiteral("S256")},
    };
    return serviceAddress(m_service.endpoints().authorization, QStringLiteral("/o/oauth2/v2/auth"), query);
}

QCoro::Task<GoogleCredential> LoopbackLogin::authorize(GoogleCredential client)
{
    if (m_stopped || m_cancelRequested)
        throw CancellationError();
    const QString verifier = upperUuid() + upperUuid();
    m_state = upperUuid();
    if (!m_listener.listen(QHostAddress::LocalHost, 0))
        throw NetworkError(QStringLiteral("Could not open the local sign-in callback."), m_listener.errorString());
    if (m_listener.serverPort() == 0) {
        finish(std::make_exception_ptr(StudioError(QStringLiteral("Could not start the sign-in callback."))));
    } else {
        m_redirect = QStringLiteral("http://127.0.0.1:%1/callback").arg(m_listener.serverPort());
        m_timeout.start();
        // On a later turn, so that a cancel given in this one, before or after this call, opens no browser.
        QMetaObject::invokeMethod(
            this, [this, url = authorizationURL(client, codeChallenge(verifier))] { openBrowser(url); },
            Qt::QueuedConnection);
    }
    if (!m_result)
        co_await qCoro(this, &LoopbackLogin::finished);

    const Result result = *m_result;
    if (const std::exception_ptr *error = std::get_if<std::exception_ptr>(&result))
        std::rethrow_exception(*error);
    m_exchanging = true;
    std::exception_ptr failure;
    GoogleCredential credential;
    try {
        credential = co_await exchange(client, std::get<QString>(result), verifier);
    } catch (...) {
        failure = std::current_exception();
    }
    m_exchanging = false;
    if (failure)
        std::rethrow_exception(failure);
    co_return credential;
}

QCoro::Task<GoogleCredential> LoopbackLogin::exchange(GoogleCredential client, QString code, QString verifier)
{
    const YouTubeService service = m_service;
    const QJsonObject reply = co_await service.json(
        codeRequest(service.endpoints().token, client, code, verifier, m_redirect));
    const QJsonValue refresh = reply.value(QStringLiteral("refresh_token"));
    const QJsonValue access = reply.value(QStringLiteral("access_token"));
    if (!refresh.isString() || !access.isString())
        throw StudioError(
            QStringLiteral("Google did not return the required credentials. Try reconnecting with consent."));
    const YouTubeChannel channel = co_await service.channel(access.toString());
    co_return GoogleCredential{client.clientID, client.clientSecret, refresh.toString(), channel.title, channel.id};
}

void LoopbackLogin::openBrowser(const QUrl &url)
{
    if (m_stopped || m_cancelRequested)
        return;
    // A browser that cannot be opened will never come back: say so now rather than at the timeout.
    if (!m_opener || !m_opener(url))
        finish(std::make_exception_ptr(StudioError(QStringLiteral("Could not open the browser for sign-in."))));
}

void LoopbackLogin::cancel()
{
    m_cancelRequested = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_exchanging)
                m_service.http()->cancel();
            finish(std::make_exception_ptr(CancellationError()));
        },
        Qt::QueuedConnection);
}

void LoopbackLogin::onNewConnection()
{
    while (QTcpSocket *socket = m_listener.nextPendingConnection()) {
        m_connections.append(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

// Only the first piece the browser sends is read; a request that does not fit is judged on it.
void LoopbackLogin::onRequest(QTcpSocket *socket)
{
    socket->disconnect(this);
    const QByteArray data = socket->read(requestLimit);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(data);
    const QStringList parts = text.split(QLatin1Char(' '));
    const QUrl url(QStringLiteral("http://127.0.0.1") + parts.value(1));
    // Anything but this exact path (a site icon, /callback/, /Callback) gets no reply at all.
    if (data.isEmpty() || decoder.hasError() || parts.size() < 2 || !url.isValid()
        || url.path() != QLatin1String("/callback")) {
        socket->abort();
        return;
    }
    const auto items = queryItems(url.query(QUrl::FullyEncoded));
    const std::optional<std::optional<QString>> state = firstItem(items, QStringLiteral("state"));
    const bool stateMatches = state && *state && **state == m_state;
    const std::optional<std::optional<QString>> codeItem = firstItem(items, QStringLiteral("code"));
    const std::optional<QString> code = codeItem ? *codeItem : std::nullopt;

    socket->write(page(stateMatches && code
                           ? QStringLiteral("Sign-in received. You can return to Kinoloom.")
                           : QStringLiteral("Sign-in was not completed. Return to Kinoloom and try again.")));
    socket->disconnectFromHost();
    if (!stateMatches)
        return;
    if (code)
        finish(*code);
    else
        finish(std::make_exception_ptr(StudioError(QStringLiteral("Google sign-in was declined."))));
}

void LoopbackLogin::finish(Result result)
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_timeout.stop();
    m_listener.close();
    // Browsers open spare connections ahead of time; none of them may outlive the sign-in.
    for (const QPointer<QTcpSocket> &socket : std::as_const(m_connections)) {
        if (socket)
            socket->disconnectFromHost();
    }
    m_connections.clear();
    m_result = std::move(result);
    Q_EMIT finished();
}

} // namespace kinoloom
