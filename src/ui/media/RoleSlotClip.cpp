#include "ui/media/RoleSlotClip.h"

#include "ui/shell/MediaThumbnail.h"
#include "ui/shell/StudioStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace kinoloom {

namespace {

constexpr int gap = StudioStyle::small;
constexpr int inset = StudioStyle::small;

QPainterPath rounded(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

RoleSlotClip::RoleSlotClip(QWidget *parent)
    : AssetButton(parent)
{
    setObjectName(QStringLiteral("roleSlotClip"));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void RoleSlotClip::setClip(const QString &title, const MediaAsset &asset, bool selected)
{
    m_asset = asset;
    m_selected = selected;
    setToolTip(asset.name.toHtmlEscaped());
    setAccessibleName(title + QStringLiteral(": ") + asset.name);
    update();
}

QRect RoleSlotClip::nameRect() const
{
    const int left = inset + thumbnailSize.width() + gap;
    return {left, inset, std::clamp(width() - left - inset, 0, nameWidth), height() - 2 * inset};
}

QString RoleSlotClip::nameText() const
{
    // Two lines of the width: the middle of a longer name gives way.
    const QFontMetrics metrics(StudioStyle::caption());
    // Too narrow for a readable piece of the name: the thumbnail and the tooltip say it.
    if (nameRect().width() < 3 * metrics.averageCharWidth())
        return {};
    return metrics.elidedText(m_asset.name, Qt::ElideMiddle, 2 * nameRect().width() - metrics.averageCharWidth());
}

QSize RoleSlotClip::sizeHint() const
{
    const int text = 2 * QFontMetrics(StudioStyle::caption()).lineSpacing();
    return {inset + thumbnailSize.width() + gap + nameWidth + inset,
            std::max(minimumHeight, inset + std::max(thumbnailSize.height(), text) + inset)};
}

QSize RoleSlotClip::minimumSizeHint() const
{
    return {inset + thumbnailSize.width() + inset, sizeHint().height()};
}

void RoleSlotClip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath card = rounded(rect(), StudioStyle::radius);
    painter.fillPath(card, StudioStyle::canvas(palette()));
    if (m_selected) {
        // Over the canvas colour, not over the panel: on the light panel the plain 9 % shade
        // would be as light as the canvas of the clips beside it.
        QColor shade = palette().color(QPalette::WindowText);
        shade.setAlphaF(float(selectedFill));
        painter.fillPath(card, shade);
    }

    const QRect picture(inset, (height() - thumbnailSize.height()) / 2, thumbnailSize.width(), thumbnailSize.height());
    painter.save();
    painter.setClipPath(rounded(picture, StudioStyle::small));
    painter.fillRect(picture, Qt::black);
    MediaThumbnail::paintPicture(painter, picture, m_thumbnail.image(m_asset.thumbnail.value_or(QString())),
                                 devicePixelRatioF());
    painter.restore();

    painter.setFont(StudioStyle::caption());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(nameRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWrapAnywhere, nameText());
}

} // namespace kinoloom
