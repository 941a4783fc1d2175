#include "model/StudioError.h"
#include "services/LiveHTTP.h"
#include "services/YouTubeService.h"
#include "support/Await.h"
#include "support/PlatformServer.h"
#include "support/ScriptedTransport.h"

#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

const QString invalidSettings = QStringLiteral(
    "Enter a title of 1–100 characters, a description under 5,000 bytes, and valid privacy.");
const QString tooManyTags = QStringLiteral("Keep the combined tags under 500 characters.");

PublishSettings settings(const QString &title, const QString &description = QString(), const QString &tags = QString(),
                         const QString &privacy = QStringLiteral("private"))
{
    PublishSettings value;
    value.title = title;
    value.description = description;
    value.tags = tags;
    value.privacy = privacy;
    return value;
}

QString metadataFailure(const PublishSettings &value)
{
    try {
        YouTubeService::metadata(value);
        return QString();
    } catch (const StudioError &error) {
        return error.message();
    }
}

HTTPResponse withRange(const QByteArray &range)
{
    HTTPResponse response;
    response.status = 308;
    if (!range.isNull())
        response.headers.append({"range", range});
    return response;
}

GoogleCredential connected()
{
    return GoogleCredential{QStringLiteral("client.apps"), QStringLiteral("s3cr+t /x"),
                            QStringLiteral("1//refresh+token"), QStringLiteral("Channel"), QStringLiteral("UC1")};
}

} // namespace

class tst_YouTubeService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void metadataLimits_data()
    {
        QTest::addColumn<PublishSettings>("value");
        QTest::addColumn<QString>("failure");
        const QString letters98(98, QLatin1Char('a'));
        QTest::newRow("blank title") << settings(QStringLiteral("  ")) << invalidSettings;
        QTest::newRow("line breaks only") << settings(QStringLiteral("\n\t")) << invalidSettings;
        QTest::newRow("spaces and 98 letters") << settings(QStringLiteral("  ") + letters98) << QString();
        QTest::newRow("101 characters, 100 when trimmed")
            << settings(QStringLiteral(" ") + QString(100, QLatin1Char('a'))) << invalidSettings;
        QString accented;
        for (int i = 0; i < 100; ++i)
            accented += QStringLiteral("e\u0301");
        QTest::newRow("100 accented characters in 200 code units") << settings(accented) << QString();
        QTest::newRow("101 accented characters") << settings(accented + QStringLiteral("e\u0301")) << invalidSettings;
        QTest::newRow("description of 5000 bytes")
            << settings(QStringLiteral("t"), QString(5000, QLatin1Char('d'))) << QString();
        QTest::newRow("description of 5001 bytes")
            << settings(QStringLiteral("t"), QString(5001, QLatin1Char('d'))) << invalidSettings;
        QTest::newRow("2501 two-byte letters")
            << settings(QStringLiteral("t"), QString(2501, QChar(0xE9))) << invalidSettings;
        QTest::newRow("unlisted") << settings(QStringLiteral("t"), {}, {}, QStringLiteral("unlisted")) << QString();
        QTest::newRow("public") << settings(QStringLiteral("t"), {}, {}, QStringLiteral("public")) << QString();
        QTest::newRow("capitalised privacy")
            << settings(QStringLiteral("t"), {}, {}, QStringLiteral("Private")) << invalidSettings;
        QTest::newRow("empty privacy") << settings(QStringLiteral("t"), {}, {}, QString()) << invalidSettings;
        // 100 tags of four letters joined by commas: 499 characters; one more letter makes 500.
        QStringList tags(100, QStringLiteral("abcd"));
        QTest::newRow("tags joined to 499")
            << settings(QStringLiteral("t"), {}, tags.join(QStringLiteral(", "))) << QString();
        tags[0] = QStringLiteral("abcde");
        QTest::newRow("tags joined to 500")
            << settings(QStringLiteral("t"), {}, tags.join(QStringLiteral(" ,"))) << QString();
        tags[1] = QStringLiteral("abcde");
        QTest::newRow("tags joined to 501")
            << settings(QStringLiteral("t"), {}, tags.join(QLatin1Char(','))) << tooManyTags;
    }
    void metadataLimits()
    {
        QFETCH(PublishSettings, value);
        QFETCH(QString, failure);
        QCOMPARE(metadataFailure(value), failure);
    }

    void metadataBody()
    {
        PublishSettings value = settings(QStringLiteral("  My film "), QStringLiteral("Line\n\"two\""),
                                         QStringLiteral(" walk , ,,\tcity\t, a\nb ,x"), QStringLiteral("unlisted"));
        value.madeForKids = true;
        value.thumbnail = QStringLiteral("/tmp/thumb.jpg");
        QCOMPARE(
            YouTubeService::metadata(value),
            QByteArray(
                "{\"snippet\":{\"description\":\"Line\\n\\\"two\\\"\",\"tags\":[\"walk\",\"city\",\"a\\nb\",\"x\"],"
                "\"title\":\"  My film \"},\"status\":{\"privacyStatus\":\"unlisted\",\"selfDeclaredMadeForKids\":true}}"));
        // The same settings give the same bytes: they key the upload session.
        QCOMPARE(YouTubeService::metadata(value), YouTubeService::metadata(value));
        QCOMPARE(
            YouTubeService::metadata(settings(QStringLiteral("t"))),
            QByteArray(
                R"({"snippet":{"description":"","tags":[],"title":"t"},"status":{"privacyStatus":"private","selfDeclaredMadeForKids":false}})"));
    }

    void nextOffset_data()
    {
        QTest::addColumn<QByteArray>("range");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("offset"); // -1: refused
        QTest::newRow("no Range") << QByteArray() << qint64(1000) << qint64(0);
        QTest::newRow("first 100 bytes") << QByteArray("bytes=0-99") << qint64(1000) << qint64(100);
        QTest::newRow("all bytes") << QByteArray("bytes=0-999") << qint64(1000) << qint64(1000);
        QTest::newRow("beyond the file") << QByteArray("bytes=0-1000") << qint64(1000) << qint64(-1);
        QTest::newRow("not from byte 0") << QByteArray("bytes=5-99") << qint64(1000) << qint64(-1);
        QTest::newRow("no end") << QByteArray("bytes=0-") << qint64(1000) << qint64(-1);
        QTest::newRow("negative end") << QByteArray("bytes=0--1") << qint64(1000) << qint64(-1);
        QTest::newRow("not a number") << QByteArray("bytes=0-9x") << qint64(1000) << qint64(-1);
        QTest::newRow("overflow") << QByteArray("bytes=0-99999999999999999999") << qint64(1000) << qint64(-1);
        QTest::newRow("beyond 4 GiB") << QByteArray("bytes=0-4294967296") << qint64(5000000000) << qint64(4294967297);
    }
    void nextOffset()
    {
        QFETCH(QByteArray, range);
        QFETCH(qint64, total);
        QFETCH(qint64, offset);
        try {
            QCOMPARE(YouTubeService::nextOffset(withRange(range), total), offset);
        } catch (const StudioError &error) {
            QCOMPARE(offset, qint64(-1));
            QCOMPARE(error.message(), QStringLiteral("YouTube returned an invalid upload range."));
        }
    }

    void sessionAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("valid");
        QTest::newRow("API host") << QStringLiteral("https://www.googleapis.com/upload/youtube/v3/videos?upload_id=x")
                                  << true;
        QTest::newRow("plain http") << QStringLiteral("http://www.googleapis.com/upload/youtube/v3/videos?upload_id=x")
                                    << false;
        QTest::newRow("other host") << QStringLiteral("https://evil.example.com/upload?upload_id=x") << false;
        QTest::newRow("look-alike host") << QStringLiteral("https://www.googleapis.com.evil.example/upload") << false;
        QTest::newRow("user info") << QStringLiteral("https://user:pw@www.googleapis.com/upload") << false;
        QTest::newRow("user name only") << QStringLiteral("https://user@www.googleapis.com/upload") << false;
        QTest::newRow("default port written out")
            << QStringLiteral("https://www.googleapis.com:443/upload/youtube/v3/videos?upload_id=x") << true;
        QTest::newRow("other port") << QStringLiteral("https://www.googleapis.com:8443/upload") << false;
        QTest::newRow("plain http's port") << QStringLiteral("https://www.googleapis.com:80/upload") << false;
        QTest::newRow("not an address") << QStringLiteral("not a url") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void sessionAddress()
    {
        QFETCH(QString, address);
        QFETCH(bool, valid);
        const YouTubeService service(std::make_shared<ScriptedTransport>());
        bool accepted = true;
        try {
            QCOMPARE(service.validateSession(address), QUrl(address));
        } catch (const StudioError &error) {
            accepted = false;
            QCOMPARE(error.message(), QStringLiteral("The saved upload session URL is invalid."));
        }
        QCOMPARE(accepted, valid);
    }

    void sessionAddressFollowsTheConfiguredApi()
    {
        ServiceEndpoints local;
        local.api = QUrl(QStringLiteral("http://127.0.0.1:4321"));
        const YouTubeService service(std::make_shared<ScriptedTransport>(), local);
        QCOMPARE(service.validateSession(QStringLiteral("http://127.0.0.1:4321/upload?upload_id=1")).port(), 4321);
        QVERIFY_THROWS_EXCEPTION(StudioError, service.validateSession(QStringLiteral("http://127.0.0.1:4322/upload")));
        QVERIFY_THROWS_EXCEPTION(StudioError,
                                 service.validateSession(QStringLiteral("https://www.googleapis.com/upload")));
    }

    void processingState_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("result");
        QTest::newRow("processing status") << QByteArray(
            R"({"items":[{"processingDetails":{"processingStatus":"processing"},"status":{"uploadStatus":"uploaded"}}]})")
                                           << QStringLiteral("YouTube processing: processing");
        QTest::newRow("upload status") << QByteArray(
            R"({"items":[{"processingDetails":{},"status":{"uploadStatus":"uploaded"}}]})")
                                       << QStringLiteral("YouTube processing: uploaded");
        QTest::newRow("non-string status") << QByteArray(R"({"items":[{"processingDetails":{"processingStatus":3}}]})")
                                           << QStringLiteral("YouTube processing: unknown");
        QTest::newRow("nothing known") << QByteArray(R"({"items":[{}]})")
                                       << QStringLiteral("YouTube processing: unknown");
        QTest::newRow("no items") << QByteArray(R"({"items":[]})")
                                  << QStringLiteral("Video status is not available for this account.");
        QTest::newRow("items missing") << QByteArray(R"({})")
                                       << QStringLiteral("Video status is not available for this account.");
    }
    void processingState()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, result);
        auto transport = std::make_shared<ScriptedTransport>();
        transport->reply(200, reply);
        const YouTubeService service(transport);
        const auto outcome = await(service.processingState(QStringLiteral("abc-12"), QStringLiteral("tok")));
        QCOMPARE(outcome.value ? *outcome.value : outcome.message<StudioError>().value_or(QString()), result);
        const HTTPRequest sent = transport->requests.value(0);
        QCOMPARE(
            sent.url.toString(),
            QStringLiteral("https://www.googleapis.com/youtube/v3/videos?part=processingDetails%2Cstatus&id=abc-12"));
    }

    void channel_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("found");
        QTest::newRow("first item") << QByteArray(
            R"({"items":[{"id":"UC1","snippet":{"title":"Mine"}},{"id":"UC2","snippet":{"title":"Other"}}]})")
                                    << true;
        QTest::newRow("no items") << QByteArray(R"({})") << false;
        QTest::newRow("empty items") << QByteArray(R"({"items":[]})") << false;
        QTest::newRow("numeric id") << QByteArray(R"({"items":[{"id":1,"snippet":{"title":"Mine"}}]})") << false;
        QTest::newRow("no snippet") << QByteArray(R"({"items":[{"id":"UC1"}]})") << false;
        QTest::newRow("no title") << QByteArray(R"({"items":[{"id":"UC1","snippet":{}}]})") << false;
    }
    void channel()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, found);
        auto transport = std::make_shared<ScriptedTransport>();
        transport->reply(200, reply);
        const YouTubeService service(transport);
        const auto outcome = await(service.channel(QStringLiteral("tok")));
        if (found) {
            QCOMPARE(outcome.value, (YouTubeChannel{QStringLiteral("UC1"), QStringLiteral("Mine")}));
        } else {
            QCOMPARE(outcome.message<StudioError>(), QStringLiteral("No YouTube channel was found for this account."));
        }
    }

    void everyRequestCarriesTheTimeoutAndToken()
    {
        auto transport = std::make_shared<ScriptedTransport>();
        transport->reply(200, R"({"access_token":"tok"})");
        transport->reply(200, R"({"items":[{"id":"UC1","snippet":{"title":"Mine"}}]})");
        transport->reply(200, R"({"items":[{}]})");
        const YouTubeService service(transport);
        QCOMPARE(await(service.accessToken(connected())).value, QStringLiteral("tok"));
        QVERIFY(await(service.channel(QStringLiteral("tok"))).value);
        QVERIFY(await(service.processingState(QStringLiteral("v"), QStringLiteral("tok"))).value);
        QCOMPARE(transport->requests.size(), 3);
        for (const HTTPRequest &request : std::as_const(transport->requests))
            QCOMPARE(request.timeout, std::chrono::milliseconds(60000));
        QCOMPARE(transport->requests.at(0).header("Authorization"), std::nullopt);
        QCOMPARE(transport->requests.at(1).header("Authorization"), QByteArray("Bearer tok"));
        QCOMPARE(transport->requests.at(1).url.toString(),
                 QStringLiteral("https://www.googleapis.com/youtube/v3/channels?part=snippet&mine=true"));
        QCOMPARE(transport->requests.at(2).header("Authorization"), QByteArray("Bearer tok"));
    }

    void accessTokenFailures()
    {
        auto transport = std::make_shared<ScriptedTransport>();
        const YouTubeService service(transport);
        GoogleCredential clientOnly = connected();
        clientOnly.refreshToken.clear();
        QCOMPARE(await(service.accessToken(clientOnly)).message<StudioError>(),
                 QStringLiteral("Connect a YouTube account in Settings first."));
        QVERIFY(transport->requests.isEmpty());

        transport->reply(200, R"({"access_token":5,"refresh_token":"x"})");
        QCOMPARE(await(service.accessToken(connected())).message<StudioError>(),
                 QStringLiteral("Google did not return an access token. Reconnect your account."));
        transport->reply(400, R"({"error":"invalid_grant"})");
        QCOMPARE(await(service.accessToken(connected())).message<StudioError>(),
                 QStringLiteral(
                     "Service request failed (HTTP 400). Check the account, API access, and connection, then retry."));
    }

    void tokenRequestThroughTheLiveTransport()
    {
        PlatformServer server;
        server.setReply("POST", QStringLiteral("/token"),
                        CannedReply{200, R"({"access_token":"ya29.tok","expires_in":3599})", {}});
        ServiceEndpoints endpoints;
        endpoints.token = server.base();
        const YouTubeService service(std::make_shared<LiveHTTP>(), endpoints);
        QCOMPARE(await(service.accessToken(connected())).value, QStringLiteral("ya29.tok"));

        const RecordedRequest sent = server.requests().value(0);
        QCOMPARE(sent.method, QByteArray("POST"));
        QCOMPARE(sent.path(), QStringLiteral("/token"));
        QCOMPARE(sent.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(sent.header("Authorization"), std::nullopt);
        QCOMPARE(sent.body,
                 QByteArray("client_id=client.apps&client_secret=s3cr%2Bt%20%2Fx&grant_type=refresh_token"
                            "&refresh_token=1%2F%2Frefresh%2Btoken"));
        QCOMPARE(sent.form().value(QStringLiteral("refresh_token")), QStringLiteral("1//refresh+token"));
        QCOMPARE(sent.form().value(QStringLiteral("client_secret")), QStringLiteral("s3cr+t /x"));
    }
};

QTEST_GUILESS_MAIN(tst_YouTubeService)
#include "tst_YouTubeService.moc"
