#pragma once

#include <QString>

#include <optional>

namespace kinoloom {

// The text of the "Needs attention" alert for the session's `error`: its first line (split at
// every newline character, CR LF and U+2028 included), at most 300 user-perceived characters,
// a longer line cut to its first 297 followed by "...". No error gives "The operation could not
// be completed.".
QString alertMessage(const std::optional<QString> &error);

} // namespace kinoloom
