#include "model/PublishSettings.h"

#include "model/Json.h"

namespace kinoloom {

using namespace json;

PublishSettings PublishSettings::fromJson(const QJsonObject &o)
{
    PublishSettings p;
    p.title = requireString(o, QStringLiteral("title"));
    p.description = requireString(o, QStringLiteral("description"));
    p.tags = requireString(o, QStringLiteral("tags"));
    p.privacy = requireString(o, QStringLiteral("privacy"));
    p.thumbnail = requireString(o, QStringLiteral("thumbnail"));
    p.madeForKids = requireBool(o, QStringLiteral("madeForKids"));
    return p;
}

QJsonObject PublishSettings::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("title"), title);
    o.insert(QStringLiteral("description"), description);
    o.insert(QStringLiteral("tags"), tags);
    o.insert(QStringLiteral("privacy"), privacy);
    o.insert(QStringLiteral("thumbnail"), thumbnail);
    o.insert(QStringLiteral("madeForKids"), madeForKids);
    return o;
}

} // namespace kinoloom
