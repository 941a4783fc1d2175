#pragma once

#include <QString>

namespace kinoloom::path {

// The last component of a path, ignoring trailing slashes ("/a/b/" gives "b").
QString lastComponent(const QString &path);

// The text after the last dot of the last component. A component that starts with its only
// dot (".mp4") or ends with a dot has no extension. QFileInfo::suffix() treats ".mp4" as
// the extension "mp4", which is why this exists.
QString extension(const QString &path);

// The path with its extension replaced by `newExtension` (or added when it has none).
QString replacingExtension(const QString &path, const QString &newExtension);

} // namespace kinoloom::path
