#pragma once

#include <QList>

namespace kinoloom {

// Where the range selector draws its track, selection, ticks and handles across a width, for
// a selection from `start` to `end` of a clip `duration` seconds long. Handles are centred on
// their times, so the track leaves half a handle free at each end.
struct RangeGeometry
{
    static constexpr double inset = 14; // half a handle
    static constexpr int tickCount = 11; // 0 %, 10 %, … 100 %

    double trackWidth = 1;
    double startX = inset;
    double endX = inset;
    double selectionWidth = 1;
    QList<double> ticks;
    // False for a clip without a usable length: both handles rest at the track's start.
    bool usable = false;

    static RangeGeometry of(double width, double start, double end, double duration);
    // The time under `x` (the view does not clamp: the session does).
    static double secondsAt(double x, double width, double duration);
};

} // namespace kinoloom
