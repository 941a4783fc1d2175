#pragma once

#include "model/GradeField.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace kinoloom {

struct ProcessingSettings;

// The colour grade of one clip. The default value is the neutral grade.
struct ClipGrade
{
    double brightness = 0;
    double contrast = 1;
    double saturation = 1;
    double gamma = 1;
    double temperature = 0;
    std::optional<double> contrastStretchValue;
    std::optional<double> highlightRecoveryValue;
    QString stylishLUT;
    double lutStrength = 100;

    bool operator==(const ClipGrade &) const = default;

    double contrastStretch() const { return contrastStretchValue.value_or(0); }
    void setContrastStretch(double value) { contrastStretchValue = value; }
    double highlightRecovery() const { return highlightRecoveryValue.value_or(0); }
    void setHighlightRecovery(double value) { highlightRecoveryValue = value; }

    // One numeric field, read as its accessor reads it, and written as its setter writes it.
    double value(GradeField field) const;
    void setValue(GradeField field, double value);

    // The grade with every numeric value inside its validation range, a value that is not a
    // number or infinite replaced by the neutral one. For what must not fail on a hand-edited
    // project file; an unset stretch or recovery stays unset.
    ClipGrade clampedToRanges() const;

    // The grade that the settings' colour fields describe; stretch and recovery are always present.
    static ClipGrade fromSettings(const ProcessingSettings &settings);

    // Throws StudioError: ranges first, then the creative LUT file.
    void validate() const;

    static ClipGrade fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

} // namespace kinoloom
