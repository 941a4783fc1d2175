#include "engine/pipeline/Pipeline.h"

#include "engine/media/MediaService.h"
#include "engine/media/PictureConversion.h"
#include "engine/pipeline/CompleteFile.h"
#include "engine/pipeline/PreparationArguments.h"
#include "engine/pipeline/ProgressBand.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "model/FileOperations.h"
#include "model/Fingerprint.h"
#include "model/StudioError.h"
#include "model/StudioProject.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace kinoloom {

namespace {

const QString middleDot = QStringLiteral(" \u00B7 ");

// Clip i of a preparation owns the band of the overall progress in proportion to its length
// (at least one second each).
QList<ProgressBand> bands(const QList<MediaAsset> &clips)
{
    QList<double> ends;
    double total = 0;
    for (const MediaAsset &clip : clips) {
        total += std::isfinite(clip.duration) ? std::max(clip.duration, 1.0) : 1.0;
        ends << total;
    }
    const double whole = std::max(total, 1.0);
    QList<ProgressBand> result;
    double start = 0;
    for (double end : ends) {
        // Dividing the running sums (not adding up shares) makes the last band end exactly at 1.
        result << ProgressBand{start / whole, end / whole};
        start = end;
    }
    return result;
}

bool exists(const QString &path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path.toStdString(), error));
}

// What the probe of a movie's own file says (a still's picture needs no conversion).
ProbeResult sourceProbe(const MediaService &media, const MediaAsset &clip)
{
    return clip.isImage ? ProbeResult() : media.probe(QFileInfo(clip.path).absoluteFilePath());
}

void replaceAsset(StudioProject &project, const MediaAsset &asset)
{
    for (MediaAsset &candidate : project.assets) {
        if (candidate.id == asset.id)
            candidate = asset;
    }
}

} // namespace

void Pipeline::requireVidStab() const
{
    const QString filters = runner->runFFmpeg({QStringLiteral("-hide_banner"), QStringLiteral("-filters")});
    if (!filters.contains(QStringLiteral("vidstabdetect")) || !filters.contains(QStringLiteral("vidstabtransform"))) {
        throw StudioError(QStringLiteral("This FFmpeg installation does not include vid.stab. Turn off motion "
                                         "stabilization or choose an FFmpeg build with vid.stab in Settings."));
    }
}

StudioProject Pipeline::prepare(const StudioProject &project, const QString &projectFolder,
                                const std::function<void(const MediaAsset &)> &completed) const
{
    const QString root = QDir(projectFolder).absolutePath(); // FFmpeg gets absolute paths only
    project.validate();
    StudioProject result = project;
    const ProcessingSettings &settings = project.settings;

    QList<MediaAsset> clips;
    for (const MediaAsset &asset : project.assets) {
        if (asset.role != ClipRole::excluded)
            clips << asset;
    }
    const qsizetype count = clips.size();
    const QList<ProgressBand> shares = bands(clips);

    // FFmpeg's progress may step back (a negative first position reads as 0); the overall
    // fraction never does.
    double reached = 0;
    const auto overall = [this, &reached](double fraction) {
        reached = std::max(reached, fraction);
        overallUpdate(reached);
    };
    const auto finish = [&](const MediaAsset &clip) {
        replaceAsset(result, clip);
        if (completed)
            completed(clip);
    };

    if (count == 0)
        overall(1.0);
    if (settings.vidstab)
        requireVidStab();
    const bool needsWork = !settings.conversionLUT.isEmpty() || settings.gyroflow || settings.fisheye
        || settings.vidstab;

    for (qsizetype i = 0; i < count; ++i) {
        const MediaAsset &original = clips.at(i);
        MediaAsset clip = original;
        const ProgressBand band = shares.at(i);
        const QString number = QString::number(i + 1) + QStringLiteral(" of ") + QString::number(count);
        runner->checkCancellation();
        overall(band.start);
        QString key = Fingerprint::preparation(clip, settings);
        if (needsWork) {
            const ProbeResult source = sourceProbe(MediaService(tools, runner), clip);
            key = PreparationArguments::key(key, PictureConversion::filters(source), settings.conversionLUT,
                                            PictureConversion::colourSpaceAfter(source));
        }
        clip.preparationKey = key;

        if (!needsWork) {
            clip.preparation = QStringLiteral("Ready") + middleDot + QStringLiteral("original");
            clip.preparedPath = clip.path;
            finish(clip);
            update(QStringLiteral("Using original clip ") + number, 1.0);
            overall(band.end);
            continue;
        }

        const QString prepared = cacheRoot(root) + QStringLiteral("/Prepared");
        createFolder(prepared);
        const QString cached = prepared + QLatin1Char('/') + key
            + (clip.isImage ? QStringLiteral(".png") : QStringLiteral(".mkv"));

        // A file prepared under the same key elsewhere (the project was moved, or the cache
        // folder renamed) is taken into the cache instead of being made again.
        const std::optional<QString> &earlier = original.preparedPath;
        if (original.preparationKey == key && earlier && QFileInfo::exists(*earlier)
            && QDir::cleanPath(*earlier) != QDir::cleanPath(cached) && validPreparedCache(*earlier, clip.isImage)
            && !exists(cached)) {
            linkOrCopy(*earlier, cached);
        }

        if (validPreparedCache(cached, clip.isImage)) {
            clip.preparation = QStringLiteral("Prepared") + middleDot + QStringLiteral("cached");
            clip.preparedPath = cached;
            finish(clip);
            update(QStringLiteral("Prepared ") + number + middleDot + QStringLiteral("cached"), 1.0);
            overall(band.end);
            continue;
        }
        if (exists(cached))
            removeEntry(cached);

        const QString job = jobFolder(root);
        JobFolderGuard cleanup(job); // a failed clip's job folder stays for inspection
        const QString stage = QStringLiteral("Preparing ") + number + middleDot + clip.name;
        const auto progress = [&overall, band](double f) { overall(band.at(f)); };
        const QString out = runPreparationPasses(clip, settings, job, stage, progress);

        renameFile(out, cached, QStringLiteral("move the prepared clip to"));
        clip.preparation = QStringLiteral("Prepared");
        clip.preparedPath = cached;
        finish(clip);
        overall(band.end);
        cleanup.completed();
    }
    return result;
}

QString Pipeline::runPreparationPasses(const MediaAsset &clip, const ProcessingSettings &settings, const QString &job,
                                       const QString &stage, const std::function<void(double)> &progress) const
{
    const bool video = !clip.isImage;
    const bool gyroflowApplies = settings.gyroflow && video;
    QString input = QFileInfo(clip.path).absoluteFilePath();
    // An interlaced or HDR clip is prepared as progressive SDR, which its segments then take as it is.
    const ProbeResult source = sourceProbe(MediaService(tools, runner), clip);
    const QString conversion = PictureConversion::filters(source);

    // Checked first: a LUT that cannot be read would otherwise fail the last pass, after the
    // stabilisation passes have run in vain.
    QString lut;
    if (!settings.conversionLUT.isEmpty()) {
        const QString name = copyResource(settings.conversionLUT,
                                          PreparationArguments::conversionFileName(settings.conversionLUT), job);
        lut = job + QLatin1Char('/') + name;
        requireReadableLUT(lut, settings.conversionLUT, clip.name, QStringLiteral("prepared"));
    }

    if (gyroflowApplies) {
        update(stage + middleDot + QStringLiteral("Gyroflow"), std::nullopt);
        runner->run(tools.gyroflow, PreparationArguments::gyroflow(job, settings.gyroPreset, input), job, log);
        const QString movie = job + QStringLiteral("/gyro.mov");
        if (!QFileInfo::exists(movie))
            throw StudioError(QStringLiteral("Gyroflow returned without producing a movie."));
        input = movie;
    }

    QString motion;
    if (settings.vidstab && video) {
        motion = job + QStringLiteral("/motion.trf");
        ffmpeg(PreparationArguments::motionAnalysis(input, motion, conversion), job,
               stage + middleDot + QStringLiteral("motion analysis"), clip.duration);
    }

    const QString out = job + (video ? QStringLiteral("/prepared.mkv") : QStringLiteral("/prepared.png"));
    const QStringList filters = PreparationArguments::filters(conversion, motion, settings.fisheye && !gyroflowApplies,
                                                              lut, PictureConversion::colourSpaceAfter(source));
    {
        // What a failed or cancelled pass leaves is no prepared clip; the job folder keeps the rest.
        auto removePartial = qScopeGuard([&] { QFile::remove(out); });
        ffmpeg(PreparationArguments::mainPass(input, filters, !video, out), job, stage, clip.duration, progress);
        removePartial.dismiss();
    }

    if (!validPreparedCache(out, clip.isImage))
        throw StudioError(QStringLiteral("Prepared clip failed validation: ") + clip.name);
    return out;
}

bool Pipeline::validPreparedCache(const QString &path, bool image) const
{
    if (!QFileInfo::exists(path))
        return false;
    // ffprobe reads only the head of a file: one cut short still probes as whole.
    if (!(image ? completePng(path) : completeMatroska(path)))
        return false;
    try {
        const ProbeResult probe = MediaService{tools, runner}.probe(path);
        if (probe.width < 1 || probe.height < 1)
            return false;
        if (image)
            return probe.codec == QStringLiteral("png");
        return probe.codec == QStringLiteral("ffv1") && probe.duration > 0;
    } catch (const CancellationError &) {
        throw; // not a verdict on the file: it must not be deleted as damaged
    } catch (...) {
        // A damaged or unreadable entry is a cache miss, whatever the reason.
        return false;
    }
}

} // namespace kinoloom
