#include "services/LiveHTTP.h"

#include "model/CancellationError.h"
#include "model/StudioError.h"
#include "services/NetworkError.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

#include <qcoro/qcoronetworkreply.h>

namespace kinoloom {

namespace {

struct DeleteLater
{
    void operator()(QNetworkReply *reply) const { reply->deleteLater(); }
};

QString failureSentence(QNetworkReply::NetworkError code)
{
    switch (code) {
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("Could not connect to the server.");
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("The network connection was lost.");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("A server with the specified hostname could not be found.");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the transfer timeout aborts the reply
        return QStringLiteral("The request timed out.");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("A secure connection to the server could not be made.");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("The network connection appears to be offline.");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("Could not connect through the network proxy.");
    default: return QStringLiteral("The network request failed.");
    }
}

// Network and proxy errors are failures of the connection itself; with such an error the body,
// even when a status arrived, is not the whole reply.
bool isConnectionFailure(QNetworkReply::NetworkError code)
{
    return code != QNetworkReply::NoError && code < QNetworkReply::ContentAccessDenied;
}

// Qt writes header lines as given: a line break inside a key or token would end the header
// early and let the rest of the text pass for headers or body of its own.
bool isSafeHeader(const QByteArray &name, const QByteArray &value)
{
    const auto control = [](char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f; };
    const auto notInName = [&control](char c) { return control(c) || c == ':' || c == ' ' || c == '\t'; };
    return !name.isEmpty() && std::none_of(name.cbegin(), name.cend(), notInName)
        && std::none_of(value.cbegin(), value.cend(), control);
}

// Replies being aborted on this thread. An aborted reply resumes its request at once, and the end
// of that request can end the job that owns the transport while Qt is still inside the reply's
// abort(): the reply, and the manager that owns it, must then outlive that call.
thread_local int abortsUnderway = 0;

} // namespace

LiveHTTP::LiveHTTP() = default;

LiveHTTP::~LiveHTTP()
{
    if (m_manager && abortsUnderway > 0)
        m_manager.release()->deleteLater();
}

QCoro::Task<HTTPResponse> LiveHTTP::send(HTTPRequest request)
{
    checkCancellation();
    for (const auto &[name, value] : std::as_const(request.headers)) {
        if (!isSafeHeader(name, value))
            throw StudioError(
                QStringLiteral("The request was not sent: a key or token holds a line break or another control "
                               "character. Save the key again or reconnect the account."));
    }
    if (!m_manager) {
        m_manager = std::make_unique<QNetworkAccessManager>();
        m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }

    QNetworkRequest networkRequest(request.url);
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    networkRequest.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    networkRequest.setTransferTimeout(static_cast<int>(request.timeout.count()));
    for (const auto &[name, value] : std::as_const(request.headers))
        networkRequest.setRawHeader(name, value);

    std::unique_ptr<QNetworkReply, DeleteLater> reply(
        m_manager->sendCustomRequest(networkRequest, request.method, request.body));
    m_inFlight.append(reply.get());
    co_await reply.get();
    m_inFlight.removeAll(reply.get());

    if (isCancelled())
        throw CancellationError();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError code = reply->error();
    if (!status.isValid() || isConnectionFailure(code)) {
        if (code == QNetworkReply::NoError)
            throw NetworkError(QStringLiteral("The service returned an invalid response."), QString());
        throw NetworkError(failureSentence(code), reply->errorString());
    }

    HTTPResponse response;
    response.status = status.toInt();
    const QList<QNetworkReply::RawHeaderPair> pairs = reply->rawHeaderPairs();
    for (const auto &pair : pairs)
        response.headers.append({pair.first, pair.second});
    response.body = reply->readAll();
    co_return response;
}

void LiveHTTP::abortInFlight()
{
    if (!m_manager)
        return;
    // Replies belong to the thread that sent them, and an aborted reply resumes its waiter at
    // once: the abort always waits for the event loop, so that no job ends, and no owner is
    // dropped, inside the cancel() call of whoever cancels. It holds the replies, not this
    // transport: aborting the first one can end the job that owns the transport. A request sent
    // after the cancel fails before it reaches the network, so the list taken now is complete.
    QMetaObject::invokeMethod(
        m_manager.get(),
        [replies = m_inFlight] {
            ++abortsUnderway;
            for (const QPointer<QNetworkReply> &reply : replies) {
                if (reply)
                    reply->abort();
            }
            --abortsUnderway;
        },
        Qt::QueuedConnection);
}

} // namespace kinoloom
