#include "ui/publish/ThumbnailTile.h"

#include "ui/shell/MediaThumbnail.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>

namespace kinoloom {

namespace {

QPainterPath rounded(const QRectF &rect)
{
    QPainterPath path;
    path.addRoundedRect(rect, StudioStyle::radius, StudioStyle::radius);
    return path;
}

} // namespace

ThumbnailTile::ThumbnailTile(const QString &path, QWidget *parent)
    : QAbstractButton(parent)
    , m_path(path)
    , m_picture(MediaThumbnail::readPicture(path))
{
    setObjectName(QStringLiteral("thumbnailTile"));
    setFocusPolicy(Qt::TabFocus);
    setFont(StudioStyle::caption());
    setText(QFileInfo(path).completeBaseName());
    setToolTip(path);
    setAccessibleName(text());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ThumbnailTile::setMarked(bool marked)
{
    if (marked == m_marked)
        return;
    m_marked = marked;
    setAccessibleDescription(marked ? QStringLiteral("Selected") : QString());
    update();
}

QSize ThumbnailTile::sizeHint() const
{
    const int lineHeight = std::max(fontMetrics().height(), symbolExtent(font().pixelSize()));
    return {pictureSize.width() + 2 * StudioStyle::small, pictureSize.height() + lineHeight + 3 * StudioStyle::small};
}

void ThumbnailTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_marked) {
        QColor tint = palette().color(QPalette::WindowText);
        tint.setAlphaF(float(markedOpacity));
        painter.fillPath(rounded(QRectF(rect())), tint);
    }

    const QRect picture(QPoint(StudioStyle::small, StudioStyle::small), pictureSize);
    painter.save();
    painter.setClipPath(rounded(QRectF(picture)));
    MediaThumbnail::paintPicture(painter, picture, m_picture, devicePixelRatioF());
    painter.restore();

    const int lineTop = picture.bottom() + 1 + StudioStyle::small;
    const int lineHeight = height() - lineTop - StudioStyle::small;
    const int extent = symbolExtent(font().pixelSize());
    const QColor ink = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    const QRect symbol(picture.left(), lineTop + (lineHeight - extent) / 2, extent, extent);
    painter.drawPixmap(symbol,
                       symbolPixmap(m_marked ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"),
                                    extent, ink, SymbolWeight::regular, devicePixelRatioF()));
    const QRect name(symbol.right() + 1 + StudioStyle::small, lineTop,
                     picture.right() - symbol.right() - StudioStyle::small, lineHeight);
    painter.setPen(ink);
    painter.drawText(name, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideMiddle, name.width()));

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace kinoloom
