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
    SourcePicture picture;
    picture.conversion = PictureConversion::filters(probe);
    picture.colourSpace = PictureConversion::colourSpaceAfter(probe);
    // A clip imported before its length was the picture's may ask for more than the picture
    // declares: that part stays a held picture, as it always was.
    const double beyond = probe.duration > 0 ? (end - probe.duration) * fps : 0;
    if (std::isfinite(beyond) && beyond > 0)
        picture.heldFrames += static_cast<int>(std::min(std::ceil(beyond), 1e6));
    return picture;
}

QString videoFilter(const MediaAsset &clip, const ProcessingSettings &settings, int width, int height, double duration,
                    const std::optional<ClipGrade> &grade, const QString &lookPath, const SourcePicture &source,
                    qint64 firstFrame)
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
        const QString frame = firstFrame > 0 ? QStringLiteral("(on+%1)").arg(ffmpegInteger(firstFrame))
                                             : QStringLiteral("on");
        chain += QStringLiteral(",zoompan=z='min(1+0.1*%1/%2,1.1)':d=1:s=%3x%4:fps=%5")
                     .arg(frame, ffmpegInteger(n), ffmpegInteger(width), ffmpegInteger(height), fps);
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
    // settings, so that the R'G'B' picture is the one it made. Where it scaled the picture up to
    // the film's frame in the same step, so does the segment: an 8-bit picture scaled up would
    // round differently.
    if (source.pixelFormat == eightBitPixelFormat) {
        if (source.delivered.isValid() && source.delivered != QSize(width, height)) {
            chain += QStringLiteral(",scale=%1:%2:flags=lanczos,setsar=1,format=")
                         .arg(ffmpegInteger(source.delivered.width()), ffmpegInteger(source.delivered.height()))
                + eightBitPixelFormat;
        } else {
            chain += QStringLiteral(",scale=flags=lanczos,format=") + eightBitPixelFormat;
        }
    }
    return chain;
}

namespace {

// Stereo silence at 48 kHz, for a segment whose source has no sound of its own.
QStringList silenceInput()
{
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("anullsrc=channel_layout=stereo:sample_rate=48000")};
}

// The segment's sound: 48 kHz stereo, padded with silence to exactly `duration` seconds.
QStringList soundArguments(double duration)
{
    return {QStringLiteral("-af"), QStringLiteral("aresample=48000,aformat=channel_layouts=stereo,apad"),
            QStringLiteral("-ac"), QStringLiteral("2"),
            QStringLiteral("-t"),  ffmpegNumber(duration)};
}

} // namespace

QStringList arguments(const Input &input, int fps, const QString &videoFilter, double duration, const QString &output,
                      const QString &pixelFormat)
{
    QStringList args;
    if (input.still)
        args << loopedPictureInput(input.source, fps, input.decoder);
    else
        args << QStringLiteral("-ss") << ffmpegNumber(input.start) << QStringLiteral("-i") << input.source;
    // "0:V:0" is the first real picture: "0:v:0" may be a cover picture stored ahead of it.
    args << silenceInput() << QStringLiteral("-vf") << videoFilter << QStringLiteral("-map") << QStringLiteral("0:V:0")
         << QStringLiteral("-map")
         << (!input.still && input.sourceHasAudio ? QStringLiteral("0:a:0") : QStringLiteral("1:a:0"))
         << soundArguments(duration);
    args << Pipeline::losslessVideoArguments(pixelFormat) << Pipeline::losslessAudioArguments() << output;
    return args;
}

qint64 frameCount(double duration, int fps)
{
    const double frames = std::ceil(duration * fps - 1e-6);
    return std::isfinite(frames) && frames >= 1 ? static_cast<qint64>(std::min(frames, 1e9)) : 1;
}

QList<StillPiece> stillPieces(qint64 frames, int fps, int atMost)
{
    const qint64 shortest = std::max<qint64>(1, fps / 2);
    const qint64 count = std::clamp<qint64>(std::min<qint64>(atMost, frames / shortest), 1, std::max(1, atMost));
    QList<StillPiece> pieces;
    qint64 start = 0;
    for (qint64 k = 0; k < count; ++k) {
        const qint64 end = frames * (k + 1) / count;
        pieces.append({start, end - start});
        start = end;
    }
    return pieces;
}

QStringList pieceArguments(const Input &input, int fps, const QString &videoFilter, qint64 frames,
                           const QString &output, const QString &pixelFormat)
{
    QStringList args = loopedPictureInput(input.source, fps, input.decoder);
    args << QStringLiteral("-vf") << videoFilter << QStringLiteral("-map") << QStringLiteral("0:V:0")
         << QStringLiteral("-an") << QStringLiteral("-frames:v") << ffmpegInteger(frames);
    args << Pipeline::losslessVideoArguments(pixelFormat) << output;
    return args;
}

QStringList joinArguments(const QString &list, int fps, qint64 frames, double duration, const QString &output)
{
    QStringList args = Pipeline::concatInput(list);
    // The frame count, not only the length, ends the picture: the joined pieces' times are
    // rounded until they are timed again.
    args << silenceInput() << QStringLiteral("-map") << QStringLiteral("0:v:0") << QStringLiteral("-map")
         << QStringLiteral("1:a:0") << soundArguments(duration) << QStringLiteral("-frames:v") << ffmpegInteger(frames)
         << QStringLiteral("-c:v") << QStringLiteral("copy") << QStringLiteral("-bsf:v")
         << QStringLiteral("setts=ts=round(N/(TB*%1))").arg(ffmpegInteger(fps));
    args << Pipeline::losslessAudioArguments() << output;
    return args;
}

} // namespace kinoloom::SegmentArguments
