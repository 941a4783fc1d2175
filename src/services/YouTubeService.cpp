#include "services/YouTubeService.h"

#include "model/FileError.h"
#include "model/Fingerprint.h"
#include "model/StudioError.h"
#include "services/HTTPRequests.h"
#include "services/LiveHTTP.h"
#include "services/ServiceJson.h"
#include "services/TextMeasure.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace kinoloom {

namespace {

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
    QMap<QString, QString> grant;
    grant.insert(QStringLiteral("refresh_token"), credential.refreshToken);
    grant.insert(QStringLiteral("grant_type"), QStringLiteral("refresh_token"));
    return tokenRequest(tokenBase, credential, grant);
}

HTTPRequest channelRequest(const QUrl &api, const QString &token)
{
    const QueryItems query{{QStringLiteral("part"), QStringLiteral("snippet")},
                           {QStringLiteral("mine"), QStringLiteral("true")}};
    return serviceRequest(serviceAddress(api, QStringLiteral("/youtube/v3/channels"), query), "GET", token);
}

HTTPRequest videoStateRequest(const QUrl &api, const QString &videoID, const QString &token)
{
    const QueryItems query{{QStringLiteral("part"), QStringLiteral("processingDetails,status")},
                           {QStringLiteral("id"), videoID}};
    return serviceRequest(serviceAddress(api, QStringLiteral("/youtube/v3/videos"), query), "GET", token);
}

HTTPRequest createSessionRequest(const QUrl &api, const QString &token, const QByteArray &metadata, qint64 size)
{
    const QueryItems query{{QStringLiteral("uploadType"), QStringLiteral("resumable")},
                           {QStringLiteral("part"), QStringLiteral("snippet,status")}};
    HTTPRequest request = serviceRequest(serviceAddress(api, QStringLiteral("/upload/youtube/v3/videos"), query),
                                         "POST", token);
    request.setHeader("Content-Type", "application/json; charset=UTF-8");
    request.setHeader("X-Upload-Content-Length", QByteArray::number(size));
    request.setHeader("X-Upload-Content-Type", "video/mp4");
    request.body = metadata;
    return request;
}

HTTPRequest sessionQueryRequest(const QUrl &session, const QString &token, qint64 size)
{
    HTTPRequest request = serviceRequest(session, "PUT", token);
    request.setHeader("Content-Range", "bytes */" + QByteArray::number(size));
    return request;
}

HTTPRequest chunkRequest(const QUrl &session, const QString &token, qint64 offset, QByteArray bytes, qint64 size)
{
    HTTPRequest request = serviceRequest(session, "PUT", token);
    request.setHeader("Content-Type", "video/mp4");
    request.setHeader("Content-Range",
                      "bytes " + QByteArray::number(offset) + '-' + QByteArray::number(offset + bytes.size() - 1) + '/'
                          + QByteArray::number(size));
    request.body = std::move(bytes);
    return request;
}

HTTPRequest thumbnailRequest(const QUrl &api, const QString &token, const QString &videoID, QByteArray bytes, bool png)
{
    const QueryItems query{{QStringLiteral("videoId"), videoID},
                           {QStringLiteral("uploadType"), QStringLiteral("media")}};
    HTTPRequest request = serviceRequest(
        serviceAddress(api, QStringLiteral("/upload/youtube/v3/thumbnails/set"), query), "POST", token);
    request.setHeader("Content-Type", png ? "image/png" : "image/jpeg");
    request.body = std::move(bytes);
    return request;
}

HTTPRequest draftRequest(const QUrl &base, const QString &key, const QString &title)
{
    HTTPRequest request = serviceRequest(serviceAddress(base, QStringLiteral("/v1/chat/completions")), "POST", key);
    request.setHeader("Content-Type", "application/json");
    QJsonObject system;
    system.insert(QStringLiteral("role"), QStringLiteral("system"));
    system.insert(QStringLiteral("content"),
                  QStringLiteral(
                      "Return JSON with description (string) and tags (array of strings). Do not claim to have watched "
                      "the video. Generate concise YouTube metadata based only on the supplied title."));
    QJsonObject user;
    user.insert(QStringLiteral("role"), QStringLiteral("user"));
    user.insert(QStringLiteral("content"), title);
    QJsonObject format;
    format.insert(QStringLiteral("type"), QStringLiteral("json_object"));
    QJsonObject body;
    body.insert(QStringLiteral("model"), QStringLiteral("gpt-4o-mini"));
    body.insert(QStringLiteral("response_format"), format);
    body.insert(QStringLiteral("messages"), QJsonArray{system, user});
    request.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    return request;
}

QString statusText(const QString &pattern, int status)
{
    return pattern.arg(status);
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

QCoro::Task<QJsonObject> YouTubeService::json(HTTPRequest request) const
{
    return json(std::move(request), QList<int>{200});
}

QCoro::Task<QJsonObject> YouTubeService::json(HTTPRequest request, QList<int> expected) const
{
    const std::shared_ptr<HTTPTransport> http = m_http;
    const HTTPResponse response = co_await http->send(std::move(request));
    co_return jsonReply(response, expected);
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
    const QJsonValue processing =
        first->value(QStringLiteral("processingDetails")).toObject().value(QStringLiteral("processingStatus"));
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
    const bool privacyValid = settings.privacy == QLatin1String("private")
        || settings.privacy == QLatin1String("unlisted") || settings.privacy == QLatin1String("public");
    if (!titleValid || !descriptionValid || !privacyValid)
        throw StudioError(
            QStringLiteral("Enter a title of 1–100 characters, a description under 5,000 bytes, and valid privacy."));

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
    // The same place, however it is written: "https://host:443/" and "https://host/" are one.
    const auto effectivePort = [](const QUrl &place) {
        return place.port(place.scheme() == QLatin1String("http") ? 80 : 443);
    };
    if (!url.isValid() || url.scheme() != api.scheme() || url.host() != api.host()
        || effectivePort(url) != effectivePort(api) || !url.userInfo().isEmpty())
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
    const bool digits = !last.isEmpty()
        && std::all_of(last.cbegin(), last.cend(), [](char c) { return c >= '0' && c <= '9'; });
    bool ok = false;
    const qint64 value = digits ? last.toLongLong(&ok) : -1;
    if (!ok || value < 0 || value >= total)
        throw StudioError(QStringLiteral("YouTube returned an invalid upload range."));
    return value + 1;
}

QCoro::Task<ExportRecord> YouTubeService::upload(ExportRecord record, PublishSettings settings, QString token,
                                                 QString channelID, bool confirmed, RecordChanged changed,
                                                 Progress progress) const
{
    const YouTubeService self = *this;
    if (!confirmed)
        throw StudioError(QStringLiteral("Upload was not confirmed."));
    if (record.videoID)
        throw StudioError(QStringLiteral("This export already has a YouTube video. Open its existing link instead."));
    const QByteArray body = metadata(settings);
    const QString identity = Fingerprint::file(record.path);
    const qint64 size = QFileInfo(record.path).size();
    if (size <= 0)
        throw StudioError(QStringLiteral("The export file is empty or missing."));
    const QString fingerprint = Fingerprint::data(body + identity.toUtf8() + channelID.toUtf8());

    QUrl session;
    if (!record.uploadSession) {
        const HTTPResponse created = co_await self.m_http->send(
            createSessionRequest(self.m_endpoints.api, token, body, size));
        const std::optional<QByteArray> location = created.header("Location");
        if (created.status < 200 || created.status > 299 || !location)
            throw StudioError(statusText(QStringLiteral("Could not start upload (HTTP %1)."), created.status));
        session = self.validateSession(QString::fromUtf8(*location));
        record.uploadSession = QString::fromUtf8(*location);
        record.uploadFingerprint = fingerprint;
        record.uploadState = QStringLiteral("Session created");
        co_await changed(record);
    } else {
        if (record.uploadFingerprint != fingerprint)
            throw StudioError(
                QStringLiteral("The file, account, or metadata changed since this upload started. Restore those "
                               "settings to resume; use a new export for a separate upload."));
        session = self.validateSession(*record.uploadSession);
    }

    HTTPResponse reply = co_await self.m_http->send(sessionQueryRequest(session, token, size));
    if (reply.status == 404 || reply.status == 410) {
        // The platform no longer knows the session: it expired and can never complete, so no
        // duplicate can come of forgetting it, and the next attempt starts a new one.
        record.uploadSession.reset();
        record.uploadFingerprint.reset();
        record.uploadState.reset();
        co_await changed(record);
    }
    if (reply.status == 308) {
        qint64 offset = nextOffset(reply, size);
        QFile file(record.path);
        if (!file.open(QIODevice::ReadOnly))
            throw FileError(QStringLiteral("open"), record.path, file.errorString());
        if (offset >= size)
            throw StudioError(QStringLiteral(
                "All bytes were acknowledged but no video ID was returned. Retry to check the session."));
        for (;;) {
            self.m_http->checkCancellation();
            if (!file.seek(offset))
                throw FileError(QStringLiteral("read"), record.path, file.errorString());
            // One chunk in memory at a time: the movie is never loaded whole.
            QByteArray bytes = file.read(std::min(size - offset, uploadChunkSize));
            if (bytes.isNull() && file.error() != QFileDevice::NoError)
                throw FileError(QStringLiteral("read"), record.path, file.errorString());
            if (bytes.isEmpty())
                throw StudioError(QStringLiteral("The video changed while it was uploading."));
            const qint64 length = bytes.size();
            reply = co_await self.m_http->send(chunkRequest(session, token, offset, std::move(bytes), size));
            if (reply.status == 200 || reply.status == 201) {
                if (progress)
                    progress(1.0);
                break;
            }
            if (reply.status != 308)
                throw StudioError(statusText(
                    QStringLiteral("Upload interrupted (HTTP %1). Retry to resume the saved session."), reply.status));
            const qint64 next = nextOffset(reply, size);
            if (next <= offset || next > offset + length)
                throw StudioError(
                    QStringLiteral("Upload did not acknowledge the expected bytes. Retry to query the saved session."));
            if (progress)
                progress(static_cast<double>(next) / static_cast<double>(size));
            if (next >= size)
                throw StudioError(QStringLiteral(
                    "All bytes were acknowledged but no video ID was returned. Retry to check the session."));
            offset = next;
        }
    } else if (reply.status != 200 && reply.status != 201) {
        throw StudioError(
            statusText(QStringLiteral("Upload session could not be resumed (HTTP %1). The session may have expired; "
                                      "no duplicate was started."),
                       reply.status));
    }

    const QJsonDocument video = parseServiceJson(reply.body);
    const QJsonValue id = video.object().value(QStringLiteral("id"));
    if (!video.isObject() || !id.isString())
        throw StudioError(QStringLiteral("Upload response has no video ID. The saved session is retained."));
    record.videoID = id.toString();
    record.uploadState = QStringLiteral("Video created · processing not checked");
    co_await changed(record);

    if (!settings.thumbnail.isEmpty()) {
        std::exception_ptr thumbnailFailure;
        try {
            co_await self.setThumbnail(settings.thumbnail, id.toString(), token);
        } catch (...) {
            thumbnailFailure = std::current_exception();
        }
        if (thumbnailFailure) {
            // The video exists whatever happens to its thumbnail; the record must say so.
            record.uploadState = QStringLiteral("Video created · thumbnail failed · retry thumbnail");
            co_await changed(record);
            std::rethrow_exception(thumbnailFailure);
        }
        record.uploadState = QStringLiteral("Video created · thumbnail set · processing not checked");
    }
    co_await changed(record);
    co_return record;
}

QCoro::Task<> YouTubeService::setThumbnail(QString path, QString videoID, QString token) const
{
    const YouTubeService self = *this;
    const QString invalid = QStringLiteral("Choose a JPEG or PNG thumbnail under 2 MiB.");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("read"), path, file.errorString());
    // The size is checked before reading, so a huge file picked by mistake never fills memory.
    const QString extension = QFileInfo(path).suffix().toLower();
    const bool png = extension == QLatin1String("png");
    if (file.size() > thumbnailLimit
        || (!png && extension != QLatin1String("jpg") && extension != QLatin1String("jpeg")))
        throw StudioError(invalid);
    QByteArray bytes = file.read(thumbnailLimit + 1);
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("read"), path, file.errorString());
    if (bytes.size() > thumbnailLimit)
        throw StudioError(invalid);
    co_await self.json(thumbnailRequest(self.m_endpoints.api, token, videoID, std::move(bytes), png));
}

QCoro::Task<PublishSettings> YouTubeService::generateMetadata(QString title, QString key) const
{
    const YouTubeService self = *this;
    const QString unexpected = QStringLiteral("Metadata generation did not return the expected format.");
    if (title.isEmpty() || key.isEmpty())
        throw StudioError(QStringLiteral("Enter a title and save an OpenAI key in Settings."));
    const QJsonObject reply = co_await self.json(draftRequest(self.m_endpoints.textGeneration, key, title));
    const std::optional<QJsonObject> choice = firstObject(reply, QStringLiteral("choices"));
    const QJsonValue message = choice ? choice->value(QStringLiteral("message")) : QJsonValue();
    const QJsonValue content = message.toObject().value(QStringLiteral("content"));
    if (!message.isObject() || !content.isString())
        throw StudioError(unexpected);
    const QJsonDocument draft = parseServiceJson(content.toString().toUtf8());
    if (!draft.isObject())
        throw StudioError(unexpected);

    PublishSettings result;
    result.title = title;
    result.description = draft.object().value(QStringLiteral("description")).toString();
    const QJsonValue tags = draft.object().value(QStringLiteral("tags"));
    QStringList kept;
    bool allText = tags.isArray();
    for (const QJsonValue &tag : tags.toArray()) {
        allText = allText && tag.isString();
        kept.append(tag.toString());
    }
    if (allText)
        result.tags = kept.join(QStringLiteral(", "));
    co_return result;
}

} // namespace kinoloom
