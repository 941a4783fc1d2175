#pragma once

#include <QString>

namespace kinoloom {

// The job log keeps this many user-perceived characters (grapheme clusters), the newest.
inline constexpr int jobLogLimit = 30000;

// `log`, then `line` and one line feed, cut at the front to the last `limit` grapheme
// clusters. A combining mark at the start of `line` joins the log's last character, as it
// would on screen, and a cluster is never split.
QString appendedLog(const QString &log, const QString &line, int limit = jobLogLimit);

} // namespace kinoloom
