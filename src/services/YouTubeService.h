#pragma once

#include "model/ExportRecord.h"
#include "model/PublishSettings.h"
#include "services/GoogleCredential.h"
#include "services/HTTPTransport.h"
#include "services/ServiceEndpoints.h"

#include <QJsonObject>
#include <QMap>

#include <functional>
#include <memory>

namespace kinoloom {

// The connected channel: what the platform calls it and how the user knows it.
struct YouTubeChannel
{
    QString id;
    QString title;

    bool operator==(const YouTubeChannel &) const = default;
};

// The client of the token service, the video platform and the text-generation service.
// It keeps no state besides its transport and endpoints: tokens, sessions and records go in
// and come out of every call. Made for one job; copies share the transport, so cancelling
// the transport cancels every copy's requests.
class YouTubeService
{
public:
    using RecordChanged = std::function<QCoro::Task<>(ExportRecord)>;
    using Progress = std::function<void(double)>;

    YouTubeService();
    explicit YouTubeService(std::shared_ptr<HTTPTransport> http, ServiceEndpoints endpoints = {});

    const std::shared_ptr<HTTPTransport> &http() const { return m_http; }
    const ServiceEndpoints &endpoints() const { return m_endpoints; }

    // Sends the request and returns its JSON object; a status outside `expected` fails with
    // a sentence carrying the number, and the body is then not read.
    QCoro::Task<QJsonObject> json(HTTPRequest request, QList<int> expected) const;
    // Accepts 200 only, as every caller does.
    QCoro::Task<QJsonObject> json(HTTPRequest request) const;

    QCoro::Task<QString> accessToken(GoogleCredential credential) const;
    QCoro::Task<YouTubeChannel> channel(QString token) const;
    QCoro::Task<QString> processingState(QString videoID, QString token) const;

    // The video's snippet and status as compact JSON with sorted keys; equal settings give
    // equal bytes, since they also key the upload session.
    static QByteArray metadata(const PublishSettings &settings);

    // An upload session address is trusted only on the API's own scheme, host and port.
    QUrl validateSession(const QString &address) const;

    // The first byte the platform has not acknowledged, read from a 308 reply's Range.
    static qint64 nextOffset(const HTTPResponse &response, qint64 total);

    // Puts the export on the channel through a resumable session. The session address and a
    // fingerprint of metadata, file and channel are handed to `changed`, and awaited, before any
    // byte of the movie is sent, so a failed or cancelled upload resumes the same session next
    // time instead of starting a second video. A session the platform no longer knows (404 or
    // 410 to the status query) is dropped from the record, through `changed`, before the upload
    // fails, so that the next attempt starts a new one. Returns the record with the video's id.
    QCoro::Task<ExportRecord> upload(ExportRecord record, PublishSettings settings, QString token, QString channelID,
                                     bool confirmed, RecordChanged changed, Progress progress) const;
    QCoro::Task<> setThumbnail(QString path, QString videoID, QString token) const;

    // A description and tags drafted from the title alone, for the user to review.
    QCoro::Task<PublishSettings> generateMetadata(QString title, QString key) const;

    static constexpr qint64 uploadChunkSize = 8 * 1024 * 1024;
    static constexpr qint64 thumbnailLimit = 2 * 1024 * 1024;

private:
    std::shared_ptr<HTTPTransport> m_http;
    ServiceEndpoints m_endpoints;
};

} // namespace kinoloom
