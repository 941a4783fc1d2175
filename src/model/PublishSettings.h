#pragma once

#include <QJsonObject>
#include <QString>

namespace kinoloom {

// The upload metadata of a video.
struct PublishSettings
{
    QString title;
    QString description;
    // As typed: separated by commas; the uploader splits and trims them.
    QString tags;
    // "private", "unlisted" or "public".
    QString privacy = QStringLiteral("private");
    QString thumbnail;
    bool madeForKids = false;

    bool operator==(const PublishSettings &) const = default;

    static PublishSettings fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

} // namespace kinoloom
