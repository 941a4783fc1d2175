#include "fixture/OpenProject.h"
#include "fixture/PublishingFixture.h"
#include "model/ProjectStore.h"
#include "session/StudioModel.h"
#include "support/MediaFixtures.h"
#include "support/PlatformServer.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

// Automated runs that upload, with the real keyring and the local server playing the platform;
// the pipeline renders small files in no time.
namespace {

const QString uploadPath = QStringLiteral("/upload/youtube/v3/videos");

PublishSettings publishing()
{
    PublishSettings publish;
    publish.title = QStringLiteral("Walk in the city");
    publish.tags = QStringLiteral("walk, city");
    return publish;
}

AutomationOptions uploadRun()
{
    AutomationOptions options;
    options.validateClips = false;
    options.automaticHooks = true;
    options.makeShort = true;
    options.upload = true;
    return options;
}

} // namespace

class tst_AutomatedUpload : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_sources;
    MediaFixtures m_media{m_sources.path()};
    std::unique_ptr<PlatformServer> m_server;
    std::unique_ptr<OpenProject> m_open;

    StudioModel &model() { return *m_open->model; }

    bool checkChannel()
    {
        model().checkAutomationChannel();
        return QTest::qWaitFor([this] { return !model().busy(); }, 30000) && model().job().phase == JobPhase::completed;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(!m_media.clip().isEmpty()); }

    void init()
    {
        clearKeyring();
        storeGoogle(connectedAccount());
        m_server = std::make_unique<PlatformServer>();
        replyAsGoogle(*m_server);
        const QUrl base = m_server->base();
        const MediaAsset clip = MediaAsset::create(m_media.clip(), QStringLiteral("clip.mp4"), 2, 320, 180, 30, true,
                                                   false);
        m_open = std::make_unique<OpenProject>(QList<MediaAsset>{clip}, [base](StudioEnvironment &environment) {
            environment.endpoints.token = base;
            environment.endpoints.authorization = base;
            environment.endpoints.api = base;
        });
        m_open->home.pipelines->exportFolder = m_open->home.path(QStringLiteral("Exports"));
    }
    void cleanup()
    {
        m_open.reset();
        m_server.reset();
    }
    void cleanupTestCase() { clearKeyring(); }

    void theDestinationCheckFindsTheChannel()
    {
        QVERIFY(checkChannel());
        QCOMPARE(model().job().stage, QStringLiteral("Completed"));
        QCOMPARE(model().automationChannelID(), QStringLiteral("UC7"));
        QCOMPARE(model().automationChannelName(), QStringLiteral("Kinoloom Films"));
        QCOMPARE(model().account(), QStringLiteral("Kinoloom Films"));

        // A failed check leaves nothing to start an upload run with.
        clearKeyring();
        model().checkAutomationChannel();
        QTRY_VERIFY(!model().busy());
        QCOMPARE(model().job().phase, JobPhase::failed);
        QCOMPARE(model().automationChannelID(), QString());
        QCOMPARE(model().automationChannelName(), QString());
    }

    void anUploadRunUploadsFilmAndShort()
    {
        QVERIFY(checkChannel());
        QStringList stages;
        connect(&model(), &StudioModel::jobChanged, this, [this, &stages] {
            if (model().job().stage.startsWith(QLatin1String("Uploading"))
                && (stages.isEmpty() || stages.constLast() != model().job().stage))
                stages.append(model().job().stage);
        });
        model().automate(uploadRun(), publishing());
        QTRY_VERIFY_WITH_TIMEOUT(!model().busy(), 60000);
        QVERIFY2(model().job().phase == JobPhase::completed, qPrintable(model().job().stage + model().job().log));
        QCOMPARE(stages, (QStringList{"Uploading 1080p movie", "Uploading Short"}));
        QCOMPARE(m_server->sessionsCreated(), 2);
        QVERIFY(model().job().log.endsWith(QStringLiteral("Automated run completed: 2 export(s) uploaded.\n")));
        QCOMPARE(model().workspace(), Workspace::publish);
        // Each upload's outcome is in the project file; the run's publish settings went with it.
        const StudioProject saved = ProjectStore::open(m_open->folder);
        QCOMPARE(saved.exports.size(), 2);
        for (const ExportRecord &record : saved.exports)
            QCOMPARE(record.videoID, std::optional(m_server->videoID()));
        QCOMPARE(model().project().publish.title, publishing().title);
        // An upload is never repeated behind the user's back.
        QVERIFY(!model().canRetry());
    }

    void aChangedChannelStopsBeforeTheFirstUpload()
    {
        QVERIFY(checkChannel());
        m_server->setReply("GET", QStringLiteral("/youtube/v3/channels"),
                           CannedReply{200, R"({"items":[{"id":"UC9","snippet":{"title":"Other"}}]})", {}});
        model().automate(uploadRun(), publishing());
        QTRY_VERIFY_WITH_TIMEOUT(!model().busy(), 60000);
        QCOMPARE(model().job().phase, JobPhase::failed);
        QCOMPARE(model().job().stage, QStringLiteral("Failed at Uploading 1080p movie"));
        QCOMPARE(model().error(),
                 std::optional<QString>("The connected channel changed. Review the completed "
                                        "export in Publish before uploading."));
        QVERIFY(m_server->requestsTo(uploadPath).isEmpty());
        // The exports are kept for an upload from Publish.
        const StudioProject saved = ProjectStore::open(m_open->folder);
        QCOMPARE(saved.exports.size(), 2);
        QCOMPARE(saved.exports.constFirst().videoID, std::nullopt);
        QVERIFY(!model().canRetry());
    }
};

QTEST_MAIN(tst_AutomatedUpload)
#include "tst_AutomatedUpload.moc"
