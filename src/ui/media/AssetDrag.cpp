#include "ui/media/AssetDrag.h"

#include <QMimeData>

namespace kinoloom {

namespace {

bool isUpperHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

} // namespace

QString assetDragText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> assetFromDragText(const QString &text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? text.at(i) != QLatin1Char('-') : !isUpperHexDigit(text.at(i)))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

QMimeData *assetDragData(const QUuid &id)
{
    auto *data = new QMimeData;
    data->setText(assetDragText(id));
    return data;
}

bool isDroppedText(const QMimeData *data)
{
    return data && data->hasText() && !data->hasUrls();
}

} // namespace kinoloom
