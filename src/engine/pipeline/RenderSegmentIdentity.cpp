#include "engine/pipeline/RenderSegmentIdentity.h"

#include "engine/pipeline/GradePlan.h"
#include "engine/pipeline/SegmentArguments.h"
#include "model/CanonicalJson.h"
#include "model/Fingerprint.h"
#include "model/Json.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"

namespace kinoloom {

RenderSegmentIdentity RenderSegmentIdentity::make(const MediaAsset &clip, const ProcessingSettings &settings, int width,
                                                  int height, double duration, bool tail, bool stylish)
{
    RenderSegmentIdentity identity;
    identity.source = Fingerprint::file(clip.preparedPath.value_or(clip.path));
    identity.duration = duration;
    identity.width = width;
    identity.height = height;
    identity.fps = settings.fps;
    identity.image = clip.isImage;
    identity.role = clip.role;
    identity.tail = tail;
    identity.trim = settings.trim;
    identity.clipStart = clip.clipStart;
    identity.clipEnd = clip.clipEnd;
    identity.cropScale = clip.cropScale();
    identity.stillZoom = settings.stillZoom;
    if (!clip.isImage && !tail && settings.fiveSecondClipCap()) {
        // A tail segment and a still do not start from the edit range; elsewhere the cap shows in
        // the duration unless it moves the start.
        ProcessingSettings uncapped = settings;
        uncapped.setFiveSecondClipCap(false);
        identity.fiveSecondClipCap = clip.editRange(settings).start != clip.editRange(uncapped).start;
    }
    identity.grade = SegmentArguments::effectiveGrade(clip, settings);
    if (identity.grade) {
        ClipGrade &grade = *identity.grade;
        if (!stylish || grade.lutStrength == 0)
            grade.stylishLUT.clear();
        else if (!grade.stylishLUT.isEmpty())
            identity.lutContent = Fingerprint::contents(grade.stylishLUT);
        identity.keepsSourceMatrix = GradePlan::of(grade, grade.stylishLUT).leavesYCbCr();
    }
    return identity;
}

QJsonObject RenderSegmentIdentity::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("version"), version);
    object.insert(QStringLiteral("source"), source);
    json::putDouble(object, QStringLiteral("duration"), duration);
    object.insert(QStringLiteral("width"), width);
    object.insert(QStringLiteral("height"), height);
    object.insert(QStringLiteral("fps"), fps);
    object.insert(QStringLiteral("image"), image);
    object.insert(QStringLiteral("role"), rawValue(role));
    object.insert(QStringLiteral("tail"), tail);
    object.insert(QStringLiteral("trim"), trim);
    json::putOptionalDouble(object, QStringLiteral("clipStart"), clipStart);
    json::putOptionalDouble(object, QStringLiteral("clipEnd"), clipEnd);
    json::putDouble(object, QStringLiteral("cropScale"), cropScale);
    object.insert(QStringLiteral("stillZoom"), stillZoom);
    if (fiveSecondClipCap)
        object.insert(QStringLiteral("fiveSecondClipCap"), true);
    if (grade)
        json::putObject(object, QStringLiteral("grade"), [this] { return grade->toJson(); });
    object.insert(QStringLiteral("lutContent"), lutContent);
    if (keepsSourceMatrix)
        object.insert(QStringLiteral("keepsSourceMatrix"), true);
    if (!sourceMatrixTag.isEmpty())
        object.insert(QStringLiteral("sourceMatrixTag"), sourceMatrixTag);
    if (!pictureConversion.isEmpty())
        object.insert(QStringLiteral("pictureConversion"), pictureConversion);
    if (pixelFormat != SegmentArguments::deepPixelFormat)
        object.insert(QStringLiteral("pixelFormat"), pixelFormat);
    if (!deliveredSize.isEmpty())
        object.insert(QStringLiteral("deliveredSize"), deliveredSize);
    return object;
}

QString RenderSegmentIdentity::key() const
{
    return Fingerprint::data(canonicalJson(toJson()));
}

QString RenderSegmentIdentity::cacheName() const
{
    return key() + QStringLiteral(".mkv");
}

} // namespace kinoloom
