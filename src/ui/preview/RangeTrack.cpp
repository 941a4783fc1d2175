#include "ui/preview/RangeTrack.h"

#include "ui/preview/RangeHandle.h"
#include "ui/shell/StudioStyle.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace kinoloom {

RangeTrack::RangeTrack(QWidget *parent)
    : QWidget(parent)
    , m_startHandle(new RangeHandle(true, this))
    , m_endHandle(new RangeHandle(false, this))
{
    setObjectName(QStringLiteral("clipRangeTrack"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(RangeHandle::hitSize.height());
    place();
}

void RangeTrack::setRange(double start, double end, double duration)
{
    m_start = start;
    m_end = end;
    m_duration = duration;
    place();
}

double RangeTrack::secondsAt(double x) const
{
    return RangeGeometry::secondsAt(x, width(), m_duration);
}

QSize RangeTrack::sizeHint() const
{
    return {320, RangeHandle::hitSize.height()};
}

QSize RangeTrack::minimumSizeHint() const
{
    return {2 * int(RangeGeometry::inset), RangeHandle::hitSize.height()};
}

void RangeTrack::resizeEvent(QResizeEvent *)
{
    place();
}

void RangeTrack::place()
{
    m_geometry = RangeGeometry::of(width(), m_start, m_end, m_duration);
    m_startHandle->setTime(m_geometry.usable ? m_start : 0);
    m_endHandle->setTime(m_geometry.usable ? m_end : 0);
    const int top = (height() - RangeHandle::hitSize.height()) / 2;
    const int half = RangeHandle::hitSize.width() / 2;
    m_startHandle->move(int(std::lround(m_geometry.startX)) - half, top);
    m_endHandle->move(int(std::lround(m_geometry.endX)) - half, top);
    update();
}

void RangeTrack::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double top = (height() - grooveHeight) / 2.0;
    const QColor secondary = StudioStyle::secondaryText(palette());

    QColor groove = secondary;
    groove.setAlphaF(0.15);
    QPainterPath groovePath;
    groovePath.addRoundedRect(QRectF(RangeGeometry::inset, top, m_geometry.trackWidth, grooveHeight), 5, 5);
    painter.fillPath(groovePath, groove);

    QColor selection = StudioStyle::accent(palette());
    selection.setAlphaF(0.25);
    QPainterPath selectionPath;
    selectionPath.addRoundedRect(QRectF(m_geometry.startX, top, m_geometry.selectionWidth, grooveHeight), 4, 4);
    painter.fillPath(selectionPath, selection);

    QColor tick = secondary;
    tick.setAlphaF(0.35);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const double tickTop = (height() - 8) / 2.0;
    for (const double x : m_geometry.ticks)
        painter.fillRect(QRectF(x, tickTop, 1, 8), tick);
}

} // namespace kinoloom
