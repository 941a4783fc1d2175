// Resuming a killed export: one project is exported cold in a session; an identical project is
// exported by a second process (session_helper) that is killed with SIGKILL once the render's
// first segment exists, and a new session resumes it. Prints the times measured in one run, the
// resume ratio (resume ÷ (cold − time to the kill): 1.0 would mean nothing done before the
// kill was kept) and R2a (an unchanged second Export Film ÷ the cold one).

#include "FilmProject.h"
#include "fixture/JobWait.h"
#include "support/MediaFixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>

using namespace kinoloom;

namespace {

constexpr int clipCount = 8;

// A project of `clipCount` separate 2-second clips with a film to export at 720p.
QString makeProject(const test::StudioHome &home, const QString &clip)
{
    return bench::makeFilmProject(
        home, {clipCount, 2, 320, 180},
        [&clip](const QString &path, int) {
            QFile::copy(clip, path);
            return true;
        },
        QStringLiteral("Resume"), ExportResolution::p720);
}

bool firstSegmentWritten(const QString &outputFolder)
{
    QDirIterator found(QDir(outputFolder).filePath(QStringLiteral(".KinoloomRender")),
                       {QStringLiteral("segment-0.key")}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    return found.hasNext();
}

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    QTemporaryDir media;
    const QString clip = test::MediaFixtures(media.path()).clip();
    if (clip.isEmpty())
        return 1;

    // Cold, then unchanged.
    test::StudioHome coldHome;
    const QString coldFolder = makeProject(coldHome, clip);
    double cold = 0;
    double reused = 0;
    {
        StudioModel session(bench::liveEnvironment(coldHome));
        session.activate(ProjectStore::open(coldFolder), coldFolder);
        QElapsedTimer timer;
        timer.start();
        session.process(false, false, false, false);
        test::waitForJob(session);
        cold = seconds(timer);
        if (session.job().phase != JobPhase::completed) {
            std::fprintf(stderr, "cold export: %s\n", qPrintable(session.job().stage + session.job().log));
            return 1;
        }
        timer.restart();
        session.process(false, false, false, false);
        test::waitForJob(session);
        reused = seconds(timer);
        if (session.job().stage != QLatin1String("Reused completed render"))
            std::fprintf(stderr, "second export was not reused: %s\n", qPrintable(session.job().stage));
    }

    // Killed once its first segment exists, then resumed by a new session.
    test::StudioHome killedHome;
    const QString killedFolder = makeProject(killedHome, clip);
    QProcess helper;
    QElapsedTimer timer;
    timer.start();
    helper.start(QStringLiteral(KINOLOOM_SESSION_HELPER),
                 {QStringLiteral("export"), killedHome.path(QString()), killedFolder});
    if (!helper.waitForReadyRead(60000) || helper.readLine().trimmed() != "exporting")
        return 1;
    while (!firstSegmentWritten(killedHome.path(QStringLiteral("Out"))) && helper.state() == QProcess::Running)
        QThread::msleep(5);
    const double killedAt = seconds(timer);
    ::kill(pid_t(helper.processId()), SIGKILL);
    helper.waitForFinished(10000);

    StudioModel session(bench::liveEnvironment(killedHome));
    session.activate(ProjectStore::open(killedFolder), killedFolder);
    timer.restart();
    session.retry();
    test::waitForJob(session);
    const double resumed = seconds(timer);
    if (session.job().phase != JobPhase::completed) {
        std::fprintf(stderr, "resume: %s\n", qPrintable(session.job().stage + session.job().log));
        return 1;
    }

    std::printf("Export of %d clips at 720p, measured in one run\n", clipCount);
    std::printf("  %-44s %8.2f s\n", "cold export", cold);
    std::printf("  %-44s %8.3f s\n", "unchanged second export", reused);
    std::printf("  %-44s %8.2f s\n", "killed after (first segment written)", killedAt);
    std::printf("  %-44s %8.2f s\n", "resume after the kill", resumed);
    std::printf("  %-44s %8.3f\n", "resume ratio: resume / (cold - time to kill)", resumed / (cold - killedAt));
    std::printf("  %-44s %8.4f\n", "R2a: unchanged export / cold export", reused / cold);
    return 0;
}
