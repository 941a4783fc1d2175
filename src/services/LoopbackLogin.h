#pragma once

#include "services/GoogleCredential.h"
#include "services/YouTubeService.h"

#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <variant>

class QTcpSocket;

namespace kinoloom {

// Opens a URL in the user's browser; false when it could not.
using BrowserOpener = std::function<bool(const QUrl &)>;

// One browser sign-in with PKCE and a loopback redirect: listens on 127.0.0.1 at a port of the
// system's choosing, opens the authorisation page, waits for the browser to come back to
// /callback with this sign-in's state, exchanges the code and looks up the channel.
// Lives on the main event loop and serves one sign-in: once finished it never resumes again.
class LoopbackLogin : public QObject
{
    Q_OBJECT

public:
    explicit LoopbackLogin(YouTubeService service = YouTubeService(), BrowserOpener opener = systemBrowser(),
                           std::chrono::milliseconds timeout = std::chrono::seconds(180), QObject *parent = nullptr);
    ~LoopbackLogin() override;

    // Takes the OAuth client (identifier and secret); returns it with the refresh token and
    // the connected channel. Throws CancellationError after cancel().
    QCoro::Task<GoogleCredential> authorize(GoogleCredential client);

    // Ends a pending sign-in with a cancellation error, from the event loop, never from inside
    // this call; from the moment of the call no browser opens. During the code exchange it
    // cancels the transport; afterwards it does nothing. Any thread.
    void cancel();

    static BrowserOpener systemBrowser();
    // Base64url of the SHA-256 of the verifier, without padding (RFC 7636 S256).
    static QString codeChallenge(const QString &verifier);

Q_SIGNALS:
    void finished();

private:
    using Result = std::variant<QString, std::exception_ptr>;

    void openBrowser(const QUrl &url);
    void onNewConnection();
    void onRequest(QTcpSocket *socket);
    void finish(Result result);
    QUrl authorizationURL(const GoogleCredential &client, const QString &challenge) const;
    QCoro::Task<GoogleCredential> exchange(GoogleCredential client, QString code, QString verifier);

    YouTubeService m_service;
    BrowserOpener m_opener;
    QTcpServer m_listener;
    QTimer m_timeout;
    QList<QPointer<QTcpSocket>> m_connections;
    QString m_state;
    QString m_redirect;
    std::optional<Result> m_result;
    bool m_stopped = false;
    std::atomic<bool> m_cancelRequested{false};
    bool m_exchanging = false;
};

} // namespace kinoloom
