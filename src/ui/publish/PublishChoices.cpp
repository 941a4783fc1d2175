#include "ui/publish/PublishChoices.h"

#include <QRegularExpression>

namespace kinoloom {

bool isPublishable(const ExportRecord &record)
{
    return record.kind != QLatin1String("Preview");
}

QList<ExportRecord> publishableNewestFirst(const QList<ExportRecord> &exports)
{
    QList<ExportRecord> result;
    for (auto record = exports.crbegin(); record != exports.crend(); ++record) {
        if (isPublishable(*record))
            result.append(*record);
    }
    return result;
}

std::optional<QUuid> publishSelection(const QList<ExportRecord> &exports, const std::optional<QUuid> &current)
{
    for (const ExportRecord &record : exports) {
        if (current == record.id && isPublishable(record))
            return current;
        if (current == record.id)
            break;
    }
    const QList<ExportRecord> offered = publishableNewestFirst(exports);
    if (offered.isEmpty())
        return std::nullopt;
    return offered.constFirst().id;
}

QString abbreviatedDate(const QDate &date, const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    // The weekday with whatever separates it from the rest, before or after it.
    static const QRegularExpression weekday(QStringLiteral("dddd[^dMy]*|[^dMy]*dddd"));
    format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return locale.toString(date, format.trimmed());
}

QString exportEntryText(const ExportRecord &record, const QLocale &locale)
{
    const QDateTime created = record.created.toDateTime().toLocalTime();
    return record.kind + QStringLiteral(" \u00B7 ") + abbreviatedDate(created.date(), locale) + QStringLiteral(", ")
        + locale.toString(created.time(), QLocale::ShortFormat);
}

QUrl videoLink(const QString &videoID)
{
    const QByteArray encoded = QUrl::toPercentEncoding(videoID);
    return QUrl::fromEncoded(QByteArrayLiteral("https://youtu.be/") + encoded, QUrl::StrictMode);
}

} // namespace kinoloom
