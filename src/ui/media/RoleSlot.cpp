#include "ui/media/RoleSlot.h"

#include "ui/media/AssetDrag.h"
#include "ui/media/RoleSlotClip.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

QPainterPath rounded(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// The dashed place of an empty slot.
class DropHint : public QWidget
{
public:
    DropHint()
    {
        setObjectName(QStringLiteral("dropHint"));
        setAccessibleName(QStringLiteral("Drop clip"));
        setMinimumHeight(RoleSlot::hintHeight);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return {60, RoleSlot::hintHeight}; }
    QSize minimumSizeHint() const override { return {24, RoleSlot::hintHeight}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.fillPath(rounded(card, StudioStyle::radius), StudioStyle::canvas(palette()));
        QColor tertiary = palette().color(QPalette::WindowText);
        tertiary.setAlphaF(0.3f);
        QPen dashes(tertiary, 1);
        dashes.setDashPattern({5, 4});
        painter.setPen(dashes);
        painter.drawPath(rounded(card, StudioStyle::radius));

        const QFont font = StudioStyle::caption();
        const QString text = QStringLiteral("Drop clip");
        const int extent = symbolExtent(font.pixelSize());
        const QFontMetrics metrics(font);
        const int textWidth = std::min(metrics.horizontalAdvance(text), std::max(0, width() - extent - 12));
        const int left = (width() - extent - StudioStyle::small - textWidth) / 2;
        const QColor secondary = StudioStyle::secondaryText(palette());
        painter.drawPixmap(
            QRect(left, (height() - extent) / 2, extent, extent),
            symbolPixmap(QStringLiteral("plus"), extent, secondary, SymbolWeight::regular, devicePixelRatioF()));
        painter.setFont(font);
        painter.setPen(secondary);
        painter.drawText(QRect(left + extent + StudioStyle::small, 0, textWidth, height()),
                         Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(text, Qt::ElideRight, textWidth));
    }
};

} // namespace

RoleSlot::RoleSlot(const QString &title, ClipRole role, std::optional<int> slot, QWidget *parent)
    : QWidget(parent)
    , m_title(title)
    , m_role(role)
    , m_slot(slot)
    , m_clip(new RoleSlotClip)
    , m_hint(new DropHint)
{
    setObjectName(QStringLiteral("roleSlot") + QString(title).remove(QLatin1Char(' ')));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    auto *label = new QLabel(title);
    label->setObjectName(QStringLiteral("roleSlotTitle"));
    QFont overline = StudioStyle::overline();
    overline.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    label->setFont(overline);
    label->setForegroundRole(StudioStyle::secondaryTextRole);

    auto *column = new QVBoxLayout(this);
    // Room for the outline of a hovering drag, which would otherwise cross the title.
    column->setContentsMargins(StudioStyle::small, 2, StudioStyle::small, 2);
    column->setSpacing(StudioStyle::small);
    column->addWidget(label);
    column->addWidget(m_clip);
    column->addWidget(m_hint);
    column->addStretch(1);
    m_clip->hide();
}

std::optional<QUuid> RoleSlot::shownAsset() const
{
    if (m_clip->isHidden())
        return std::nullopt;
    return m_clip->asset().id;
}

void RoleSlot::setAsset(const std::optional<MediaAsset> &asset, bool selected)
{
    if (asset)
        m_clip->setClip(m_title, *asset, selected);
    m_clip->setVisible(asset.has_value());
    m_hint->setVisible(!asset);
}

void RoleSlot::setTargeted(bool targeted)
{
    if (targeted == m_targeted)
        return;
    m_targeted = targeted;
    update();
}

void RoleSlot::setTextDrop(std::function<bool(const QString &)> handler)
{
    m_textDrop = std::move(handler);
    setAcceptDrops(bool(m_textDrop));
}

void RoleSlot::paintEvent(QPaintEvent *)
{
    if (!m_targeted)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor accent = StudioStyle::accent(palette());
    const QRectF card = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(QPen(accent, 2));
    accent.setAlphaF(float(targetFill));
    painter.setBrush(accent);
    painter.drawPath(rounded(card, StudioStyle::radius));
}

void RoleSlot::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_textDrop || !isDroppedText(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Q_EMIT dragEntered();
}

void RoleSlot::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_textDrop && isDroppedText(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void RoleSlot::dragLeaveEvent(QDragLeaveEvent *)
{
    Q_EMIT dragLeft();
}

void RoleSlot::dropEvent(QDropEvent *event)
{
    Q_EMIT dragLeft();
    if (m_textDrop && isDroppedText(event->mimeData()) && m_textDrop(event->mimeData()->text()))
        event->acceptProposedAction();
    else
        event->ignore();
}

} // namespace kinoloom
