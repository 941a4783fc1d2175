#include "engine/pipeline/RenderSteps.h"

#include "model/FileError.h"
#include "model/FileOperations.h"
#include "model/Json.h"
#include "model/StudioError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace kinoloom {

namespace {

QString newUuidText()
{
    return json::uuidText(QUuid::createUuid());
}

void moveFile(const QString &from, const QString &to)
{
    QFile file(from);
    if (!file.rename(to))
        throw FileError(QStringLiteral("move"), from, file.errorString());
}

// Beside the final output, or in the project's "Exports"; always a new folder.
QString exportFolder(const RenderPlan &plan)
{
    if (!plan.finalPath)
        return QDir(plan.root).filePath(QStringLiteral("Exports/") + newUuidText());
    const QFileInfo final(*plan.finalPath);
    return final.absolutePath() + QLatin1Char('/') + final.completeBaseName() + QStringLiteral("-thumbnails-")
        + newUuidText();
}

QString kind(const RenderPlan &plan)
{
    switch (plan.output) {
    case RenderOutput::preview: return QStringLiteral("Preview");
    case RenderOutput::vertical: return QStringLiteral("Short");
    case RenderOutput::film: break;
    }
    return shortTitle(plan.settings.selectedExportResolution()) + QStringLiteral(" movie");
}

} // namespace

ExportRecord deliver(const RenderPlan &plan, const QString &movie, const QStringList &thumbnails)
{
    const QString folder = exportFolder(plan);
    createFolder(folder);
    QStringList delivered;
    for (const QString &thumbnail : thumbnails) {
        const QString destination = QDir(folder).filePath(QFileInfo(thumbnail).fileName());
        moveFile(thumbnail, destination);
        delivered.append(destination);
    }
    // The movie goes last: once it stands at its final path the render is complete.
    const QString moviePath = plan.finalPath ? *plan.finalPath : QDir(folder).filePath(QFileInfo(movie).fileName());
    if (plan.finalPath && (QFileInfo::exists(moviePath) || QFileInfo(moviePath).isSymLink()))
        throw StudioError(QStringLiteral("Final output already exists. Choose a different path."));
    moveFile(movie, moviePath);
    return ExportRecord::create(kind(plan), moviePath, plan.timeline.total, delivered);
}

} // namespace kinoloom
