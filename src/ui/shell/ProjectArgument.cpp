#include "ui/shell/ProjectArgument.h"

#include <QDir>

namespace kinoloom {

std::optional<QString> projectArgument(const QStringList &arguments, const QString &currentDirectory)
{
    const qsizetype index = arguments.indexOf(QStringLiteral("--project"));
    if (index < 0 || index + 1 >= arguments.size())
        return std::nullopt;
    return QDir(currentDirectory).absoluteFilePath(arguments.at(index + 1));
}

} // namespace kinoloom
