#include "engine/pipeline/SegmentArguments.h"

#include "engine/media/FFmpegText.h"
#include "engine/media/PictureConversion.h"
#include "engine/pipeline/GradePlan.h"
#include "engine/pipeline/Pipeline.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace kinoloom::SegmentArguments {

std::optional<ClipGrade> effectiveGrade(const MediaAsset &clip, const ProcessingSettings &settings)
{
    if (clip.role == ClipRole::outro)
        return std::nullopt;
    if (settings.gradeToAll())
        return ClipGrade::fromSettings(settings);
    return clip.grade.value_or(ClipGrade());
}

bool appliesLook(const std::optional<ClipGrade> &grade, bool stylish)
{
    return stylish && grade && !grade->stylishLUT.isEmpty() && grade->lutStrength > 0;
}

QString lookFileName(const QString &lutPath)
{
    return QStringLiteral("look.") + QFileInfo(lutPath).suffix();
}

double startTime(const MediaAsset &clip, const ProcessingSettings &settings, double probedDuration, double duration,
                 bool tail)
{
    if (!tail)
        return clip.editRange(settings).start;
    const SecondsRange selection = clip.selectedSourceRange();
    return std::max(selection.start, std::min(selection.end, probedDuration) - duration);
}

int zoomedDimension(double cropScale, int size)
{
    const int whole = static_cast<int>(cropScale * size);
    const int even = 2 * (whole / 2);
    return even < 2 ? 2 : even;
}

QString pixelFormatFor(bool fitsIn8Bits)
{
    return fitsIn8Bits ? eightBitPixelFormat : deepPixelFormat;
}

QString gradeFilter(const ClipGrade &grade, const QString &lookPath, const SourcePicture &source)
{
    GradePlan plan = GradePlan::of(grade, lookPath);
    plan.returnMatrix = GradePlan::scalerMatrix(source.colourSpace);
    plan.legacy = source.legacy;
    QString chain = plan.filterChain();
    // The scaler's return leaves the picture untagged, and whatever reads it next (the film's
    // title step, the R'G'B' of an 8-bit segment) would take it for BT.601.
    if (plan.leavesYCbCr() && plan.returnMatrix)
        chain += QStringLiteral(",setparams=colorspace=") + source.colourSpace;
    return chain;
}

SourcePicture sourcePicture(const ProbeResult &probe, double end, int fps)
{
    SourcePicture picture{PictureConversion::filters(probe), PictureConversion::colourSpaceAfter(probe)};
    // A clip imported before its length was the picture's may ask for more than the picture
    // declares: that part stays a held picture, as it always was.
    const double beyond = probe.duration > 0 ? (end - probe.duration) * fps : 0;
    if (std::isfinite(beyond) && beyond > 0)
        picture.heldFrames += static_cast<int>(std::min(std::ceil(beyond), 1e6));
    return picture;
}

QString videoFilter(const MediaAsset &clip, const ProcessingSettings &settings, int width, int height, double duration,
                    const std::optional<ClipGrade> &grade, const QString &lookPath, const SourcePicture &source)
{
    const double cropScale = clip.cropScale();
    const QString fps = ffmpegInteger(settings.fps);
    // Fields are woven back together, and HDR brought to SDR, before anything scales the picture.
    QString chain = source.conversion.isEmpty() ? QString() : source.conversion + QLatin1Char(',');
    chain += QStringLiteral("scale=%1:%2:force_original_aspect_ratio=increase,crop=%3:%4,setsar=1")
                 .arg(ffmpegInteger(zoomedDimension(cropScale, width)),
                      ffmpegInteger(zoomedDimension(cropScale, height)), ffmpegInteger(width), ffmpegInteger(height));
    if (clip.isImage && settings.stillZoom) {
        const double frames = std::floor(duration * settings.fps);
        const qint64 n = std::isfinite(frames) && frames >= 1 ? static_cast<qint64>(frames) : 1;
        chain += QStringLiteral(",zoompan=z='min(1+0.1*on/%1,1.1)':d=1:s=%2x%3:fps=%4")
                     .arg(ffmpegInteger(n), ffmpegInteger(width), ffmpegInteger(height), fps);
    }
    chain += QStringLiteral(",fps=%1,settb=AVTB,setpts=PTS-STARTPTS").arg(fps);
    if (!clip.isImage) {
        // A movie can end up to a frame before the frame-snapped length asked of it; holding its
        // last picture keeps the segment exactly as long as its sound. A file cut short ends far
        // earlier: its segment stays short, so that the render can tell (see heldFrames).
        chain += QStringLiteral(",tpad=stop_mode=clone:stop=") + ffmpegInteger(source.heldFrames);
    }
    chain += QStringLiteral(",format=") + deepPixelFormat;
    if (grade)
        chain += gradeFilter(*grade, lookPath, source);
    // The conversion the film's title step makes of a 16-bit segment, with the same scaler
    // settings, so that the R'G'B' picture is the one it made.
    if (source.pixelFormat == eightBitPixelFormat)
        chain += QStringLiteral(",scale=flags=lanczos,format=") + eightBitPixelFormat;
    return chain;
}

QStringList arguments(const Input &input, int fps, const QString &videoFilter, double duration, const QString &output,
                      const QString &pixelFormat)
{
    QStringList args;
    if (input.still)
        args << loopedPictureInput(input.source, fps, input.decoder);
    else
        args << QStringLiteral("-ss") << ffmpegNumber(input.start) << QStringLiteral("-i") << input.source;
    // "0:V:0" is the first real picture: "0:v:0" may be a cover picture stored ahead of it.
    args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
         << QStringLiteral("anullsrc=channel_layout=stereo:sample_rate=48000") << QStringLiteral("-vf") << videoFilter
         << QStringLiteral("-map") << QStringLiteral("0:V:0") << QStringLiteral("-map")
         << (!input.still && input.sourceHasAudio ? QStringLiteral("0:a:0") : QStringLiteral("1:a:0"))
         << QStringLiteral("-af") << QStringLiteral("aresample=48000,aformat=channel_layouts=stereo,apad")
         << QStringLiteral("-ac") << QStringLiteral("2") << QStringLiteral("-t") << ffmpegNumber(duration);
    args << Pipeline::losslessVideoArguments(pixelFormat) << Pipeline::losslessAudioArguments() << output;
    return args;
}

} // namespace kinoloom::SegmentArguments
