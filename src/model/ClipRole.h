#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

namespace kinoloom {

// How a clip takes part in the film. The raw values are stored in project files and
// segment identities, so they must never change.
enum class ClipRole { main, intro, outro, hook, excluded };

QString rawValue(ClipRole role);
std::optional<ClipRole> clipRoleFromRawValue(const QString &raw);
// The name the user sees; the outro is always shown as "End".
QString displayName(ClipRole role);
QList<ClipRole> allClipRoles();

inline size_t qHash(ClipRole role, size_t seed = 0) noexcept
{
    return ::qHash(int(role), seed);
}

} // namespace kinoloom
