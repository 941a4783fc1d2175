#include "model/StoredDate.h"

#include "model/Json.h"

namespace kinoloom {

StoredDate StoredDate::now()
{
    return fromDateTime(QDateTime::currentDateTimeUtc());
}

StoredDate StoredDate::fromDateTime(const QDateTime &date)
{
    return StoredDate{json::secondsSinceReferenceDate(date)};
}

QDateTime StoredDate::toDateTime() const
{
    return json::dateFromReferenceSeconds(secondsSinceReferenceDate);
}

} // namespace kinoloom
