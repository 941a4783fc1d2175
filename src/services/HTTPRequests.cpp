#include "services/HTTPRequests.h"

#include "model/StudioError.h"
#include "services/GoogleCredential.h"
#include "services/ServiceJson.h"

namespace kinoloom {

namespace {

QByteArray encodePairs(const QueryItems &items)
{
    QByteArray text;
    for (const auto &[name, value] : items) {
        if (!text.isEmpty())
            text += '&';
        text += QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    }
    return text;
}

} // namespace

QByteArray formBody(const QMap<QString, QString> &fields)
{
    QueryItems items;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        items.append({it.key(), it.value()});
    return encodePairs(items);
}

HTTPRequest serviceRequest(const QUrl &url, const QByteArray &method, const QString &token)
{
    HTTPRequest request;
    request.url = url;
    request.method = method;
    if (!token.isEmpty())
        request.setHeader("Authorization", "Bearer " + token.toUtf8());
    return request;
}

QUrl serviceAddress(const QUrl &base, const QString &path, const QueryItems &query)
{
    QUrl url = base;
    url.setPath(path);
    if (!query.isEmpty())
        url.setQuery(QString::fromLatin1(encodePairs(query)), QUrl::StrictMode);
    return url;
}

QJsonObject jsonReply(const HTTPResponse &response, const QList<int> &expected)
{
    if (!expected.contains(response.status)) {
        throw StudioError(
            QStringLiteral(
                "Service request failed (HTTP %1). Check the account, API access, and connection, then retry.")
                .arg(response.status));
    }
    const QJsonDocument document = parseServiceJson(response.body);
    if (!document.isObject())
        throw StudioError(QStringLiteral("The service returned unreadable data."));
    return document.object();
}

HTTPRequest tokenRequest(const QUrl &tokenBase, const GoogleCredential &client, QMap<QString, QString> grant)
{
    HTTPRequest request = serviceRequest(serviceAddress(tokenBase, QStringLiteral("/token")), "POST");
    request.setHeader("Content-Type", "application/x-www-form-urlencoded");
    grant.insert(QStringLiteral("client_id"), client.clientID);
    grant.insert(QStringLiteral("client_secret"), client.clientSecret);
    request.body = formBody(grant);
    return request;
}

} // namespace kinoloom
