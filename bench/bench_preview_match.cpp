// Preview against export: how closely the live grade of a frame matches the segment the render
// makes of it. A generated 1080p clip (tagged BT.709, as camera footage is) is decoded as the
// player receives it and graded live, and rendered by the segment renderer with the same grade;
// both are turned into RGB the same way and compared. Prints, per grade and measured in one run,
// the PSNR in dB and the time the live grade took for the frame.

#include "engine/pipeline/Pipeline.h"
#include "engine/process/ProcessRunner.h"
#include "fixture/DecodedFrames.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"
#include "session/LiveGrade.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <functional>

using namespace kinoloom;

namespace {

constexpr int width = 1920;
constexpr int height = 1080;

QByteArray ffmpeg(const QStringList &arguments)
{
    QProcess process;
    process.start(
        QStringLiteral("ffmpeg"),
        QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-y")}
            + arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", process.readAllStandardError().constData());
        return {};
    }
    return process.readAllStandardOutput();
}

// A fifth of a second of 1080p: the test pattern over soft colour waves, so the frame has both hard edges and
// the smooth tones where a grade shows.
QString makeSource(const QString &folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("source.mp4"));
    const QString picture =
        QStringLiteral("testsrc2=s=%1x%2:r=30:d=0.2[pattern];"
                       "nullsrc=s=%1x%2:r=30:d=0.2,format=gbrp,"
                       "geq=r='128+100*sin(X/300)':g='128+100*sin(Y/200+1)':b='128+100*sin((X+Y)/400+2)'[soft];"
                       "[soft]format=yuv444p[soft444];[pattern]format=yuv444p[pattern444];"
                       "[soft444][pattern444]blend=all_expr='A*0.6+B*0.4',format=yuv420p")
            .arg(width)
            .arg(height);
    ffmpeg({QStringLiteral("-filter_complex"), picture, QStringLiteral("-c:v"), QStringLiteral("libx264"),
            QStringLiteral("-crf"), QStringLiteral("12"), QStringLiteral("-colorspace"), QStringLiteral("bt709"),
            QStringLiteral("-color_primaries"), QStringLiteral("bt709"), QStringLiteral("-color_trc"),
            QStringLiteral("bt709"), path});
    return path;
}

struct Case
{
    const char *name;
    std::function<void(ClipGrade &)> grade;
    double cropScale = 1;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    QTemporaryDir folder;
    const QString source = makeSource(folder.path());
    const QSize size(width, height);
    // What the player hands over for this clip: 8-bit 4:2:0, BT.709.
    const QImage playerFrame = test::decodedFrame(source, size, QStringLiteral("yuv420p"), YCbCrMatrix::bt709, true);
    if (playerFrame.isNull())
        return 1;

    const QList<Case> cases = {
        {"neutral", [](ClipGrade &) {}},
        {"brightness +0.1", [](ClipGrade &g) { g.brightness = 0.1; }},
        {"brightness -0.2", [](ClipGrade &g) { g.brightness = -0.2; }},
        {"contrast 1.5", [](ClipGrade &g) { g.contrast = 1.5; }},
        {"contrast 0.5", [](ClipGrade &g) { g.contrast = 0.5; }},
        {"saturation 1.8", [](ClipGrade &g) { g.saturation = 1.8; }},
        {"saturation 0", [](ClipGrade &g) { g.saturation = 0; }},
        {"gamma 1.6", [](ClipGrade &g) { g.gamma = 1.6; }},
        {"gamma 0.6", [](ClipGrade &g) { g.gamma = 0.6; }},
        {"temperature +0.5", [](ClipGrade &g) { g.temperature = 0.5; }},
        {"temperature -0.5", [](ClipGrade &g) { g.temperature = -0.5; }},
        {"contrast stretch 100", [](ClipGrade &g) { g.setContrastStretch(100); }},
        {"highlight recovery 100", [](ClipGrade &g) { g.setHighlightRecovery(100); }},
        {"all at once",
         [](ClipGrade &g) {
             g.brightness = 0.05;
             g.contrast = 1.2;
             g.saturation = 1.3;
             g.gamma = 0.9;
             g.temperature = 0.3;
             g.setContrastStretch(50);
             g.setHighlightRecovery(60);
         }},
        {"crop 1.5, neutral grade", [](ClipGrade &) {}, 1.5},
        {"crop 1.2, all at once",
         [](ClipGrade &g) {
             g.brightness = 0.05;
             g.contrast = 1.2;
             g.saturation = 1.3;
             g.temperature = -0.2;
             g.setContrastStretch(30);
         },
         1.2},
    };

    Pipeline pipeline{ToolPaths(), std::make_shared<ProcessRunner>()};
    ProcessingSettings settings;
    settings.fps = 30;
    std::printf("%-26s %10s %10s\n", "grade", "PSNR (dB)", "live (ms)");
    double lowest = 1e9;
    int index = 0;
    for (const Case &c : cases) {
        MediaAsset clip = MediaAsset::create(source, QStringLiteral("source.mp4"), 1, width, height, 30, false, false);
        ClipGrade grade;
        c.grade(grade);
        clip.grade = grade;
        clip.setCropScale(c.cropScale);

        const QString directory = QDir(folder.path()).filePath(QStringLiteral("job-%1").arg(index));
        QDir().mkpath(directory);
        const QString cacheRoot = QDir(folder.path()).filePath(QStringLiteral("cache-%1").arg(index));
        QString segment;
        try {
            segment = pipeline.renderSegment(clip, settings, directory, cacheRoot, index, width, height, 0.1, false,
                                             false);
        } catch (const std::exception &error) {
            std::fprintf(stderr, "render failed: %s\n", error.what());
            return 1;
        }
        ++index;
        const QString intermediate = QStringLiteral("yuv444p16le");
        const QImage reference = test::decodedFrame(segment, size, intermediate, YCbCrMatrix::bt709);

        const LiveGrade live = LiveGrade::forClip(clip, settings);
        QElapsedTimer timer;
        timer.start();
        const QImage graded = live.apply(playerFrame, YCbCrMatrix::bt709);
        const double milliseconds = timer.nsecsElapsed() / 1e6;
        const double value = test::psnr(graded, reference);
        lowest = std::min(lowest, value);
        std::printf("%-26s %10.2f %10.1f\n", c.name, value, milliseconds);
    }
    std::printf("lowest PSNR: %.2f dB\n", lowest);
    return 0;
}
