#pragma once

#include <algorithm>
#include <functional>

namespace kinoloom {

// The stretch of an overall progress that one piece of work owns: its own fraction 0…1 maps
// onto `start`…`end`. FFmpeg may report a negative or unreadable position; that reads as 0.
struct ProgressBand
{
    double start = 0;
    double end = 1;

    double at(double fraction) const
    {
        const double clamped = fraction >= 0 ? std::min(fraction, 1.0) : 0.0; // NaN too
        return start + clamped * (end - start);
    }

    // The part of this band from `from` to `to`, both fractions of it.
    ProgressBand part(double from, double to) const { return {at(from), at(to)}; }

    // A progress callback of the work that reports into `overall` through this band.
    std::function<void(double)> reporting(std::function<void(double)> overall) const
    {
        return [band = *this, overall = std::move(overall)](double fraction) { overall(band.at(fraction)); };
    }
};

} // namespace kinoloom
