#include "session/StudioModel.h"

#include "model/RecentProjects.h"
#include "model/SoftwareSettingsStore.h"
#include "model/WorkflowStore.h"
#include "session/FailureDescription.h"
#include "session/ProjectLock.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

namespace kinoloom {

namespace {

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool blank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// The first item in stored order whose identifier is `id`; none when `id` is none.
template <typename Item>
std::optional<Item> firstWithID(const QList<Item> &items, const std::optional<QUuid> &id)
{
    if (!id)
        return std::nullopt;
    for (const Item &item : items) {
        if (item.id == *id)
            return item;
    }
    return std::nullopt;
}

} // namespace

StudioModel::StudioModel(StudioEnvironment environment, QObject *parent)
    : QObject(parent)
    , m_environment(std::move(environment))
    , m_link(std::make_shared<SessionLink>(SessionLink{this}))
{
    // A render, a playback proxy, the live grade and a dependency check may all wait at once;
    // the threads mostly wait for child processes, so more of them than cores cost nothing.
    m_pool.setMaxThreadCount(std::max(QThread::idealThreadCount(), 4));

    // Nothing is connected yet, so start-up writes the members directly and announces nothing.
    if (m_environment.softwareSettingsDirectory) {
        m_softwareSettingsDirectory = *m_environment.softwareSettingsDirectory;
    } else {
        try {
            m_softwareSettingsDirectory = m_environment.applicationDataDirectory();
        } catch (const std::exception &) {
            m_softwareSettingsDirectory = QDir(QDir::tempPath()).filePath(QStringLiteral("Kinoloom"));
        }
    }

    m_recentProjects = RecentProjects::entries(RecentProjects::storedPaths(*m_environment.userDefaults));
    m_tools = ToolPaths::load(*m_environment.userDefaults);

    const QString settingsFile = QDir(m_softwareSettingsDirectory).filePath(SoftwareSettingsStore::filename);
    m_hasSoftwareSettings = fileExists(settingsFile);
    try {
        m_softwareSettings = SoftwareSettingsStore::open(m_softwareSettingsDirectory);
    } catch (...) {
        m_error = QStringLiteral("Could not load software settings: ") + describeFailure(std::current_exception());
        if (fileExists(settingsFile))
            m_unreadableSoftwareSettings = settingsFile;
    }

    // The workflows always live in the application data folder, whatever settings folder was given.
    try {
        const QString folder = m_environment.applicationDataDirectory();
        try {
            m_workflowLibrary = WorkflowStore::open(folder);
        } catch (...) {
            const QString workflowsFile = QDir(folder).filePath(WorkflowStore::filename);
            if (fileExists(workflowsFile))
                m_unreadableWorkflows = workflowsFile;
            throw;
        }
    } catch (...) {
        m_error = QStringLiteral("Could not load saved workflows: ") + describeFailure(std::current_exception());
    }
}

StudioModel::~StudioModel()
{
    // From here on no post and no resumption of a job reaches this session.
    m_link->session = nullptr;
    if (m_task)
        m_task->cancellation->cancel();
    if (m_previewTask)
        m_previewTask->cancel();
    // The lock goes only when no child of ours can still write into the project: the cancelled
    // engine calls return once their children are gone (a call that cannot be cancelled, such
    // as a keyring look-up, is waited for).
    m_pool.waitForDone();
    ProjectLock::release(m_lockFD);
    m_lockFD = -1;
}

bool StudioModel::busy() const
{
    return m_job.inProgress();
}

std::optional<MediaAsset> StudioModel::asset() const
{
    return firstWithID(m_project.assets, m_selection);
}

std::optional<ExportRecord> StudioModel::selectedExport() const
{
    return firstWithID(m_project.exports, m_exportSelection);
}

QStringList StudioModel::missingExportRequirements() const
{
    const ProcessingSettings &settings = m_project.settings;
    QStringList missing;
    if (blank(settings.title))
        missing.append(QStringLiteral("title"));
    if (blank(settings.subtitle))
        missing.append(QStringLiteral("subtitle"));
    if (!settings.finalOutputPath || blank(*settings.finalOutputPath))
        missing.append(QStringLiteral("final output path"));
    return missing;
}

bool StudioModel::canExportFilm() const
{
    return missingExportRequirements().isEmpty();
}

QList<WorkflowPreset> StudioModel::workflows() const
{
    return m_workflowLibrary.workflows;
}

std::optional<WorkflowPreset> StudioModel::selectedWorkflow() const
{
    return firstWithID(m_workflowLibrary.workflows, m_workflowLibrary.lastSelectedID);
}

bool StudioModel::canRetry() const
{
    return !busy() && m_retryAction && (m_job.phase == JobPhase::failed || m_job.phase == JobPhase::cancelled);
}

bool StudioModel::canRestart() const
{
    return !busy() && m_restartAction && (m_job.phase == JobPhase::failed || m_job.phase == JobPhase::cancelled);
}

} // namespace kinoloom
