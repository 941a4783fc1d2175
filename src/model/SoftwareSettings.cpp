#include "model/SoftwareSettings.h"

#include "model/Json.h"

namespace kinoloom {

using namespace json;

SoftwareSettings SoftwareSettings::fromJson(const QJsonObject &o)
{
    SoftwareSettings s;
    s.processing = decodeObject(o, QStringLiteral("processing"), ProcessingSettings::fromJson);
    s.publish = decodeObject(o, QStringLiteral("publish"), PublishSettings::fromJson);
    s.lastClipPath = optionalString(o, QStringLiteral("lastClipPath"));
    return s;
}

QJsonObject SoftwareSettings::toJson() const
{
    QJsonObject o;
    putObject(o, QStringLiteral("processing"), [this] { return processing.toJson(); });
    putObject(o, QStringLiteral("publish"), [this] { return publish.toJson(); });
    putOptionalString(o, QStringLiteral("lastClipPath"), lastClipPath);
    return o;
}

} // namespace kinoloom
