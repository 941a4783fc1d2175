#include "engine/pipeline/Pipeline.h"

#include "engine/media/FFmpegText.h"
#include "engine/pipeline/AssemblyGraph.h"
#include "engine/pipeline/AssemblyTimeline.h"
#include "engine/pipeline/HardwareEncoder.h"
#include "engine/pipeline/RenderJobLock.h"
#include "engine/process/ProcessRunner.h"
#include "model/FileError.h"
#include "model/Json.h"
#include "model/StudioError.h"
#include "model/StudioProject.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kinoloom {

namespace {

using Output = AssemblyTimeline::Output;

QString newUuidText()
{
    return json::uuidText(QUuid::createUuid());
}

void makeFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        throw FileError(QStringLiteral("create the folder"), path, QString());
}

double clampedFraction(double p)
{
    return std::isnan(p) ? 0.0 : std::clamp(p, 0.0, 1.0);
}

QString movieName(const ProcessingSettings &settings, Output output, const QSize &frame)
{
    if (output == Output::vertical)
        return QStringLiteral("Short.mp4");
    if (output == Output::preview)
        return QStringLiteral("Preview.mp4");
    const ExportResolution resolution = settings.selectedExportResolution();
    const QString label = resolution == ExportResolution::source
        ? ffmpegInteger(frame.width()) + QLatin1Char('x') + ffmpegInteger(frame.height())
        : shortTitle(resolution);
    return QStringLiteral("Movie-") + label + QLatin1Char('.') + fileExtension(settings.selectedExportCodec());
}

void moveFile(const QString &from, const QString &to)
{
    QFile file(from);
    if (!file.rename(to))
        throw FileError(QStringLiteral("move"), from, file.errorString());
}

} // namespace

ExportRecord Pipeline::render(const StudioProject &project, const QString &projectFolder, bool isShort, bool preview,
                              std::optional<QSize> testSize) const
{
    // Concat lists and filter graphs need absolute paths: FFmpeg reads a list's relative paths
    // against the list's own folder.
    const QString root = QDir(projectFolder).absolutePath();
    project.validate();
    runner->checkCancellation();
    overallUpdate(0);

    const ProcessingSettings &settings = project.settings;
    const int fps = settings.fps;
    const Output output = preview ? Output::preview : isShort ? Output::vertical : Output::film;

    QList<MediaAsset> hooks;
    for (const MediaAsset &asset : project.assets) {
        if (asset.role == ClipRole::hook)
            hooks.append(asset);
    }
    QList<MediaAsset> clips = isShort ? hooks : project.sequence();
    if (clips.isEmpty()) {
        throw StudioError(isShort ? QStringLiteral("Assign at least one hook to create a Short.")
                                  : QStringLiteral("Add at least one main or intro clip to the sequence."));
    }

    // A film with a final output path is encoded inside its render job folder, on the same
    // volume, and renamed onto the path only once it is complete: a failed or cancelled export
    // never leaves a partial movie there.
    std::optional<QString> finalPath;
    if (output == Output::film && settings.finalOutputPath && !settings.finalOutputPath->isEmpty()) {
        finalPath = QDir::cleanPath(QFileInfo(*settings.finalOutputPath).absoluteFilePath());
        if (QFileInfo::exists(*finalPath) || QFileInfo(*finalPath).isSymLink())
            throw StudioError(QStringLiteral("Final output already exists. Choose a different path."));
        makeFolder(QFileInfo(*finalPath).absolutePath());
    }

    // The job folder is removed after a completed render only; after a failure or a cancellation
    // it stays, with the segments a resumed render can reuse.
    const QString job = renderJobFolder(root, finalPath);
    const QString outputName = output == Output::preview ? QStringLiteral("preview")
        : output == Output::vertical                     ? QStringLiteral("short")
                                                         : QStringLiteral("film");
    const QString outputIdentity = outputName + QLatin1Char('\n') + root;
    RenderJobLock jobLock = RenderJobLock::own(job, outputIdentity);
    std::vector<RenderJobLock> reusedJobs;
    const QString cache = cacheRoot(root);
    const QString segmentCache = QDir(cache).filePath(QStringLiteral("Segments"));
    // A segment found in an interrupted render's job folder is used only while that folder is
    // held, so that no other render removes it before the film is encoded.
    const auto holdingReused = [&](const QString &segment, const auto &renderAgain) {
        const QString folder = QFileInfo(segment).absolutePath();
        if (folder == job || folder == segmentCache)
            return segment;
        for (const RenderJobLock &held : reusedJobs) {
            if (held.folder() == folder)
                return segment;
        }
        std::optional<RenderJobLock> held = RenderJobLock::share(folder);
        if (!held || !QFileInfo::exists(segment))
            return renderAgain();
        reusedJobs.push_back(std::move(*held));
        return segment;
    };
    Pipeline fresh = *this;
    fresh.reuseInterruptedJobCache = false;

    QList<MediaAsset> openingHooks;
    if (output == Output::preview)
        clips = {clips.first()};
    else if (output == Output::film && settings.includeHooks)
        openingHooks = hooks;
    const bool hookOpening = !openingHooks.isEmpty();

    QSize frame;
    QSize working;
    if (testSize) {
        frame = working = *testSize;
    } else if (output == Output::vertical) {
        frame = working = QSize(1080, 1920);
    } else {
        const QList<MediaAsset> all = clips + openingHooks;
        frame = exportSize(settings.selectedExportResolution(), all, settings);
        working = output == Output::film ? workingSize(all, settings, frame.width(), frame.height()) : frame;
    }

    const double shortLength = AssemblyTimeline::shortHookLength(hooks, settings);
    const QList<double> clipLengths = AssemblyTimeline::clipLengths(clips, settings, output, shortLength);
    const QList<double> hookLengths = AssemblyTimeline::openingHookLengths(openingHooks, fps);
    const AssemblyTimeline timeline = AssemblyTimeline::make(
        clipLengths, hookLengths, fps, output == Output::film && clips.last().role == ClipRole::outro);

    double progressTotal = timeline.base + timeline.hooks;
    progressTotal = std::max(progressTotal, 1.0);
    double done = 0;
    const auto segmentProgress = [this, progressTotal](double start, double length) {
        const double from = start / progressTotal * 0.7;
        const double share = length / progressTotal * 0.7;
        return std::function<void(double)>(
            [this, from, share](double p) { overallUpdate(from + share * clampedFraction(p)); });
    };

    QStringList clipSegments;
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const auto segment = [&](const Pipeline &pipeline) {
            return pipeline.renderSegment(clips[i], settings, job, cache, int(i), working.width(), working.height(),
                                          clipLengths[i], isShort, !isShort, segmentProgress(done, clipLengths[i]));
        };
        clipSegments.append(holdingReused(segment(*this), [&] { return segment(fresh); }));
        done += clipLengths[i];
    }
    const QString baseList = concatList(clipSegments, job, QStringLiteral("base"));

    QString hooksList;
    if (hookOpening) {
        QStringList hookSegments;
        for (qsizetype j = 0; j < openingHooks.size(); ++j) {
            const auto segment = [&](const Pipeline &pipeline) {
                return pipeline.renderSegment(openingHooks[j], settings, job, cache, int(clips.size() + j),
                                              working.width(), working.height(), hookLengths[j], true, true,
                                              segmentProgress(done, hookLengths[j]));
            };
            hookSegments.append(holdingReused(segment(*this), [&] { return segment(fresh); }));
            done += hookLengths[j];
        }
        hooksList = concatList(hookSegments, job, QStringLiteral("hooks"));
    }

    QStringList arguments;
    if (hookOpening)
        arguments += concatInput(hooksList);
    arguments += concatInput(baseList);
    const int musicInput = hookOpening ? 2 : 1;
    if (!settings.music.isEmpty()) {
        arguments += {QStringLiteral("-stream_loop"), QStringLiteral("-1"), QStringLiteral("-i"),
                      QFileInfo(settings.music).absoluteFilePath()};
    } else {
        arguments += {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("anullsrc=channel_layout=stereo:sample_rate=48000")};
    }
    const QString titles = QDir(job).filePath(QStringLiteral("titles.png"));
    drawTitles(settings, titles, frame.width(), frame.height(), isShort);
    arguments += loopedPictureInput(titles, fps, QStringLiteral("png"));

    QStringList encoder;
    QStringList audio;
    if (output == Output::film) {
        const MainVideoCodec codec = mainVideoCodec(settings);
        encoder = codec.videoArguments;
        audio = {QStringLiteral("-c:a"), codec.audioCodec};
        if (!codec.lossless)
            audio += {QStringLiteral("-b:a"), QStringLiteral("384k")};
    } else {
        encoder = videoCodec(settings, isShort, QStringLiteral("100M"));
        audio = {QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("320k")};
    }

    AssemblyGraph graph;
    graph.hookOpening = hookOpening;
    graph.crossfade = timeline.crossfade;
    graph.offset = timeline.offset;
    graph.musicInput = musicInput;
    graph.titlesInput = musicInput + 1;
    graph.width = frame.width();
    graph.height = frame.height();
    graph.audioLength = timeline.audioLength;
    graph.fade = timeline.fade;
    graph.fadeOutStart = timeline.fadeOutStart;
    graph.fadeTitles = output != Output::vertical;
    graph.fadeInSource = output == Output::film && clips.first().role == ClipRole::intro;
    graph.volume = output == Output::vertical ? 0.0 : settings.audioPercent / 100.0;
    if (hardwareEncoder::needsUpload(encoder))
        graph.pictureTail = hardwareEncoder::uploadFilter();

    const QString name = finalPath ? QFileInfo(*finalPath).fileName() : movieName(settings, output, frame);
    // The prefix keeps a final output named like one of the job's own files (segment-0.mkv,
    // titles.png) from overwriting the input being read, or from being taken later for a segment.
    const QString movie = QDir(job).filePath(finalPath ? QStringLiteral("Final-") + name : name);
    arguments += {QStringLiteral("-filter_complex"),
                  graph.text(),
                  QStringLiteral("-map"),
                  QStringLiteral("[v]"),
                  QStringLiteral("-map"),
                  QStringLiteral("[a]"),
                  QStringLiteral("-t"),
                  ffmpegNumber(timeline.total)};
    arguments += encoder;
    arguments += audio;
    arguments.append(movie);

    const double encodeEnd = output == Output::preview ? 0.99 : 0.96;
    // A movie that did not finish can never be reused, and holds the space a retry needs (after
    // a full disk, most of all). The committed segments stay for the resume.
    auto removeMovie = qScopeGuard([&] { QFile::remove(movie); });
    ffmpeg(arguments, job,
           output == Output::preview ? QStringLiteral("Rendering preview")
                                     : QStringLiteral("Compositing and encoding film"),
           timeline.total, [this, encodeEnd](double p) { overallUpdate(0.7 + (encodeEnd - 0.7) * p); });
    overallUpdate(encodeEnd);

    requireUsableMovie(movie);
    runner->checkCancellation();
    removeMovie.dismiss();

    QStringList thumbnails;
    if (output != Output::preview) {
        const QList<double> times = thumbnailTimes(timeline.total, timeline.offset,
                                                   !settings.title.isEmpty() || !settings.subtitle.isEmpty());
        for (int n = 1; n <= times.size(); ++n) {
            const QString thumbnail = QDir(job).filePath(QStringLiteral("Thumbnail-%1.jpg").arg(n));
            runner->runFFmpeg({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                               QStringLiteral("-y"), QStringLiteral("-ss"), ffmpegNumber(times[n - 1]),
                               QStringLiteral("-i"), movie, QStringLiteral("-vf"), QStringLiteral("scale=1280:-2"),
                               QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-q:v"),
                               QStringLiteral("3"), QStringLiteral("-update"), QStringLiteral("1"), thumbnail},
                              [](const QString &) {});
            thumbnails.append(thumbnail);
            overallUpdate(0.96 + 0.03 * n / 8);
        }
    }

    const QString exportFolder = finalPath ? QFileInfo(*finalPath).absolutePath() + QLatin1Char('/')
            + QFileInfo(*finalPath).completeBaseName() + QStringLiteral("-thumbnails-") + newUuidText()
                                           : QDir(root).filePath(QStringLiteral("Exports/") + newUuidText());
    makeFolder(exportFolder);
    QStringList delivered;
    for (const QString &thumbnail : thumbnails) {
        const QString destination = QDir(exportFolder).filePath(QFileInfo(thumbnail).fileName());
        moveFile(thumbnail, destination);
        delivered.append(destination);
    }
    // The movie goes last: once it stands at its final path the render is complete.
    const QString moviePath = finalPath ? *finalPath : QDir(exportFolder).filePath(name);
    if (finalPath && (QFileInfo::exists(moviePath) || QFileInfo(moviePath).isSymLink()))
        throw StudioError(QStringLiteral("Final output already exists. Choose a different path."));
    moveFile(movie, moviePath);

    const QString kind = preview ? QStringLiteral("Preview")
        : isShort                ? QStringLiteral("Short")
                                 : shortTitle(settings.selectedExportResolution()) + QStringLiteral(" movie");
    overallUpdate(1.0);
    // The film is complete: its own job folder goes, and so do the interrupted renders' folders
    // of the same output whose segments it took, unless another render still holds one.
    jobLock.removeIfUnused(outputIdentity);
    for (RenderJobLock &reused : reusedJobs)
        reused.removeIfUnused(outputIdentity);
    return ExportRecord::create(kind, moviePath, timeline.total, delivered);
}

} // namespace kinoloom
