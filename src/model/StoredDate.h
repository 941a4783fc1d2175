#pragma once

#include <QDateTime>

namespace kinoloom {

// A moment as the documents store it: seconds since 2001-01-01 00:00:00 UTC. The seconds are
// kept exactly as read, with their whole fraction (a QDateTime holds milliseconds only), so a
// document written elsewhere saves back as it was.
struct StoredDate
{
    double secondsSinceReferenceDate = 0;

    static StoredDate now();
    // To the millisecond, as a QDateTime holds it.
    static StoredDate fromDateTime(const QDateTime &date);
    // Rounded to the millisecond; for showing and comparing with the clock.
    QDateTime toDateTime() const;

    bool operator==(const StoredDate &) const = default;
};

} // namespace kinoloom
