#include "services/YouTubeService.h"

#include "model/StudioError.h"
#include "services/LiveHTTP.h"
#include "services/ServiceJson.h"
#include "services/TextMeasure.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

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

QString statusSentence(int status)
{
    return QStringLiteral("Service request failed (HTTP %1). Check the account, API access, and connection, then retry.")
        .arg(status);
}

// Spaces and tabs only: a line break inside a tag is the user's and stays.
QString trimSpacesAndTabs(const QString &text)
{
    const auto blank = [](QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

QStringList cleanTags(const QString &tags)
{
    QStringList kept;
    for (const QString &piece : tags.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString tag = trimSpacesAndTabs(piece);
        if (!tag.isEmpty())
            kept.append(tag);
    }
    return kept;
}

// Request builders live outside the coroutines: g++ 12 miscompiles braced lists inside them.
HTTPRequest refreshRequest(const QUrl &tokenBase, const GoogleCredential &credential)
{
    HTTPRequest request = YouTubeService::request(YouTubeService::address(tokenBase, QStringLiteral("/token")), "POST");
    request.setHeader("Content-Type", "application/x-www-form-urlencoded");
    QMap<QString, QString> fields;
    fields.insert(QStringLiteral("client_id"), credential.clientID);
    fields.insert(QStringLiteral("client_secret"), credential.clientSecret);
    fields.insert(QStringLiteral("refresh_token"), credential.refreshToken);
    fields.insert(QStringLiteral("grant_type"), QStringLiteral("refresh_token"));
    request.body = YouTubeService::form(fields);
    return request;
}

HTTPRequest channelRequest(const QUrl &api, const QString &token)
{
    const QueryItems query{{QStringLiteral("part"), QStringLiteral("snippet")}, {QStringLiteral("mine"), QStringLiteral("true")}};
    return YouTubeService::request(YouTubeService::address(api, QStringLiteral("/youtube/v3/channels"), query), "GET", token);
}

HTTPRequest videoStateRequest(const QUrl &api, const QString &videoID, const QString &token)
{
    const QueryItems query{{QStringLiteral("part"), QStringLiteral("processingDetails,status")}, {QStringLiteral("id"), videoID}};
    return YouTubeService::request(YouTubeService::address(api, QStringLiteral("/youtube/v3/videos"), query), "GET", token);
}

} // namespace

YouTubeService::YouTubeService()
    : YouTubeService(std::make_shared<LiveHTTP>())
{
}

YouTubeService::YouTubeService(std::shared_ptr<HTTPTransport> http, ServiceEndpoints endpoints)
    : m_http(std::move(http))
    , m_endpoints(std::move(endpoints))
{
}

QByteArray YouTubeService::form(const QMap<QString, QString> &fields)
{
    QueryItems items;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        items.append({it.key(), it.value()});
    return encodePairs(items);
}

HTTPRequest YouTubeService::request(const QUrl &url, const QByteArray &method, const QString &token)
{
    HTTPRequest request;
    request.url = url;
    request.method = method;
    if (!token.isEmpty())
        request.setHeader("Authorization", "Bearer " + token.toUtf8());
    return request;
}

QUrl YouTubeService::address(const QUrl &base, const QString &path, const QueryItems &query)
{
    QUrl url = base;
    url.setPath(path);
    if (!query.isEmpty())
        url.setQuery(QString::fromLatin1(encodePairs(query)), QUrl::StrictMode);
    return url;
}

QCoro::Task<QJsonObject> YouTubeService::json(HTTPRequest request) const
{
    return json(std::move(request), QList<int>{200});
}

QCoro::Task<QJsonObject> YouTubeService::json(HTTPRequest request, QList<int> expected) const
{
    const std::shared_ptr<HTTPTransport> http = m_http;
    const HTTPResponse response = co_await http->send(std::move(request));
    if (!expected.contains(response.status))
        throw StudioError(statusSentence(response.status));
    const QJsonDocument document = parseServiceJson(response.body);
    if (!document.isObject())
        throw StudioError(QStringLiteral("The service returned unreadable data."));
    co_return document.object();
}

QCoro::Task<QString> YouTubeService::accessToken(GoogleCredential credential) const
{
    const YouTubeService self = *this;
    if (credential.refreshToken.isEmpty())
        throw StudioError(QStringLiteral("Connect a YouTube account in Settings first."));
    HTTPRequest request = refreshRequest(self.m_endpoints.token, credential);
    const QJsonObject reply = co_await self.json(std::move(request));
    const QJsonValue token = reply.value(QStringLiteral("access_token"));
    if (!token.isString())
        throw StudioError(QStringLiteral("Google did not return an access token. Reconnect your account."));
    co_return token.toString();
}

QCoro::Task<YouTubeChannel> YouTubeService::channel(QString token) const
{
    const YouTubeService self = *this;
    HTTPRequest request = channelRequest(self.m_endpoints.api, token);
    const QJsonObject reply = co_await self.json(std::move(request));
    const QJsonObject first = firstObject(reply, QStringLiteral("items")).value_or(QJsonObject());
    const QJsonValue id = first.value(QStringLiteral("id"));
    const QJsonValue title = first.value(QStringLiteral("snippet")).toObject().value(QStringLiteral("title"));
    if (!id.isString() || !title.isString())
        throw StudioError(QStringLiteral("No YouTube channel was found for this account."));
    co_return YouTubeChannel{id.toString(), title.toString()};
}

QCoro::Task<QString> YouTubeService::processingState(QString videoID, QString token) const
{
    const YouTubeService self = *this;
    HTTPRequest request = videoStateRequest(self.m_endpoints.api, videoID, token);
    const QJsonObject reply = co_await self.json(std::move(request));
    const std::optional<QJsonObject> first = firstObject(reply, QStringLiteral("items"));
    if (!first)
        throw StudioError(QStringLiteral("Video status is not available for this account."));
    const QJsonValue processing = first->value(QStringLiteral("processingDetails")).toObject().value(QStringLiteral("processingStatus"));
    const QJsonValue upload = first->value(QStringLiteral("status")).toObject().value(QStringLiteral("uploadStatus"));
    QString state = QStringLiteral("unknown");
    if (processing.isString())
        state = processing.toString();
    else if (upload.isString())
        state = upload.toString();
    co_return QStringLiteral("YouTube processing: ") + state;
}

QByteArray YouTubeService::metadata(const PublishSettings &settings)
{
    const bool titleValid = !settings.title.trimmed().isEmpty() && characterCount(settings.title) <= 100;
    const bool descriptionValid = settings.description.toUtf8().size() <= 5000;
    const bool privacyValid = settings.privacy == QLatin1String("private") || settings.privacy == QLatin1String("unlisted")
        || settings.privacy == QLatin1String("public");
    if (!titleValid || !descriptionValid || !privacyValid)
        throw StudioError(QStringLiteral("Enter a title of 1–100 characters, a description under 5,000 bytes, and valid privacy."));

    const QStringList tags = cleanTags(settings.tags);
    if (characterCount(tags.join(QLatin1Char(','))) > 500)
        throw StudioError(QStringLiteral("Keep the combined tags under 500 characters."));

    QJsonObject snippet;
    snippet.insert(QStringLiteral("title"), settings.title);
    snippet.insert(QStringLiteral("description"), settings.description);
    snippet.insert(QStringLiteral("tags"), QJsonArray::fromStringList(tags));
    QJsonObject status;
    status.insert(QStringLiteral("privacyStatus"), settings.privacy);
    status.insert(QStringLiteral("selfDeclaredMadeForKids"), settings.madeForKids);
    QJsonObject body;
    body.insert(QStringLiteral("snippet"), snippet);
    body.insert(QStringLiteral("status"), status);
    // QJsonObject keeps its keys sorted, so the compact text is deterministic.
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

QUrl YouTubeService::validateSession(const QString &address) const
{
    const QUrl url(address, QUrl::StrictMode);
    const QUrl &api = m_endpoints.api;
    if (!url.isValid() || url.scheme() != api.scheme() || url.host() != api.host() || url.port() != api.port()
        || !url.userInfo().isEmpty())
        throw StudioError(QStringLiteral("The saved upload session URL is invalid."));
    return url;
}

qint64 YouTubeService::nextOffset(const HTTPResponse &response, qint64 total)
{
    const std::optional<QByteArray> range = response.header("Range");
    if (!range)
        return 0;
    const QByteArray prefix("bytes=0-");
    const QByteArray last = range->startsWith(prefix) ? range->mid(prefix.size()) : QByteArray();
    const bool digits = !last.isEmpty() && std::all_of(last.cbegin(), last.cend(), [](char c) { return c >= '0' && c <= '9'; });
    bool ok = false;
    const qint64 value = digits ? last.toLongLong(&ok) : -1;
    if (!ok || value < 0 || value >= total)
        throw StudioError(QStringLiteral("YouTube returned an invalid upload range."));
    return value + 1;
}

} // namespace kinoloom
