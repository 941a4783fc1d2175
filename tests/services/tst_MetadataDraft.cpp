#include "model/StudioError.h"
#include "services/YouTubeService.h"
#include "support/Await.h"
#include "support/ScriptedTransport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

const QString unexpected = QStringLiteral("Metadata generation did not return the expected format.");

// A chat-completions reply whose first choice carries `content`.
QByteArray answer(const QString &content)
{
    QJsonObject message;
    message.insert(QStringLiteral("role"), QStringLiteral("assistant"));
    message.insert(QStringLiteral("content"), content);
    QJsonObject choice;
    choice.insert(QStringLiteral("message"), message);
    QJsonObject reply;
    reply.insert(QStringLiteral("choices"), QJsonArray{choice});
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}

} // namespace

class tst_MetadataDraft : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requestBodyAndHeaders()
    {
        auto transport = std::make_shared<ScriptedTransport>();
        transport->reply(200, answer(QStringLiteral(R"({"description":"A walk.","tags":["walk","city"]})")));
        const YouTubeService service(transport);
        const auto outcome = await(service.generateMetadata(QStringLiteral(" "), QStringLiteral("sk-key")));
        QVERIFY(outcome.value);

        const HTTPRequest sent = transport->requests.value(0);
        QCOMPARE(sent.method, QByteArray("POST"));
        QCOMPARE(sent.url.toString(), QStringLiteral("https://api.openai.com/v1/chat/completions"));
        QCOMPARE(sent.header("Authorization"), QByteArray("Bearer sk-key"));
        QCOMPARE(sent.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(sent.timeout, std::chrono::milliseconds(60000));
        const QJsonObject body = QJsonDocument::fromJson(sent.body).object();
        QCOMPARE(body.size(), 3);
        QCOMPARE(body.value(QStringLiteral("model")).toString(), QStringLiteral("gpt-4o-mini"));
        QCOMPARE(body.value(QStringLiteral("response_format")).toObject(),
                 (QJsonObject{{QStringLiteral("type"), QStringLiteral("json_object")}}));
        const QJsonArray messages = body.value(QStringLiteral("messages")).toArray();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages.at(0).toObject().value(QStringLiteral("role")).toString(), QStringLiteral("system"));
        QCOMPARE(
            messages.at(0).toObject().value(QStringLiteral("content")).toString(),
            QStringLiteral(
                "Return JSON with description (string) and tags (array of strings). Do not claim to have watched the "
                "video. Generate concise YouTube metadata based only on the supplied title."));
        // Nothing is trimmed: a title of one space is sent as it is.
        QCOMPARE(messages.at(1).toObject(),
                 (QJsonObject{{QStringLiteral("role"), QStringLiteral("user")},
                              {QStringLiteral("content"), QStringLiteral(" ")}}));
    }

    void draftFromTheReply_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("tags");
        QTest::newRow("description and tags") << QStringLiteral(R"({"description":"A walk.","tags":["walk","city"]})")
                                              << QStringLiteral("A walk.") << QStringLiteral("walk, city");
        QTest::newRow("tags as one string") << QStringLiteral(R"({"description":"A walk.","tags":"walk, city"})")
                                            << QStringLiteral("A walk.") << QString();
        QTest::newRow("a tag that is a number") << QStringLiteral(R"({"description":"A walk.","tags":["walk",3]})")
                                                << QStringLiteral("A walk.") << QString();
        QTest::newRow("description not text")
            << QStringLiteral(R"({"description":["A"],"tags":["walk"]})") << QString() << QStringLiteral("walk");
        QTest::newRow("empty object") << QStringLiteral("{}") << QString() << QString();
    }
    void draftFromTheReply()
    {
        QFETCH(QString, content);
        QFETCH(QString, description);
        QFETCH(QString, tags);
        auto transport = std::make_shared<ScriptedTransport>();
        transport->reply(200, answer(content));
        const YouTubeService service(transport);
        const auto outcome = await(service.generateMetadata(QStringLiteral("Walk"), QStringLiteral("sk")));
        QVERIFY(outcome.value);
        PublishSettings expected;
        expected.title = QStringLiteral("Walk");
        expected.description = description;
        expected.tags = tags;
        QCOMPARE(*outcome.value, expected); // privacy "private", no thumbnail, not for kids
    }

    void malformedReplies_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("message");
        QTest::newRow("no choices") << 200 << QByteArray("{}") << unexpected;
        QTest::newRow("empty choices") << 200 << QByteArray(R"({"choices":[]})") << unexpected;
        QTest::newRow("choice not an object") << 200 << QByteArray(R"({"choices":["x"]})") << unexpected;
        QTest::newRow("no message") << 200 << QByteArray(R"({"choices":[{"text":"x"}]})") << unexpected;
        QTest::newRow("message not an object") << 200 << QByteArray(R"({"choices":[{"message":"x"}]})") << unexpected;
        QTest::newRow("no content") << 200 << QByteArray(R"({"choices":[{"message":{"role":"assistant"}}]})")
                                    << unexpected;
        QTest::newRow("content not text")
            << 200 << QByteArray(R"({"choices":[{"message":{"content":{"a":1}}}]})") << unexpected;
        QTest::newRow("content an array") << 200 << answer(QStringLiteral("[1]")) << unexpected;
        QTest::newRow("content not JSON")
            << 200 << answer(QStringLiteral("Here you go")) << QStringLiteral("The service's reply is not valid JSON");
        QTest::newRow("reply not JSON") << 200 << QByteArray("<html>")
                                        << QStringLiteral("The service's reply is not valid JSON");
        QTest::newRow("reply an array") << 200 << QByteArray("[]")
                                        << QStringLiteral("The service returned unreadable data.");
        QTest::newRow("unauthorised")
            << 401 << QByteArray("{}")
            << QStringLiteral(
                   "Service request failed (HTTP 401). Check the account, API access, and connection, then retry.");
    }
    void malformedReplies()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        auto transport = std::make_shared<ScriptedTransport>();
        transport->reply(status, reply);
        const YouTubeService service(transport);
        const auto outcome = await(service.generateMetadata(QStringLiteral("Walk"), QStringLiteral("sk")));
        QVERIFY(outcome.message<StudioError>().value_or(QString()).startsWith(message));
    }

    void needsATitleAndAKey()
    {
        auto transport = std::make_shared<ScriptedTransport>();
        const YouTubeService service(transport);
        const QString message = QStringLiteral("Enter a title and save an OpenAI key in Settings.");
        QCOMPARE(await(service.generateMetadata(QString(), QStringLiteral("sk"))).message<StudioError>(), message);
        QCOMPARE(await(service.generateMetadata(QStringLiteral("Walk"), QString())).message<StudioError>(), message);
        QVERIFY(transport->requests.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_MetadataDraft)
#include "tst_MetadataDraft.moc"
