#include "services/ServiceJson.h"

#include "model/StudioError.h"

#include <QJsonArray>
#include <QJsonParseError>

namespace kinoloom {

QJsonDocument parseServiceJson(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        throw StudioError(QStringLiteral("The service's reply is not valid JSON: %1 at byte %2.")
                              .arg(error.errorString())
                              .arg(error.offset));
    return document;
}

std::optional<QJsonObject> firstObject(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    if (array.isEmpty())
        return std::nullopt;
    for (const QJsonValue &element : array) {
        if (!element.isObject())
            return std::nullopt;
    }
    return array.first().toObject();
}

} // namespace kinoloom
