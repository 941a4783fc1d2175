#pragma once

// A real export of generated 1080p footage while a 5 ms timer on the main thread notes how late
// each of its ticks comes: the stall benchmarks share it and differ only in what else the main
// thread carries while the film renders.

#include "FilmProject.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace kinoloom::bench {

class ExportStall
{
public:
    static constexpr int clipCount = 3;
    static constexpr int tick = 5; // ms

    // Generates the clips and a project ready for a film; `session()` is null when that failed.
    ExportStall()
    {
        const QString folder = makeFilmProject(m_home, {clipCount, 4, 1920, 1080}, makeClip, QStringLiteral("Stalls"),
                                               ExportResolution::p1080);
        if (folder.isEmpty())
            return;
        m_session = std::make_unique<StudioModel>(liveEnvironment(m_home));
        m_session->activate(ProjectStore::open(folder), folder);
    }

    StudioModel *session() const { return m_session.get(); }

    // Exports the film, measuring, and prints the figures under `heading`; 1 when it failed.
    int run(const char *heading)
    {
        if (!m_session)
            return 1;
        StudioModel &session = *m_session;
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
        std::printf("%s\n", heading);
        std::printf("  %-40s %10.2f s\n", "export", double(exporting.nsecsElapsed()) / 1e9);
        std::printf("  %-40s %10zu\n", "ticks of the 5 ms timer", lateness.size());
        std::printf("  %-40s %10.2f ms\n", "longest stall", longest);
        std::printf("  %-40s %10.2f ms\n", "99th-percentile stall", p99);
        return 0;
    }

private:
    // A 4-second 1080p H.264 clip with sound.
    static bool makeClip(const QString &path, int index)
    {
        QProcess ffmpeg;
        ffmpeg.start(
            QStringLiteral("ffmpeg"),
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

    test::StudioHome m_home;
    std::unique_ptr<StudioModel> m_session;
};

} // namespace kinoloom::bench
