#include "model/CancellationError.h"
#include "model/StudioError.h"
#include "services/HTTPRequests.h"
#include "services/LiveHTTP.h"
#include "services/NetworkError.h"
#include "services/YouTubeService.h"
#include "support/Await.h"
#include "support/PlatformServer.h"
#include "support/ScriptedTransport.h"

#include <QTcpServer>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace kinoloom;
using namespace kinoloom::test;

using Fields = QMap<QString, QString>;

namespace {

HTTPRequest get(const QUrl &url)
{
    HTTPRequest request;
    request.url = url;
    return request;
}

// Sends and notes when the waiter has resumed, whatever the outcome.
QCoro::Task<HTTPResponse> sendAndMark(std::shared_ptr<LiveHTTP> http, HTTPRequest request, std::shared_ptr<bool> ended)
{
    try {
        HTTPResponse response = co_await http->send(std::move(request));
        *ended = true;
        co_return response;
    } catch (...) {
        *ended = true;
        throw;
    }
}

// Sends, and drops the last owner of the transport when the request fails, as a job that ends
// with its request does.
QCoro::Task<HTTPResponse> sendAndDropOnFailure(std::shared_ptr<LiveHTTP> &owner, HTTPRequest request)
{
    LiveHTTP *http = owner.get();
    try {
        co_return co_await http->send(std::move(request));
    } catch (...) {
        owner.reset();
        throw;
    }
}

} // namespace

class tst_HTTPTransport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formEncoding_data()
    {
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QByteArray>("expected");
        QMap<QString, QString> unsorted;
        unsorted.insert(QStringLiteral("b"), QStringLiteral("2"));
        unsorted.insert(QStringLiteral("a"), QStringLiteral("1"));
        QTest::newRow("sorted by name") << unsorted << QByteArray("a=1&b=2");
        QTest::newRow("plus") << QMap<QString, QString>{{QStringLiteral("s"), QStringLiteral("x+y")}}
                              << QByteArray("s=x%2By");
        QTest::newRow("space") << QMap<QString, QString>{{QStringLiteral("s"), QStringLiteral("x y")}}
                               << QByteArray("s=x%20y");
        QTest::newRow("separators in a value")
            << QMap<QString, QString>{{QStringLiteral("s"), QStringLiteral("a&b=c")}} << QByteArray("s=a%26b%3Dc");
        QTest::newRow("redirect address")
            << QMap<QString, QString>{{QStringLiteral("redirect_uri"), QStringLiteral("http://127.0.0.1:5/callback")}}
            << QByteArray("redirect_uri=http%3A%2F%2F127.0.0.1%3A5%2Fcallback");
        QTest::newRow("non-ASCII, upper-case escapes")
            << QMap<QString, QString>{{QStringLiteral("s"), QStringLiteral("é")}} << QByteArray("s=%C3%A9");
        QTest::newRow("empty map") << QMap<QString, QString>() << QByteArray();
    }
    void formEncoding()
    {
        QFETCH(Fields, fields);
        QFETCH(QByteArray, expected);
        QCOMPARE(formBody(fields), expected);
    }

    void formValuesSurviveFormDecoding()
    {
        // What a server's form decoder reads must be what was sent, "+" and spaces included.
        QMap<QString, QString> fields;
        fields.insert(QStringLiteral("client_secret"), QStringLiteral("GOCSPX-a+b/c=d e~f_g.h*i"));
        fields.insert(QStringLiteral("code"), QStringLiteral("4/0Ab+cd%20"));
        RecordedRequest decoded;
        decoded.body = formBody(fields);
        QCOMPARE(decoded.form(), fields);
    }

    void jsonJudgesStatusAndBody_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("object") << 200 << QByteArray(R"({"a":1})") << QString();
        QTest::newRow("201 is refused")
            << 201 << QByteArray(R"({"a":1})")
            << QStringLiteral(
                   "Service request failed (HTTP 201). Check the account, API access, and connection, then retry.");
        QTest::newRow("404, body not read")
            << 404 << QByteArray("not json")
            << QStringLiteral(
                   "Service request failed (HTTP 404). Check the account, API access, and connection, then retry.");
        QTest::newRow("array") << 200 << QByteArray("[1,2]") << QStringLiteral("The service returned unreadable data.");
        QTest::newRow("not JSON") << 200 << QByteArray("<html>")
                                  << QStringLiteral("The service's reply is not valid JSON");
        QTest::newRow("empty body") << 200 << QByteArray() << QStringLiteral("The service's reply is not valid JSON");
    }
    void jsonJudgesStatusAndBody()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, message);
        auto transport = std::make_shared<ScriptedTransport>();
        transport->reply(status, body);
        const YouTubeService service(transport);
        const auto outcome = await(service.json(get(QUrl(QStringLiteral("https://example.invalid/x")))));
        if (message.isEmpty()) {
            QVERIFY(outcome.value);
            QCOMPARE(outcome.value->value(QStringLiteral("a")).toInt(), 1);
        } else {
            QVERIFY(outcome.message<StudioError>().value_or(QString()).startsWith(message));
        }
    }

    void jsonAcceptsTheGivenStatuses()
    {
        auto transport = std::make_shared<ScriptedTransport>();
        transport->reply(201, R"({"a":1})");
        const YouTubeService service(transport);
        QVERIFY(await(service.json(get(QUrl(QStringLiteral("https://example.invalid/x"))), {200, 201})).value);
    }

    void transportFailurePassesThroughJson()
    {
        auto transport = std::make_shared<ScriptedTransport>();
        transport->fail(QStringLiteral("Could not connect to the server."));
        const YouTubeService service(transport);
        const auto outcome = await(service.json(get(QUrl(QStringLiteral("https://example.invalid/x")))));
        QCOMPARE(outcome.message<StudioError>(), QStringLiteral("Could not connect to the server."));
    }

    void liveReturnsErrorStatusesAsReplies()
    {
        PlatformServer server;
        server.setReply("GET", QStringLiteral("/missing"), CannedReply{404, R"({"error":"gone"})", {}});
        LiveHTTP http;
        const auto outcome = await(http.send(get(server.base().resolved(QUrl(QStringLiteral("/missing"))))));
        QVERIFY(outcome.value);
        QCOMPARE(outcome.value->status, 404);
        QCOMPARE(outcome.value->body, QByteArray(R"({"error":"gone"})"));
    }

    void liveReturnsA308WithItsRange()
    {
        PlatformServer server;
        server.setReply("PUT", QStringLiteral("/session"), CannedReply{308, {}, {{"Range", "bytes=0-99"}}});
        LiveHTTP http;
        HTTPRequest request = get(server.base().resolved(QUrl(QStringLiteral("/session"))));
        request.method = "PUT";
        request.setHeader("Content-Range", "bytes */1000");
        const auto outcome = await(http.send(request));
        QVERIFY(outcome.value);
        QCOMPARE(outcome.value->status, 308);
        QCOMPARE(outcome.value->header("range"), QByteArray("bytes=0-99"));
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(server.requests().first().header("Content-Range"), QByteArray("bytes */1000"));
    }

    void liveSendsMethodHeadersAndBody()
    {
        PlatformServer server;
        server.setReply("POST", QStringLiteral("/token"), CannedReply{200, "{}", {}});
        LiveHTTP http;
        HTTPRequest request = get(server.base().resolved(QUrl(QStringLiteral("/token"))));
        request.method = "POST";
        request.setHeader("Content-Type", "application/x-www-form-urlencoded");
        request.setHeader("Authorization", "Bearer abc");
        request.body = "a=1&b=2";
        QVERIFY(await(http.send(request)).value);
        const RecordedRequest seen = server.requests().value(0);
        QCOMPARE(seen.method, QByteArray("POST"));
        QCOMPARE(seen.body, QByteArray("a=1&b=2"));
        QCOMPARE(seen.header("content-type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(seen.header("Authorization"), QByteArray("Bearer abc"));
    }

    void liveRefusesHeadersThatWouldSplitTheRequest_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("key with CR LF and a header after it")
            << QByteArray("Authorization") << QByteArray("Bearer k\r\nX-Injected: yes");
        QTest::newRow("key pasted with a line feed") << QByteArray("Authorization") << QByteArray("Bearer k\n");
        QTest::newRow("carriage return alone")
            << QByteArray("Authorization") << QByteArray("Bearer k\rX-Injected: yes");
        QTest::newRow("NUL") << QByteArray("Authorization") << QByteArray("Bearer k\0x", 10);
        QTest::newRow("line break in a name") << QByteArray("X-Injected: yes\r\nX-A") << QByteArray("1");
    }
    void liveRefusesHeadersThatWouldSplitTheRequest()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, value);
        PlatformServer server;
        server.setReply("POST", QStringLiteral("/v1/chat/completions"), CannedReply{200, "{}", {}});
        LiveHTTP http;
        HTTPRequest request = get(server.base().resolved(QUrl(QStringLiteral("/v1/chat/completions"))));
        request.method = "POST";
        request.setHeader(name, value);
        request.body = "{}";
        const auto outcome = await(http.send(request));
        QCOMPARE(
            outcome.message<StudioError>(),
            QStringLiteral("The request was not sent: a key or token holds a line break or another control character. "
                           "Save the key again or reconnect the account."));
        QVERIFY(server.requests().isEmpty());
        // A tab is allowed inside a value, and the transport is still usable afterwards.
        HTTPRequest plain = request;
        plain.headers.clear();
        plain.setHeader("Authorization", "Bearer\tk");
        QVERIFY(await(http.send(plain)).value);
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(!server.requests().first().header("X-Injected"));
    }

    void liveReportsARefusedConnection()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        LiveHTTP http;
        const auto outcome = await(http.send(get(QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(port)))));
        QVERIFY(outcome.failedWith<NetworkError>());
        QCOMPARE(outcome.message<StudioError>(), QStringLiteral("Could not connect to the server."));
    }

    void liveReportsATimeout()
    {
        PlatformServer server;
        server.setReply("GET", QStringLiteral("/slow"), CannedReply{200, "{}", {}});
        server.delayNext(QStringLiteral("/slow"), 3000);
        LiveHTTP http;
        HTTPRequest request = get(server.base().resolved(QUrl(QStringLiteral("/slow"))));
        request.timeout = std::chrono::milliseconds(200);
        const auto outcome = await(http.send(request));
        QCOMPARE(outcome.message<NetworkError>(), QStringLiteral("The request timed out."));
    }

    void cancelAbortsTheRequestInFlight()
    {
        PlatformServer server;
        server.setReply("GET", QStringLiteral("/slow"), CannedReply{200, "{}", {}});
        server.delayNext(QStringLiteral("/slow"), 5000);
        auto http = std::make_shared<LiveHTTP>();
        QTimer::singleShot(100, &server, [http] { http->cancel(); });
        const auto outcome = await(http->send(get(server.base().resolved(QUrl(QStringLiteral("/slow"))))));
        QVERIFY(outcome.failedWith<CancellationError>());
        // A cancelled transport stays cancelled: nothing more goes out.
        const qsizetype before = server.requests().size();
        QVERIFY(await(http->send(get(server.base().resolved(QUrl(QStringLiteral("/slow"))))))
                    .failedWith<CancellationError>());
        QCOMPARE(server.requests().size(), before);
    }

    void cancelNeverResumesTheWaiterFromInsideTheCall()
    {
        // Whoever cancels (a job's cancel, the sign-in's cancel) goes on using its own objects
        // after the call; the request's waiter, which may end the job and drop those objects,
        // must only run once the caller is back in the event loop.
        PlatformServer server;
        server.setReply("GET", QStringLiteral("/slow"), CannedReply{200, "{}", {}});
        server.delayNext(QStringLiteral("/slow"), 5000);
        auto http = std::make_shared<LiveHTTP>();
        auto ended = std::make_shared<bool>(false);
        bool endedInsideCancel = true;
        QTimer::singleShot(100, &server, [http, ended, &endedInsideCancel] {
            http->cancel();
            endedInsideCancel = *ended;
        });
        const auto outcome = await(
            sendAndMark(http, get(server.base().resolved(QUrl(QStringLiteral("/slow")))), ended));
        QVERIFY(outcome.failedWith<CancellationError>());
        QVERIFY(*ended);
        QVERIFY(!endedInsideCancel);
    }

    void aCancelledRequestMayDropItsTransport()
    {
        // The waiter resumes while Qt is still inside the reply's abort; the transport, its
        // manager and the reply must not go away under it.
        PlatformServer server;
        server.setReply("GET", QStringLiteral("/slow"), CannedReply{200, "{}", {}});
        server.delayNext(QStringLiteral("/slow"), 5000);
        auto owner = std::make_shared<LiveHTTP>();
        std::weak_ptr<LiveHTTP> transport = owner;
        QTimer::singleShot(100, &server, [transport] {
            if (const auto http = transport.lock())
                http->cancel();
        });
        const auto outcome = await(
            sendAndDropOnFailure(owner, get(server.base().resolved(QUrl(QStringLiteral("/slow"))))));
        QVERIFY(outcome.failedWith<CancellationError>());
        QVERIFY(!owner);
        // What was left for later goes quietly.
        QTest::qWait(50);
    }

    void cancelFromAnotherThread()
    {
        PlatformServer server;
        server.setReply("GET", QStringLiteral("/slow"), CannedReply{200, "{}", {}});
        server.delayNext(QStringLiteral("/slow"), 5000);
        auto http = std::make_shared<LiveHTTP>();
        std::unique_ptr<QThread> canceller(QThread::create([http] {
            QThread::msleep(100);
            http->cancel();
        }));
        canceller->start();
        QVERIFY(await(http->send(get(server.base().resolved(QUrl(QStringLiteral("/slow"))))))
                    .failedWith<CancellationError>());
        canceller->wait();
    }
};

QTEST_GUILESS_MAIN(tst_HTTPTransport)
#include "tst_HTTPTransport.moc"
