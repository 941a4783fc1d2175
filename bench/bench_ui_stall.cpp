// Main-thread stalls during a real export: a session exports a film from generated 1080p
// footage while a 5 ms timer on the main thread notes how late each of its ticks comes. Prints
// the longest and the 99th-percentile lateness measured in one run.

#include "fixture/StudioHome.h"
#include "model/ProjectStore.h"
#include "model/SoftwareSettingsStore.h"
#include "session/LivePipeline.h"
#include "session/StudioModel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kinoloom;

namespace {

constexpr int clipCount = 3;
constexpr int tick = 5; // ms

// A 4-second 1080p H.264 clip with sound.
bool makeClip(const QString &path, int index)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"),        QStringLiteral("error"),
                  QStringLiteral("-f"),        QStringLiteral("lavfi"),
                  QStringLiteral("-i"),        QStringLiteral("testsrc2=size=1920x1080:rate=30:duration=4"),
                  QStringLiteral("-f"),        QStringLiteral("lavfi"),
                  QStringLiteral("-i"),        QStringLiteral("sine=frequency=%1:duration=4").arg(330 + 110 * index),
                  QStringLiteral("-c:v"),      QStringLiteral("libx264"),
                  QStringLiteral("-preset"),   QStringLiteral("ultrafast"),
                  QStringLiteral("-pix_fmt"),  QStringLiteral("yuv420p"),
                  QStringLiteral("-c:a"),      QStringLiteral("aac"),
                  QStringLiteral("-shortest"), path});
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    test::StudioHome home;
    const QString folder = home.createProject(QStringLiteral("Film"));
    StudioProject project = ProjectStore::open(folder);
    for (int i = 0; i < clipCount; ++i) {
        const QString path = home.path(QStringLiteral("clip-%1.mp4").arg(i));
        if (!makeClip(path, i))
            return 1;
        project.assets.append(MediaAsset::create(path, QDir(path).dirName(), 4, 1920, 1080, 30, true, false));
    }
    ProjectStore::save(project, folder);
    SoftwareSettings software;
    software.processing.title = QStringLiteral("Benchmark");
    software.processing.subtitle = QStringLiteral("Stalls");
    software.processing.finalOutputPath = home.path(QStringLiteral("Out/Film.mp4"));
    software.processing.softwareEncoding = true;
    software.processing.exportResolution = ExportResolution::p1080;
    SoftwareSettingsStore::save(software, home.dataFolder());

    StudioEnvironment environment = home.environment();
    environment.makePipeline = LivePipeline::factory();
    StudioModel session(environment);
    session.activate(ProjectStore::open(folder), folder);

    std::vector<double> lateness;
    QElapsedTimer clock;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(tick);
    qint64 last = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        lateness.push_back(std::max(0.0, double(now - last) / 1e6 - tick));
        last = now;
    });

    QEventLoop loop;
    QObject::connect(&session, &StudioModel::jobChanged, &loop, [&session, &loop] {
        if (!session.busy())
            loop.quit();
    });
    QElapsedTimer exporting;
    exporting.start();
    clock.start();
    timer.start();
    session.process(false, false, false, false);
    if (session.busy())
        loop.exec();
    timer.stop();
    if (session.job().phase != JobPhase::completed || lateness.empty()) {
        std::fprintf(stderr, "export: %s\n", qPrintable(session.job().stage + session.job().log));
        return 1;
    }

    std::sort(lateness.begin(), lateness.end());
    const double longest = lateness.back();
    const double p99 = lateness[std::min(lateness.size() - 1, size_t(double(lateness.size()) * 0.99))];
    std::printf("Export of %d clips of 1080p footage, 4 s each, measured in one run\n", clipCount);
    std::printf("  %-40s %10.2f s\n", "export", double(exporting.nsecsElapsed()) / 1e9);
    std::printf("  %-40s %10zu\n", "ticks of the 5 ms timer", lateness.size());
    std::printf("  %-40s %10.2f ms\n", "longest stall", longest);
    std::printf("  %-40s %10.2f ms\n", "99th-percentile stall", p99);
    return 0;
}
