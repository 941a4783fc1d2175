#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace kinoloom {

// The OAuth desktop client and the account connected with it, kept in the keyring under
// "google". Without a refresh token no account is connected yet.
struct GoogleCredential
{
    QString clientID;
    QString clientSecret;
    QString refreshToken;
    QString channel;
    QString channelID;

    bool operator==(const GoogleCredential &) const = default;

    // All five members are required strings; throws JsonError otherwise.
    static GoogleCredential fromJson(const QJsonObject &object);
    QJsonObject toJson() const;

    // The stored form: compact JSON. `fromData` throws StudioError on bytes that are not
    // a JSON object and JsonError on a missing member.
    static GoogleCredential fromData(const QByteArray &data);
    QByteArray data() const;
};

} // namespace kinoloom
