#include "fixture/PublishingFixture.h"
#include "fixture/StudioHome.h"
#include "model/ProjectStore.h"
#include "model/StudioError.h"
#include "services/Vault.h"
#include "session/SecretStore.h"
#include "session/StudioModel.h"
#include "support/PlatformServer.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

const QString shapeMessage = QStringLiteral("Select a Google OAuth Desktop client JSON with an installed section.");

// The real keyring, except that it refuses to remove anything, as a locked collection does.
class RefusingVault final : public SecretStore
{
public:
    void save(const QByteArray &data, const QString &key) override { Vault::save(data, key); }
    std::optional<QByteArray> read(const QString &key) override { return Vault::read(key); }
    void remove(const QString &) override { throw StudioError(QStringLiteral("Keyring access was denied.")); }
};

} // namespace

// The Google account (client file, browser sign-in, disconnect) and the OpenAI key of the
// metadata draft, with the real keyring and a local server in place of the services.
class tst_PublishingAccounts : public QObject
{
    Q_OBJECT

    std::unique_ptr<StudioHome> m_home;
    std::unique_ptr<PlatformServer> m_server;
    std::shared_ptr<Browser> m_browser;

    std::unique_ptr<StudioModel> session(std::shared_ptr<SecretStore> vault = {})
    {
        m_home->useServices(m_server->base());
        m_home->openBrowser = openerFor(m_browser);
        StudioEnvironment environment = m_home->environment();
        if (vault)
            environment.vault = std::move(vault);
        return std::make_unique<StudioModel>(std::move(environment));
    }

    QString clientFile(const QByteArray &content)
    {
        const QString path = m_home->path(QStringLiteral("client.json"));
        if (!content.isNull())
            writeFile(path, content);
        m_home->panels->openAnswers.append(QStringList{path});
        return path;
    }

private Q_SLOTS:
    void init()
    {
        clearKeyring();
        m_home = std::make_unique<StudioHome>();
        m_server = std::make_unique<PlatformServer>();
        replyAsGoogle(*m_server);
        m_browser = std::make_shared<Browser>();
    }
    void cleanupTestCase() { clearKeyring(); }

    void importRefusesClientFilesOfAnotherShape_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::addColumn<QString>("message"); // how the message begins
        QTest::newRow("not JSON") << QByteArray("{\"installed\": {\"client_id\": \"a\"")
                                  << QStringLiteral("“client.json” is not valid JSON");
        QTest::newRow("empty file") << QByteArray("") << QStringLiteral("“client.json” is empty.");
        QTest::newRow("no file") << QByteArray() << QStringLiteral("Could not read");
        QTest::newRow("an array") << QByteArray(R"([{"installed":{"client_id":"a","client_secret":"b"}}])")
                                  << shapeMessage;
        QTest::newRow("web client, no installed")
            << QByteArray(R"({"web":{"client_id":"a","client_secret":"b"}})") << shapeMessage;
        QTest::newRow("installed not an object") << QByteArray(R"({"installed":"a"})") << shapeMessage;
        QTest::newRow("no client_secret") << QByteArray(R"({"installed":{"client_id":"a"}})") << shapeMessage;
        QTest::newRow("a number as secret")
            << QByteArray(R"({"installed":{"client_id":"a","client_secret":42}})") << shapeMessage;
    }
    void importRefusesClientFilesOfAnotherShape()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        storeGoogle(connectedAccount());
        const auto model = session();
        model->setAccount(QStringLiteral("Kinoloom Films"));
        clientFile(content);
        model->importOAuthClient();
        QVERIFY2(model->error().value_or(QString()).startsWith(message), qPrintable(model->error().value_or("none")));
        QCOMPARE(storedGoogle(), std::optional(connectedAccount().data()));
        QCOMPARE(model->account(), QStringLiteral("Kinoloom Films"));
    }

    void importStoresTheClientAndForgetsTheAccount()
    {
        storeGoogle(connectedAccount());
        const auto model = session();
        model->importOAuthClient(); // the panel is cancelled
        QCOMPARE(storedGoogle(), std::optional(connectedAccount().data()));
        QCOMPARE(model->account(), QStringLiteral("Not connected"));

        // As Google Cloud writes it. (Plain literals: moc reads "//" in a raw string as a comment.)
        clientFile("{\"installed\":{\"client_id\":\"client.apps\",\"project_id\":\"kinoloom-1\","
                   "\"auth_uri\":\"https://accounts.google.com/o/oauth2/auth\",\"client_secret\":\"GOCSPX+secret\","
                   "\"redirect_uris\":[\"http://localhost\"]}}");
        model->importOAuthClient();
        QCOMPARE(model->error(), std::nullopt);
        QCOMPARE(GoogleCredential::fromData(storedGoogle().value()), importedClient());
        QCOMPARE(model->account(), QStringLiteral("Client imported · connect account"));
        const OpenPanel panel = m_home->panels->opened.constLast();
        QCOMPARE(panel.message,
                 QStringLiteral("Select the Desktop OAuth client JSON downloaded from Google Cloud. It will be stored "
                                "in the keyring."));
        QCOMPARE(panel.nameFilters, QStringList{QStringLiteral("JSON (*.json)")});
        QVERIFY(!panel.directories && !panel.allowsMultipleSelection);
    }

    void connectAccountStoresTheChannel()
    {
        storeGoogle(importedClient());
        const auto model = session();
        model->connectAccount();
        QCOMPARE(model->job().stage, QStringLiteral("Waiting for browser sign-in"));
        QTRY_COMPARE(model->job().phase, JobPhase::completed);
        QCOMPARE(model->error(), std::nullopt); // no project open, and no complaint about saving
        QCOMPARE(GoogleCredential::fromData(storedGoogle().value()), connectedAccount());
        QCOMPARE(model->account(), QStringLiteral("Kinoloom Films"));
        QCOMPARE(m_browser->opened.size(), 1);
        const QList<RecordedRequest> tokens = m_server->requestsTo(QStringLiteral("/token"));
        QCOMPARE(tokens.size(), 1);
        QCOMPARE(tokens.first().form().value(QStringLiteral("code")), QStringLiteral("4/0Ab"));
        QCOMPARE(tokens.first().form().value(QStringLiteral("client_secret")), QStringLiteral("GOCSPX+secret"));
    }

    void cancelDuringTheWaitClosesTheListener()
    {
        storeGoogle(importedClient());
        m_browser->follows = false;
        const auto model = session();
        model->connectAccount();
        QTRY_COMPARE(m_browser->opened.size(), 1);
        model->cancel();
        QTRY_COMPARE(model->job().phase, JobPhase::cancelled);
        QCOMPARE(model->job().stage, QStringLiteral("Cancelled — completed work is preserved"));
        QCOMPARE(model->error(), std::nullopt);
        QVERIFY(refusesConnections(m_browser->redirectPort()));
        QCOMPARE(GoogleCredential::fromData(storedGoogle().value()), importedClient());
        QVERIFY(m_server->requests().isEmpty());
    }

    void failedSignInKeepsItsOwnMessage_data()
    {
        QTest::addColumn<bool>("clientStored");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("tokenStatus");
        QTest::addColumn<QString>("message");
        QTest::newRow("no client imported")
            << false << QStringLiteral("code=c") << 200
            << QStringLiteral("Import a Google Desktop OAuth client and connect your account in Settings.");
        QTest::newRow("declined") << true << QStringLiteral("error=access_denied") << 200
                                  << QStringLiteral("Google sign-in was declined.");
        QTest::newRow("code refused")
            << true << QStringLiteral("code=c") << 400
            << QStringLiteral("Service request failed (HTTP 400). Check the account, API access, and connection, then "
                              "retry.");
    }
    void failedSignInKeepsItsOwnMessage()
    {
        QFETCH(bool, clientStored);
        QFETCH(QString, answer);
        QFETCH(int, tokenStatus);
        QFETCH(QString, message);
        if (clientStored)
            storeGoogle(importedClient());
        m_browser->answer = answer;
        if (tokenStatus != 200)
            m_server->setReply("POST", QStringLiteral("/token"), CannedReply{tokenStatus, R"({"error":"x"})", {}});
        const auto model = session();
        model->connectAccount();
        QTRY_COMPARE(model->job().phase, JobPhase::failed);
        QCOMPARE(model->job().stage, QStringLiteral("Failed at Waiting for browser sign-in"));
        QCOMPARE(model->error(), std::optional(message));
        QCOMPARE(model->account(), QStringLiteral("Not connected"));
        QCOMPARE(storedGoogle(), clientStored ? std::optional(importedClient().data()) : std::nullopt);
    }

    void disconnectForgetsClientAndAccount()
    {
        storeGoogle(importedClient());
        m_browser->follows = false;
        const auto model = session();
        model->setAccount(QStringLiteral("Kinoloom Films"));
        model->connectAccount();
        model->disconnect(); // a job is busy
        QVERIFY(storedGoogle());
        model->cancel();
        QTRY_VERIFY(!model->busy());

        model->disconnect();
        QCOMPARE(storedGoogle(), std::nullopt);
        QCOMPARE(model->account(), QStringLiteral("Not connected"));
        QCOMPARE(model->error(), std::nullopt);
    }

    void disconnectWhoseRemovalFailsKeepsTheAccount()
    {
        storeGoogle(connectedAccount());
        const auto model = session(std::make_shared<RefusingVault>());
        model->setAccount(QStringLiteral("Kinoloom Films"));
        model->disconnect();
        QCOMPARE(model->error(), std::optional(QStringLiteral("Keyring access was denied.")));
        QCOMPARE(model->account(), QStringLiteral("Kinoloom Films"));
        QCOMPARE(storedGoogle(), std::optional(connectedAccount().data()));
    }

    void metadataDraftNeedsAReadableKey_data()
    {
        QTest::addColumn<QByteArray>("key"); // null: none stored
        QTest::newRow("no key") << QByteArray();
        QTest::newRow("not UTF-8") << QByteArray("sk-\xff\xfe");
    }
    void metadataDraftNeedsAReadableKey()
    {
        QFETCH(QByteArray, key);
        if (!key.isNull())
            Vault::save(key, QStringLiteral("openai"));
        const auto model = session();
        model->generateMetadata();
        QTRY_COMPARE(model->job().phase, JobPhase::failed);
        QCOMPARE(model->error(), std::optional(QStringLiteral("Save an OpenAI API key in Settings first.")));
        QVERIFY(m_server->requests().isEmpty());
        QVERIFY(!model->showMetadataDraft());
    }

    void metadataDraftLeavesThePublishSettings()
    {
        Vault::save("sk-test", QStringLiteral("openai"));
        QJsonObject content;
        content.insert(QStringLiteral("description"), QStringLiteral("A walk through the old town."));
        content.insert(QStringLiteral("tags"), QJsonArray{QStringLiteral("walk"), QStringLiteral("city")});
        QJsonObject message;
        message.insert(QStringLiteral("content"),
                       QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact)));
        QJsonObject choice;
        choice.insert(QStringLiteral("message"), message);
        QJsonObject reply;
        reply.insert(QStringLiteral("choices"), QJsonArray{choice});
        m_server->setReply("POST", QStringLiteral("/v1/chat/completions"),
                           CannedReply{200, QJsonDocument(reply).toJson(QJsonDocument::Compact), {}});

        const auto model = session();
        const QString folder = m_home->createProject(QStringLiteral("Walk"));
        model->activate(ProjectStore::open(folder), folder);
        model->editProject([](StudioProject &project) {
            project.publish.title = QStringLiteral("Walk in the city");
            project.publish.privacy = QStringLiteral("unlisted");
        });
        const PublishSettings before = model->project().publish;
        model->generateMetadata();
        QTRY_COMPARE(model->job().phase, JobPhase::completed);
        QVERIFY(model->showMetadataDraft());
        PublishSettings expected;
        expected.title = QStringLiteral("Walk in the city");
        expected.description = QStringLiteral("A walk through the old town.");
        expected.tags = QStringLiteral("walk, city");
        QCOMPARE(model->metadataDraft(), expected);
        QCOMPARE(model->project().publish, before);
        const RecordedRequest request = m_server->requestsTo(QStringLiteral("/v1/chat/completions")).value(0);
        QCOMPARE(request.header("Authorization"), QByteArray("Bearer sk-test"));
    }
};

QTEST_MAIN(tst_PublishingAccounts)
#include "tst_PublishingAccounts.moc"
