#pragma once

#include "model/ExportCodec.h"
#include "model/ExportResolution.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace kinoloom {

// Every choice that shapes a film: preparation, colour, title card, sound, timings and output.
// Held by a project, by each workflow and by the application-wide settings.
struct ProcessingSettings
{
    QString conversionLUT;
    bool gyroflow = false;
    QString gyroPreset;
    bool fisheye = false;
    bool vidstab = false;
    std::optional<bool> applyGradeToAll;
    double saturation = 1;
    double gamma = 1;
    double brightness = 0;
    double contrast = 1;
    double temperature = 0;
    std::optional<double> contrastStretchValue;
    std::optional<double> highlightRecoveryValue;
    QString stylishLUT;
    double lutStrength = 100;
    QString title;
    QString subtitle;
    QString music;
    double audioPercent = 0;
    double stillDuration = 4;
    bool stillZoom = true;
    bool trim = false;
    double trimDuration = 4;
    bool includeHooks = true;
    bool makeShort = false;
    bool middleFrameThumbnails = false;
    bool softwareEncoding = false;
    int fps = 30;
    std::optional<ExportResolution> exportResolution = ExportResolution::p2160;
    std::optional<ExportCodec> exportCodec = ExportCodec::h264;
    std::optional<QString> finalOutputPath;
    std::optional<bool> fiveSecondClipCapValue;

    bool operator==(const ProcessingSettings &) const = default;

    bool gradeToAll() const { return applyGradeToAll.value_or(false); }
    void setGradeToAll(bool value) { applyGradeToAll = value; }
    double contrastStretch() const { return contrastStretchValue.value_or(0); }
    void setContrastStretch(double value) { contrastStretchValue = value; }
    double highlightRecovery() const { return highlightRecoveryValue.value_or(0); }
    void setHighlightRecovery(double value) { highlightRecoveryValue = value; }
    bool fiveSecondClipCap() const { return fiveSecondClipCapValue.value_or(false); }
    void setFiveSecondClipCap(bool value) { fiveSecondClipCapValue = value; }
    ExportResolution selectedExportResolution() const { return exportResolution.value_or(ExportResolution::p2160); }
    ExportCodec selectedExportCodec() const { return exportCodec.value_or(ExportCodec::h264); }

    // Stores the codec and keeps a custom output path's container in step with it: an
    // "mp4", "mov" or "mkv" extension (any letter case) becomes the codec's own.
    void setExportCodec(ExportCodec codec);

    // Throws StudioError: ranges first (one message for all), then the referenced files.
    void validate() const;

    static ProcessingSettings fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

} // namespace kinoloom
