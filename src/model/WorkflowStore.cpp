#include "model/WorkflowStore.h"

#include "model/DocumentStore.h"
#include "model/StudioError.h"

#include <QStandardPaths>

namespace kinoloom::WorkflowStore {

QString applicationSupportDirectory()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        throw StudioError(QStringLiteral("Could not find the application data folder."));
    return QDir(data).filePath(QStringLiteral("Kinoloom"));
}

WorkflowLibrary open(const QString &folder)
{
    return json::openDocument(folder, filename, WorkflowLibrary(), WorkflowLibrary::fromJson);
}

void save(const WorkflowLibrary &library, const QString &folder)
{
    json::saveDocument(folder, filename, [&library] { return library.toJson(); });
}

} // namespace kinoloom::WorkflowStore
