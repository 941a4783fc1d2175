#pragma once

#include <QString>

namespace kinoloom {

// A tooltip that shows `text` as it stands. Qt reads a tooltip that looks like markup as
// markup, so a clip named "<b>Take" would turn bold, and an <img> in a file name would be
// loaded; such text is escaped here.
QString plainToolTip(const QString &text);

} // namespace kinoloom
