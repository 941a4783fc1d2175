#pragma once

#include "model/RecentProject.h"

#include <QList>
#include <QStringList>

class QSettings;

namespace kinoloom::RecentProjects {

inline const QString key = QStringLiteral("RecentProjects");
inline constexpr int maximumCount = 8;

// The folder paths stored under "RecentProjects", newest first.
QStringList storedPaths(const QSettings &settings);

// Puts `folder` in front of the stored list, dropping every entry that names the same folder
// once standardized, keeps the newest eight and returns the stored list.
QStringList remember(QSettings &settings, const QString &folder);

// The entries for `paths`, in order; a folder that no longer holds a readable project, or
// whose project file has no modification time, is left out.
QList<RecentProject> entries(const QStringList &paths);

} // namespace kinoloom::RecentProjects
