#include "model/SoftwareSettingsStore.h"

#include "model/DocumentStore.h"

namespace kinoloom::SoftwareSettingsStore {

SoftwareSettings open(const QString &folder)
{
    return json::openDocument(folder, filename, SoftwareSettings(), SoftwareSettings::fromJson);
}

void save(const SoftwareSettings &settings, const QString &folder)
{
    json::saveDocument(folder, filename, [&settings] { return settings.toJson(); });
}

} // namespace kinoloom::SoftwareSettingsStore
