#include "session/JobLog.h"

#include <QTextBoundaryFinder>

namespace kinoloom {

QString appendedLog(const QString &log, const QString &line, int limit)
{
    QString text = log + line + QLatin1Char('\n');
    // A cluster has at least one UTF-16 unit, so a text this short has no more clusters.
    if (text.size() <= limit)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.toEnd();
    for (int kept = 0; kept < limit; ++kept) {
        if (finder.toPreviousBoundary() <= 0)
            return text;
    }
    return text.mid(finder.position());
}

} // namespace kinoloom
