#pragma once

#include "model/StoredDate.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace kinoloom {

// One rendered output of a project (film, preview or Short) with its upload bookkeeping.
struct ExportRecord
{
    QUuid id = QUuid::createUuid();
    StoredDate created = StoredDate::now();
    // "Preview", "Short", or the resolution's short title followed by " movie".
    QString kind;
    QString path;
    double duration = 0;
    QStringList thumbnails;
    std::optional<QString> videoID;
    std::optional<QString> uploadState;
    std::optional<QString> uploadSession;
    std::optional<QString> uploadFingerprint;
    std::optional<QString> renderFingerprint;

    bool operator==(const ExportRecord &) const = default;

    // A fresh record as a render makes it: new id, created now, no upload bookkeeping.
    static ExportRecord create(const QString &kind, const QString &path, double duration,
                               const QStringList &thumbnails = {});

    static ExportRecord fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

} // namespace kinoloom
