#include "engine/pipeline/RenderSteps.h"

#include "engine/media/FFmpegText.h"
#include "engine/pipeline/Pipeline.h"
#include "model/FileOperations.h"

#include <QDir>
#include <QFileInfo>

namespace kinoloom {

QString Pipeline::concatList(const QStringList &segments, const QString &directory, const QString &name)
{
    QStringList lines;
    for (const QString &segment : segments) {
        QString escaped = segment;
        escaped.replace(QStringLiteral("'"), QStringLiteral("'\\''"));
        lines.append(QStringLiteral("file '") + escaped + QLatin1Char('\''));
    }
    const QString path = QDir(directory).filePath(name + QStringLiteral(".txt"));
    writeFileAtomically(path, lines.join(QLatin1Char('\n')).toUtf8());
    return path;
}

QStringList Pipeline::concatInput(const QString &list)
{
    return {QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"),
            QStringLiteral("0"),  QStringLiteral("-i"),     list};
}

Assembly openingAndTitles(const RenderPlan &plan, const RenderedSegments &segments, const QString &job,
                          bool titlesPerFrame)
{
    const ProcessingSettings &settings = plan.settings;
    const RenderOutput output = plan.output;
    const AssemblyTimeline &timeline = plan.timeline;
    Assembly assembly;
    QStringList &inputs = assembly.inputs;

    if (plan.hookOpening())
        inputs += Pipeline::concatInput(Pipeline::concatList(segments.hooks, job, QStringLiteral("hooks")));
    inputs += Pipeline::concatInput(Pipeline::concatList(segments.clips, job, QStringLiteral("base")));
    const int musicInput = plan.hookOpening() ? 2 : 1;
    if (!settings.music.isEmpty()) {
        inputs += {QStringLiteral("-stream_loop"), QStringLiteral("-1"), QStringLiteral("-i"),
                   QFileInfo(settings.music).absoluteFilePath()};
    } else {
        inputs += {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                   QStringLiteral("anullsrc=channel_layout=stereo:sample_rate=48000")};
    }
    const QString titles = QDir(job).filePath(QStringLiteral("titles.png"));
    Pipeline::drawTitles(settings, titles, plan.frame.width(), plan.frame.height(), plan.isShort());
    inputs += titlesPerFrame ? loopedPictureInput(titles, settings.fps, QStringLiteral("png"))
                             : pictureInput(titles, settings.fps, QStringLiteral("png"));

    AssemblyGraph &graph = assembly.graph;
    graph.hookOpening = plan.hookOpening();
    graph.crossfade = timeline.crossfade;
    graph.offset = timeline.offset;
    graph.musicInput = musicInput;
    graph.titlesInput = musicInput + 1;
    graph.width = plan.frame.width();
    graph.height = plan.frame.height();
    graph.titlesRepeatedInGraph = !titlesPerFrame;
    graph.audioLength = timeline.audioLength;
    graph.fade = timeline.fade;
    graph.fadeOutStart = timeline.fadeOutStart;
    graph.fadeTitles = output != RenderOutput::vertical;
    graph.fadeInSource = output == RenderOutput::film && plan.clips.first().role == ClipRole::intro;
    graph.volume = output == RenderOutput::vertical ? 0.0 : settings.audioPercent / 100.0;
    return assembly;
}

} // namespace kinoloom
