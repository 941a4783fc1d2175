#pragma once

#include <QString>

namespace kinoloom {

// A stable object name made from a visible title: "Save Project…" with "Action" gives
// "saveProjectAction". Tests and later views find controls by it.
QString objectNameFor(const QString &title, const QString &suffix);

} // namespace kinoloom
