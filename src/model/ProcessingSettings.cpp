#include "model/ProcessingSettings.h"

#include "model/Json.h"
#include "model/PathText.h"
#include "model/StudioError.h"
#include "model/ValueRanges.h"

#include <QFileInfo>

namespace kinoloom {

using namespace json;

void ProcessingSettings::setExportCodec(ExportCodec codec)
{
    exportCodec = codec;
    if (!finalOutputPath || finalOutputPath->isEmpty())
        return;
    const QString extension = path::extension(*finalOutputPath).toLower();
    if (extension == QLatin1String("mp4") || extension == QLatin1String("mov") || extension == QLatin1String("mkv"))
        finalOutputPath = path::replacingExtension(*finalOutputPath, fileExtension(codec));
}

void ProcessingSettings::validate() const
{
    const bool rangesHold = colourValuesInRange(brightness, contrast, saturation, gamma, temperature,
                                                contrastStretchValue, highlightRecoveryValue, lutStrength)
        && inRange(audioPercent, 0, 100) && inRange(stillDuration, 1, 30) && inRange(trimDuration, 1, 60)
        && (fps == 24 || fps == 25 || fps == 30 || fps == 50 || fps == 60);
    if (!rangesHold)
        throw StudioError(QStringLiteral("One or more processing settings are out of range."));

    for (const QString &file : {conversionLUT, stylishLUT, music, gyroPreset}) {
        if (!file.isEmpty() && !QFileInfo::exists(file))
            throw StudioError(QStringLiteral("Selected asset is missing: ") + path::lastComponent(file));
    }
}

ProcessingSettings ProcessingSettings::fromJson(const QJsonObject &o)
{
    ProcessingSettings s;
    s.conversionLUT = requireString(o, QStringLiteral("conversionLUT"));
    s.gyroflow = requireBool(o, QStringLiteral("gyroflow"));
    s.gyroPreset = requireString(o, QStringLiteral("gyroPreset"));
    s.fisheye = requireBool(o, QStringLiteral("fisheye"));
    s.vidstab = requireBool(o, QStringLiteral("vidstab"));
    s.applyGradeToAll = optionalBool(o, QStringLiteral("applyGradeToAll"));
    s.saturation = requireDouble(o, QStringLiteral("saturation"));
    s.gamma = requireDouble(o, QStringLiteral("gamma"));
    s.brightness = requireDouble(o, QStringLiteral("brightness"));
    s.contrast = requireDouble(o, QStringLiteral("contrast"));
    s.temperature = requireDouble(o, QStringLiteral("temperature"));
    s.contrastStretchValue = optionalDouble(o, QStringLiteral("contrastStretchValue"));
    s.highlightRecoveryValue = optionalDouble(o, QStringLiteral("highlightRecoveryValue"));
    s.stylishLUT = requireString(o, QStringLiteral("stylishLUT"));
    s.lutStrength = requireDouble(o, QStringLiteral("lutStrength"));
    s.title = requireString(o, QStringLiteral("title"));
    s.subtitle = requireString(o, QStringLiteral("subtitle"));
    s.music = requireString(o, QStringLiteral("music"));
    s.audioPercent = requireDouble(o, QStringLiteral("audioPercent"));
    s.stillDuration = requireDouble(o, QStringLiteral("stillDuration"));
    s.stillZoom = requireBool(o, QStringLiteral("stillZoom"));
    s.trim = requireBool(o, QStringLiteral("trim"));
    s.trimDuration = requireDouble(o, QStringLiteral("trimDuration"));
    s.includeHooks = requireBool(o, QStringLiteral("includeHooks"));
    s.makeShort = requireBool(o, QStringLiteral("makeShort"));
    s.middleFrameThumbnails = requireBool(o, QStringLiteral("middleFrameThumbnails"));
    s.softwareEncoding = requireBool(o, QStringLiteral("softwareEncoding"));
    s.fps = requireInt(o, QStringLiteral("fps"));
    s.exportResolution = optionalEnum<ExportResolution>(o, QStringLiteral("exportResolution"),
                                                        exportResolutionFromRawValue);
    s.exportCodec = optionalEnum<ExportCodec>(o, QStringLiteral("exportCodec"), exportCodecFromRawValue);
    s.finalOutputPath = optionalString(o, QStringLiteral("finalOutputPath"));
    s.fiveSecondClipCapValue = optionalBool(o, QStringLiteral("fiveSecondClipCapValue"));
    return s;
}

QJsonObject ProcessingSettings::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("conversionLUT"), conversionLUT);
    o.insert(QStringLiteral("gyroflow"), gyroflow);
    o.insert(QStringLiteral("gyroPreset"), gyroPreset);
    o.insert(QStringLiteral("fisheye"), fisheye);
    o.insert(QStringLiteral("vidstab"), vidstab);
    putOptionalBool(o, QStringLiteral("applyGradeToAll"), applyGradeToAll);
    putDouble(o, QStringLiteral("saturation"), saturation);
    putDouble(o, QStringLiteral("gamma"), gamma);
    putDouble(o, QStringLiteral("brightness"), brightness);
    putDouble(o, QStringLiteral("contrast"), contrast);
    putDouble(o, QStringLiteral("temperature"), temperature);
    putOptionalDouble(o, QStringLiteral("contrastStretchValue"), contrastStretchValue);
    putOptionalDouble(o, QStringLiteral("highlightRecoveryValue"), highlightRecoveryValue);
    o.insert(QStringLiteral("stylishLUT"), stylishLUT);
    putDouble(o, QStringLiteral("lutStrength"), lutStrength);
    o.insert(QStringLiteral("title"), title);
    o.insert(QStringLiteral("subtitle"), subtitle);
    o.insert(QStringLiteral("music"), music);
    putDouble(o, QStringLiteral("audioPercent"), audioPercent);
    putDouble(o, QStringLiteral("stillDuration"), stillDuration);
    o.insert(QStringLiteral("stillZoom"), stillZoom);
    o.insert(QStringLiteral("trim"), trim);
    putDouble(o, QStringLiteral("trimDuration"), trimDuration);
    o.insert(QStringLiteral("includeHooks"), includeHooks);
    o.insert(QStringLiteral("makeShort"), makeShort);
    o.insert(QStringLiteral("middleFrameThumbnails"), middleFrameThumbnails);
    o.insert(QStringLiteral("softwareEncoding"), softwareEncoding);
    o.insert(QStringLiteral("fps"), fps);
    if (exportResolution)
        o.insert(QStringLiteral("exportResolution"), rawValue(*exportResolution));
    if (exportCodec)
        o.insert(QStringLiteral("exportCodec"), rawValue(*exportCodec));
    putOptionalString(o, QStringLiteral("finalOutputPath"), finalOutputPath);
    putOptionalBool(o, QStringLiteral("fiveSecondClipCapValue"), fiveSecondClipCapValue);
    return o;
}

} // namespace kinoloom
