#pragma once

#include <QString>

namespace kinoloom::test {

// Folder of the checked-in test helpers (fake tools, LUTs, scripts).
QString supportDir();

// Writes `bytes` to `path`, creating parent folders; fails the calling test on error.
bool writeFile(const QString &path, const QByteArray &bytes);

QByteArray readFile(const QString &path);

} // namespace kinoloom::test
