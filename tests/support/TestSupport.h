#pragma once

#include <QString>

namespace kinoloom::test {

// Folder of the checked-in test helpers (fake tools, LUTs, scripts).
QString supportDir();

// Writes `bytes` to `path`, creating parent folders; fails the calling test on error.
bool writeFile(const QString &path, const QByteArray &bytes);

QByteArray readFile(const QString &path);

// A low-space message with the system temporary disk's free amount blanked: other processes write
// to that disk between the session's reading and the test's, so the amount may differ by a few MB.
QString withSteadyTemporaryDisk(const QString &message);

} // namespace kinoloom::test
