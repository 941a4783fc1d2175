#include "fixture/PublishingFixture.h"
#include "fixture/StudioHome.h"
#include "model/ProjectStore.h"
#include "model/SoftwareSettingsStore.h"
#include "model/StudioError.h"
#include "services/YouTubeService.h"
#include "session/StudioModel.h"
#include "support/FailureText.h"
#include "support/PlatformServer.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

const QString uploadPath = QStringLiteral("/upload/youtube/v3/videos");
constexpr qint64 movieSize = 20000000;
constexpr qint64 chunk = YouTubeService::uploadChunkSize;
// Milliseconds. Hashing and sending the 20 MB film through the local server once took 7 s under
// the sanitizers on a loaded machine, past QTRY's own 5 s.
constexpr int uploadWait = 60000;

std::optional<ExportRecord> storedExport(const QString &folder, const QUuid &id)
{
    for (const ExportRecord &record : ProjectStore::open(folder).exports) {
        if (record.id == id)
            return record;
    }
    return std::nullopt;
}

} // namespace

// Review, confirmation and the resumable upload of a real session, with the real keyring and
// the local server playing the platform: its bookkeeping is in the project file before each step.
class tst_PublishingUpload : public QObject
{
    Q_OBJECT

    QTemporaryDir m_media;
    QByteArray m_movie;
    QString m_moviePath;

    std::unique_ptr<StudioHome> m_home;
    std::unique_ptr<PlatformServer> m_server;
    QString m_folder;
    ExportRecord m_preview;
    ExportRecord m_short;
    ExportRecord m_film;
    PublishSettings m_publish;

    // A session that opened the project; the film, the last export, is selected.
    std::unique_ptr<StudioModel> openSession()
    {
        auto model = std::make_unique<StudioModel>(m_home->environment());
        model->activate(ProjectStore::open(m_folder), m_folder);
        return model;
    }

    void select(StudioModel &model, const ExportRecord &record) { model.setExportSelection(record.id); }

    // Reviews and confirms the selected export; the upload job is then queued.
    bool reviewAndConfirm(StudioModel &model)
    {
        model.reviewUpload();
        if (!QTest::qWaitFor([&model] { return !model.busy(); }, 30000) || !model.showUploadReview())
            return false;
        model.confirmUpload();
        return model.busy();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_movie.resize(movieSize);
        QRandomGenerator(11).fillRange(reinterpret_cast<quint32 *>(m_movie.data()), movieSize / 4);
        m_moviePath = m_media.filePath(QStringLiteral("Walk-4K.mp4"));
        QVERIFY(writeFile(m_moviePath, m_movie));
    }

    void init()
    {
        clearKeyring();
        storeGoogle(connectedAccount());
        m_server = std::make_unique<PlatformServer>();
        replyAsGoogle(*m_server);
        m_home = std::make_unique<StudioHome>();
        m_home->useServices(m_server->base());

        m_folder = m_home->createProject(QStringLiteral("Walk"));
        const QString shortPath = m_home->path(QStringLiteral("Walk/Exports/Walk-Short.mp4"));
        QVERIFY(writeFile(shortPath, m_movie.left(1000)));
        m_preview = ExportRecord::create(QStringLiteral("Preview"), shortPath, 2);
        m_short = ExportRecord::create(QStringLiteral("Short"), shortPath, 2);
        m_film = ExportRecord::create(QStringLiteral("4K movie"), m_moviePath, 60);
        StudioProject project = ProjectStore::open(m_folder);
        project.exports = {m_preview, m_short, m_film};
        ProjectStore::save(project, m_folder);
        // As every session reads them back.
        project = ProjectStore::open(m_folder);
        m_preview = project.exports.at(0);
        m_short = project.exports.at(1);
        m_film = project.exports.at(2);

        // The publish settings are application-wide: every session that opens the project has them.
        SoftwareSettings settings;
        settings.publish.title = QStringLiteral("Walk in the city");
        settings.publish.tags = QStringLiteral("walk, city");
        settings.publish.privacy = QStringLiteral("unlisted");
        SoftwareSettingsStore::save(settings, m_home->dataFolder());
        m_publish = settings.publish;
    }
    void cleanupTestCase() { clearKeyring(); }

    void reviewChecksTheExport_data()
    {
        QTest::addColumn<QString>("which"); // "none", "preview", "short", "uploaded"
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("outcome"); // empty: nothing happens; "review"; or the failure
        const QString title = QStringLiteral("Walk in the city");
        QTest::newRow("nothing selected") << QStringLiteral("none") << title << QString();
        QTest::newRow("preview") << QStringLiteral("preview") << title << QString();
        QTest::newRow("short") << QStringLiteral("short") << title << QStringLiteral("review");
        QTest::newRow("already uploaded") << QStringLiteral("uploaded") << title
                                          << QStringLiteral("This export is already uploaded. Open its YouTube link.");
        QTest::newRow("blank title") << QStringLiteral("short") << QStringLiteral("  ")
                                     << QStringLiteral("Enter a title of 1–100 characters, a description under 5,000 "
                                                       "bytes, and valid privacy.");
    }
    void reviewChecksTheExport()
    {
        QFETCH(QString, which);
        QFETCH(QString, title);
        QFETCH(QString, outcome);
        const auto model = openSession();
        model->editProject([&title](StudioProject &project) { project.publish.title = title; });
        ExportRecord chosen = which == QLatin1String("preview") ? m_preview : m_short;
        if (which == QLatin1String("uploaded")) {
            chosen.videoID = QStringLiteral("vid-earlier");
            model->editProject([&chosen](StudioProject &project) { project.exports[1] = chosen; });
        }
        model->setExportSelection(which == QLatin1String("none") ? std::nullopt : std::optional(chosen.id));
        model->reviewUpload();

        if (outcome.isEmpty()) {
            QCOMPARE(model->job().phase, JobPhase::idle);
            QTest::qWait(50);
            QCOMPARE(model->job().phase, JobPhase::idle);
            QVERIFY(m_server->requests().isEmpty());
            return;
        }
        QCOMPARE(model->job().stage, QStringLiteral("Checking upload details"));
        QTRY_VERIFY(!model->busy());
        if (outcome != QLatin1String("review")) {
            QCOMPARE(model->job().phase, JobPhase::failed);
            QCOMPARE(model->error(), std::optional(outcome));
            QVERIFY(!model->showUploadReview());
            QVERIFY(m_server->requests().isEmpty()); // refused before asking for a token
            return;
        }
        QCOMPARE(model->job().phase, JobPhase::completed);
        QVERIFY(model->showUploadReview());
        QCOMPARE(model->reviewToken(), std::optional(QStringLiteral("ya29.a")));
        QCOMPARE(model->reviewedPublish(), std::optional(model->project().publish));
        QCOMPARE(model->reviewedExport(), std::optional(m_short));
        QCOMPARE(model->reviewedChannelID(), QStringLiteral("UC7"));
        QCOMPARE(model->account(), QStringLiteral("Kinoloom Films"));
        QVERIFY(m_server->requestsTo(uploadPath).isEmpty()); // nothing goes up before the confirmation
    }

    void confirmAfterDismissDoesNothing()
    {
        const auto model = openSession();
        select(*model, m_short);
        model->reviewUpload();
        QTRY_VERIFY(model->showUploadReview());
        model->dismissUploadReview();
        QVERIFY(!model->showUploadReview());
        QCOMPARE(model->reviewToken(), std::nullopt);
        QCOMPARE(model->reviewedPublish(), std::nullopt);
        QCOMPARE(model->reviewedExport(), std::nullopt);
        QCOMPARE(model->reviewedChannelID(), QStringLiteral("UC7"));
        const JobProgress reviewed = model->job();
        model->confirmUpload();
        QCOMPARE(model->job(), reviewed);
        QTest::qWait(50);
        QVERIFY(m_server->requestsTo(uploadPath).isEmpty());
    }

    void aDroppedConnectionResumesTheSavedSession()
    {
        const auto model = openSession();
        QList<double> fractions;
        connect(model.get(), &StudioModel::jobChanged, this, [&] {
            if (model->job().fraction)
                fractions.append(*model->job().fraction);
        });
        const qint64 kept = 1234567;
        m_server->cutChunksAfter(kept, 1); // the second chunk dies part way
        QVERIFY(reviewAndConfirm(*model));
        QCOMPARE(model->job().stage, QStringLiteral("Uploading to YouTube"));
        QTRY_COMPARE_WITH_TIMEOUT(model->job().phase, JobPhase::failed, uploadWait);
        QCOMPARE(model->job().stage, QStringLiteral("Failed at Uploading to YouTube"));
        QVERIFY(model->error());
        QVERIFY(fractions.contains(double(chunk) / double(movieSize)));

        // The project file holds what the next attempt needs.
        const ExportRecord saved = storedExport(m_folder, m_film.id).value();
        QCOMPARE(saved.uploadState, QStringLiteral("Session created"));
        QVERIFY(saved.uploadSession->startsWith(m_server->base().toString() + uploadPath));
        QCOMPARE(saved.uploadFingerprint.value_or(QString()).size(), 64);
        QCOMPARE(saved.videoID, std::nullopt);
        QCOMPARE(m_server->uploaded().size(), chunk + kept);

        m_server->cutChunksAfter(-1);
        const qint64 receivedBefore = m_server->chunkBytesReceived();
        const qint64 duplicatesBefore = m_server->duplicateBytesReceived();
        const qsizetype requestsBefore = m_server->requests().size();
        QVERIFY(reviewAndConfirm(*model));
        QTRY_COMPARE_WITH_TIMEOUT(model->job().phase, JobPhase::completed, uploadWait);
        QCOMPARE(m_server->sessionsCreated(), 1);
        QVERIFY(m_server->uploaded() == m_movie);
        // Only the bytes the server did not have travelled again.
        QCOMPARE(m_server->chunkBytesReceived() - receivedBefore, movieSize - chunk - kept);
        QCOMPARE(m_server->duplicateBytesReceived(), duplicatesBefore);
        const QList<RecordedRequest> resumed = m_server->requests().mid(requestsBefore);
        QCOMPARE(resumed.at(2).header("Content-Range"), QByteArray("bytes */20000000")); // after token, channel

        const ExportRecord done = storedExport(m_folder, m_film.id).value();
        QCOMPARE(done.videoID, m_server->videoID());
        QCOMPARE(done.uploadState, QStringLiteral("Video created · processing not checked"));
        QCOMPARE(done.uploadSession, saved.uploadSession);
        QCOMPARE(model->selectedExport(), done);
    }

    void aCancelledUploadResumesTheSavedSession()
    {
        const auto model = openSession();
        select(*model, m_short);
        m_server->delayNext(uploadPath, 60000, 2); // the only chunk is read, its reply held back
        QVERIFY(reviewAndConfirm(*model));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->chunkBytesReceived(), 1000, uploadWait);
        model->cancel();
        // The request in flight is given up at once, not at the reply.
        QTRY_COMPARE(model->job().phase, JobPhase::cancelled);
        QCOMPARE(model->error(), std::nullopt);
        const ExportRecord saved = storedExport(m_folder, m_short.id).value();
        QCOMPARE(saved.uploadState, QStringLiteral("Session created"));

        // The server has every byte: the status query finds the video, nothing is sent again.
        QVERIFY(reviewAndConfirm(*model));
        QTRY_COMPARE_WITH_TIMEOUT(model->job().phase, JobPhase::completed, uploadWait);
        QCOMPARE(m_server->sessionsCreated(), 1);
        QCOMPARE(m_server->chunkBytesReceived(), 1000);
        const ExportRecord done = storedExport(m_folder, m_short.id).value();
        QCOMPARE(done.videoID, m_server->videoID());
        QCOMPARE(done.uploadSession, saved.uploadSession);
    }

    // A session killed in the middle of an upload saved nothing at its end: what the next session
    // finds in the project file was written before the upload went on.
    void aKilledSessionIsResumedByTheNextOne()
    {
        m_server->delayNext(uploadPath, 300000, 3); // the second chunk is read but never answered
        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper.start(QStringLiteral(KINOLOOM_SESSION_HELPER),
                     {QStringLiteral("upload"), m_home->path(QString()), m_folder, m_server->base().toString()});
        QVERIFY(helper.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_server->chunkBytesReceived() == 2 * chunk || helper.state() == QProcess::NotRunning,
                                 60000);
        QVERIFY2(helper.state() == QProcess::Running, helper.readAllStandardOutput().constData());
        ::kill(pid_t(helper.processId()), SIGKILL);
        QVERIFY(helper.waitForFinished());
        QCOMPARE(helper.exitStatus(), QProcess::CrashExit);

        const ExportRecord saved = storedExport(m_folder, m_film.id).value();
        QCOMPARE(saved.uploadState, QStringLiteral("Session created"));
        QVERIFY(saved.uploadSession && saved.uploadFingerprint);

        const auto model = openSession();
        QCOMPARE(model->selectedExport(), saved);
        const qsizetype requestsBefore = m_server->requests().size();
        QVERIFY(reviewAndConfirm(*model));
        QTRY_COMPARE_WITH_TIMEOUT(model->job().phase, JobPhase::completed, 60000);
        QCOMPARE(m_server->sessionsCreated(), 1);
        QVERIFY(m_server->uploaded() == m_movie);
        QCOMPARE(m_server->duplicateBytesReceived(), 0);
        QStringList ranges;
        for (const RecordedRequest &request : m_server->requests().mid(requestsBefore)) {
            if (request.path() == uploadPath)
                ranges.append(QString::fromLatin1(request.header("Content-Range").value_or("create")));
        }
        QCOMPARE(ranges,
                 (QStringList{QStringLiteral("bytes */20000000"), QStringLiteral("bytes 16777216-19999999/20000000")}));
        QCOMPARE(storedExport(m_folder, m_film.id)->videoID, m_server->videoID());
    }

    void persistUploadNeedsTheRecordInTheProject()
    {
        const QString failure = QStringLiteral("Could not save upload history.");
        StudioModel closed(m_home->environment());
        QCOMPARE(failureOf([&closed, this] { closed.persistUpload(m_film); }), failure);

        const auto model = openSession();
        const QByteArray file = readFile(ProjectStore::filePath(m_folder));
        const ExportRecord stranger = ExportRecord::create(QStringLiteral("Short"), m_moviePath, 1);
        QCOMPARE(failureOf([&model, &stranger] { model->persistUpload(stranger); }), failure);
        QCOMPARE(readFile(ProjectStore::filePath(m_folder)), file);

        // The export goes from the project while its upload waits to start.
        select(*model, m_short);
        QVERIFY(reviewAndConfirm(*model));
        model->editProject([](StudioProject &project) { project.exports.removeAt(1); });
        QTRY_COMPARE_WITH_TIMEOUT(model->job().phase, JobPhase::failed, uploadWait);
        QCOMPARE(model->error(), std::optional(failure));
        QCOMPARE(m_server->sessionsCreated(), 1);
        QCOMPARE(m_server->chunkBytesReceived(), 0);
    }

    void publishedVideoUpdates_data()
    {
        QTest::addColumn<bool>("thumbnail");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("state"); // empty: the record stays as it was
        QTest::newRow("thumbnail") << true << 200 << "Thumbnail set · processing not checked";
        QTest::newRow("processing check") << false << 200 << "YouTube processing: succeeded";
        QTest::newRow("refused check") << false << 403 << "";
    }
    void publishedVideoUpdates()
    {
        QFETCH(bool, thumbnail);
        QFETCH(int, status);
        QFETCH(QString, state);
        m_server->setReply(
            "GET", QStringLiteral("/youtube/v3/videos"),
            CannedReply{status, R"({"items":[{"processingDetails":{"processingStatus":"succeeded"}}]})", {}});
        m_server->setReply("POST", QStringLiteral("/upload/youtube/v3/thumbnails/set"), CannedReply{200, "{}", {}});
        const QString picture = m_home->path(QStringLiteral("Walk/Exports/cover.png"));
        QVERIFY(writeFile(picture, QByteArray("\x89PNG\r\n\x1a\n", 8)));
        const auto model = openSession();
        ExportRecord uploaded = m_film;
        uploaded.videoID = QStringLiteral("vid-1");
        uploaded.uploadState = QStringLiteral("Video created · processing not checked");
        model->editProject([&uploaded, &picture](StudioProject &project) {
            project.exports[2] = uploaded;
            project.publish.thumbnail = picture;
        });
        model->save();

        // An export that was never uploaded has nothing to update.
        select(*model, m_short);
        model->updatePublishedVideo(thumbnail);
        QCOMPARE(model->job().phase, JobPhase::idle);

        select(*model, uploaded);
        model->updatePublishedVideo(thumbnail);
        QCOMPARE(model->job().stage,
                 thumbnail ? QStringLiteral("Setting thumbnail") : QStringLiteral("Checking YouTube processing"));
        QTRY_VERIFY(!model->busy());
        const ExportRecord stored = storedExport(m_folder, uploaded.id).value();
        if (state.isEmpty()) {
            QCOMPARE(model->job().phase, JobPhase::failed);
            QVERIFY(model->error()->contains(QStringLiteral("HTTP %1").arg(status)));
            QCOMPARE(stored, uploaded);
            return;
        }
        QCOMPARE(model->job().phase, JobPhase::completed);
        QCOMPARE(stored.uploadState, state);
        QCOMPARE(model->selectedExport()->uploadState, state);
        if (thumbnail) {
            const RecordedRequest sent =
                m_server->requestsTo(QStringLiteral("/upload/youtube/v3/thumbnails/set")).value(0);
            QCOMPARE(sent.query().queryItemValue(QStringLiteral("videoId")), QStringLiteral("vid-1"));
            QCOMPARE(sent.header("Content-Type"), QByteArray("image/png"));
        }
    }
};

QTEST_MAIN(tst_PublishingUpload)
#include "tst_PublishingUpload.moc"
