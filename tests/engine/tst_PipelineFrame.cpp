#include "engine/pipeline/Pipeline.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/FileError.h"
#include "support/FakeFFmpegOnPath.h"
#include "support/MediaFixtures.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinoloom;

namespace {

struct Recorder
{
    QList<QPair<QString, std::optional<double>>> updates;
    QStringList logged;
    QList<double> progress;

    Pipeline pipeline()
    {
        Pipeline result;
        result.update = [this](const QString &stage, std::optional<double> fraction) {
            updates.append({stage, fraction});
        };
        result.log = [this](const QString &line) { logged.append(line); };
        return result;
    }
    std::function<void(double)> progressCallback()
    {
        return [this](double fraction) { progress.append(fraction); };
    }
};

bool isUuidFolderName(const QString &name)
{
    return name.size() == 36 && name == name.toUpper() && !QUuid::fromString(name).isNull();
}

} // namespace

class tst_PipelineFrame : public QObject
{
    Q_OBJECT

    QTemporaryDir m_media;

private slots:
    void initTestCase()
    {
        const QString folder = m_media.path();
        test::MediaFixtures fixtures(folder);
        QVERIFY(!fixtures.clip().isEmpty());
        QVERIFY(!fixtures.still().isEmpty());

        const QStringList input{QStringLiteral("-f"), QStringLiteral("lavfi"),
                                QStringLiteral("-i"), QStringLiteral("testsrc2=size=320x180:rate=30:duration=1"),
                                QStringLiteral("-t"), QStringLiteral("1.0")};
        const QStringList lossless = Pipeline::losslessVideoArguments() + Pipeline::losslessAudioArguments();
        Pipeline pipeline;
        pipeline.runner = std::make_shared<ProcessRunner>();
        pipeline.ffmpeg(input + lossless + QStringList{folder + QStringLiteral("/prepared.mkv")}, folder,
                        QStringLiteral("Fixture"), 1.0);

        // What a killed FFmpeg leaves: Matroska whose sizes were never filled in.
        QProcess unfinished;
        unfinished.setStandardOutputFile(folder + QStringLiteral("/unfinished.mkv"));
        unfinished.start(QStringLiteral("ffmpeg"),
                         QStringList{QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error")}
                             + input + lossless
                             + QStringList{QStringLiteral("-f"), QStringLiteral("matroska"), QStringLiteral("pipe:1")});
        QVERIFY(unfinished.waitForFinished(60000));
        QCOMPARE(unfinished.exitCode(), 0);

        const QByteArray movie = test::readFile(folder + QStringLiteral("/prepared.mkv"));
        QVERIFY(test::writeFile(folder + QStringLiteral("/truncated.mkv"), movie.left(movie.size() * 9 / 10)));
        const QByteArray png = test::readFile(fixtures.still());
        QVERIFY(test::writeFile(folder + QStringLiteral("/truncated.png"), png.left(png.size() / 2)));
        QVERIFY(test::writeFile(folder + QStringLiteral("/notes.mkv"), "not a movie"));
    }

    void fixedArguments()
    {
        QCOMPARE(Pipeline::commonFFmpegArguments().join(QLatin1Char(' ')),
                 QStringLiteral("-hide_banner -nostdin -y -loglevel error -threads 0 -filter_threads 0 "
                                "-filter_complex_threads 0 -progress pipe:1"));
        QCOMPARE(Pipeline::losslessVideoArguments().join(QLatin1Char(' ')),
                 QStringLiteral("-c:v ffv1 -level 3 -slices 16 -pix_fmt yuv444p16le -threads 0"));
        QCOMPARE(Pipeline::losslessAudioArguments().join(QLatin1Char(' ')), QStringLiteral("-c:a pcm_s24le"));
    }

    void defaultCallbacksAreNoOps()
    {
        const Pipeline pipeline;
        pipeline.update(QStringLiteral("stage"), 0.5);
        pipeline.log(QStringLiteral("line"));
        pipeline.overallUpdate(0.5);
        QVERIFY(!pipeline.reuseInterruptedJobCache);
        QCOMPARE(pipeline.threadsPerRun, 0);
    }

    void progressLines_data()
    {
        QTest::addColumn<double>("duration");
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("fraction"); // -1: no fraction reported
        QTest::addColumn<bool>("logged");
        QTest::newRow("half way") << 4.0 << QStringLiteral("out_time_us=2000000") << 0.5 << false;
        QTest::newRow("start") << 4.0 << QStringLiteral("out_time_us=0") << 0.0 << false;
        QTest::newRow("negative reads as zero") << 4.0 << QStringLiteral("out_time_us=-500000") << 0.0 << false;
        QTest::newRow("past the end stays below one") << 4.0 << QStringLiteral("out_time_us=9000000") << 0.99 << false;
        QTest::newRow("exactly the end stays below one")
            << 4.0 << QStringLiteral("out_time_us=4000000") << 0.99 << false;
        QTest::newRow("fractional microseconds")
            << 2.0 << QStringLiteral("out_time_us=500000.5") << 500000.5 / 1e6 / 2.0 << false;
        QTest::newRow("zero duration drops it") << 0.0 << QStringLiteral("out_time_us=2000000") << -1.0 << false;
        QTest::newRow("negative duration drops it") << -1.0 << QStringLiteral("out_time_us=2000000") << -1.0 << false;
        QTest::newRow("not a number is dropped") << 4.0 << QStringLiteral("out_time_us=N/A") << -1.0 << false;
        QTest::newRow("trailing text is not a number") << 4.0 << QStringLiteral("out_time_us=12abc") << -1.0 << false;
        QTest::newRow("empty value is dropped") << 4.0 << QStringLiteral("out_time_us=") << -1.0 << false;
        QTest::newRow("frame counter is dropped") << 4.0 << QStringLiteral("frame=12") << -1.0 << false;
        QTest::newRow("progress end is dropped") << 4.0 << QStringLiteral("progress=end") << -1.0 << false;
        QTest::newRow("padded value is dropped") << 4.0 << QStringLiteral("bitrate=  79.7kbits/s") << -1.0 << false;
        QTest::newRow("statistics line is dropped")
            << 4.0 << QStringLiteral("frame=   12 fps=0.0 q=-0.0 size=N/A time=00:00:00.40 bitrate=N/A speed=0.8x")
            << -1.0 << false;
        QTest::newRow("sound statistics line is dropped")
            << 4.0 << QStringLiteral("size=     256kB time=00:00:01.49 bitrate=1404.9kbits/s speed=13.1x") << -1.0
            << false;
        QTest::newRow("error text is logged") << 4.0 << QStringLiteral("Error opening input file") << -1.0 << true;
        // FFmpeg's errors often hold "=": exactly the line that says what went wrong.
        QTest::newRow("error with a filter's arguments is logged")
            << 4.0 << QStringLiteral("[AVFilterGraph @ 0x55] Error initializing filter 'scale' with args 'w=abc:h=-2'")
            << -1.0 << true;
        QTest::newRow("option error is logged")
            << 4.0 << QStringLiteral("Unable to parse option value \"x=1\" as image size") << -1.0 << true;
        QTest::newRow("two tokens are no report") << 4.0 << QStringLiteral("speed x=2") << -1.0 << true;
        QTest::newRow("key with a dash is no report") << 4.0 << QStringLiteral("-vf=x") << -1.0 << true;
        QTest::newRow("empty line is logged") << 4.0 << QString() << -1.0 << true;
    }

    void progressLines()
    {
        QFETCH(double, duration);
        QFETCH(QString, line);
        QFETCH(double, fraction);
        QFETCH(bool, logged);
        Recorder recorder;
        const Pipeline pipeline = recorder.pipeline();
        const auto handler = pipeline.ffmpegLineHandler(QStringLiteral("Rendering"), duration,
                                                        recorder.progressCallback());
        handler(line);
        if (fraction < 0) {
            QVERIFY(recorder.updates.isEmpty());
            QVERIFY(recorder.progress.isEmpty());
        } else {
            QCOMPARE(recorder.updates.size(), 1);
            QCOMPARE(recorder.updates.first().first, QStringLiteral("Rendering"));
            QCOMPARE(recorder.updates.first().second, std::optional<double>(fraction));
            QCOMPARE(recorder.progress, QList<double>{fraction});
        }
        QCOMPARE(recorder.logged, logged ? QStringList{line} : QStringList{});
    }

    void progressLineWithoutProgressCallback()
    {
        Recorder recorder;
        const Pipeline pipeline = recorder.pipeline();
        pipeline.ffmpegLineHandler(QStringLiteral("S"), 1.0, {})(QStringLiteral("out_time_us=250000"));
        QCOMPARE(recorder.updates.size(), 1);
        QCOMPARE(recorder.updates.first().second, std::optional<double>(0.25));
    }

    // Whatever FFmpeg writes of its own accord (a two-pass log, a filter's default file) lands in
    // the job folder, not wherever the program was started.
    void ffmpegRunsInItsJobFolder()
    {
        QTemporaryDir temp;
        const QString job = temp.filePath(QStringLiteral("Job 50%done"));
        QVERIFY(QDir().mkpath(job));
        const test::FakeFFmpegOnPath fake(temp.filePath(QStringLiteral("bin")), "pwd -P\n");
        Recorder recorder;
        Pipeline pipeline = recorder.pipeline();
        pipeline.runner = std::make_shared<ProcessRunner>();
        pipeline.ffmpeg({}, job, QStringLiteral("Testing"), 1.0);
        QCOMPARE(recorder.logged, QStringList{QDir(job).canonicalPath()});
    }

    void ffmpegRunsWithItsThreadCount_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<QString>("counts");
        QTest::newRow("FFmpeg's own choice") << 0
                                             << QStringLiteral("-threads 0 -filter_threads 0 "
                                                               "-filter_complex_threads 0 -threads 0 -threads 4");
        QTest::newRow("a share of the machine") << 2
                                                << QStringLiteral("-threads 2 -filter_threads 2 "
                                                                  "-filter_complex_threads 2 -threads 2 -threads 4");
    }
    void ffmpegRunsWithItsThreadCount()
    {
        QFETCH(int, threads);
        QFETCH(QString, counts);
        QTemporaryDir temp;
        // Prints only the thread options and their values, in order.
        const test::FakeFFmpegOnPath fake(temp.filePath(QStringLiteral("bin")),
                                          "out=\nwhile [ $# -gt 1 ]; do case \"$1\" in -threads|-filter_threads|"
                                          "-filter_complex_threads) out=\"$out $1 $2\"; shift;; esac; shift; done\n"
                                          "echo $out\n");
        Recorder recorder;
        Pipeline pipeline = recorder.pipeline();
        pipeline.runner = std::make_shared<ProcessRunner>();
        pipeline.threadsPerRun = threads;
        // An encoder left to choose and one given its own count.
        pipeline.ffmpeg({QStringLiteral("-c:v"), QStringLiteral("ffv1"), QStringLiteral("-threads"),
                         QStringLiteral("0"), QStringLiteral("-c:a"), QStringLiteral("flac"),
                         QStringLiteral("-threads"), QStringLiteral("4"), temp.filePath(QStringLiteral("out.mkv"))},
                        temp.path(), QStringLiteral("Testing"), 1.0);
        QCOMPARE(recorder.logged, QStringList{counts});
    }

    void ffmpegRunEndsAtOne()
    {
        QTemporaryDir temp;
        Recorder recorder;
        Pipeline pipeline = recorder.pipeline();
        pipeline.runner = std::make_shared<ProcessRunner>();
        const QString output = temp.filePath(QStringLiteral("out.mkv"));
        pipeline.ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("testsrc2=size=64x36:rate=10:duration=1"), QStringLiteral("-t"),
                         QStringLiteral("1.0"), QStringLiteral("-c:v"), QStringLiteral("ffv1"), output},
                        temp.path(), QStringLiteral("Testing"), 1.0, recorder.progressCallback());
        QVERIFY(QFileInfo(output).size() > 0);
        QVERIFY(recorder.updates.size() >= 2);
        QCOMPARE(recorder.updates.first(), qMakePair(QStringLiteral("Testing"), std::optional<double>()));
        QCOMPARE(recorder.updates.last(), qMakePair(QStringLiteral("Testing"), std::optional<double>(1.0)));
        QCOMPARE(recorder.progress.first(), 0.0);
        QCOMPARE(recorder.progress.last(), 1.0);
        for (qsizetype i = 1; i + 1 < recorder.updates.size(); ++i) {
            const std::optional<double> fraction = recorder.updates.at(i).second;
            QVERIFY(fraction && *fraction >= 0 && *fraction <= 0.99);
        }
        QVERIFY2(recorder.logged.isEmpty(), qPrintable(recorder.logged.join(QLatin1Char('\n'))));
    }

    void failedFFmpegRunNeverReachesOne()
    {
        QTemporaryDir temp;
        Recorder recorder;
        Pipeline pipeline = recorder.pipeline();
        pipeline.runner = std::make_shared<ProcessRunner>();
        QVERIFY_THROWS_EXCEPTION(ProcessFailure,
                                 pipeline.ffmpeg({QStringLiteral("-i"), temp.filePath(QStringLiteral("missing.mov")),
                                                  QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")},
                                                 temp.path(), QStringLiteral("Failing"), 2.0,
                                                 recorder.progressCallback()));
        QCOMPARE(recorder.updates.first(), qMakePair(QStringLiteral("Failing"), std::optional<double>()));
        for (const auto &update : recorder.updates)
            QVERIFY(update.second != std::optional<double>(1.0));
        QCOMPARE(recorder.progress, QList<double>{0.0});
        QVERIFY(!recorder.logged.isEmpty()); // FFmpeg's error reaches the log
    }

    void validPreparedCache_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("image");
        QTest::addColumn<bool>("valid");
        QTest::newRow("FFV1 movie") << QStringLiteral("prepared.mkv") << false << true;
        QTest::newRow("FFV1 movie taken for a still") << QStringLiteral("prepared.mkv") << true << false;
        QTest::newRow("PNG still") << QStringLiteral("still.png") << true << true;
        QTest::newRow("PNG taken for a movie") << QStringLiteral("still.png") << false << false;
        QTest::newRow("H.264 movie") << QStringLiteral("clip.mp4") << false << false;
        QTest::newRow("truncated FFV1 movie") << QStringLiteral("truncated.mkv") << false << false;
        QTest::newRow("unfinished FFV1 movie") << QStringLiteral("unfinished.mkv") << false << false;
        QTest::newRow("truncated PNG") << QStringLiteral("truncated.png") << true << false;
        QTest::newRow("text") << QStringLiteral("notes.mkv") << false << false;
        QTest::newRow("missing") << QStringLiteral("missing.mkv") << false << false;
    }

    void validPreparedCache()
    {
        QFETCH(QString, file);
        QFETCH(bool, image);
        QFETCH(bool, valid);
        const QString folder = m_media.path();
        Pipeline pipeline;
        pipeline.runner = std::make_shared<ProcessRunner>();
        QCOMPARE(pipeline.validPreparedCache(folder + QLatin1Char('/') + file, image), valid);
    }

    void cacheAndJobFolders()
    {
        QTemporaryDir temp;
        const QString root = temp.filePath(QStringLiteral("Project"));
        const QString cache = Pipeline::cacheRoot(root);
        QCOMPARE(cache, root + QStringLiteral("/Cache/Render"));
        QVERIFY(QFileInfo(cache).isDir());
        QCOMPARE(Pipeline::cacheRoot(root), cache); // an existing folder is no error

        const QString first = Pipeline::jobFolder(root);
        const QString second = Pipeline::jobFolder(root);
        QVERIFY(first != second);
        for (const QString &folder : {first, second}) {
            QVERIFY(QFileInfo(folder).isDir());
            QCOMPARE(QFileInfo(folder).absolutePath(), cache + QStringLiteral("/Jobs"));
            QVERIFY2(isUuidFolderName(QFileInfo(folder).fileName()), qPrintable(folder));
            QVERIFY(QDir(folder).isEmpty());
        }
    }

    void renderJobFolders()
    {
        QTemporaryDir temp;
        const QString root = temp.filePath(QStringLiteral("Project"));
        const QString inProject = Pipeline::renderJobFolder(root);
        QCOMPARE(QFileInfo(inProject).absolutePath(), root + QStringLiteral("/.KinoloomRender"));
        QVERIFY(isUuidFolderName(QFileInfo(inProject).fileName()));
        QVERIFY(QFileInfo(inProject).isDir());
        // An empty output path is no output path.
        QCOMPARE(QFileInfo(Pipeline::renderJobFolder(root, QString())).absolutePath(),
                 root + QStringLiteral("/.KinoloomRender"));

        const QString film = temp.filePath(QStringLiteral("Films/New/Trip.mp4"));
        const QString beside = Pipeline::renderJobFolder(root, film);
        QCOMPARE(QFileInfo(beside).absolutePath(), temp.filePath(QStringLiteral("Films/New/.KinoloomRender")));
        QVERIFY(QFileInfo(beside).isDir());
        QVERIFY(!QFileInfo::exists(film));
    }

    void folderCreationFailureNamesThePath()
    {
        QTemporaryDir temp;
        const QString blocker = temp.filePath(QStringLiteral("Project"));
        QVERIFY(test::writeFile(blocker, "not a folder"));
        try {
            Pipeline::cacheRoot(blocker);
            QFAIL("expected a FileError");
        } catch (const FileError &error) {
            QVERIFY2(error.path().startsWith(blocker), qPrintable(error.path()));
        }
    }

    void clearCacheRemovesOnlyTheRenderCache()
    {
        QTemporaryDir temp;
        const QString root = temp.path();
        Pipeline::clearCache(root); // nothing there: no failure
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/Cache/Render")));

        const QString job = Pipeline::jobFolder(root);
        QVERIFY(test::writeFile(job + QStringLiteral("/partial.mkv"), "x"));
        QVERIFY(test::writeFile(root + QStringLiteral("/Cache/Render/Segments/a.mkv"), "x"));
        QVERIFY(test::writeFile(root + QStringLiteral("/Cache/thumb.jpg"), "x"));
        QVERIFY(test::writeFile(root + QStringLiteral("/Cache/Temp/t"), "x"));
        const QString renderJob = Pipeline::renderJobFolder(root);
        QVERIFY(test::writeFile(renderJob + QStringLiteral("/segment-0.mkv"), "x"));

        Pipeline::clearCache(root);
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/Cache/Render")));
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/Cache/thumb.jpg")));
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/Cache/Temp/t")));
        QVERIFY(QFileInfo::exists(renderJob + QStringLiteral("/segment-0.mkv")));
        QVERIFY(QFileInfo(Pipeline::cacheRoot(root)).isDir());
    }
};

QTEST_GUILESS_MAIN(tst_PipelineFrame)
#include "tst_PipelineFrame.moc"
