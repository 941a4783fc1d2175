#include "ui/shell/ObjectName.h"

namespace kinoloom {

QString objectNameFor(const QString &title, const QString &suffix)
{
    QString name;
    bool upper = false;
    for (const QChar character : title) {
        if (!character.isLetterOrNumber()) {
            upper = !name.isEmpty();
            continue;
        }
        name += name.isEmpty() ? character.toLower() : upper ? character.toUpper() : character;
        upper = false;
    }
    return name + suffix;
}

} // namespace kinoloom
