#include "model/ClipRole.h"

#include "model/RawValueLookup.h"

namespace kinoloom {

QString rawValue(ClipRole role)
{
    switch (role) {
    case ClipRole::main: return QStringLiteral("Main");
    case ClipRole::intro: return QStringLiteral("Intro");
    case ClipRole::outro: return QStringLiteral("Outro");
    case ClipRole::hook: return QStringLiteral("Hook");
    case ClipRole::excluded: return QStringLiteral("Excluded");
    }
    return {};
}

std::optional<ClipRole> clipRoleFromRawValue(const QString &raw)
{
    return caseWithRawValue(raw, allClipRoles());
}

QString displayName(ClipRole role)
{
    return role == ClipRole::outro ? QStringLiteral("End") : rawValue(role);
}

QList<ClipRole> allClipRoles()
{
    return {ClipRole::main, ClipRole::intro, ClipRole::outro, ClipRole::hook, ClipRole::excluded};
}

} // namespace kinoloom
