// Opening a large project: a project of 1,000 clips (real small movies, one in ten of them
// missing, with grades, ranges and 20 exports) is read from its file, activated in a session,
// saved, and each derived value of the session is read once; then a second session starts (its
// recent list reads the project again) and opens it anew. Prints the times measured in one run.

#include "fixture/StudioHome.h"
#include "model/ProjectStore.h"
#include "model/SoftwareSettingsStore.h"
#include "session/StudioModel.h"
#include "support/MediaFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include <unistd.h>

using namespace kinoloom;

namespace {

constexpr int clipCount = 1000;

// Runs `work` once and prints how long it took.
template <typename Work>
void timed(const char *what, Work &&work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    std::printf("  %-50s %10.3f ms\n", what, double(timer.nsecsElapsed()) / 1e6);
}

MediaAsset benchClip(const QString &path, int index)
{
    MediaAsset asset = MediaAsset::create(path, QDir(path).dirName(), 2.0, 320, 180, 30, true, false);
    asset.thumbnail = path + QStringLiteral(".jpg");
    asset.importIdentity = QStringLiteral("%1|48213|1767323045").arg(path);
    if (index == 0)
        asset.role = ClipRole::intro;
    else if (index == clipCount - 1)
        asset.role = ClipRole::outro;
    else if (index <= 5)
        asset.role = ClipRole::hook;
    else if (index % 50 == 0)
        asset.role = ClipRole::excluded;
    if (index % 3 == 0) {
        ClipGrade grade;
        grade.contrast = 1.1;
        grade.saturation = 1.2;
        asset.grade = grade;
    }
    if (index % 4 == 0) {
        asset.clipStart = 0.25;
        asset.clipEnd = 1.75;
    }
    return asset;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const test::StudioHome home;
    QDir().mkpath(home.path(QStringLiteral("fixtures")));
    const test::MediaFixtures fixtures(home.path(QStringLiteral("fixtures")));
    const QString movie = fixtures.clip();
    if (movie.isEmpty())
        return 1;

    const QString root = home.path(QStringLiteral("Thousand clips"));
    StudioProject project = ProjectStore::create(root, QStringLiteral("Thousand clips"));
    QDir().mkpath(home.path(QStringLiteral("footage")));
    for (int i = 0; i < clipCount; ++i) {
        const QString path = home.path(QStringLiteral("footage/clip-%1.mp4").arg(i, 4, 10, QLatin1Char('0')));
        // Hard links: a thousand real movies that take the room of one.
        if (i % 10 != 7 && ::link(QFile::encodeName(movie).constData(), QFile::encodeName(path).constData()) != 0)
            return 1;
        project.assets.append(benchClip(path, i));
    }
    for (int i = 0; i < 20; ++i)
        project.exports.append(ExportRecord::create(QStringLiteral("1080p movie"),
                                                    root + QStringLiteral("/Exports/%1/Movie-1080p.mp4").arg(i), 60));
    ProjectStore::save(project, root);
    // The last clip is near the end, so the opening selection searches the whole list.
    SoftwareSettings settings;
    settings.lastClipPath = project.assets.at(clipCount - 5).path;
    SoftwareSettingsStore::save(settings, home.dataFolder());

    std::printf("A project of %d clips (%d missing), %lld bytes of project file\n", clipCount, clipCount / 10,
                QFileInfo(ProjectStore::filePath(root)).size());
    StudioProject read;
    timed("read and decode the project file", [&] { read = ProjectStore::open(root); });
    auto session = std::make_unique<StudioModel>(home.environment());
    timed("activate (first open in this home)", [&] { session->activate(read, root); });
    timed("save", [&] { session->save(); });

    std::printf("Each derived value read once:\n");
    timed("busy", [&] { (void)session->busy(); });
    timed("asset", [&] { (void)session->asset(); });
    timed("selectedExport", [&] { (void)session->selectedExport(); });
    timed("missingExportRequirements", [&] { (void)session->missingExportRequirements(); });
    timed("canExportFilm", [&] { (void)session->canExportFilm(); });
    timed("workflows", [&] { (void)session->workflows(); });
    timed("selectedWorkflow", [&] { (void)session->selectedWorkflow(); });
    timed("canRetry", [&] { (void)session->canRetry(); });
    timed("canRestart", [&] { (void)session->canRestart(); });
    timed("project sequence", [&] { (void)session->project().sequence(); });

    std::printf("Again, as the next start of the application:\n");
    timed("release the session", [&] { session.reset(); });
    timed("start a session (recent list reads the project)",
          [&] { session = std::make_unique<StudioModel>(home.environment()); });
    timed("reopen the last project", [&] { session->restoreLastProject(); });
    return session->root() ? 0 : 1;
}
