#include "ui/shell/ProminentButton.h"
#include "ui/shell/StudioStyle.h"

#include <QPainter>

namespace kinoloom {

ProminentButton::ProminentButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
}

void ProminentButton::paintEvent(QPaintEvent *event)
{
    // Disabled, it looks like any unavailable push button.
    if (!isEnabled()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -1.5);
    QColor fill = StudioStyle::accent(palette());
    if (isDown())
        fill = fill.darker(115);
    painter.setPen(QPen(fill.darker(120), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 4, 4);
    const QColor content = palette().color(QPalette::HighlightedText);
    if (hasFocus()) {
        QColor ring = content;
        ring.setAlphaF(0.6f);
        painter.setPen(QPen(ring, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(2, 2, -2, -2), 3, 3);
    }

    QRect label = frame.toRect();
    if (!icon().isNull()) {
        // Icons are drawn in their selected mode: the highlighted text colour, as the title.
        const QSize size = iconSize();
        const int spacing = 6;
        const int total = size.width() + spacing + fontMetrics().horizontalAdvance(text());
        const int left = label.x() + (label.width() - total) / 2;
        const QRect iconRect(left, label.y() + (label.height() - size.height()) / 2, size.width(), size.height());
        icon().paint(&painter, iconRect, Qt::AlignCenter, QIcon::Selected);
        label.setLeft(iconRect.right() + spacing);
        painter.setPen(content);
        painter.drawText(label, int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic), text());
        return;
    }
    painter.setPen(content);
    painter.drawText(label, int(Qt::AlignCenter | Qt::TextShowMnemonic), text());
}

} // namespace kinoloom
