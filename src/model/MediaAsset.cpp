#include "model/MediaAsset.h"

#include "model/Json.h"
#include "model/ProcessingSettings.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace kinoloom {

using namespace json;

namespace {

double clampedCropScale(double value)
{
    if (std::isnan(value))
        return 1;
    return std::clamp(value, 1.0, 2.0);
}

double sanitisedDuration(double duration)
{
    return std::isfinite(duration) && duration >= 0 ? duration : 0;
}

} // namespace

MediaAsset MediaAsset::create(const QString &path, const QString &name, double duration, int width, int height,
                              double fps, bool hasAudio, bool isImage)
{
    MediaAsset asset;
    asset.path = path;
    asset.name = name;
    asset.duration = duration;
    asset.width = width;
    asset.height = height;
    asset.fps = fps;
    asset.hasAudio = hasAudio;
    asset.isImage = isImage;
    return asset;
}

double MediaAsset::cropScale() const
{
    return cropScaleValue ? clampedCropScale(*cropScaleValue) : 1;
}

void MediaAsset::setCropScale(double value)
{
    cropScaleValue = clampedCropScale(value);
}

SecondsRange MediaAsset::selectedSourceRange() const
{
    const double d = sanitisedDuration(duration);
    double s = clipStart.value_or(0);
    if (!(s >= 0))
        s = 0;
    s = std::min(s, d);
    double e = clipEnd.value_or(d);
    if (!(e >= s))
        e = s;
    e = std::min(e, d);
    return {s, e};
}

SecondsRange MediaAsset::editRange(const ProcessingSettings &settings) const
{
    SecondsRange range = selectedSourceRange();
    if (!clipStart && !clipEnd && settings.trim) {
        // A duration that is negative or not a number trims nothing; a bad trim length
        // gives an empty window rather than one that ends before it starts.
        const double d = sanitisedDuration(duration);
        range.start = std::min(d * 0.5, 1.0);
        const double end = std::min(range.start + settings.trimDuration, d);
        range.end = end >= range.start ? end : range.start;
    }
    if (settings.fiveSecondClipCap()) {
        if (range.end - range.start > 6)
            range.start += 1;
        range.end = std::min(range.start + 5, range.end);
    }
    return range;
}

bool MediaAsset::missing() const
{
    return !QFileInfo::exists(path);
}

std::optional<QString> MediaAsset::reviewNote() const
{
    if (missing())
        return QStringLiteral("Source missing — relink this clip");
    if (!isImage) {
        if (duration < 5)
            return QStringLiteral("Under 5 seconds — review before including");
        if (duration > 30)
            return QStringLiteral("Over 30 seconds — included unless excluded");
    }
    return std::nullopt;
}

MediaAsset MediaAsset::fromJson(const QJsonObject &o)
{
    MediaAsset a;
    a.id = requireUuid(o, QStringLiteral("id"));
    a.path = requireString(o, QStringLiteral("path"));
    a.name = requireString(o, QStringLiteral("name"));
    a.duration = requireDouble(o, QStringLiteral("duration"));
    a.width = requireInt(o, QStringLiteral("width"));
    a.height = requireInt(o, QStringLiteral("height"));
    a.fps = requireDouble(o, QStringLiteral("fps"));
    a.hasAudio = requireBool(o, QStringLiteral("hasAudio"));
    a.isImage = requireBool(o, QStringLiteral("isImage"));
    a.role = requireEnum<ClipRole>(o, QStringLiteral("role"), clipRoleFromRawValue);
    a.grade = decodeOptionalObject(o, QStringLiteral("grade"), ClipGrade::fromJson);
    a.thumbnail = optionalString(o, QStringLiteral("thumbnail"));
    a.preparation = requireString(o, QStringLiteral("preparation"));
    a.preparedPath = optionalString(o, QStringLiteral("preparedPath"));
    a.preparationKey = optionalString(o, QStringLiteral("preparationKey"));
    a.importIdentity = optionalString(o, QStringLiteral("importIdentity"));
    a.clipStart = optionalDouble(o, QStringLiteral("clipStart"));
    a.clipEnd = optionalDouble(o, QStringLiteral("clipEnd"));
    a.cropScaleValue = optionalDouble(o, QStringLiteral("cropScaleValue"));
    return a;
}

QJsonObject MediaAsset::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), uuidText(id));
    o.insert(QStringLiteral("path"), path);
    o.insert(QStringLiteral("name"), name);
    putDouble(o, QStringLiteral("duration"), duration);
    o.insert(QStringLiteral("width"), width);
    o.insert(QStringLiteral("height"), height);
    putDouble(o, QStringLiteral("fps"), fps);
    o.insert(QStringLiteral("hasAudio"), hasAudio);
    o.insert(QStringLiteral("isImage"), isImage);
    o.insert(QStringLiteral("role"), rawValue(role));
    if (grade)
        putObject(o, QStringLiteral("grade"), [this] { return grade->toJson(); });
    putOptionalString(o, QStringLiteral("thumbnail"), thumbnail);
    o.insert(QStringLiteral("preparation"), preparation);
    putOptionalString(o, QStringLiteral("preparedPath"), preparedPath);
    putOptionalString(o, QStringLiteral("preparationKey"), preparationKey);
    putOptionalString(o, QStringLiteral("importIdentity"), importIdentity);
    putOptionalDouble(o, QStringLiteral("clipStart"), clipStart);
    putOptionalDouble(o, QStringLiteral("clipEnd"), clipEnd);
    putOptionalDouble(o, QStringLiteral("cropScaleValue"), cropScaleValue);
    return o;
}

} // namespace kinoloom
