#include "model/WorkflowPreset.h"

#include "model/Json.h"
#include "model/StudioProject.h"

namespace kinoloom {

using namespace json;

WorkflowPreset::WorkflowPreset(const QUuid &id, const QString &name, const StudioProject &project)
    : id(id)
    , name(name)
    , settings(project.settings)
    , publish(project.publish)
{
    settings.title.clear();
    settings.subtitle.clear();
    settings.music.clear();
    publish.title.clear();
    publish.thumbnail.clear();
}

StudioProject WorkflowPreset::applying(const StudioProject &project) const
{
    StudioProject result = project;
    result.settings = settings;
    result.settings.title = project.settings.title;
    result.settings.subtitle = project.settings.subtitle;
    result.settings.music = project.settings.music;
    result.publish = publish;
    result.publish.title = project.publish.title;
    result.publish.thumbnail = project.publish.thumbnail;
    return result;
}

WorkflowPreset WorkflowPreset::fromJson(const QJsonObject &o)
{
    WorkflowPreset w;
    w.id = requireUuid(o, QStringLiteral("id"));
    w.name = requireString(o, QStringLiteral("name"));
    w.settings = decodeObject(o, QStringLiteral("settings"), ProcessingSettings::fromJson);
    w.publish = decodeObject(o, QStringLiteral("publish"), PublishSettings::fromJson);
    return w;
}

QJsonObject WorkflowPreset::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), uuidText(id));
    o.insert(QStringLiteral("name"), name);
    putObject(o, QStringLiteral("settings"), [this] { return settings.toJson(); });
    putObject(o, QStringLiteral("publish"), [this] { return publish.toJson(); });
    return o;
}

} // namespace kinoloom
