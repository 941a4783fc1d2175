#pragma once

#include "ui/shell/HelpTopic.h"

#include <optional>

namespace kinoloom::HelpSearch {

// The topics whose title, summary, headings and bodies (joined by single spaces, in that
// order) contain the query, without regard to case, once white space is trimmed from both ends
// of it. A blank query matches every topic. The order of `topics` is kept; symbol names are not
// searched.
QList<HelpTopic> matching(const QList<HelpTopic> &topics, const QString &query);

// The topic shown: the selected one when it is among the results, else the first result.
std::optional<HelpTopic> current(const QList<HelpTopic> &results, const std::optional<QString> &selection);

// "<title> · Help", or "Search · Help" when no topic is shown.
QString windowTitle(const std::optional<HelpTopic> &current);

// "1 topic · Available offline", "9 topics · Available offline".
QString footer(qsizetype count);

} // namespace kinoloom::HelpSearch
