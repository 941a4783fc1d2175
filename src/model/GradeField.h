#pragma once

#include <QList>

namespace kinoloom {

// The numeric fields of a colour grade, so that an editor names the one it changes. Contrast
// stretch and highlight recovery are optional in the stored grade and read as 0 when unset.
enum class GradeField {
    brightness,
    contrast,
    saturation,
    gamma,
    temperature,
    contrastStretch,
    highlightRecovery,
    lutStrength
};

QList<GradeField> allGradeFields();

// The values a grade may hold (what validation accepts) and the value that changes nothing.
struct GradeFieldRange
{
    double lower = 0;
    double upper = 0;
    double neutral = 0;
};

GradeFieldRange gradeFieldRange(GradeField field);

} // namespace kinoloom
