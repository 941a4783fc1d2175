#include "model/ExportRecord.h"

#include "model/Json.h"

#include <QJsonArray>

namespace kinoloom {

using namespace json;

ExportRecord ExportRecord::create(const QString &kind, const QString &path, double duration,
                                  const QStringList &thumbnails)
{
    ExportRecord record;
    record.kind = kind;
    record.path = path;
    record.duration = duration;
    record.thumbnails = thumbnails;
    return record;
}

ExportRecord ExportRecord::fromJson(const QJsonObject &o)
{
    ExportRecord r;
    r.id = requireUuid(o, QStringLiteral("id"));
    r.created = requireDate(o, QStringLiteral("created"));
    r.kind = requireString(o, QStringLiteral("kind"));
    r.path = requireString(o, QStringLiteral("path"));
    r.duration = requireDouble(o, QStringLiteral("duration"));
    r.thumbnails = requireStringList(o, QStringLiteral("thumbnails"));
    r.videoID = optionalString(o, QStringLiteral("videoID"));
    r.uploadState = optionalString(o, QStringLiteral("uploadState"));
    r.uploadSession = optionalString(o, QStringLiteral("uploadSession"));
    r.uploadFingerprint = optionalString(o, QStringLiteral("uploadFingerprint"));
    r.renderFingerprint = optionalString(o, QStringLiteral("renderFingerprint"));
    return r;
}

QJsonObject ExportRecord::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), uuidText(id));
    putDate(o, QStringLiteral("created"), created);
    o.insert(QStringLiteral("kind"), kind);
    o.insert(QStringLiteral("path"), path);
    putDouble(o, QStringLiteral("duration"), duration);
    o.insert(QStringLiteral("thumbnails"), QJsonArray::fromStringList(thumbnails));
    putOptionalString(o, QStringLiteral("videoID"), videoID);
    putOptionalString(o, QStringLiteral("uploadState"), uploadState);
    putOptionalString(o, QStringLiteral("uploadSession"), uploadSession);
    putOptionalString(o, QStringLiteral("uploadFingerprint"), uploadFingerprint);
    putOptionalString(o, QStringLiteral("renderFingerprint"), renderFingerprint);
    return o;
}

} // namespace kinoloom
