#pragma once

#include <QDateTime>
#include <QString>

namespace kinoloom {

// Renames the file at `path` to "<name>.unreadable-<yyyyMMdd-HHmmss>" beside it (with "-2",
// "-3", … when that name is taken), so that a document that could not be read is kept for the
// user instead of being overwritten. Nothing there is fine. Throws FileError when the rename fails.
void moveAsideUnreadable(const QString &path, const QDateTime &now);

} // namespace kinoloom
