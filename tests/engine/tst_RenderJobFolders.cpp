#include "engine/pipeline/Pipeline.h"
#include "engine/pipeline/RenderJobLock.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "model/StudioError.h"
#include "model/StudioProject.h"
#include "support/MediaFixtures.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <mutex>

using namespace kinoloom;

namespace {

const QSize frame(320, 180);

// Stages a render reports, gathered from whatever thread reports them.
struct Stages
{
    std::mutex lock;
    QStringList seen;

    Pipeline pipeline(bool resume)
    {
        Pipeline result{ToolPaths(), std::make_shared<ProcessRunner>()};
        result.reuseInterruptedJobCache = resume;
        result.update = [this](const QString &stage, std::optional<double>) {
            const std::lock_guard guard(lock);
            if (seen.isEmpty() || seen.last() != stage)
                seen.append(stage);
        };
        return result;
    }
};

QString renderFolder(const QString &base)
{
    return QDir(base).filePath(QStringLiteral(".KinoloomRender"));
}

QStringList jobFolders(const QString &base)
{
    return QDir(renderFolder(base)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class tst_RenderJobFolders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void aResumedRenderRemovesTheFolderItReused_data();
    void aResumedRenderRemovesTheFolderItReused();
    void aStoppedEncodeLeavesNoPartialMovie();
    void aRelativeProjectFolderRenders();

private:
    StudioProject oneClipFilm() const;

    QTemporaryDir m_media;
    QString m_clip;
    QString m_music;
    QString m_notMusic;
};

void tst_RenderJobFolders::initTestCase()
{
    const test::MediaFixtures fixtures(m_media.path());
    m_clip = fixtures.clip();
    m_music = fixtures.audioOnly();
    QVERIFY(!m_clip.isEmpty() && !m_music.isEmpty());
    // Music that FFmpeg cannot read makes the final encode fail after every segment is committed.
    m_notMusic = m_media.filePath(QStringLiteral("notes.m4a"));
    QVERIFY(test::writeFile(m_notMusic, "not a sound file\n"));
}

StudioProject tst_RenderJobFolders::oneClipFilm() const
{
    StudioProject project;
    MediaAsset clip = MediaAsset::create(m_clip, QStringLiteral("clip.mp4"), 2, 320, 180, 30, true, false);
    clip.clipEnd = 1.0; // a segment over a million bytes, so that it counts for reuse
    project.assets = {clip};
    project.settings.softwareEncoding = true;
    project.settings.music = m_music;
    return project;
}

void tst_RenderJobFolders::aResumedRenderRemovesTheFolderItReused_data()
{
    QTest::addColumn<bool>("interruptedPreview");
    QTest::addColumn<bool>("heldElsewhere");
    QTest::addColumn<bool>("removed");
    QTest::newRow("the film's own leftovers") << false << false << true;
    QTest::newRow("still read by another render") << false << true << false;
    // The same segment serves a preview, whose resume may still want its folder.
    QTest::newRow("another output's leftovers") << true << false << false;
}

// A resumed render takes the segments an interrupted one committed. Once it is complete, the
// interrupted job folder (gigabytes of lossless video) has no further use.
void tst_RenderJobFolders::aResumedRenderRemovesTheFolderItReused()
{
    QFETCH(bool, interruptedPreview);
    QFETCH(bool, heldElsewhere);
    QFETCH(bool, removed);
    QTemporaryDir root;
    StudioProject project = oneClipFilm();

    project.settings.music = m_notMusic;
    Stages failed;
    QVERIFY_THROWS_EXCEPTION(ProcessFailure,
                             failed.pipeline(false).render(project, root.path(), false, interruptedPreview, frame));
    const QStringList interrupted = jobFolders(root.path());
    QCOMPARE(interrupted.size(), 1);
    const QString folder = QDir(renderFolder(root.path())).filePath(interrupted.first());
    QVERIFY(QFileInfo::exists(Pipeline::jobSegmentFile(folder, 0)));

    // Only the interrupted render still has the segment.
    QVERIFY(QDir(Pipeline::cacheRoot(root.path()) + QStringLiteral("/Segments")).removeRecursively());
    std::optional<RenderJobLock> other;
    if (heldElsewhere)
        other = RenderJobLock::share(folder);
    QCOMPARE(other.has_value(), heldElsewhere);

    project.settings.music = m_music;
    Stages resumed;
    const ExportRecord record = resumed.pipeline(true).render(project, root.path(), false, false, frame);
    QVERIFY(QFileInfo::exists(record.path));
    QCOMPARE(resumed.seen.first(), QStringLiteral("Reusing interrupted clip 1 \u00B7 clip.mp4"));

    QCOMPARE(QFileInfo::exists(folder), !removed);
    // The render's own folder is gone either way; ".KinoloomRender" goes with the last one.
    QCOMPARE(jobFolders(root.path()), removed ? QStringList() : interrupted);
    QCOMPARE(QFileInfo::exists(renderFolder(root.path())), !removed);
}

// A final encode that stops (a full disk, a cancel) leaves nothing that could be reused, and its
// partial movie would hold the space a retry needs; the segments stay for the resume.
void tst_RenderJobFolders::aStoppedEncodeLeavesNoPartialMovie()
{
    QTemporaryDir root;
    QTemporaryDir outside;
    StudioProject project = oneClipFilm();
    project.settings.finalOutputPath = outside.filePath(QStringLiteral("Film.mp4"));

    Stages stages;
    Pipeline pipeline = stages.pipeline(false);
    const std::shared_ptr<ProcessRunner> runner = pipeline.runner;
    // Stopped once the encode has written a first part of the movie.
    pipeline.overallUpdate = [runner](double fraction) {
        if (fraction > 0.7 && fraction < 0.96)
            runner->cancel();
    };
    QVERIFY_THROWS_EXCEPTION(CancellationError, pipeline.render(project, root.path(), false, false, frame));
    QVERIFY(stages.seen.contains(QStringLiteral("Compositing and encoding film")));

    const QStringList jobs = jobFolders(outside.path());
    QCOMPARE(jobs.size(), 1);
    const QDir job(QDir(renderFolder(outside.path())).filePath(jobs.first()));
    QVERIFY(job.exists(QStringLiteral("segment-0.mkv")));
    QCOMPARE(job.entryList({QStringLiteral("*.mp4")}, QDir::Files), QStringList());
    QVERIFY(!QFileInfo::exists(*project.settings.finalOutputPath));
}

// A project folder (and a clip) given relative to the working folder: FFmpeg reads a concat
// list's relative paths against the list's own folder, and runs in the job folder.
void tst_RenderJobFolders::aRelativeProjectFolderRenders()
{
    QTemporaryDir temp;
    QVERIFY(QDir().mkpath(temp.filePath(QStringLiteral("Project"))));
    QVERIFY(QFile::copy(m_clip, temp.filePath(QStringLiteral("clip.mp4"))));
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(temp.path()));
    const auto restore = qScopeGuard([&] { QDir::setCurrent(saved); });

    StudioProject project = oneClipFilm();
    project.assets.first().path = QStringLiteral("clip.mp4");
    Stages stages;
    const ExportRecord record = stages.pipeline(false).render(project, QStringLiteral("Project"), false, false, frame);
    QVERIFY(QFileInfo(record.path).isAbsolute());
    QVERIFY(record.path.startsWith(temp.filePath(QStringLiteral("Project/Exports/"))));
    QCOMPARE(record.duration, 1.0);
    QVERIFY(QFileInfo(record.path).size() > 0);
}

QTEST_MAIN(tst_RenderJobFolders)
#include "tst_RenderJobFolders.moc"
