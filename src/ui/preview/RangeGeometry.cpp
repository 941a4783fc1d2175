#include "ui/preview/RangeGeometry.h"

#include <algorithm>
#include <cmath>

namespace kinoloom {

namespace {

double trackWidthOf(double width)
{
    return std::isfinite(width) ? std::max(width - 2 * RangeGeometry::inset, 1.0) : 1.0;
}

bool usableDuration(double duration)
{
    return std::isfinite(duration) && duration > 0;
}

} // namespace

RangeGeometry RangeGeometry::of(double width, double start, double end, double duration)
{
    RangeGeometry geometry;
    geometry.trackWidth = trackWidthOf(width);
    for (int i = 0; i < tickCount; ++i)
        geometry.ticks.append(geometry.trackWidth * i / (tickCount - 1) + inset);
    geometry.usable = usableDuration(duration) && std::isfinite(start) && std::isfinite(end);
    if (!geometry.usable)
        return geometry;
    geometry.startX = geometry.trackWidth * start / duration + inset;
    geometry.endX = geometry.trackWidth * end / duration + inset;
    geometry.selectionWidth = std::max(geometry.endX - geometry.startX, 1.0);
    return geometry;
}

double RangeGeometry::secondsAt(double x, double width, double duration)
{
    if (!usableDuration(duration))
        return 0;
    return (x - inset) / trackWidthOf(width) * duration;
}

} // namespace kinoloom
