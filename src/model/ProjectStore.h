#pragma once

#include "model/StudioProject.h"

#include <QString>

namespace kinoloom::ProjectStore {

inline const QString filename = QStringLiteral("Project.kinoloom.json");

// `<folder>/Project.kinoloom.json`.
QString filePath(const QString &folder);

// Makes the folder with its subfolders "Media", "Cache", "Jobs" and "Exports" and saves a new
// project of that name there. Refuses a folder that already holds a project file.
StudioProject create(const QString &folder, const QString &name);

// Reads the project file of `folder`. The file holds no settings and no publish metadata;
// when a hand-written file carries them they are read, otherwise they are the defaults.
// Does not validate the project.
StudioProject open(const QString &folder);

// Writes the project file atomically, without settings and publish metadata. An encoding
// failure (a NaN, say) or a write failure leaves the previous file as it was.
void save(const StudioProject &project, const QString &folder);

} // namespace kinoloom::ProjectStore
