#include "session/StudioModel.h"

#include "engine/automation/Automation.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "model/PathText.h"
#include "model/ProjectStore.h"
#include "model/StudioError.h"
#include "services/YouTubeService.h"

#include <QFuture>
#include <QPromise>
#include <QSet>

#include <qcoro/qcorofuture.h>

#include <algorithm>

namespace kinoloom {

namespace {

// The full decode of one clip, both streams, stopping at its first error.
QStringList decodingCheckArguments(const QString &path)
{
    return {QStringLiteral("-v"),       QStringLiteral("error"),
            QStringLiteral("-nostdin"), QStringLiteral("-threads"),
            QStringLiteral("2"),        QStringLiteral("-filter_threads"),
            QStringLiteral("2"),        QStringLiteral("-xerror"),
            QStringLiteral("-i"),       path,
            QStringLiteral("-map"),     QStringLiteral("0:v:0"),
            QStringLiteral("-map"),     QStringLiteral("0:a?"),
            QStringLiteral("-f"),       QStringLiteral("null"),
            QStringLiteral("-")};
}

bool knownClip(const StudioProject &project, const QString &identity)
{
    return std::any_of(project.assets.cbegin(), project.assets.cend(), [&identity](const MediaAsset &asset) {
        return asset.importIdentity == identity && !asset.missing();
    });
}

QCoro::Task<> answered(QFuture<void> answer)
{
    co_await answer;
}

} // namespace

void StudioModel::automate(const AutomationOptions &options, const PublishSettings &publish)
{
    if (!m_root || busy())
        return;
    if (options.upload && m_automationChannelID.isEmpty()) {
        setError(QStringLiteral("Check the destination channel before starting an upload run."));
        return;
    }
    StudioProject project = m_project;
    project.settings.makeShort = options.makeShort;
    std::function<void()> retry;
    if (options.upload) {
        // An upload is never repeated behind the user's back: it is reviewed in Publish.
        project.publish = publish;
    } else {
        const QPointer<StudioModel> self(this);
        retry = [self, options, publish] {
            if (self)
                self->automate(options, publish);
        };
    }
    setShowAutomation(false);
    start(QStringLiteral("Starting automated run"), std::move(retry), {}, false, {},
          [this, options, publish, project, root = *m_root, channelID = m_automationChannelID](Job job) {
              return automationJob(std::move(job), options, publish, project, root, channelID);
          });
}

QCoro::Task<> StudioModel::automationJob(Job job, AutomationOptions options, PublishSettings publish,
                                         StudioProject project, QString root, QString channelID)
{
    project.settings.validate();
    if (options.upload)
        YouTubeService::metadata(publish);
    const std::shared_ptr<MediaEngine> media = job.media();
    const std::shared_ptr<ProcessRunner> runner = job.runner();

    if (!options.sourceFolder.isEmpty()) {
        showStage(job, QStringLiteral("Scanning source folder"));
        auto scan = [runner, folder = options.sourceFolder, todayOnly = options.todayOnly, root,
                     now = m_environment.now()] {
            return Automation::sources(folder, todayOnly, root, now, [runner] { runner->checkCancellation(); });
        };
        const QStringList sources = co_await job.engine(std::move(scan));
        job.checkCancellation();
        if (sources.isEmpty())
            throw StudioError(QStringLiteral("No supported media matches the source folder and date filter."));

        const qsizetype count = sources.size();
        for (qsizetype i = 0; i < count; ++i) {
            job.checkCancellation();
            const QString source = sources.at(i);
            auto identify = [media, source] { return media->importIdentity(source); };
            const QString identity = co_await job.engine(std::move(identify));
            // Known by what the file is, not where it lies; a clip whose file has gone does not count.
            if (knownClip(project, identity))
                continue;
            showStage(job,
                      QStringLiteral("Importing %1 of %2 · %3").arg(i + 1).arg(count).arg(path::lastComponent(source)));
            auto import = [media, source, root] { return media->importAsset(source, root, true, false); };
            const MediaAsset asset = co_await job.engine(std::move(import));
            project.assets.append(asset);
            adoptWorkingCopy(project, root);
        }
    }

    if (options.automaticHooks)
        project = Automation::addingHooks(project);
    Automation::validate(project);
    adoptWorkingCopy(project, root);

    if (options.validateClips) {
        QSet<QString> checked;
        for (const MediaAsset &asset : std::as_const(project.assets)) {
            if (asset.role == ClipRole::excluded || checked.contains(asset.path))
                continue;
            checked.insert(asset.path);
            job.checkCancellation();
            showStage(job, QStringLiteral("Checking media · ") + asset.name);
            auto decode = [runner, arguments = decodingCheckArguments(asset.path)] {
                runner->runFFmpeg(arguments, [](const QString &) {});
            };
            co_await job.engine(std::move(decode));
        }
    }

    // Stage texts and log lines only: the run tracks no overall progress.
    const std::shared_ptr<RenderPipeline> pipeline = job.pipeline({0, 1});
    if (!co_await confirmSpaceForAutomation(job, project, root))
        throw CancellationError();

    auto prepare = [pipeline, project, root] { return pipeline->prepare(project, root, {}); };
    project = co_await job.engine(std::move(prepare));
    adoptWorkingCopy(project, root);

    QList<ExportRecord> exports;
    const QList<bool> renders = options.makeShort ? QList<bool>{false, true} : QList<bool>{false};
    for (const bool isShort : renders) {
        job.checkCancellation();
        auto render = [pipeline, project, root, isShort] { return pipeline->render(project, root, isShort, false); };
        const ExportRecord record = co_await job.engine(std::move(render));
        exports.append(record);
        editProject([&record](StudioProject &open) { open.exports.append(record); });
        setExportSelection(record.id);
        ProjectStore::save(m_project, root);
    }

    setWorkspace(options.upload ? Workspace::publish : Workspace::export_);
    setExportSelection(exports.constFirst().id);
    setPreview(QUrl::fromLocalFile(exports.constFirst().path), false);
    if (!options.upload) {
        appendLog(QStringLiteral("Automated run completed: %1 export(s) saved.").arg(exports.size()));
        co_return;
    }
    for (const ExportRecord &record : std::as_const(exports))
        co_await automationUpload(job, record, publish, channelID);
    appendLog(QStringLiteral("Automated run completed: %1 export(s) uploaded.").arg(exports.size()));
}

QCoro::Task<> StudioModel::automationUpload(Job job, ExportRecord record, PublishSettings publish, QString channelID)
{
    job.checkCancellation();
    setExportSelection(record.id);
    const QString stage = QStringLiteral("Uploading ") + record.kind;
    showStage(job, stage);
    // Read again for every export: the account may have been changed in the meantime.
    const GoogleCredential credential = loadCredential();
    const YouTubeService service = youtube(job);
    const QString token = co_await job.await(service.accessToken(credential));
    const YouTubeChannel channel = co_await job.await(service.channel(token));
    if (channel.id != channelID)
        throw StudioError(
            QStringLiteral("The connected channel changed. Review the completed export in Publish before uploading."));
    job.checkCancellation();
    co_await uploadJob(job, record, publish, token, channelID, stage);
}

void StudioModel::adoptWorkingCopy(const StudioProject &project, const QString &root)
{
    setProject(project);
    ProjectStore::save(m_project, root);
}

QCoro::Task<bool> StudioModel::confirmSpaceForAutomation(Job job, StudioProject project, QString root)
{
    const std::optional<DiskSpaceCheck> check = renderSpaceCheck(project, root, false);
    if (!check || !check->isInsufficient())
        co_return true;
    setLowSpaceWarningMessage(check->message());
    appendLog(QStringLiteral("Low disk space: ") + check->message());
    // The answer comes from a button, the job's cancel or nowhere (the session ends); the run
    // resumes on a later turn of the event loop, never inside the call that answered.
    auto answer = std::make_shared<std::optional<bool>>();
    auto promise = std::make_shared<QPromise<void>>();
    QFuture<void> future = promise->future();
    promise->start();
    m_automationSpaceContinuation = [answer, promise](bool proceed) {
        if (*answer)
            return;
        *answer = proceed;
        promise->finish();
    };
    setShowLowSpaceWarning(true);
    co_await job.await(answered(std::move(future)));
    co_return answer->value_or(false);
}

void StudioModel::checkAutomationChannel()
{
    setAutomationChannelID(QString());
    setAutomationChannelName(QString());
    if (busy())
        return;
    start(QStringLiteral("Checking automation destination"), {}, {}, false, {},
          [this](Job job) { return channelCheckJob(std::move(job)); });
}

QCoro::Task<> StudioModel::channelCheckJob(Job job)
{
    const GoogleCredential credential = loadCredential();
    const YouTubeService service = youtube(job);
    const QString token = co_await job.await(service.accessToken(credential));
    const YouTubeChannel channel = co_await job.await(service.channel(token));
    setAutomationChannelID(channel.id);
    setAutomationChannelName(channel.title);
    setAccount(channel.title);
}

void StudioModel::checkDependencies()
{
    dependencyCheck(m_environment.makeMediaEngine(m_tools, m_environment.makeRunner()), ++m_dependencyCheck);
}

QCoro::Task<> StudioModel::dependencyCheck(std::shared_ptr<MediaEngine> media, quint64 serial)
{
    const std::shared_ptr<SessionLink> link = m_link;
    auto work = [media] { return media->dependencies(); };
    QStringList lines;
    try {
        lines = co_await engineCall(&m_pool, std::move(work));
    } catch (const std::exception &) {
        co_return;
    }
    // A check that took longer than a later one has nothing to say any more.
    if (link->session && serial == m_dependencyCheck)
        setDependencies(lines);
}

} // namespace kinoloom
