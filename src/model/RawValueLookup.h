#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace kinoloom {

// The case of `cases` whose raw value is exactly `raw` (case-sensitive), or none.
template <typename Enum>
std::optional<Enum> caseWithRawValue(const QString &raw, const QList<Enum> &cases)
{
    for (Enum value : cases) {
        if (rawValue(value) == raw)
            return value;
    }
    return std::nullopt;
}

} // namespace kinoloom
