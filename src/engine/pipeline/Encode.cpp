#include "engine/pipeline/RenderSteps.h"

#include "engine/media/FFmpegText.h"
#include "engine/pipeline/HardwareEncoder.h"
#include "engine/pipeline/Pipeline.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/StudioError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>

namespace kinoloom {

namespace {

QString movieName(const ProcessingSettings &settings, RenderOutput output, const QSize &frame)
{
    if (output == RenderOutput::vertical)
        return QStringLiteral("Short.mp4");
    if (output == RenderOutput::preview)
        return QStringLiteral("Preview.mp4");
    const ExportResolution resolution = settings.selectedExportResolution();
    const QString label = resolution == ExportResolution::source
        ? ffmpegInteger(frame.width()) + QLatin1Char('x') + ffmpegInteger(frame.height())
        : shortTitle(resolution);
    return QStringLiteral("Movie-") + label + QLatin1Char('.') + fileExtension(settings.selectedExportCodec());
}

// The film's encoder is the one its settings choose; a preview or a Short goes out as H.264 or
// HEVC at 100 Mbit/s with AAC sound.
QStringList encoderArguments(const RenderPlan &plan)
{
    if (plan.output == RenderOutput::film) {
        const MainVideoCodec codec = Pipeline::mainVideoCodec(plan.settings);
        QStringList arguments = codec.videoArguments;
        arguments += {QStringLiteral("-c:a"), codec.audioCodec};
        if (!codec.lossless)
            arguments += {QStringLiteral("-b:a"), QStringLiteral("384k")};
        return arguments;
    }
    return Pipeline::videoCodec(plan.settings, plan.isShort(), QStringLiteral("100M"))
        + QStringList{QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("320k")};
}

} // namespace

QString encode(const Pipeline &pipeline, const RenderPlan &plan, Assembly assembly, const QString &job)
{
    const QStringList encoder = encoderArguments(plan);
    if (hardwareEncoder::needsUpload(encoder))
        assembly.graph.pictureTail = hardwareEncoder::uploadFilter();

    const QString name = plan.finalPath ? QFileInfo(*plan.finalPath).fileName()
                                        : movieName(plan.settings, plan.output, plan.frame);
    // The prefix keeps a final output named like one of the job's own files (segment-0.mkv,
    // titles.png) from overwriting the input being read, or from being taken later for a segment.
    const QString movie = QDir(job).filePath(plan.finalPath ? QStringLiteral("Final-") + name : name);
    QStringList arguments = assembly.inputs;
    arguments += {QStringLiteral("-filter_complex"),
                  assembly.graph.text(),
                  QStringLiteral("-map"),
                  QStringLiteral("[v]"),
                  QStringLiteral("-map"),
                  QStringLiteral("[a]"),
                  QStringLiteral("-t"),
                  ffmpegNumber(plan.timeline.total)};
    arguments += encoder;
    arguments.append(movie);

    const bool preview = plan.output == RenderOutput::preview;
    const ProgressBand band = preview ? renderProgress::previewEncode : renderProgress::filmEncode;
    // A movie that did not finish can never be reused, and holds the space a retry needs (after
    // a full disk, most of all). The committed segments stay for the resume.
    auto removeMovie = qScopeGuard([&] { QFile::remove(movie); });
    pipeline.ffmpeg(arguments, job,
                    preview ? QStringLiteral("Rendering preview") : QStringLiteral("Compositing and encoding film"),
                    plan.timeline.total, band.reporting(pipeline.overallUpdate));
    pipeline.overallUpdate(band.end);

    pipeline.requireUsableMovie(movie);
    pipeline.runner->checkCancellation();
    removeMovie.dismiss();
    return movie;
}

void Pipeline::requireUsableMovie(const QString &path) const
{
    const QString failure = QStringLiteral("The rendered movie produced no usable output.");
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= 0)
        throw StudioError(failure);
    QString report;
    try {
        report = runner->runFFprobe({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                                     QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                                     QStringLiteral("stream=codec_type:format=duration"), QStringLiteral("-of"),
                                     QStringLiteral("json"), path});
    } catch (const ProcessFailure &) {
        throw StudioError(failure);
    }
    const QJsonObject probe = QJsonDocument::fromJson(report.toUtf8()).object();
    const QJsonArray streams = probe.value(QStringLiteral("streams")).toArray();
    bool ok = false;
    const double duration =
        probe.value(QStringLiteral("format")).toObject().value(QStringLiteral("duration")).toString().toDouble(&ok);
    if (streams.isEmpty() || !ok || !(duration > 0))
        throw StudioError(failure);
}

} // namespace kinoloom
