#pragma once

#include "model/ExportRecord.h"

#include <QList>
#include <QLocale>
#include <QUrl>
#include <QUuid>

#include <optional>

namespace kinoloom {

// What the Publish stage offers: every render but a preview (the kind exactly "Preview").
bool isPublishable(const ExportRecord &record);

// The publishable renders, the newest (the last stored) first.
QList<ExportRecord> publishableNewestFirst(const QList<ExportRecord> &exports);

// The selection the Publish stage starts from: `current` while it names a render that is not a
// preview, else the newest publishable render, else none.
std::optional<QUuid> publishSelection(const QList<ExportRecord> &exports, const std::optional<QUuid> &current);

// "<kind> · <date>, <time>": the abbreviated date and the short time of `locale`, local time.
QString exportEntryText(const ExportRecord &record, const QLocale &locale = QLocale());

// The locale's long date without the weekday and with the month's short name ("Jan 2, 2026").
QString abbreviatedDate(const QDate &date, const QLocale &locale = QLocale());

// The platform's short link to a video. The id is percent-encoded, so that a "/", "?" or "#" in
// it stays part of the id instead of starting a path, a query or a fragment.
QUrl videoLink(const QString &videoID);

} // namespace kinoloom
