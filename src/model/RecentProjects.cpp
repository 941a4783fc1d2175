#include "model/RecentProjects.h"

#include "model/ProjectStore.h"
#include "model/StudioError.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace kinoloom::RecentProjects {

namespace {

// Absolute, without "." and ".." and trailing slashes; symbolic links are not resolved.
QString standardized(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList storedPaths(const QSettings &settings)
{
    return settings.value(key).toStringList();
}

QStringList remember(QSettings &settings, const QString &folder)
{
    const QString wanted = standardized(folder);
    QStringList paths{folder};
    for (const QString &path : storedPaths(settings)) {
        if (standardized(path) != wanted)
            paths.append(path);
    }
    paths = paths.mid(0, maximumCount);
    settings.setValue(key, paths);
    return paths;
}

QList<RecentProject> entries(const QStringList &paths)
{
    QList<RecentProject> result;
    for (const QString &path : paths) {
        try {
            const StudioProject project = ProjectStore::open(path);
            const QDateTime modified = QFileInfo(ProjectStore::filePath(path)).lastModified();
            if (modified.isValid())
                result.append({path, project.name, modified});
        } catch (const StudioError &) {
            // Shown again once the folder holds a readable project; the stored path stays.
        }
    }
    return result;
}

} // namespace kinoloom::RecentProjects
