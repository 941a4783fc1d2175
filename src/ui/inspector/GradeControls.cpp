#include "ui/inspector/GradeControls.h"

#include "session/StudioModel.h"

namespace kinoloom {

QString gradeTitle(GradeField field)
{
    switch (field) {
    case GradeField::brightness: return QStringLiteral("Exposure / brightness");
    case GradeField::contrast: return QStringLiteral("Contrast");
    case GradeField::saturation: return QStringLiteral("Saturation");
    case GradeField::gamma: return QStringLiteral("Gamma");
    case GradeField::temperature: return QStringLiteral("Warmth");
    case GradeField::contrastStretch: return QStringLiteral("Contrast stretch");
    case GradeField::highlightRecovery: return QStringLiteral("Highlight recovery");
    case GradeField::lutStrength: return QStringLiteral("LUT strength %");
    }
    return {};
}

bool clipGradeLocked(const StudioModel &model)
{
    if (model.project().settings.gradeToAll())
        return false;
    const std::optional<MediaAsset> selected = model.asset();
    return selected && selected->role == ClipRole::outro;
}

} // namespace kinoloom
