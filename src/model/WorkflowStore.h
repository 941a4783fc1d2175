#pragma once

#include "model/WorkflowLibrary.h"

#include <QString>

namespace kinoloom::WorkflowStore {

inline const QString filename = QStringLiteral("Workflows.json");

// The application's own data folder (`~/.local/share/Kinoloom`); not created here. Throws
// StudioError when the system names no data folder.
QString applicationSupportDirectory();

// The library in `<folder>/Workflows.json`; an empty library when there is no such file.
WorkflowLibrary open(const QString &folder);

// Creates the folder with its parents and replaces the file atomically.
void save(const WorkflowLibrary &library, const QString &folder);

} // namespace kinoloom::WorkflowStore
