#include "model/GradeField.h"

namespace kinoloom {

QList<GradeField> allGradeFields()
{
    return {
        GradeField::brightness,  GradeField::contrast,        GradeField::saturation,        GradeField::gamma,
        GradeField::temperature, GradeField::contrastStretch, GradeField::highlightRecovery, GradeField::lutStrength};
}

GradeFieldRange gradeFieldRange(GradeField field)
{
    switch (field) {
    case GradeField::brightness: return {-0.2, 0.2, 0};
    case GradeField::contrast: return {0.5, 2, 1};
    case GradeField::saturation: return {0, 2, 1};
    case GradeField::gamma: return {0.5, 2, 1};
    case GradeField::temperature: return {-0.5, 0.5, 0};
    case GradeField::contrastStretch: return {0, 100, 0};
    case GradeField::highlightRecovery: return {0, 100, 0};
    case GradeField::lutStrength: return {0, 100, 100};
    }
    return {};
}

} // namespace kinoloom
