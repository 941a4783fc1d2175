#include "model/ProjectStore.h"

#include "model/FileOperations.h"
#include "model/Json.h"
#include "model/JsonFile.h"
#include "model/StudioError.h"

#include <QDir>
#include <QFileInfo>

namespace kinoloom::ProjectStore {

using namespace json;

namespace {

StudioProject decodeProjectFile(const QJsonObject &o)
{
    StudioProject p;
    p.schemaVersion = requireInt64(o, QStringLiteral("schemaVersion"));
    p.id = requireUuid(o, QStringLiteral("id"));
    p.name = requireString(o, QStringLiteral("name"));
    p.assets = decodeArray(o, QStringLiteral("assets"), MediaAsset::fromJson);
    p.exports = decodeArray(o, QStringLiteral("exports"), ExportRecord::fromJson);
    p.resumeState = decodeOptionalObject(o, QStringLiteral("resumeState"), RenderResumeState::fromJson);
    p.settings = decodeOptionalObject(o, QStringLiteral("settings"), ProcessingSettings::fromJson)
                     .value_or(ProcessingSettings());
    p.publish =
        decodeOptionalObject(o, QStringLiteral("publish"), PublishSettings::fromJson).value_or(PublishSettings());
    return p;
}

// The working settings and publish metadata live in the application settings, never here.
QJsonObject encodeProjectFile(const StudioProject &p)
{
    QJsonObject o;
    o.insert(QStringLiteral("schemaVersion"), p.schemaVersion);
    o.insert(QStringLiteral("id"), uuidText(p.id));
    o.insert(QStringLiteral("name"), p.name);
    putArray(o, QStringLiteral("assets"), p.assets, [](const MediaAsset &a) { return a.toJson(); });
    putArray(o, QStringLiteral("exports"), p.exports, [](const ExportRecord &r) { return r.toJson(); });
    if (p.resumeState)
        o.insert(QStringLiteral("resumeState"), p.resumeState->toJson());
    return o;
}

} // namespace

QString filePath(const QString &folder)
{
    return QDir(folder).filePath(filename);
}

StudioProject create(const QString &folder, const QString &name)
{
    if (QFileInfo::exists(filePath(folder)) || QFileInfo(filePath(folder)).isSymLink())
        throw StudioError(QStringLiteral("A project already exists here. Open it instead."));
    createFolder(folder);
    for (const char *subfolder : {"Media", "Cache", "Jobs", "Exports"})
        createFolder(QDir(folder).filePath(QLatin1String(subfolder)));
    StudioProject project;
    project.name = name;
    save(project, folder);
    return project;
}

StudioProject open(const QString &folder)
{
    const StudioProject project = decodeFile(filePath(folder), decodeProjectFile);
    if (project.schemaVersion != 1)
        throw StudioError(QStringLiteral("Unsupported project version %1.").arg(project.schemaVersion));
    return project;
}

void save(const StudioProject &project, const QString &folder)
{
    encodeFile(filePath(folder), [&project] { return encodeProjectFile(project); });
}

} // namespace kinoloom::ProjectStore
