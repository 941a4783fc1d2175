#pragma once

#include "model/SoftwareSettings.h"

#include <QString>

namespace kinoloom::SoftwareSettingsStore {

inline const QString filename = QStringLiteral("SoftwareSettings.json");

// The settings in `<folder>/SoftwareSettings.json`; the defaults when there is no such file.
SoftwareSettings open(const QString &folder);

// Creates the folder with its parents and replaces the file atomically.
void save(const SoftwareSettings &settings, const QString &folder);

} // namespace kinoloom::SoftwareSettingsStore
