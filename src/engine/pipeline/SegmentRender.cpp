#include "engine/pipeline/Pipeline.h"

#include "engine/pipeline/GradePlan.h"

#include "engine/media/MediaService.h"
#include "engine/pipeline/RenderSegmentIdentity.h"
#include "engine/pipeline/SegmentArguments.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"
#include "model/StudioError.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cmath>

namespace kinoloom {

namespace {

// A movie's segment holds its last picture for at most a frame or so (SegmentArguments::
// SourcePicture), so a segment short of pictures is one whose file ended before its header said:
// an interrupted copy or download, which would otherwise freeze in the film without a word.
void requireWholePicture(const MediaService &media, const QString &segment, const QString &clipName, int fps,
                         double start, double duration)
{
    const double expected = std::floor(duration * fps + 1e-6);
    const qint64 pictures = media.countPictures(segment);
    if (double(pictures) >= expected)
        return;
    throw StudioError(QStringLiteral("“%1” seems to be incomplete: its picture stops at %2 s, before the %3 s the "
                                     "film takes from it. The file may have been cut short by an interrupted copy "
                                     "or download; copy it again and relink it.")
                          .arg(clipName, QString::number(start + double(pictures) / fps, 'f', 1),
                               QString::number(start + duration, 'f', 1)));
}

} // namespace

QString Pipeline::segmentPixelFormatOf(const QList<MediaAsset> &clips) const
{
    const MediaService media(tools, runner);
    for (const MediaAsset &clip : clips) {
        // The clip's own file decides where it is still there: a deeper prepared copy of an 8-bit
        // clip comes to the same 8-bit R'G'B' in the film.
        const QString own = QFileInfo(clip.path).absoluteFilePath();
        const QString file = QFileInfo::exists(own) ? own
                                                    : QFileInfo(clip.preparedPath.value_or(own)).absoluteFilePath();
        if (!media.probe(file).fitsIn8Bits())
            return SegmentArguments::deepPixelFormat;
    }
    return SegmentArguments::eightBitPixelFormat;
}

QString Pipeline::renderSegment(const MediaAsset &clip, const ProcessingSettings &settings, const QString &directory,
                                const QString &cacheRoot, int index, int width, int height, double duration, bool tail,
                                bool stylish, const std::function<void(double)> &progress) const
{
    SegmentArguments::Input input;
    // Absolute: FFmpeg runs in the job folder.
    input.source = QFileInfo(clip.preparedPath.value_or(clip.path)).absoluteFilePath();
    input.still = clip.isImage;
    const MediaService media(tools, runner);
    const ProbeResult probe = media.probe(input.source);
    input.sourceHasAudio = probe.hasAudio;
    if (clip.isImage && probe.codec != ProbeResult().codec)
        input.decoder = probe.codec;
    if (!clip.isImage)
        input.start = SegmentArguments::startTime(clip, settings, probe.duration, duration, tail);
    SegmentArguments::SourcePicture picture = SegmentArguments::sourcePicture(probe, input.start + duration,
                                                                              settings.fps);
    picture.legacy = legacyRendering;
    picture.pixelFormat = legacyRendering
        ? SegmentArguments::deepPixelFormat
        : segmentPixelFormat.value_or(SegmentArguments::pixelFormatFor(probe.fitsIn8Bits()));
    if (picture.pixelFormat == SegmentArguments::eightBitPixelFormat && segmentDeliveredSize
        && *segmentDeliveredSize != QSize(width, height)) {
        picture.delivered = *segmentDeliveredSize;
    }

    RenderSegmentIdentity identity = RenderSegmentIdentity::make(clip, settings, width, height, duration, tail,
                                                                 stylish);
    identity.pictureConversion = picture.conversion;
    if (identity.keepsSourceMatrix && GradePlan::scalerMatrix(picture.colourSpace))
        identity.sourceMatrixTag = picture.colourSpace;
    identity.pixelFormat = picture.pixelFormat;
    if (picture.delivered.isValid())
        identity.deliveredSize = QStringLiteral("%1x%2").arg(picture.delivered.width()).arg(picture.delivered.height());
    const QString key = identity.key();
    Pipeline lookup = *this;
    lookup.segmentPixelFormat = picture.pixelFormat;
    if (const std::optional<QString> found = lookup.findSegment(key, cacheRoot, index, clip.name,
                                                                settings.finalOutputPath, progress)) {
        return *found;
    }
    if (onlyReuseSegments)
        return {};

    const std::optional<ClipGrade> grade = SegmentArguments::effectiveGrade(clip, settings);
    QString look;
    if (SegmentArguments::appliesLook(grade, stylish)) {
        // Each segment its own copy: segments of one render run at once, with looks of their own.
        const QString name = QStringLiteral("segment-%1.").arg(index)
            + SegmentArguments::lookFileName(grade->stylishLUT);
        look = directory + QLatin1Char('/') + copyResource(grade->stylishLUT, name, directory);
        requireReadableLUT(look, grade->stylishLUT, clip.name, QStringLiteral("rendered"));
    }
    const QString filter = SegmentArguments::videoFilter(clip, settings, width, height, duration, grade, look, picture);

    // FFmpeg writes under a temporary name: only a finished run becomes segment-<index>.mkv, so a
    // resumed render never takes a cut-short file for a complete one.
    const QString partial = jobSegmentPartialFile(directory, index);
    QFile::remove(partial); // never mistake an earlier run's leftover for this run's output
    // What a failed or cancelled run leaves can never be used.
    auto removePartial = qScopeGuard([&] { QFile::remove(partial); });
    const QString number = QString::number(index + 1);
    const QString stage = QStringLiteral("Rendering clip ") + number + QStringLiteral(" \u00B7 ") + clip.name;
    const QList<SegmentArguments::StillPiece> pieces = clip.isImage && !legacyRendering
        ? SegmentArguments::stillPieces(SegmentArguments::frameCount(duration, settings.fps), settings.fps,
                                        stillPiecesAtOnce)
        : QList<SegmentArguments::StillPiece>();
    if (pieces.size() > 1) {
        const auto pieceFilter = [&](qint64 firstFrame) {
            return SegmentArguments::videoFilter(clip, settings, width, height, duration, grade, look, picture,
                                                 firstFrame);
        };
        renderStillInPieces(input, pieces, pieceFilter, settings.fps, duration, picture.pixelFormat, partial, directory,
                            stage, progress);
    } else {
        ffmpeg(SegmentArguments::arguments(input, settings.fps, filter, duration, partial, picture.pixelFormat),
               directory, stage, duration, progress);
    }
    if (QFileInfo(partial).size() <= 0)
        throw StudioError(QStringLiteral("Rendered clip produced no output: ") + clip.name);
    if (!clip.isImage)
        requireWholePicture(media, partial, clip.name, settings.fps, input.start, duration);
    commitJobSegment(directory, index, key);
    removePartial.dismiss();

    const QString segment = jobSegmentFile(directory, index);
    if (!persistSegmentCache(segment, segmentCacheFile(cacheRoot, key), cacheRoot))
        update(QStringLiteral("Rendered clip ") + number
                   + QStringLiteral(" \u00B7 cache skipped to preserve disk space"),
               1.0);
    return segment;
}

} // namespace kinoloom
