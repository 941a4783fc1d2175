#include "engine/pipeline/Pipeline.h"
#include "engine/pipeline/SegmentConcurrency.h"
#include "engine/pipeline/SegmentReports.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "model/StudioError.h"
#include "model/StudioProject.h"
#include "support/ChildProcesses.h"
#include "support/Explained.h"
#include "support/FakeFFmpegOnPath.h"
#include "support/MediaFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <future>
#include <mutex>
#include <optional>

using namespace kinoloom;
using namespace std::chrono_literals;

namespace {

constexpr qint64 gibibyte = 1024LL * 1024 * 1024;

// What a render reports, gathered from whatever thread reports it.
struct Reports
{
    std::mutex lock;
    QStringList stages; // each stage once, when it begins
    QStringList logged;
    QList<double> overall;

    Pipeline pipeline()
    {
        Pipeline result{ToolPaths(), std::make_shared<ProcessRunner>()};
        // Each still in one run, so that a segment is one run of FFmpeg; pieces have tests of
        // their own.
        result.stillPiecesAtOnce = 1;
        result.update = [this](const QString &stage, std::optional<double>) {
            const std::lock_guard guard(lock);
            if (stages.isEmpty() || stages.last() != stage)
                stages.append(stage);
        };
        result.log = [this](const QString &line) {
            const std::lock_guard guard(lock);
            logged.append(line);
        };
        result.overallUpdate = [this](double fraction) {
            const std::lock_guard guard(lock);
            overall.append(fraction);
        };
        return result;
    }

    QStringList segmentStages()
    {
        const std::lock_guard guard(lock);
        QStringList found;
        for (const QString &stage : std::as_const(stages)) {
            if (stage.contains(QLatin1String(" clip ")))
                found.append(stage);
        }
        return found;
    }

    bool overallNeverGoesBack()
    {
        const std::lock_guard guard(lock);
        for (qsizetype i = 1; i < overall.size(); ++i) {
            if (overall[i] < overall[i - 1])
                return false;
        }
        return true;
    }
};

QString clipStage(const char *action, int number, const QString &name)
{
    return QStringLiteral("%1 clip %2 \u00B7 %3").arg(QLatin1String(action)).arg(number).arg(name);
}

// An ffmpeg in front of the real one: a segment run (the one that writes segment-<n>.partial.mkv)
// leaves "started-<n>" in `marks` and runs `atStart` with $n set before the real ffmpeg takes
// over the same process; so does the run of a still's piece k, with $n set to "<n>p<k>". Every
// other run is the real ffmpeg at once.
QByteArray wrapper(const QString &marks, const QByteArray &atStart)
{
    const QString real = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    return "REAL='" + QFile::encodeName(real) + "'\nMARKS='" + QFile::encodeName(marks)
        + "'\n"
          "out=\n"
          "for a; do case \"$a\" in *.partial.mkv|*.partial.piece-*.mkv) out=\"$a\";; esac; done\n"
          "if [ -n \"$out\" ]; then\n"
          "  n=${out##*/segment-}; n=${n%.mkv}; n=$(printf %s \"$n\" | sed 's/\\.partial\\.piece-/p/; s/\\.partial$//')\n"
          "  touch \"$MARKS/started-$n\"\n"
        + atStart
        + "\nfi\n"
          "exec \"$REAL\" \"$@\"\n";
}

// The wrapper on PATH with a folder for its marks, until `unwrap` or the end of its life.
class WrappedFFmpeg
{
public:
    explicit WrappedFFmpeg(const QByteArray &atStart)
        : m_marks(m_temp.filePath(QStringLiteral("marks")))
    {
        QDir().mkpath(m_marks);
        m_fake.emplace(m_temp.filePath(QStringLiteral("bin")), wrapper(m_marks, atStart));
    }
    void unwrap() { m_fake.reset(); }
    QString mark(const QString &name) const { return QDir(m_marks).filePath(name); }

private:
    QTemporaryDir m_temp;
    QString m_marks;
    std::optional<test::FakeFFmpegOnPath> m_fake;
};

// Waits (bounded, so that a render that never overlaps fails instead of hanging) until `count`
// segment runs have started.
QByteArray waitForStarted(int count)
{
    return "  i=0\n"
           "  while [ $(ls \"$MARKS\" | grep -c '^started-') -lt "
        + QByteArray::number(count) + " ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i+1)); done\n";
}

// Segments `numbers` (blank-separated) read their input at a twentieth of its rate, so they are
// still running while the test acts, however slow a loaded machine makes the rest. Read in real
// time, a three-second still was sometimes done before the test looked.
QByteArray slowSegments(const QByteArray &numbers)
{
    return "  case ' " + numbers + " ' in *\" $n \"*) exec \"$REAL\" -readrate 0.05 \"$@\";; esac\n";
}

bool waitForFiles(const QStringList &paths, std::chrono::seconds limit = 120s)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        bool all = true;
        for (const QString &path : paths)
            all = all && QFileInfo::exists(path);
        if (all)
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QThread::msleep(20);
    }
}

QString onlyJobFolder(const QString &root)
{
    const QDir base(QDir(root).filePath(QStringLiteral(".KinoloomRender")));
    const QStringList folders = base.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return folders.size() == 1 ? base.filePath(folders.first()) : QString();
}

// Every decoded frame and sound packet of `path`, hashed one by one.
QByteArray decodedHashes(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-map"),
                  QStringLiteral("0"), QStringLiteral("-f"), QStringLiteral("framemd5"), QStringLiteral("-")});
    ffmpeg.waitForFinished(120000);
    return ffmpeg.readAllStandardOutput();
}

} // namespace

class tst_ConcurrentSegments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void planFillsTheMachine_data();
    void planFillsTheMachine();
    void reportsPassInSegmentOrder();
    void reportsStopAtTheFailedSegment();
    void segmentsOfOneRenderOverlap();
    void aLoneSegmentToRenderHasTheMachineToItself();
    void theFilmIsTheSameWhicheverWayItRenders();
    void cancelStopsEverySegmentAndAResumeReusesTheCommittedOnes();
    void aFailingSegmentFailsTheRenderAndStopsTheOthers();
    void aStillInPiecesIsTheSameSegmentAsInOneRun();
    void cancelWhileAStillsPiecesRenderLeavesNothing();

private:
    StudioProject stills(int count, double seconds) const;

    QTemporaryDir m_media;
    QString m_clip;
    QString m_still;
    QString m_lut;
};

void tst_ConcurrentSegments::initTestCase()
{
    const test::MediaFixtures fixtures(m_media.path());
    m_clip = fixtures.clip();
    m_still = fixtures.still();
    m_lut = fixtures.lut();
    QVERIFY(!m_clip.isEmpty() && !m_still.isEmpty() && !m_lut.isEmpty());
}

StudioProject tst_ConcurrentSegments::stills(int count, double seconds) const
{
    StudioProject project;
    for (int i = 0; i < count; ++i) {
        // A file of its own: the same file at the same length would be the same segment.
        const QString name = QStringLiteral("still-%1.png").arg(i + 1);
        const QString path = QDir(m_media.path()).filePath(name);
        if (!QFileInfo::exists(path))
            QFile::copy(m_still, path);
        MediaAsset still = MediaAsset::create(path, name, 0, 320, 180, 0, false, true);
        still.role = ClipRole::main;
        project.assets.append(still);
    }
    project.settings.stillDuration = seconds;
    project.settings.stillZoom = false;
    project.settings.softwareEncoding = true;
    project.settings.includeHooks = false;
    return project;
}

void tst_ConcurrentSegments::planFillsTheMachine_data()
{
    QTest::addColumn<int>("segments");
    QTest::addColumn<int>("stills");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<int>("processors");
    QTest::addColumn<qint64>("memory");
    QTest::addColumn<int>("atMost");
    QTest::addColumn<int>("atOnce");
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("stillPieces");
    const QSize hd(1920, 1080);
    const QSize uhd(3840, 2160);
    QTest::newRow("one segment keeps FFmpeg's threads") << 1 << 1 << hd << 8 << 16 * gibibyte << 0 << 1 << 0 << 4;
    QTest::newRow("eight segments, eight processors") << 8 << 8 << hd << 8 << 16 * gibibyte << 0 << 8 << 1 << 1;
    QTest::newRow("three segments share eight processors") << 3 << 3 << hd << 8 << 16 * gibibyte << 0 << 3 << 3 << 2;
    QTest::newRow("more segments than processors") << 12 << 12 << hd << 2 << 16 * gibibyte << 0 << 2 << 1 << 1;
    QTest::newRow("4K segments within half the free memory") << 8 << 8 << uhd << 8 << 16 * gibibyte << 0 << 4 << 2 << 1;
    QTest::newRow("a 4K still's pieces within half the free memory")
        << 1 << 1 << uhd << 8 << 16 * gibibyte << 0 << 1 << 0 << 4;
    QTest::newRow("two 4K stills share the memory with their pieces")
        << 2 << 2 << uhd << 8 << 16 * gibibyte << 0 << 2 << 4 << 2;
    QTest::newRow("a 4K still beside three clips takes the runs left over")
        << 4 << 1 << uhd << 8 << 24 * gibibyte << 0 << 4 << 2 << 3;
    QTest::newRow("two stills among eight segments share the runs left over")
        << 8 << 2 << hd << 12 << 64 * gibibyte << 0 << 8 << 2 << 3;
    QTest::newRow("a still beside seven clips, no processor left over")
        << 8 << 1 << hd << 8 << 16 * gibibyte << 0 << 8 << 1 << 1;
    QTest::newRow("no still among the segments") << 3 << 0 << hd << 8 << 16 * gibibyte << 0 << 3 << 3 << 1;
    QTest::newRow("too little memory for two") << 8 << 8 << uhd << 8 << 2 * gibibyte << 0 << 1 << 0 << 1;
    QTest::newRow("unknown memory") << 8 << 8 << uhd << 8 << qint64(0) << 0 << 8 << 1 << 1;
    QTest::newRow("one at a time asked for") << 8 << 8 << hd << 8 << 16 * gibibyte << 1 << 1 << 0 << 1;
    QTest::newRow("two at a time asked for") << 8 << 8 << hd << 8 << 16 * gibibyte << 2 << 2 << 4 << 4;
    QTest::newRow("no processor count") << 8 << 8 << hd << 0 << 16 * gibibyte << 0 << 1 << 0 << 1;
}

void tst_ConcurrentSegments::planFillsTheMachine()
{
    QFETCH(int, segments);
    QFETCH(int, stills);
    QFETCH(QSize, frame);
    QFETCH(int, processors);
    QFETCH(qint64, memory);
    QFETCH(int, atMost);
    QFETCH(int, atOnce);
    QFETCH(int, threads);
    QFETCH(int, stillPieces);
    const SegmentConcurrency plan = SegmentConcurrency::plan(segments, stills, frame, processors, memory, atMost);
    QCOMPARE(plan.segmentsAtOnce, atOnce);
    QCOMPARE(plan.threadsPerRun, threads);
    QCOMPARE(plan.stillPieces, stillPieces);
    const SegmentConcurrency here = SegmentConcurrency::forMachine(segments, stills, frame, atMost);
    QVERIFY(here.segmentsAtOnce >= 1 && here.segmentsAtOnce <= std::max(segments, 1));
    QVERIFY(here.stillPieces >= 1 && here.stillPieces <= 4);
}

void tst_ConcurrentSegments::reportsPassInSegmentOrder()
{
    QStringList seen;
    QList<double> overall;
    SegmentReports reports(
        [&](const QString &stage, std::optional<double> fraction) {
            seen << stage + (fraction ? QStringLiteral(" @") + QString::number(*fraction) : QString());
        },
        [&](const QString &line) { seen << QStringLiteral("log ") + line; }, [&](double f) { overall << f; },
        ProgressBand{0.0, 0.8}, {1.0, 2.0, 1.0}, 4.0);

    // The third segment finishes first and the second runs, while the first still works.
    reports.update(2)(QStringLiteral("three"), std::nullopt);
    reports.progress(2)(1.0);
    reports.update(2)(QStringLiteral("three"), 1.0);
    reports.finished(2);
    reports.update(1)(QStringLiteral("two"), std::nullopt);
    reports.log(1)(QStringLiteral("from two"));
    reports.update(1)(QStringLiteral("two"), 0.25);
    reports.update(1)(QStringLiteral("two"), 0.5);
    reports.progress(1)(0.5);
    reports.update(0)(QStringLiteral("one"), std::nullopt);
    reports.log(0)(QStringLiteral("from one"));
    reports.progress(0)(0.5);
    QCOMPARE(seen, (QStringList{QStringLiteral("one"), QStringLiteral("log from one")}));

    // FFmpeg may report an earlier position again: the overall fraction stays where it was.
    reports.progress(1)(0.25);
    reports.progress(1)(std::nan(""));
    reports.finished(0);
    QCOMPARE(seen,
             (QStringList{QStringLiteral("one"), QStringLiteral("log from one"), QStringLiteral("two"),
                          QStringLiteral("log from two"), QStringLiteral("two @0.5")}));
    reports.update(1)(QStringLiteral("two"), 1.0);
    reports.progress(1)(1.0);
    reports.finished(1);
    QCOMPARE(seen.mid(5), (QStringList{QStringLiteral("two @1"), QStringLiteral("three"), QStringLiteral("three @1")}));

    // All of the third (1 s of 4 s), half of the second (1 s more), half of the first, the rest
    // of the second: each share of 0.8 by length, the repeated positions left out.
    const QList<double> expected{0.2, 0.4, 0.5, 0.7};
    QCOMPARE(overall.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        QVERIFY2(qAbs(overall[i] - expected[i]) < 1e-12, qPrintable(QString::number(overall[i])));
}

void tst_ConcurrentSegments::reportsStopAtTheFailedSegment()
{
    QStringList seen;
    SegmentReports reports([&](const QString &stage, std::optional<double>) { seen << stage; },
                           [&](const QString &line) { seen << line; }, [](double) {}, ProgressBand{0.0, 0.7},
                           {1.0, 1.0, 1.0, 1.0}, 4.0);
    reports.update(0)(QStringLiteral("one"), std::nullopt);
    reports.update(1)(QStringLiteral("two"), std::nullopt);
    reports.update(2)(QStringLiteral("three"), std::nullopt);
    reports.log(2)(QStringLiteral("three failed"));
    reports.update(3)(QStringLiteral("four"), std::nullopt);
    // The third failed; the others were stopped.
    reports.stoppedAt(2);
    reports.update(3)(QStringLiteral("four again"), std::nullopt);
    QCOMPARE(seen,
             (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                          QStringLiteral("three failed")}));
}

void tst_ConcurrentSegments::segmentsOfOneRenderOverlap()
{
    QTemporaryDir root;
    StudioProject project = stills(1, 1.0);
    MediaAsset clip = MediaAsset::create(m_clip, QStringLiteral("clip.mp4"), 2.0, 320, 180, 30, true, false);
    clip.role = ClipRole::main;
    clip.clipStart = 0;
    clip.clipEnd = 1.0;
    project.assets.append(clip);

    // Each segment run waits for the other to start; it notes how many had started when it
    // went on.
    WrappedFFmpeg ffmpeg(waitForStarted(2) + "  ls \"$MARKS\" | grep -c '^started-' > \"$MARKS/seen-$n\"\n");
    Reports reports;
    const ExportRecord record = test::explained(
        [&] { return reports.pipeline().render(project, root.path(), false, false, QSize(320, 180)); });
    ffmpeg.unwrap();
    for (int n = 0; n < 2; ++n) {
        QFile seen(ffmpeg.mark(QStringLiteral("seen-%1").arg(n)));
        QVERIFY(seen.open(QIODevice::ReadOnly));
        QCOMPARE(seen.readAll().trimmed(), QByteArray("2"));
    }
    QVERIFY(QFileInfo::exists(record.path));
    // Stages name the segments in order, and the overall fraction never goes back.
    QCOMPARE(reports.segmentStages(),
             (QStringList{clipStage("Rendering", 1, QStringLiteral("still-1.png")),
                          clipStage("Rendering", 2, QStringLiteral("clip.mp4"))}));
    QVERIFY(reports.overallNeverGoesBack());
    QCOMPARE(reports.overall.last(), 1.0);
}

// Once the others are taken from the cache, the one segment that renders again after a change
// has the machine to itself: its FFmpeg run keeps FFmpeg's own choice of threads, instead of the
// share it would have among all the film's segments.
void tst_ConcurrentSegments::aLoneSegmentToRenderHasTheMachineToItself()
{
    QTemporaryDir root;
    StudioProject project = stills(3, 1.0);
    Reports cold;
    test::explained([&] { return cold.pipeline().render(project, root.path(), false, false, QSize(320, 180)); });

    ClipGrade brighter;
    brighter.brightness = 0.1;
    project.assets[1].grade = brighter;
    WrappedFFmpeg ffmpeg("  printf '%s\\n' \"$@\" > \"$MARKS/arguments-$n\"\n");
    Reports again;
    test::explained([&] { return again.pipeline().render(project, root.path(), false, false, QSize(320, 180)); });
    ffmpeg.unwrap();

    QVERIFY(!QFileInfo::exists(ffmpeg.mark(QStringLiteral("started-0"))));
    QVERIFY(!QFileInfo::exists(ffmpeg.mark(QStringLiteral("started-2"))));
    QFile file(ffmpeg.mark(QStringLiteral("arguments-1")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList arguments = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &option : {QStringLiteral("-threads"), QStringLiteral("-filter_threads")}) {
        for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
            if (arguments.at(i) == option)
                QCOMPARE(arguments.at(i + 1), QStringLiteral("0"));
        }
    }
    QVERIFY(arguments.contains(QStringLiteral("-threads")));
}

void tst_ConcurrentSegments::theFilmIsTheSameWhicheverWayItRenders()
{
    StudioProject project = stills(1, 1.0);
    for (int i = 0; i < 2; ++i) {
        MediaAsset clip = MediaAsset::create(m_clip, QStringLiteral("clip-%1.mp4").arg(i), 2.0, 320, 180, 30, true,
                                             false);
        clip.role = i == 1 ? ClipRole::hook : ClipRole::main;
        clip.clipStart = 0.1 * i;
        clip.clipEnd = 1.0 + 0.1 * i;
        project.assets.append(clip);
    }
    project.settings.includeHooks = true;
    project.settings.stillZoom = true;
    project.settings.stylishLUT = m_lut;
    project.settings.lutStrength = 40;
    project.settings.contrast = 1.1;
    project.settings.setGradeToAll(true);
    project.settings.title = QStringLiteral("Same");
    project.settings.music = test::MediaFixtures(m_media.path()).audioOnly();

    QTemporaryDir oneByOne;
    QTemporaryDir together;
    Reports first;
    Pipeline sequential = first.pipeline();
    sequential.segmentsAtOnce = 1;
    const ExportRecord before = test::explained(
        [&] { return sequential.render(project, oneByOne.path(), false, false, QSize(320, 180)); });
    Reports second;
    const ExportRecord after = test::explained(
        [&] { return second.pipeline().render(project, together.path(), false, false, QSize(320, 180)); });

    QCOMPARE(first.segmentStages(), second.segmentStages());
    QCOMPARE(second.segmentStages().size(), 3);
    const QByteArray hashes = decodedHashes(before.path);
    QVERIFY(hashes.count('\n') > 30);
    QCOMPARE(decodedHashes(after.path), hashes);
    QCOMPARE(after.duration, before.duration);
}

void tst_ConcurrentSegments::cancelStopsEverySegmentAndAResumeReusesTheCommittedOnes()
{
    QTemporaryDir root;
    // Three seconds: a segment is reused only from a million bytes on.
    const StudioProject project = stills(3, 3.0);

    Reports interrupted;
    Pipeline pipeline = interrupted.pipeline();
    {
        // The first segment renders at once; the second and third are still running when the
        // render is cancelled.
        WrappedFFmpeg ffmpeg(slowSegments("1 2"));
        auto running = std::async(std::launch::async,
                                  [&] { return pipeline.render(project, root.path(), false, false, QSize(320, 180)); });
        const auto job = [&] { return onlyJobFolder(root.path()); };
        QVERIFY(waitForFiles({ffmpeg.mark(QStringLiteral("started-1")), ffmpeg.mark(QStringLiteral("started-2"))}));
        QVERIFY(!job().isEmpty());
        QVERIFY(waitForFiles({Pipeline::jobSegmentKeyFile(job(), 0)}));
        QTRY_COMPARE_WITH_TIMEOUT(test::ffmpegChildren(QCoreApplication::applicationPid()).size(), 2, 60000);
        pipeline.runner->cancel();
        QVERIFY(running.wait_for(60s) == std::future_status::ready);
        QVERIFY_THROWS_EXCEPTION(CancellationError, running.get());
    }
    QVERIFY(test::ffmpegChildren(QCoreApplication::applicationPid()).isEmpty());
    const QString job = onlyJobFolder(root.path());
    QVERIFY(QFileInfo::exists(Pipeline::jobSegmentFile(job, 0)));
    for (int n = 1; n < 3; ++n) {
        QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentFile(job, n)));
        QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentKeyFile(job, n)));
        QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentPartialFile(job, n)));
    }

    // Without the cache, only the interrupted render's folder holds the first segment.
    QVERIFY(QDir(Pipeline::cacheRoot(root.path()) + QStringLiteral("/Segments")).removeRecursively());
    Reports resumed;
    Pipeline again = resumed.pipeline();
    again.reuseInterruptedJobCache = true;
    const ExportRecord record = test::explained(
        [&] { return again.render(project, root.path(), false, false, QSize(320, 180)); });
    QVERIFY(QFileInfo::exists(record.path));
    QCOMPARE(resumed.segmentStages(),
             (QStringList{clipStage("Reusing interrupted", 1, QStringLiteral("still-1.png")),
                          clipStage("Rendering", 2, QStringLiteral("still-2.png")),
                          clipStage("Rendering", 3, QStringLiteral("still-3.png"))}));
    QVERIFY(!QFileInfo::exists(job)); // the folder it took from goes with the completed render
}

void tst_ConcurrentSegments::aFailingSegmentFailsTheRenderAndStopsTheOthers()
{
    QTemporaryDir root;
    const StudioProject project = stills(2, 3.0);

    // The first segment is still running when the second ends without writing anything.
    WrappedFFmpeg ffmpeg(slowSegments("0") + waitForStarted(2) + "  [ \"$n\" = 1 ] && { sleep 0.5; exit 0; }\n");
    Reports reports;
    Pipeline pipeline = reports.pipeline();
    try {
        pipeline.render(project, root.path(), false, false, QSize(320, 180));
        QFAIL("the render succeeded");
    } catch (const StudioError &error) {
        QCOMPARE(error.message(), QStringLiteral("Rendered clip produced no output: still-2.png"));
    }
    ffmpeg.unwrap();
    QVERIFY(QFileInfo::exists(ffmpeg.mark(QStringLiteral("started-0"))));
    QVERIFY(test::ffmpegChildren(QCoreApplication::applicationPid()).isEmpty());
    // The job goes on: only the render's own segments were stopped.
    QVERIFY(!pipeline.runner->isCancelled());
    const QString job = onlyJobFolder(root.path());
    for (int n = 0; n < 2; ++n) {
        QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentFile(job, n)));
        QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentPartialFile(job, n)));
    }
    QCOMPARE(reports.segmentStages(),
             (QStringList{clipStage("Rendering", 1, QStringLiteral("still-1.png")),
                          clipStage("Rendering", 2, QStringLiteral("still-2.png"))}));
}

// The time of every picture of `path` as stored, in milliseconds: the decoded hashes give them in
// frames, which hides a millisecond off.
QByteArray pictureTimes(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                   QStringLiteral("v"), QStringLiteral("-show_entries"), QStringLiteral("packet=pts"),
                   QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    ffprobe.waitForFinished(60000);
    return ffprobe.readAllStandardOutput();
}

// Every file of a job folder that a still's pieces leave while they run.
QStringList pieceFiles(const QString &job)
{
    return QDir(job).entryList({QStringLiteral("*piece*")}, QDir::Files);
}

void tst_ConcurrentSegments::aStillInPiecesIsTheSameSegmentAsInOneRun()
{
    // A zooming, graded still with a look: every frame differs from the one before.
    StudioProject project = stills(1, 2.0);
    project.settings.stillZoom = true;
    project.settings.stylishLUT = m_lut;
    project.settings.lutStrength = 40;
    project.settings.contrast = 1.1;
    project.settings.setGradeToAll(true);
    const auto segment = [](const QTemporaryDir &root) {
        const QDir segments(Pipeline::cacheRoot(root.path()) + QStringLiteral("/Segments"));
        const QStringList found = segments.entryList({QStringLiteral("*.mkv")});
        return found.size() == 1 ? segments.filePath(found.first()) : QString();
    };

    QTemporaryDir whole;
    Reports oneRun;
    Pipeline single = oneRun.pipeline();
    test::explained([&] { return single.render(project, whole.path(), false, false, QSize(320, 180)); });
    QTemporaryDir inPieces;
    Reports pieces;
    Pipeline split = pieces.pipeline();
    split.stillPiecesAtOnce = 3;
    WrappedFFmpeg ffmpeg("");
    test::explained([&] { return split.render(project, inPieces.path(), false, false, QSize(320, 180)); });
    ffmpeg.unwrap();

    for (const char *piece : {"started-0p0", "started-0p1", "started-0p2"})
        QVERIFY2(QFileInfo::exists(ffmpeg.mark(QLatin1String(piece))), piece);
    QVERIFY(!QFileInfo::exists(ffmpeg.mark(QStringLiteral("started-0p3"))));
    // The same frames at the same times, the same sound, and one stage for the user.
    const QByteArray hashes = decodedHashes(segment(whole));
    QCOMPARE(hashes.count("\n0,"), 60);
    QCOMPARE(decodedHashes(segment(inPieces)), hashes);
    const QByteArray times = pictureTimes(segment(whole));
    QCOMPARE(times.count('\n'), 60);
    QCOMPARE(pictureTimes(segment(inPieces)), times);
    QCOMPARE(pieces.segmentStages(), oneRun.segmentStages());
    QVERIFY(pieces.overallNeverGoesBack());
}

void tst_ConcurrentSegments::cancelWhileAStillsPiecesRenderLeavesNothing()
{
    QTemporaryDir root;
    StudioProject project = stills(1, 3.0);
    project.settings.stillZoom = true;
    Reports interrupted;
    Pipeline pipeline = interrupted.pipeline();
    pipeline.stillPiecesAtOnce = 3;
    WrappedFFmpeg ffmpeg(slowSegments("0p0 0p1 0p2"));
    auto running = std::async(std::launch::async,
                              [&] { return pipeline.render(project, root.path(), false, false, QSize(320, 180)); });
    QVERIFY(waitForFiles({ffmpeg.mark(QStringLiteral("started-0p0")), ffmpeg.mark(QStringLiteral("started-0p1")),
                          ffmpeg.mark(QStringLiteral("started-0p2"))}));
    QTRY_COMPARE_WITH_TIMEOUT(test::ffmpegChildren(QCoreApplication::applicationPid()).size(), 3, 60000);
    const QString job = onlyJobFolder(root.path());
    QTRY_VERIFY(!pieceFiles(job).isEmpty());
    pipeline.runner->cancel();
    QVERIFY(running.wait_for(60s) == std::future_status::ready);
    QVERIFY_THROWS_EXCEPTION(CancellationError, running.get());

    QVERIFY(test::ffmpegChildren(QCoreApplication::applicationPid()).isEmpty());
    QCOMPARE(pieceFiles(job), QStringList());
    QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentPartialFile(job, 0)));
    QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentFile(job, 0)));
    QVERIFY(!QFileInfo::exists(ffmpeg.mark(QStringLiteral("started-0"))));
}

QTEST_MAIN(tst_ConcurrentSegments)
#include "tst_ConcurrentSegments.moc"
