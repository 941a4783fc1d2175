#include "ui/shell/PlainToolTip.h"

#include <QTextDocument>

namespace kinoloom {

QString plainToolTip(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace kinoloom
