#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kinoloom {

// The project folder named on the command line: the argument after the first one that is
// exactly "--project", made absolute against `currentDirectory`. None when there is no such
// argument or nothing follows it. Nothing else is read, so "-project", "--project=x" and
// options the program does not know are left alone.
std::optional<QString> projectArgument(const QStringList &arguments, const QString &currentDirectory);

} // namespace kinoloom
