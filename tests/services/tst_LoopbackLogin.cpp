#include "model/CancellationError.h"
#include "model/StudioError.h"
#include "services/LiveHTTP.h"
#include "services/LoopbackLogin.h"
#include "support/Await.h"
#include "support/PlatformServer.h"

#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

const QByteArray successPage("Sign-in received. You can return to Kinoloom.");
const QByteArray failurePage("Sign-in was not completed. Return to Kinoloom and try again.");

// What a raw connection to the callback saw.
struct Exchange
{
    QByteArray reply;
    bool closed = false;
    bool refused = false;
};

// Sends `request` as a browser would, on a fresh connection, then runs `then` once the
// connection has been closed by either side. An empty request only connects (a pre-connect).
std::shared_ptr<Exchange> sendRaw(quint16 port, const QByteArray &request, std::function<void()> then = {})
{
    auto exchange = std::make_shared<Exchange>();
    auto *socket = new QTcpSocket;
    const auto done = [socket, exchange, then] {
        if (exchange->closed)
            return;
        exchange->reply += socket->readAll();
        exchange->closed = true;
        socket->deleteLater();
        if (then)
            then();
    };
    QObject::connect(socket, &QTcpSocket::connected, socket, [socket, request] {
        if (!request.isEmpty())
            socket->write(request);
    });
    QObject::connect(socket, &QTcpSocket::readyRead, socket,
                     [socket, exchange] { exchange->reply += socket->readAll(); });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, done);
    QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [exchange, done](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::ConnectionRefusedError)
            exchange->refused = true;
        done();
    });
    socket->connectToHost(QHostAddress::LocalHost, port);
    return exchange;
}

QByteArray get(const QString &target)
{
    return "GET " + target.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\n\r\n";
}

QByteArray bodyOf(const QByteArray &reply)
{
    return reply.mid(reply.indexOf("\r\n\r\n") + 4);
}

QByteArray contentLength(const QByteArray &reply)
{
    for (const QByteArray &line : reply.left(reply.indexOf("\r\n\r\n")).split('\n')) {
        if (line.startsWith("Content-Length: "))
            return line.mid(16).trimmed();
    }
    return {};
}

// The browser the sign-in opens: keeps the authorisation address and plays a script on it.
struct Browser
{
    QUrl url;
    int opened = 0;
    std::function<void(const QUrl &)> script;

    QUrlQuery query() const { return QUrlQuery(url); }
    QString state() const { return query().queryItemValue(QStringLiteral("state")); }
    quint16 port() const
    {
        return QUrl(query().queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded)).port();
    }
};

} // namespace

class tst_LoopbackLogin : public QObject
{
    Q_OBJECT

    std::unique_ptr<PlatformServer> m_server;
    std::shared_ptr<Browser> m_browser;
    std::shared_ptr<LiveHTTP> m_http;

    std::unique_ptr<LoopbackLogin> login(std::chrono::milliseconds timeout = std::chrono::seconds(30),
                                         bool opens = true)
    {
        ServiceEndpoints endpoints;
        endpoints.token = m_server->base();
        endpoints.api = m_server->base();
        endpoints.authorization = m_server->base();
        const std::shared_ptr<Browser> browser = m_browser;
        const BrowserOpener opener = [browser, opens](const QUrl &url) {
            browser->url = url;
            ++browser->opened;
            if (browser->script)
                QTimer::singleShot(0, [browser, url] { browser->script(url); });
            return opens;
        };
        m_http = std::make_shared<LiveHTTP>();
        return std::make_unique<LoopbackLogin>(YouTubeService(m_http, endpoints), opener, timeout);
    }

    static GoogleCredential client()
    {
        return GoogleCredential{QStringLiteral("client.apps"), QStringLiteral("GOCSPX+secret"), {}, {}, {}};
    }

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<PlatformServer>();
        m_server->setReply(
            "POST", QStringLiteral("/token"),
            CannedReply{200, "{\"access_token\":\"ya29.a\",\"refresh_token\":\"1//r+t\",\"expires_in\":3599}", {}});
        m_server->setReply("GET", QStringLiteral("/youtube/v3/channels"),
                           CannedReply{200, R"({"items":[{"id":"UC7","snippet":{"title":"Kinoloom Films"}}]})", {}});
        m_browser = std::make_shared<Browser>();
    }

    void codeChallengeIsS256()
    {
        QCOMPARE(LoopbackLogin::codeChallenge(QStringLiteral("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk")),
                 QStringLiteral("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"));
    }

    void signsInThroughTheBrowser()
    {
        std::shared_ptr<Exchange> favicon, capital, trailing, wrongState, right;
        Browser *browser = m_browser.get();
        m_browser->script = [&, browser](const QUrl &) {
            const quint16 port = browser->port();
            const QString state = browser->state();
            favicon = sendRaw(port, get(QStringLiteral("/favicon.ico")), [&, port, state] {
                capital = sendRaw(port, get(QStringLiteral("/Callback?code=x&state=") + state), [&, port, state] {
                    trailing = sendRaw(port, get(QStringLiteral("/callback/?code=x&state=") + state), [&, port, state] {
                        wrongState = sendRaw(port, get(QStringLiteral("/callback?code=x&state=0A1B")),
                                             [&, port, state] {
                                                 right = sendRaw(port,
                                                                 get(QStringLiteral("/callback?state=") + state
                                                                     + QStringLiteral("&code=4%2F0Ab%2Bc&scope=x")));
                                             });
                    });
                });
            });
        };
        auto signIn = login();
        const auto outcome = await(signIn->authorize(client()));
        QVERIFY(outcome.value);
        QCOMPARE(*outcome.value,
                 (GoogleCredential{QStringLiteral("client.apps"), QStringLiteral("GOCSPX+secret"),
                                   QStringLiteral("1//r+t"), QStringLiteral("Kinoloom Films"), QStringLiteral("UC7")}));

        // The authorisation address and its nine items.
        const QUrl url = m_browser->url;
        QCOMPARE(m_browser->opened, 1);
        QCOMPARE(url.path(), QStringLiteral("/o/oauth2/v2/auth"));
        const QUrlQuery query = m_browser->query();
        QCOMPARE(query.queryItems().size(), 9);
        const auto item = [&query](const char *name) {
            return query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded);
        };
        QCOMPARE(item("client_id"), QStringLiteral("client.apps"));
        const QString redirect = QStringLiteral("http://127.0.0.1:%1/callback").arg(m_browser->port());
        QCOMPARE(item("redirect_uri"), redirect);
        QCOMPARE(item("response_type"), QStringLiteral("code"));
        QCOMPARE(item("scope"), QStringLiteral("https://www.googleapis.com/auth/youtube.force-ssl"));
        QCOMPARE(item("access_type"), QStringLiteral("offline"));
        QCOMPARE(item("prompt"), QStringLiteral("consent"));
        QCOMPARE(item("state").size(), 36);
        QCOMPARE(item("code_challenge_method"), QStringLiteral("S256"));

        // The code exchange: the same redirect, and the verifier whose challenge the browser saw.
        const QList<RecordedRequest> tokens = m_server->requestsTo(QStringLiteral("/token"));
        QCOMPARE(tokens.size(), 1);
        const QMap<QString, QString> form = tokens.first().form();
        QCOMPARE(form.keys(),
                 (QStringList{QStringLiteral("client_id"), QStringLiteral("client_secret"), QStringLiteral("code"),
                              QStringLiteral("code_verifier"), QStringLiteral("grant_type"),
                              QStringLiteral("redirect_uri")}));
        QCOMPARE(form.value(QStringLiteral("client_secret")), QStringLiteral("GOCSPX+secret"));
        QCOMPARE(form.value(QStringLiteral("code")), QStringLiteral("4/0Ab+c"));
        QCOMPARE(form.value(QStringLiteral("grant_type")), QStringLiteral("authorization_code"));
        QCOMPARE(form.value(QStringLiteral("redirect_uri")), redirect);
        const QString verifier = form.value(QStringLiteral("code_verifier"));
        QCOMPARE(verifier.size(), 72);
        QCOMPARE(item("code_challenge"), LoopbackLogin::codeChallenge(verifier));
        QCOMPARE(m_server->requestsTo(QStringLiteral("/youtube/v3/channels")).value(0).header("Authorization"),
                 QByteArray("Bearer ya29.a"));

        // Other paths are closed without a word; a stranger's state gets the failure page.
        for (const auto &silent : {favicon, capital, trailing}) {
            QVERIFY(silent && silent->closed);
            QCOMPARE(silent->reply, QByteArray());
        }
        QVERIFY(wrongState->reply.startsWith("HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\n"));
        QCOMPARE(bodyOf(wrongState->reply), failurePage);
        QCOMPARE(contentLength(wrongState->reply), QByteArray::number(failurePage.size()));
        QTRY_VERIFY(right->closed);
        QCOMPARE(bodyOf(right->reply), successPage);
        QCOMPARE(contentLength(right->reply), QByteArray::number(successPage.size()));

        // Cancelling afterwards changes nothing: the transport stays usable for the job.
        signIn->cancel();
        QTest::qWait(20);
        QVERIFY(!m_http->isCancelled());
    }

    void declinedOrEmptyCode_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("message");
        QTest::newRow("error without code")
            << QStringLiteral("error=access_denied") << failurePage << QStringLiteral("Google sign-in was declined.");
        QTest::newRow("code item without value")
            << QStringLiteral("code") << failurePage << QStringLiteral("Google sign-in was declined.");
        QTest::newRow("empty code") << QStringLiteral("code=") << successPage << QString();
    }
    void declinedOrEmptyCode()
    {
        QFETCH(QString, query);
        QFETCH(QByteArray, page);
        QFETCH(QString, message);
        std::shared_ptr<Exchange> callback;
        Browser *browser = m_browser.get();
        m_browser->script = [&callback, browser, query](const QUrl &) {
            callback = sendRaw(browser->port(),
                               get(QStringLiteral("/callback?state=%1&%2").arg(browser->state(), query)));
        };
        auto signIn = login();
        const auto outcome = await(signIn->authorize(client()));
        if (message.isEmpty()) {
            QVERIFY(outcome.value);
            QCOMPARE(m_server->requestsTo(QStringLiteral("/token"))
                         .value(0)
                         .form()
                         .value(QStringLiteral("code"), QStringLiteral("absent")),
                     QString());
        } else {
            QCOMPARE(outcome.message<StudioError>(), message);
            QVERIFY(m_server->requests().isEmpty());
        }
        QTRY_VERIFY(callback && callback->closed);
        QCOMPARE(bodyOf(callback->reply), page);
    }

    void tokenReplyWithoutRefreshToken()
    {
        m_server->setReply("POST", QStringLiteral("/token"), CannedReply{200, R"({"access_token":"ya29.a"})", {}});
        Browser *browser = m_browser.get();
        m_browser->script = [browser](const QUrl &) {
            sendRaw(browser->port(), get(QStringLiteral("/callback?code=c&state=") + browser->state()));
        };
        auto signIn = login();
        QCOMPARE(await(signIn->authorize(client())).message<StudioError>(),
                 QStringLiteral("Google did not return the required credentials. Try reconnecting with consent."));
    }

    void timesOut()
    {
        auto signIn = login(std::chrono::milliseconds(200));
        QCOMPARE(await(signIn->authorize(client())).message<StudioError>(),
                 QStringLiteral("Sign-in timed out. Try connecting again."));
        QCOMPARE(m_browser->opened, 1);
    }

    void aBrowserThatCannotOpenEndsAtOnce()
    {
        auto signIn = login(std::chrono::seconds(180), false);
        QCOMPARE(await(signIn->authorize(client())).message<StudioError>(),
                 QStringLiteral("Could not open the browser for sign-in."));
        const auto late = sendRaw(m_browser->port(),
                                  get(QStringLiteral("/callback?code=c&state=") + m_browser->state()));
        QTRY_VERIFY(late->closed);
        QVERIFY(late->refused);
    }

    void cancelBeforeTheWait()
    {
        auto signIn = login();
        signIn->cancel();
        QTest::qWait(10);
        QVERIFY(await(signIn->authorize(client())).failedWith<CancellationError>());
        QCOMPARE(m_browser->opened, 0);

        // A cancel that has not been delivered yet still ends the sign-in, and opens no browser.
        auto other = login();
        other->cancel();
        QVERIFY(await(other->authorize(client())).failedWith<CancellationError>());
        QCOMPARE(m_browser->opened, 0);
    }

    void aCancelInTheSameTurnOpensNoBrowser()
    {
        auto signIn = login();
        QCoro::Task<GoogleCredential> pending = signIn->authorize(client()); // already listening
        signIn->cancel();
        QVERIFY(await(std::move(pending)).failedWith<CancellationError>());
        QCOMPARE(m_browser->opened, 0);
    }

    // Out of descriptors, the listener cannot accept the browser's connection and stops accepting
    // altogether: waiting on would only end at the timeout.
    void anAcceptErrorEndsTheSignInAtOnce()
    {
        rlimit saved = {};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
        int caller = -1;
        Browser *browser = m_browser.get();
        m_browser->script = [&caller, &saved, browser](const QUrl &) {
            caller = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address = {};
            address.sin_family = AF_INET;
            address.sin_port = htons(browser->port());
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            // Completes in the listen backlog; the accept is what needs a new descriptor.
            ::connect(caller, reinterpret_cast<const sockaddr *>(&address), sizeof address);
            const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            ::close(lowestFree);
            rlimit tight = saved;
            tight.rlim_cur = rlim_t(lowestFree);
            ::setrlimit(RLIMIT_NOFILE, &tight);
        };
        auto signIn = login(std::chrono::seconds(20));
        const auto outcome = await(signIn->authorize(client()));
        ::setrlimit(RLIMIT_NOFILE, &saved);
        ::close(caller);
        QCOMPARE(outcome.message<StudioError>().value_or(QString()),
                 QStringLiteral("Could not open the local sign-in callback."));
    }

    void cancelDuringTheWait()
    {
        auto signIn = login();
        LoopbackLogin *raw = signIn.get();
        m_browser->script = [raw](const QUrl &) { raw->cancel(); };
        QVERIFY(await(signIn->authorize(client())).failedWith<CancellationError>());
        const auto late = sendRaw(m_browser->port(),
                                  get(QStringLiteral("/callback?code=c&state=") + m_browser->state()));
        QTRY_VERIFY(late->closed);
        QVERIFY(late->refused);
        QVERIFY(m_server->requests().isEmpty());
    }

    void cancelDuringTheCodeExchange()
    {
        m_server->delayNext(QStringLiteral("/token"), 5000);
        auto signIn = login();
        LoopbackLogin *raw = signIn.get();
        Browser *browser = m_browser.get();
        m_browser->script = [raw, browser](const QUrl &) {
            sendRaw(browser->port(), get(QStringLiteral("/callback?code=c&state=") + browser->state()));
            QTimer::singleShot(300, raw, [raw] { raw->cancel(); });
        };
        QVERIFY(await(signIn->authorize(client())).failedWith<CancellationError>());
        QCOMPARE(m_server->requestsTo(QStringLiteral("/token")).size(), 1);
        QVERIFY(m_http->isCancelled());
    }

    void preConnectionsCloseWithTheSignIn()
    {
        std::shared_ptr<Exchange> idle;
        Browser *browser = m_browser.get();
        m_browser->script = [&idle, browser](const QUrl &) {
            idle = sendRaw(browser->port(), QByteArray());
            QTimer::singleShot(50, [browser] {
                sendRaw(browser->port(), get(QStringLiteral("/callback?code=c&state=") + browser->state()));
            });
        };
        auto signIn = login();
        QVERIFY(await(signIn->authorize(client())).value);
        QTRY_VERIFY(idle && idle->closed);
        QCOMPARE(idle->reply, QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_LoopbackLogin)
#include "tst_LoopbackLogin.moc"
