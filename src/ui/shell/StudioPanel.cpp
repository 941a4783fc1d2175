#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"

#include <QPainter>
#include <QVBoxLayout>

namespace kinoloom {

StudioPanel::StudioPanel(const QList<QWidget *> &content, QWidget *parent)
    : QWidget(parent)
    , m_column(new QVBoxLayout(this))
    , m_fill(&StudioStyle::panel)
{
    m_column->setContentsMargins(StudioStyle::insets(StudioStyle::padding));
    m_column->setSpacing(StudioStyle::regular);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    for (QWidget *widget : content)
        addWidget(widget);
}

void StudioPanel::addWidget(QWidget *widget)
{
    m_column->addWidget(widget);
}

void StudioPanel::addLayout(QLayout *layout)
{
    m_column->addLayout(layout);
}

void StudioPanel::setInsets(const QMargins &insets, int spacing)
{
    m_column->setContentsMargins(insets);
    m_column->setSpacing(spacing);
}

void StudioPanel::setFill(QColor (*fill)(const QPalette &palette))
{
    m_fill = fill;
    update();
}

void StudioPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Half a point, which on a screen of one pixel per point is a hairline.
    const qreal outline = std::max(0.5, 1.0 / devicePixelRatioF());
    const QRectF frame = QRectF(rect()).adjusted(outline / 2, outline / 2, -outline / 2, -outline / 2);
    painter.setPen(QPen(StudioStyle::rule(palette()), outline));
    painter.setBrush(m_fill(palette()));
    painter.drawRoundedRect(frame, StudioStyle::radius, StudioStyle::radius);
}

} // namespace kinoloom
