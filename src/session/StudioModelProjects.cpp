#include "session/StudioModel.h"

#include "model/FileOperations.h"
#include "model/ProjectStore.h"
#include "model/RecentProjects.h"
#include "session/FailureDescription.h"
#include "session/ProjectLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kinoloom {

namespace {

// Absolute and without "." or ".." components; links are not resolved.
QString standardizedFolder(const QString &folder)
{
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

} // namespace

void StudioModel::chooseProject(bool create)
{
    if (busy())
        return;
    OpenPanel panel;
    panel.directories = true;
    panel.canCreateDirectories = create;
    panel.prompt = create ? QStringLiteral("Create project here") : QStringLiteral("Open project");
    panel.message = create ? QStringLiteral("Choose a new project folder. Source media will remain untouched.")
                           : QStringLiteral("Choose the folder containing Project.kinoloom.json.");
    const QStringList chosen = m_environment.panels->open(panel);
    if (chosen.isEmpty())
        return;
    const QString folder = standardizedFolder(chosen.constFirst());
    try {
        const StudioProject project = create ? ProjectStore::create(folder, QFileInfo(folder).fileName())
                                             : ProjectStore::open(folder);
        activate(project, folder);
    } catch (...) {
        setError(describeFailure(std::current_exception()));
    }
}

void StudioModel::activate(const StudioProject &project, const QString &folder)
{
    const QString root = standardizedFolder(folder);
    // The new lock first: a folder that cannot be locked leaves the open project as it was.
    const int descriptor = ProjectLock::acquire(root);
    ProjectLock::release(m_lockFD);
    m_lockFD = descriptor;

    const std::optional<QUuid> preferred = preferredAssetID(project);
    setRoot(root);
    setProject(project);
    setSelection(preferred);
    setExportSelection(project.exports.isEmpty() ? std::nullopt : std::optional(project.exports.constLast().id));
    configureTemporaryDirectory(root);
    storeUserDefault(m_lastProjectKey, root);
    rememberRecentProject(root);
    setJob(JobProgress());
    setWorkspace(Workspace::media);
    selectAsset(preferred);
    restoreWorkflow();

    // A project file keeps no settings: the application-wide ones are the open project's.
    if (m_hasSoftwareSettings) {
        editProject([this](StudioProject &open) {
            open.settings = m_softwareSettings.processing;
            open.publish = m_softwareSettings.publish;
        });
    } else {
        editSoftwareSettings([this](SoftwareSettings &settings) {
            settings.processing = m_project.settings;
            settings.publish = m_project.publish;
        });
        persistSoftwareSettings();
        m_hasSoftwareSettings = true;
    }
    restoreResumeActions();
}

void StudioModel::openRecent(const RecentProject &entry)
{
    if (busy())
        return;
    try {
        activate(ProjectStore::open(entry.path), entry.path);
    } catch (...) {
        setError(describeFailure(std::current_exception()));
    }
}

void StudioModel::restoreLastProject()
{
    if (m_root)
        return;
    const QString path = m_environment.userDefaults->value(m_lastProjectKey).toString();
    if (path.isEmpty())
        return;
    try {
        activate(ProjectStore::open(path), path);
    } catch (...) {
        setError(QStringLiteral("Could not reopen the last project: ") + describeFailure(std::current_exception()));
    }
}

void StudioModel::selectAsset(std::optional<QUuid> id)
{
    setSelection(id);
    const std::optional<MediaAsset> selected = asset();
    if (selected && selected->role != ClipRole::intro && !selected->missing()) {
        editSoftwareSettings([&selected](SoftwareSettings &settings) { settings.lastClipPath = selected->path; });
        persistSoftwareSettings();
    }
    if (selected && !selected->missing()) {
        setPreview(QUrl::fromLocalFile(selected->path), selected->isImage);
        return;
    }
    clearPreview();
}

void StudioModel::save()
{
    if (!m_root) {
        setError(QStringLiteral("Open a project before saving."));
        return;
    }
    try {
        ProjectStore::save(m_project, *m_root);
        setSaveStatus(QStringLiteral("Saved"));
    } catch (...) {
        setSaveStatus(QStringLiteral("Save failed"));
        setError(describeFailure(std::current_exception()));
    }
}

void StudioModel::refreshRecentProjects()
{
    setRecentProjects(RecentProjects::entries(RecentProjects::storedPaths(*m_environment.userDefaults)));
}

void StudioModel::rememberRecentProject(const QString &folder)
{
    RecentProjects::remember(*m_environment.userDefaults, folder);
    m_environment.userDefaults->sync();
    refreshRecentProjects();
}

std::optional<QUuid> StudioModel::preferredAssetID(const StudioProject &project) const
{
    const QList<MediaAsset> &assets = project.assets;
    if (const std::optional<QString> &last = m_softwareSettings.lastClipPath) {
        for (const MediaAsset &candidate : assets) {
            if (candidate.path == *last && candidate.role != ClipRole::intro && !candidate.missing())
                return candidate.id;
        }
    }
    for (const MediaAsset &candidate : assets) {
        if (candidate.role != ClipRole::intro)
            return candidate.id;
    }
    if (!assets.isEmpty())
        return assets.constFirst().id;
    return std::nullopt;
}

void StudioModel::configureTemporaryDirectory(const QString &folder)
{
    const QString temporary = QDir(folder).filePath(QStringLiteral("Cache/Temp"));
    try {
        createFolder(temporary);
    } catch (...) {
        setError(QStringLiteral("Could not prepare the project temporary folder: ")
                 + describeFailure(std::current_exception()));
        return;
    }
    // Set on the main thread only; each job's runner hands its children a copy taken here too.
    qputenv("TMPDIR", QFile::encodeName(temporary));
}

void StudioModel::storeUserDefault(const QString &key, const QVariant &value)
{
    m_environment.userDefaults->setValue(key, value);
    // At once, so that a process that dies later still finds it.
    m_environment.userDefaults->sync();
}

} // namespace kinoloom
