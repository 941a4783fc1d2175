// Film export benchmark: eight 1080p30 clips of 5 s with music and a creative LUT.
// Prints, measured in one run: the cold export against one hand-written ffmpeg command that makes
// the same film, an unchanged re-render against the cold one, and how many segments a change of
// one clip's grade renders again. Then a 4K film from a 12-megapixel still and three 1080p clips,
// rendered cold as the engine did before (one segment at a time) and as it does now.

#include "engine/media/FFmpegText.h"
#include "engine/pipeline/Pipeline.h"
#include "engine/process/ProcessRunner.h"
#include "model/StudioProject.h"
#include "support/MediaFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <mutex>

using namespace kinoloom;

namespace {

constexpr int clipCount = 8;
constexpr int hookCount = 2;

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        return false;
    }
    return true;
}

QString makeClip(const QString &folder, int index)
{
    const QString path = QDir(folder).filePath(QStringLiteral("clip-%1.mp4").arg(index));
    const QString picture = QStringLiteral("testsrc2=s=1920x1080:r=30:d=5,hue=h=%1").arg(index * 40);
    const QString sound = QStringLiteral("sine=f=%1:d=5:sample_rate=48000").arg(220 + index * 55);
    run(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"),
         QStringLiteral("error"),
         QStringLiteral("-y"),
         QStringLiteral("-f"),
         QStringLiteral("lavfi"),
         QStringLiteral("-i"),
         picture,
         QStringLiteral("-f"),
         QStringLiteral("lavfi"),
         QStringLiteral("-i"),
         sound,
         QStringLiteral("-c:v"),
         QStringLiteral("libx264"),
         QStringLiteral("-preset"),
         QStringLiteral("veryfast"),
         QStringLiteral("-crf"),
         QStringLiteral("18"),
         QStringLiteral("-pix_fmt"),
         QStringLiteral("yuv420p"),
         QStringLiteral("-c:a"),
         QStringLiteral("aac"),
         QStringLiteral("-shortest"),
         path});
    return path;
}

QString makeStill(const QString &folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("still-12mp.jpg"));
    run(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
         QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc2=s=4000x3000:r=1:d=1"),
         QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-q:v"), QStringLiteral("2"), path});
    return path;
}

QString makeMusic(const QString &folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("music.m4a"));
    run(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
         QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=f=330:d=40:sample_rate=48000"),
         QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-c:a"), QStringLiteral("aac"), path});
    return path;
}

ClipGrade benchGrade(const QString &lut)
{
    ClipGrade grade;
    grade.contrast = 1.1;
    grade.saturation = 1.15;
    grade.stylishLUT = lut;
    grade.lutStrength = 40;
    return grade;
}

struct Counter
{
    std::mutex lock;
    int rendered = 0;
};

// As the engine rendered before: one segment at a time, 16-bit segments for every film, converted
// to R'G'B' by the final graph, the look mixed by blend's expression, the thumbnails one after
// another.
void renderAsBefore(Pipeline &pipeline)
{
    pipeline.segmentsAtOnce = 1;
    pipeline.legacyRendering = true;
}

double timedRender(const StudioProject &project, const QString &root, Counter *counter, bool before = false)
{
    Pipeline pipeline{ToolPaths(), std::make_shared<ProcessRunner>()};
    if (before)
        renderAsBefore(pipeline);
    pipeline.update = [counter](const QString &stage, std::optional<double> fraction) {
        if (counter && !fraction && stage.startsWith(QStringLiteral("Rendering clip "))) {
            const std::lock_guard guard(counter->lock);
            ++counter->rendered;
        }
    };
    QElapsedTimer timer;
    timer.start();
    const ExportRecord record = pipeline.render(project, root, false, false);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::fprintf(stderr, "  %s, %.3f s of film\n", qPrintable(record.path), record.duration);
    return seconds;
}

// The same film as one ffmpeg command written by hand: every clip trimmed, scaled, graded and
// looked in one graph, joined, opened by the hooks through the same crossfade, under the same
// titles and music, with the same encoder and preset.
QStringList handWrittenCommand(const StudioProject &project, const QString &titles, const QString &output)
{
    const ProcessingSettings &settings = project.settings;
    QStringList arguments = {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-y"),
                             QStringLiteral("-loglevel"), QStringLiteral("error")};
    QString graph;
    QString body;
    QString opening;
    int input = 0;
    const ClipGrade grade = benchGrade(settings.stylishLUT);
    const double w = grade.lutStrength / 100;
    const QString lut = filterOptionPath(settings.stylishLUT);
    const auto clipChain = [&](const MediaAsset &clip, double start, double duration) {
        arguments += {QStringLiteral("-ss"),  ffmpegNumber(start),  QStringLiteral("-t"),
                      ffmpegNumber(duration), QStringLiteral("-i"), clip.path};
        const QString n = QString::number(input);
        graph += QStringLiteral(
                     "[%1:v]scale=1920:1080:force_original_aspect_ratio=increase,crop=1920:1080,setsar=1,"
                     "fps=30,settb=AVTB,setpts=PTS-STARTPTS,format=yuv444p16le,"
                     "eq=brightness=%2:contrast=%3:saturation=%4:gamma=%5,split=2[b%1][l%1];"
                     "[l%1]lut3d=file='%6':interp=tetrahedral[g%1];[b%1][g%1]blend=all_expr='A*%7+B*%8'[v%1];"
                     "[%1:a]aresample=48000,apad,atrim=duration=%9,asetpts=PTS-STARTPTS[a%1];")
                     .arg(n, ffmpegNumber(grade.brightness), ffmpegNumber(grade.contrast),
                          ffmpegNumber(grade.saturation), ffmpegNumber(grade.gamma), lut, ffmpegNumber(1 - w),
                          ffmpegNumber(w), ffmpegNumber(duration));
        ++input;
        return QStringLiteral("[v%1][a%1]").arg(n);
    };
    QList<MediaAsset> hooks;
    for (const MediaAsset &clip : project.assets) {
        if (clip.role == ClipRole::hook) {
            hooks.append(clip);
            continue;
        }
        const SecondsRange range = clip.editRange(settings);
        body += clipChain(clip, range.start, range.length());
    }
    const double lengths[hookCount] = {1.5, 3.5};
    for (int j = 0; j < hookCount; ++j)
        opening += clipChain(hooks[j], 5.0 - lengths[j], lengths[j]);
    const int mainCount = clipCount - hookCount;
    const double base = 4.0 * mainCount;
    const double offset = 3.0;
    const double total = base + offset;
    graph += body + QStringLiteral("concat=n=%1:v=1:a=1[film][filmAudio];").arg(mainCount);
    graph += opening + QStringLiteral("concat=n=%1:v=1:a=1[hooks][hooksAudio];").arg(hookCount);
    graph += QStringLiteral("[hooks]settb=AVTB,setpts=PTS-STARTPTS[h0];[film]settb=AVTB,setpts=PTS-STARTPTS[h1];"
                            "[h0][h1]xfade=transition=fadeblack:duration=2.0:offset=3.0[sequence];"
                            "[hooksAudio][filmAudio]acrossfade=d=2.0[sequenceAudio];");
    arguments += {QStringLiteral("-stream_loop"), QStringLiteral("-1"), QStringLiteral("-i"), settings.music};
    const int music = input++;
    arguments += {QStringLiteral("-loop"), QStringLiteral("1"),  QStringLiteral("-framerate"),
                  QStringLiteral("30"),    QStringLiteral("-i"), titles};
    const int title = input++;
    graph += QStringLiteral(
                 "[%1:v]format=rgba,fade=t=in:st=6.0:d=1:alpha=1,fade=t=out:st=12.0:d=1:alpha=1[titles];"
                 "[sequence]scale=1920:1080:flags=lanczos[base];[base][titles]overlay=shortest=1:format=auto[v];"
                 "[%2:a]atrim=duration=%3,asetpts=PTS-STARTPTS,afade=t=in:d=1.5,afade=t=out:st=%4:d=1.5,apad[music];"
                 "[sequenceAudio]atrim=duration=%3,asetpts=PTS-STARTPTS,afade=t=out:st=%4:d=1.5,volume=%5,"
                 "apad[source];[music][source]amix=inputs=2:normalize=0,aresample=48000[a]")
                 .arg(QString::number(title), QString::number(music), ffmpegNumber(total), ffmpegNumber(total - 1.5),
                      ffmpegNumber(settings.audioPercent / 100));
    arguments += {QStringLiteral("-filter_complex"),
                  graph,
                  QStringLiteral("-map"),
                  QStringLiteral("[v]"),
                  QStringLiteral("-map"),
                  QStringLiteral("[a]"),
                  QStringLiteral("-t"),
                  ffmpegNumber(total)};
    arguments += Pipeline::mainVideoCodec(settings).videoArguments;
    arguments += {QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("384k"),
                  output};
    return arguments;
}

// The 1080p film: cold, against the hand-written command, unchanged, and after one clip's change.
bool compareWithHandWritten(StudioProject project, const QString &root, const QString &work)
{
    const ProcessingSettings &settings = project.settings;
    std::fprintf(stderr, "Cold export…\n");
    Counter cold;
    const double coldSeconds = timedRender(project, root, &cold);

    std::fprintf(stderr, "Hand-written ffmpeg command…\n");
    const QString titles = QDir(work).filePath(QStringLiteral("titles.png"));
    Pipeline::drawTitles(settings, titles, 1920, 1080, false);
    QElapsedTimer timer;
    timer.start();
    if (!run(QStringLiteral("ffmpeg"),
             handWrittenCommand(project, titles, QDir(work).filePath(QStringLiteral("hand.mp4")))))
        return false;
    const double handSeconds = timer.nsecsElapsed() / 1e9;

    std::fprintf(stderr, "Unchanged re-render…\n");
    Counter warm;
    const double warmSeconds = timedRender(project, root, &warm);

    std::fprintf(stderr, "Re-render after changing one clip's grade…\n");
    project.assets[2].grade->brightness = 0.05;
    Counter changed;
    const double changedSeconds = timedRender(project, root, &changed);

    std::printf("cold film export:            %8.2f s (%d segments rendered)\n", coldSeconds, cold.rendered);
    std::printf("hand-written ffmpeg command: %8.2f s\n", handSeconds);
    std::printf("cold export / hand-written:  %8.2f\n", coldSeconds / handSeconds);
    std::printf("unchanged re-render:         %8.2f s (%d segments rendered)\n", warmSeconds, warm.rendered);
    std::printf("unchanged re-render / cold:  %8.2f\n", warmSeconds / coldSeconds);
    std::printf("after one grade change:      %8.2f s, %d of %d segments rendered again\n", changedSeconds,
                changed.rendered, clipCount);
    std::printf("one changed clip / cold:     %8.2f\n", changedSeconds / coldSeconds);
    std::fflush(stdout);

    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QTemporaryDir work;
    const QString media = QDir(work.path()).filePath(QStringLiteral("Media"));
    QDir().mkpath(media);

    std::fprintf(stderr, "Generating %d clips of 1080p30, 5 s…\n", clipCount);
    StudioProject project;
    for (int i = 0; i < clipCount; ++i) {
        MediaAsset clip = MediaAsset::create(makeClip(media, i), QStringLiteral("clip-%1.mp4").arg(i), 5.0, 1920, 1080,
                                             30, true, false);
        clip.role = i >= clipCount - hookCount ? ClipRole::hook : ClipRole::main;
        clip.grade = benchGrade(test::MediaFixtures(media).lut());
        project.assets.append(clip);
    }
    ProcessingSettings &settings = project.settings;
    settings.music = makeMusic(media);
    settings.stylishLUT = test::MediaFixtures(media).lut();
    settings.title = QStringLiteral("Benchmark");
    settings.subtitle = QStringLiteral("Eight clips");
    settings.audioPercent = 60;
    settings.trim = true;
    settings.trimDuration = 4;
    settings.includeHooks = true;
    settings.softwareEncoding = true;
    settings.exportResolution = ExportResolution::p1080;
    settings.exportCodec = ExportCodec::h264;

    const QString root = QDir(work.path()).filePath(QStringLiteral("Project"));
    QDir().mkpath(root);

    // "--4k" measures the 4K film alone.
    const bool only4K = application.arguments().contains(QStringLiteral("--4k"));
    if (!only4K && !compareWithHandWritten(project, root, work.path()))
        return 1;

    // A 4K film: the still fills 3840 × 2160, so the segments are rendered at that size.
    std::fprintf(stderr, "Generating a 12-megapixel still…\n");
    StudioProject large;
    MediaAsset still = MediaAsset::create(makeStill(media), QStringLiteral("still-12mp.jpg"), 0, 4000, 3000, 0, false,
                                          true);
    still.role = ClipRole::main;
    still.grade = benchGrade(test::MediaFixtures(media).lut());
    large.assets.append(still);
    for (int i = 0; i < 3; ++i) {
        MediaAsset clip = project.assets[i];
        clip.role = ClipRole::main;
        large.assets.append(clip);
    }
    large.settings = settings;
    large.settings.includeHooks = false;
    large.settings.exportResolution = ExportResolution::p2160;
    const QString beforeRoot = QDir(work.path()).filePath(QStringLiteral("Before"));
    const QString afterRoot = QDir(work.path()).filePath(QStringLiteral("After"));
    QDir().mkpath(beforeRoot);
    QDir().mkpath(afterRoot);
    std::fprintf(stderr, "4K film as before…\n");
    Counter beforeCounter;
    const double beforeSeconds = timedRender(large, beforeRoot, &beforeCounter, true);
    std::fprintf(stderr, "4K film now…\n");
    Counter afterCounter;
    const double afterSeconds = timedRender(large, afterRoot, &afterCounter);
    std::printf("4K film as before:           %8.2f s (%d segments rendered)\n", beforeSeconds, beforeCounter.rendered);
    std::printf("4K film now:                 %8.2f s (%d segments rendered)\n", afterSeconds, afterCounter.rendered);
    std::printf("4K before / now:             %8.2f\n", beforeSeconds / afterSeconds);
    return 0;
}
