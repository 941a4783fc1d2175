#pragma once

#include <QByteArray>
#include <QString>

namespace kinoloom {

// The whole content of the file at `path`; a file that cannot be opened or read fails with a
// FileError naming it.
QByteArray readFileBytes(const QString &path);

} // namespace kinoloom
