#include "session/StudioModel.h"

#include "model/ProjectStore.h"
#include "model/StudioError.h"
#include "services/GoogleCredential.h"
#include "services/LoopbackLogin.h"
#include "services/YouTubeService.h"
#include "session/FailureDescription.h"
#include "session/OAuthClientFile.h"

#include <QStringDecoder>

#include <algorithm>

namespace kinoloom {

namespace {

const QString googleKey = QStringLiteral("google");
const QString openAIKey = QStringLiteral("openai");
const QString uploadTitle = QStringLiteral("Uploading to YouTube");

// A sign-in may end inside its own signal: it is deleted from the event loop.
struct DeleteLater
{
    void operator()(QObject *object) const { object->deleteLater(); }
};

// The upload's change callback: the record is in the project file before the upload goes on.
// The upload runs on the main thread, so this runs there too, but the session may have gone
// while the upload waited.
QCoro::Task<> persistInSession(std::shared_ptr<SessionLink> link, ExportRecord record)
{
    if (!link->session)
        throw SessionEnded();
    link->session->persistUpload(record);
    co_return;
}

} // namespace

void StudioModel::importOAuthClient()
{
    if (busy())
        return;
    OpenPanel panel;
    panel.prompt = QStringLiteral("Import");
    panel.message = QStringLiteral(
        "Select the Desktop OAuth client JSON downloaded from Google Cloud. It will be stored in the keyring.");
    panel.nameFilters = QStringList{QStringLiteral("JSON (*.json)")};
    const QStringList chosen = m_environment.panels->open(panel);
    if (chosen.isEmpty())
        return;
    try {
        // Replaces whatever was stored: an account connected with another client is forgotten.
        m_environment.vault->save(readOAuthClientFile(chosen.constFirst()).data(), googleKey);
    } catch (...) {
        setError(describeFailure(std::current_exception()));
        return;
    }
    setAccount(QStringLiteral("Client imported · connect account"));
}

GoogleCredential StudioModel::loadCredential()
{
    const std::optional<QByteArray> stored = m_environment.vault->read(googleKey);
    if (!stored)
        throw StudioError(QStringLiteral("Import a Google Desktop OAuth client and connect your account in Settings."));
    return GoogleCredential::fromData(*stored);
}

void StudioModel::connectAccount()
{
    start(QStringLiteral("Waiting for browser sign-in"), {}, {}, false, {},
          [this](Job job) { return connectJob(std::move(job)); });
}

QCoro::Task<> StudioModel::connectJob(Job job)
{
    const GoogleCredential client = loadCredential();
    const std::unique_ptr<LoopbackLogin, DeleteLater> login(new LoopbackLogin(youtube(job), m_environment.openBrowser));
    m_login = login.get();
    // The job's cancel reaches the wait for the browser; the code exchange runs on the job's
    // transport, which the same cancel stops.
    job.cancellation().onCancel([running = QPointer<LoopbackLogin>(login.get())] {
        if (running)
            running->cancel();
    });
    GoogleCredential connected;
    try {
        connected = co_await job.await(login->authorize(client));
    } catch (const SessionEnded &) {
        throw;
    } catch (...) {
        m_login = nullptr;
        throw;
    }
    m_login = nullptr;
    m_environment.vault->save(connected.data(), googleKey);
    setAccount(connected.channel);
}

void StudioModel::disconnect()
{
    if (busy())
        return;
    // The client goes with the account; only a removal that happened may say so.
    try {
        m_environment.vault->remove(googleKey);
    } catch (...) {
        setError(describeFailure(std::current_exception()));
        return;
    }
    setAccount(QStringLiteral("Not connected"));
}

void StudioModel::reviewUpload()
{
    const std::optional<ExportRecord> record = selectedExport();
    // Previews are never uploaded.
    if (!record || record->kind == QLatin1String("Preview") || busy())
        return;
    const PublishSettings settings = m_project.publish;
    start(QStringLiteral("Checking upload details"), {}, {}, false, {},
          [this, record = *record, settings](Job job) { return reviewJob(std::move(job), record, settings); });
}

QCoro::Task<> StudioModel::reviewJob(Job job, ExportRecord record, PublishSettings settings)
{
    YouTubeService::metadata(settings);
    if (record.videoID)
        throw StudioError(QStringLiteral("This export is already uploaded. Open its YouTube link."));
    const GoogleCredential credential = loadCredential();
    const YouTubeService service = youtube(job);
    const QString token = co_await job.await(service.accessToken(credential));
    const YouTubeChannel channel = co_await job.await(service.channel(token));
    setReviewToken(token);
    setReviewedPublish(settings);
    setReviewedExport(record);
    setReviewedChannelID(channel.id);
    setAccount(channel.title);
    setShowUploadReview(true);
}

void StudioModel::dismissUploadReview()
{
    setShowUploadReview(false);
    setReviewToken(std::nullopt);
    setReviewedPublish(std::nullopt);
    setReviewedExport(std::nullopt);
}

void StudioModel::confirmUpload()
{
    if (!m_reviewToken || !m_reviewedPublish || !m_reviewedExport)
        return;
    const QString token = *m_reviewToken;
    const PublishSettings settings = *m_reviewedPublish;
    const ExportRecord record = *m_reviewedExport;
    const QString channelID = m_reviewedChannelID;
    dismissUploadReview();
    start(uploadTitle, {}, {}, false, {}, [this, record, settings, token, channelID](Job job) {
        return uploadJob(std::move(job), record, settings, token, channelID, uploadTitle);
    });
}

QCoro::Task<> StudioModel::uploadJob(Job job, ExportRecord record, PublishSettings settings, QString token,
                                     QString channelID, QString stage)
{
    const YouTubeService service = youtube(job);
    YouTubeService::RecordChanged changed = [link = m_link](ExportRecord changedRecord) {
        return persistInSession(link, std::move(changedRecord));
    };
    // A post that arrives after the next upload began is not this upload's any more.
    YouTubeService::Progress progress = [job, stage](double fraction) {
        job.writeBack([serial = job.serial(), stage, fraction](StudioModel &session) {
            if (session.m_job.stage == stage)
                session.postedStage(serial, stage, fraction);
        });
    };
    // Every change of the record has gone through `changed` already; the result needs no saving.
    co_await job.await(
        service.upload(record, settings, token, channelID, true, std::move(changed), std::move(progress)));
}

void StudioModel::persistUpload(const ExportRecord &record)
{
    const auto found = std::find_if(m_project.exports.cbegin(), m_project.exports.cend(),
                                    [&record](const ExportRecord &candidate) { return candidate.id == record.id; });
    if (!m_root || found == m_project.exports.cend())
        throw StudioError(QStringLiteral("Could not save upload history."));
    const qsizetype index = found - m_project.exports.cbegin();
    editProject([&record, index](StudioProject &project) { project.exports[index] = record; });
    ProjectStore::save(m_project, *m_root);
}

void StudioModel::updatePublishedVideo(bool thumbnail)
{
    const std::optional<ExportRecord> record = selectedExport();
    if (!record || !record->videoID)
        return;
    const QString thumbnailPath = m_project.publish.thumbnail;
    const QString title = thumbnail ? QStringLiteral("Setting thumbnail")
                                    : QStringLiteral("Checking YouTube processing");
    if (busy())
        return;
    start(title, {}, {}, false, {}, [this, record = *record, thumbnailPath, thumbnail](Job job) {
        return publishedVideoJob(std::move(job), record, thumbnailPath, thumbnail);
    });
}

QCoro::Task<> StudioModel::publishedVideoJob(Job job, ExportRecord record, QString thumbnailPath, bool thumbnail)
{
    const GoogleCredential credential = loadCredential();
    const YouTubeService service = youtube(job);
    const QString token = co_await job.await(service.accessToken(credential));
    const QString videoID = record.videoID.value_or(QString());
    if (thumbnail) {
        co_await job.await(service.setThumbnail(thumbnailPath, videoID, token));
        record.uploadState = QStringLiteral("Thumbnail set · processing not checked");
    } else {
        record.uploadState = co_await job.await(service.processingState(videoID, token));
    }
    persistUpload(record);
}

void StudioModel::generateMetadata()
{
    const QString title = m_project.publish.title;
    if (busy())
        return;
    start(QStringLiteral("Generating metadata draft"), {}, {}, false, {},
          [this, title](Job job) { return metadataDraftJob(std::move(job), title); });
}

QCoro::Task<> StudioModel::metadataDraftJob(Job job, QString title)
{
    const std::optional<QByteArray> stored = m_environment.vault->read(openAIKey);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString key;
    if (stored)
        key = decoder.decode(*stored);
    if (!stored || decoder.hasError())
        throw StudioError(QStringLiteral("Save an OpenAI API key in Settings first."));
    const YouTubeService service = youtube(job);
    const PublishSettings draft = co_await job.await(service.generateMetadata(title, key));
    // Only a draft: the review sheet decides what the project takes over.
    setMetadataDraft(draft);
    setShowMetadataDraft(true);
}

YouTubeService StudioModel::youtube(const Job &job) const
{
    return YouTubeService(job.transport(), m_environment.endpoints);
}

} // namespace kinoloom
