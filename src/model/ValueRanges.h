#pragma once

#include "model/GradeField.h"

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
    const auto holds = [](GradeField field, double value) {
        const GradeFieldRange range = gradeFieldRange(field);
        return inRange(value, range.lower, range.upper);
    };
    const auto holdsIfPresent = [](GradeField field, const std::optional<double> &value) {
        const GradeFieldRange range = gradeFieldRange(field);
        return inRangeIfPresent(value, range.lower, range.upper);
    };
    return holds(GradeField::saturation, saturation) && holds(GradeField::gamma, gamma)
        && holds(GradeField::brightness, brightness) && holds(GradeField::contrast, contrast)
        && holds(GradeField::temperature, temperature) && holdsIfPresent(GradeField::contrastStretch, contrastStretch)
        && holdsIfPresent(GradeField::highlightRecovery, highlightRecovery)
        && holds(GradeField::lutStrength, lutStrength);
}

} // namespace kinoloom
