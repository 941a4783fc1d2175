#pragma once

#include <QString>

namespace kinoloom {

// Characters as the user sees them (grapheme clusters): "é" written with a combining accent
// and a flag emoji count as one each.
qsizetype characterCount(const QString &text);

} // namespace kinoloom
