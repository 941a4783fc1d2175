#include "services/GoogleCredential.h"

#include "model/Json.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace kinoloom {

GoogleCredential GoogleCredential::fromJson(const QJsonObject &object)
{
    GoogleCredential credential;
    credential.clientID = json::requireString(object, QStringLiteral("clientID"));
    credential.clientSecret = json::requireString(object, QStringLiteral("clientSecret"));
    credential.refreshToken = json::requireString(object, QStringLiteral("refreshToken"));
    credential.channel = json::requireString(object, QStringLiteral("channel"));
    credential.channelID = json::requireString(object, QStringLiteral("channelID"));
    return credential;
}

QJsonObject GoogleCredential::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("clientID"), clientID);
    object.insert(QStringLiteral("clientSecret"), clientSecret);
    object.insert(QStringLiteral("refreshToken"), refreshToken);
    object.insert(QStringLiteral("channel"), channel);
    object.insert(QStringLiteral("channelID"), channelID);
    return object;
}

GoogleCredential GoogleCredential::fromData(const QByteArray &data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw StudioError(QStringLiteral("The saved Google account could not be read. Import the OAuth client again."));
    return fromJson(document.object());
}

QByteArray GoogleCredential::data() const
{
    return QJsonDocument(toJson()).toJson(QJsonDocument::Compact);
}

} // namespace kinoloom
