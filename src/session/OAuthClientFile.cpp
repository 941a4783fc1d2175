#include "session/OAuthClientFile.h"

#include "model/JsonFile.h"
#include "model/StudioError.h"

#include <QJsonObject>

namespace kinoloom {

GoogleCredential readOAuthClientFile(const QString &path)
{
    const QJsonDocument document = json::readDocumentFile(path);
    const QJsonValue installed = document.object().value(QStringLiteral("installed"));
    const QJsonValue id = installed.toObject().value(QStringLiteral("client_id"));
    const QJsonValue secret = installed.toObject().value(QStringLiteral("client_secret"));
    if (!document.isObject() || !installed.isObject() || !id.isString() || !secret.isString())
        throw StudioError(QStringLiteral("Select a Google OAuth Desktop client JSON with an installed section."));
    return GoogleCredential{id.toString(), secret.toString(), QString(), QString(), QString()};
}

} // namespace kinoloom
