#pragma once

#include <QMap>
#include <QString>

namespace kinoloom::test {

// The ffmpeg processes whose parent is `parent` and that are still running (not zombies), with
// their command lines (arguments joined by blanks), read from /proc.
QMap<qint64, QString> ffmpegChildren(qint64 parent);

// Whether a process `pid` exists and is not a zombie.
bool processRunning(qint64 pid);

} // namespace kinoloom::test
