#include "model/ClipGrade.h"

#include "model/Json.h"
#include "model/PathText.h"
#include "model/ProcessingSettings.h"
#include "model/StudioError.h"
#include "model/ValueRanges.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace kinoloom {

using namespace json;

double ClipGrade::value(GradeField field) const
{
    switch (field) {
    case GradeField::brightness: return brightness;
    case GradeField::contrast: return contrast;
    case GradeField::saturation: return saturation;
    case GradeField::gamma: return gamma;
    case GradeField::temperature: return temperature;
    case GradeField::contrastStretch: return contrastStretch();
    case GradeField::highlightRecovery: return highlightRecovery();
    case GradeField::lutStrength: return lutStrength;
    }
    return 0;
}

void ClipGrade::setValue(GradeField field, double value)
{
    switch (field) {
    case GradeField::brightness: brightness = value; return;
    case GradeField::contrast: contrast = value; return;
    case GradeField::saturation: saturation = value; return;
    case GradeField::gamma: gamma = value; return;
    case GradeField::temperature: temperature = value; return;
    case GradeField::contrastStretch: setContrastStretch(value); return;
    case GradeField::highlightRecovery: setHighlightRecovery(value); return;
    case GradeField::lutStrength: lutStrength = value; return;
    }
}

ClipGrade ClipGrade::clampedToRanges() const
{
    ClipGrade clamped = *this;
    for (const GradeField field : allGradeFields()) {
        if (field == GradeField::contrastStretch && !contrastStretchValue)
            continue;
        if (field == GradeField::highlightRecovery && !highlightRecoveryValue)
            continue;
        const GradeFieldRange range = gradeFieldRange(field);
        const double current = value(field);
        clamped.setValue(field, std::isfinite(current) ? std::clamp(current, range.lower, range.upper) : range.neutral);
    }
    return clamped;
}

ClipGrade ClipGrade::fromSettings(const ProcessingSettings &settings)
{
    ClipGrade grade;
    grade.brightness = settings.brightness;
    grade.contrast = settings.contrast;
    grade.saturation = settings.saturation;
    grade.gamma = settings.gamma;
    grade.temperature = settings.temperature;
    grade.contrastStretchValue = settings.contrastStretch();
    grade.highlightRecoveryValue = settings.highlightRecovery();
    grade.stylishLUT = settings.stylishLUT;
    grade.lutStrength = settings.lutStrength;
    return grade;
}

void ClipGrade::validate() const
{
    if (!colourValuesInRange(brightness, contrast, saturation, gamma, temperature, contrastStretchValue,
                             highlightRecoveryValue, lutStrength))
        throw StudioError(QStringLiteral("One or more clip colour settings are out of range."));
    if (!stylishLUT.isEmpty() && !QFileInfo::exists(stylishLUT))
        throw StudioError(QStringLiteral("Selected LUT is missing: ") + path::lastComponent(stylishLUT));
}

ClipGrade ClipGrade::fromJson(const QJsonObject &o)
{
    ClipGrade g;
    g.brightness = requireDouble(o, QStringLiteral("brightness"));
    g.contrast = requireDouble(o, QStringLiteral("contrast"));
    g.saturation = requireDouble(o, QStringLiteral("saturation"));
    g.gamma = requireDouble(o, QStringLiteral("gamma"));
    g.temperature = requireDouble(o, QStringLiteral("temperature"));
    g.contrastStretchValue = optionalDouble(o, QStringLiteral("contrastStretchValue"));
    g.highlightRecoveryValue = optionalDouble(o, QStringLiteral("highlightRecoveryValue"));
    g.stylishLUT = requireString(o, QStringLiteral("stylishLUT"));
    g.lutStrength = requireDouble(o, QStringLiteral("lutStrength"));
    return g;
}

QJsonObject ClipGrade::toJson() const
{
    QJsonObject o;
    putDouble(o, QStringLiteral("brightness"), brightness);
    putDouble(o, QStringLiteral("contrast"), contrast);
    putDouble(o, QStringLiteral("saturation"), saturation);
    putDouble(o, QStringLiteral("gamma"), gamma);
    putDouble(o, QStringLiteral("temperature"), temperature);
    putOptionalDouble(o, QStringLiteral("contrastStretchValue"), contrastStretchValue);
    putOptionalDouble(o, QStringLiteral("highlightRecoveryValue"), highlightRecoveryValue);
    o.insert(QStringLiteral("stylishLUT"), stylishLUT);
    putDouble(o, QStringLiteral("lutStrength"), lutStrength);
    return o;
}

} // namespace kinoloom
