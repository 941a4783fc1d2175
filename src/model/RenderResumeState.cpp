#include "model/RenderResumeState.h"

#include "model/Json.h"

namespace kinoloom {

RenderResumeState RenderResumeState::fromJson(const QJsonObject &object)
{
    return {json::requireBool(object, QStringLiteral("preview")),
            json::requireBool(object, QStringLiteral("prepareOnly")),
            json::requireBool(object, QStringLiteral("resumeFromRender"))};
}

QJsonObject RenderResumeState::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("preview"), preview);
    object.insert(QStringLiteral("prepareOnly"), prepareOnly);
    object.insert(QStringLiteral("resumeFromRender"), resumeFromRender);
    return object;
}

} // namespace kinoloom
