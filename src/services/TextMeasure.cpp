#include "services/TextMeasure.h"

#include <QTextBoundaryFinder>

namespace kinoloom {

qsizetype characterCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace kinoloom
