#include "ui/media/MediaTile.h"

#include "ui/media/AssetDrag.h"
#include "ui/shell/MediaThumbnail.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"
#include "ui/shell/TimeLabel.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>

namespace kinoloom {

namespace {

constexpr int rowSpacing = 8;
constexpr int badgePadding = 4;
constexpr int badgeInset = 4;
constexpr int badgeRadius = 4;
constexpr int checkmarkSpacing = 4;

int lineHeight(const QFont &font)
{
    return QFontMetrics(font).height();
}

QPainterPath rounded(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QColor withAlpha(QColor colour, qreal alpha)
{
    colour.setAlphaF(float(alpha));
    return colour;
}

} // namespace

MediaTile::MediaTile(const MediaAsset &asset, bool selected, QWidget *parent)
    : AssetButton(parent)
    , m_asset(asset)
    , m_selected(selected)
{
    setObjectName(QStringLiteral("mediaTile"));
    setFocusPolicy(Qt::TabFocus);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    describe();
}

void MediaTile::setAsset(const MediaAsset &asset)
{
    if (asset == m_asset)
        return;
    m_asset = asset;
    describe();
    update();
}

void MediaTile::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    describe();
    update();
}

void MediaTile::setTextDrop(std::function<bool(const QString &)> handler)
{
    m_textDrop = std::move(handler);
    setAcceptDrops(bool(m_textDrop));
}

void MediaTile::describe()
{
    setToolTip(m_asset.path.toHtmlEscaped());
    setAccessibleName(m_asset.name + QStringLiteral(", ") + displayName(m_asset.role) + QStringLiteral(", ")
                      + timeLabel(m_asset.duration));
    setAccessibleDescription(m_selected ? QStringLiteral("Selected") : QString());
}

QString MediaTile::badgeText() const
{
    return m_asset.isImage ? QStringLiteral("STILL") : timeLabel(m_asset.duration);
}

QString MediaTile::captionText() const
{
    const QString detail = m_asset.missing()
        ? QStringLiteral("Missing")
        : QStringLiteral("%1 × %2").arg(qlonglong(m_asset.width)).arg(qlonglong(m_asset.height));
    return displayName(m_asset.role) + QLatin1Char('\t') + detail;
}

bool MediaTile::hasHeightForWidth() const
{
    return true;
}

int MediaTile::heightForWidth(int width) const
{
    const int pictureHeight = std::max(0, width - 2 * inset) * 9 / 16;
    return inset + pictureHeight + rowSpacing + lineHeight(StudioStyle::body()) + rowSpacing
        + lineHeight(StudioStyle::caption()) + inset;
}

QSize MediaTile::sizeHint() const
{
    return {180, heightForWidth(180)};
}

QSize MediaTile::minimumSizeHint() const
{
    return {100, heightForWidth(100)};
}

QRect MediaTile::pictureRect() const
{
    const int pictureWidth = std::max(0, width() - 2 * inset);
    return {inset, inset, pictureWidth, pictureWidth * 9 / 16};
}

QRect MediaTile::badgeRect() const
{
    const QFontMetrics metrics(StudioStyle::caption());
    const QSize text(metrics.horizontalAdvance(badgeText()), metrics.height());
    const QSize size = text + QSize(2 * badgePadding, 2 * badgePadding);
    const QRect picture = pictureRect();
    return {picture.right() + 1 - badgeInset - size.width(), picture.bottom() + 1 - badgeInset - size.height(),
            size.width(), size.height()};
}

const QPixmap &MediaTile::picture(const QSize &size, qreal devicePixelRatio)
{
    bool changed = false;
    const QImage &image = m_thumbnail.image(m_asset.thumbnail.value_or(QString()), &changed);
    // Drawn once at the box's size, so scrolling a long grid only copies pixels.
    const QSize pixels = (QSizeF(size) * devicePixelRatio).toSize();
    if (changed || m_scaled.size() != pixels || m_scaled.devicePixelRatio() != devicePixelRatio) {
        m_scaled = QPixmap(pixels);
        m_scaled.setDevicePixelRatio(devicePixelRatio);
        m_scaled.fill(Qt::transparent);
        QPainter painter(&m_scaled);
        MediaThumbnail::paintPicture(painter, QRect(QPoint(), size), image, devicePixelRatio);
    }
    return m_scaled;
}

void MediaTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &colours = palette();
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (m_selected) {
        painter.fillPath(rounded(card, cornerRadius), withAlpha(StudioStyle::accent(colours), 0.12));
        painter.setPen(QPen(withAlpha(StudioStyle::accent(colours), 0.4), 1));
        painter.drawPath(rounded(card, cornerRadius));
    }

    const QRect pictureBox = pictureRect();
    painter.save();
    painter.setClipPath(rounded(pictureBox, cornerRadius));
    painter.drawPixmap(pictureBox.topLeft(), picture(pictureBox.size(), devicePixelRatioF()));
    painter.restore();

    const QRect badge = badgeRect();
    painter.fillPath(rounded(badge, badgeRadius), QColor(0, 0, 0, 178));
    painter.setFont(StudioStyle::caption());
    painter.setPen(Qt::white);
    painter.drawText(badge, Qt::AlignCenter, badgeText());

    const int contentWidth = width() - 2 * inset;
    const int titleTop = pictureBox.bottom() + 1 + rowSpacing;
    const int titleHeight = lineHeight(StudioStyle::body());
    int titleWidth = contentWidth;
    if (m_selected) {
        const int extent = symbolExtent(StudioStyle::body().pixelSize());
        titleWidth -= extent + checkmarkSpacing;
        const QRect mark(width() - inset - extent, titleTop + (titleHeight - extent) / 2, extent, extent);
        painter.drawPixmap(mark,
                           symbolPixmap(QStringLiteral("checkmark.circle.fill"), extent, StudioStyle::accent(colours),
                                        SymbolWeight::regular, devicePixelRatioF()));
    }
    painter.setFont(StudioStyle::body());
    painter.setPen(colours.color(QPalette::WindowText));
    const QString title = QFontMetrics(StudioStyle::body()).elidedText(m_asset.name, Qt::ElideMiddle, titleWidth);
    painter.drawText(QRect(inset, titleTop, titleWidth, titleHeight), Qt::AlignLeft | Qt::AlignVCenter, title);

    const QStringList caption = captionText().split(QLatin1Char('\t'));
    const QRect captionRow(inset, titleTop + titleHeight + rowSpacing, contentWidth,
                           lineHeight(StudioStyle::caption()));
    const QFontMetrics captionMetrics(StudioStyle::caption());
    const int detailWidth = captionMetrics.horizontalAdvance(caption.at(1));
    painter.setFont(StudioStyle::caption());
    painter.setPen(StudioStyle::secondaryText(colours));
    painter.drawText(captionRow, Qt::AlignRight | Qt::AlignVCenter, caption.at(1));
    const int roleWidth = std::max(0, contentWidth - detailWidth - StudioStyle::compact);
    painter.drawText(captionRow.adjusted(0, 0, -(contentWidth - roleWidth), 0), Qt::AlignLeft | Qt::AlignVCenter,
                     captionMetrics.elidedText(caption.at(0), Qt::ElideRight, roleWidth));
}

void MediaTile::dragEnterEvent(QDragEnterEvent *event)
{
    // Anything but text (files from the file manager) passes on to the view below the tile.
    if (m_textDrop && isDroppedText(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MediaTile::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_textDrop && isDroppedText(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MediaTile::dropEvent(QDropEvent *event)
{
    if (m_textDrop && isDroppedText(event->mimeData()) && m_textDrop(event->mimeData()->text()))
        event->acceptProposedAction();
    else
        event->ignore();
}

} // namespace kinoloom
