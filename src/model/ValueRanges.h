#pragma once

#include <optional>

namespace kinoloom {

// lower ≤ value ≤ upper; written so that NaN is never in range.
inline bool inRange(double value, double lower, double upper)
{
    return value >= lower && value <= upper;
}

inline bool inRangeIfPresent(const std::optional<double> &value, double lower, double upper)
{
    return !value || inRange(*value, lower, upper);
}

// The colour values that a project's settings and a clip's own grade share.
inline bool colourValuesInRange(double brightness, double contrast, double saturation, double gamma, double temperature,
                                const std::optional<double> &contrastStretch,
                                const std::optional<double> &highlightRecovery, double lutStrength)
{
    return inRange(saturation, 0, 2) && inRange(gamma, 0.5, 2) && inRange(brightness, -0.2, 0.2)
        && inRange(contrast, 0.5, 2) && inRange(temperature, -0.5, 0.5) && inRangeIfPresent(contrastStretch, 0, 100)
        && inRangeIfPresent(highlightRecovery, 0, 100) && inRange(lutStrength, 0, 100);
}

} // namespace kinoloom
