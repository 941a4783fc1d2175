#pragma once

#include <QString>

namespace kinoloom {

// Creates `path` with every missing parent; an existing folder is fine. Throws FileError
// with the system's reason (a parent that is a file, no permission, ...).
void createFolder(const QString &path);

} // namespace kinoloom
