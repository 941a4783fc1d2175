#include "engine/pipeline/Pipeline.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "model/StudioError.h"
#include "model/StudioProject.h"
#include "support/Explained.h"
#include "support/MediaFixtures.h"

#include <QtTest>

#include <mutex>

using namespace kinoloom;

namespace {

struct Probe
{
    QString videoCodec;
    QString audioCodec;
    int width = 0;
    int height = 0;
    double duration = 0;
};

Probe probe(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                   QStringLiteral("stream=codec_type,codec_name,width,height:format=duration"), QStringLiteral("-of"),
                   QStringLiteral("json"), path});
    ffprobe.waitForFinished(30000);
    const QJsonObject report = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    Probe result;
    for (const QJsonValue &value : report.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject stream = value.toObject();
        if (stream.value(QStringLiteral("codec_type")).toString() == QStringLiteral("video")
            && result.videoCodec.isEmpty()) {
            result.videoCodec = stream.value(QStringLiteral("codec_name")).toString();
            result.width = stream.value(QStringLiteral("width")).toInt();
            result.height = stream.value(QStringLiteral("height")).toInt();
        } else if (stream.value(QStringLiteral("codec_type")).toString() == QStringLiteral("audio")) {
            result.audioCodec = stream.value(QStringLiteral("codec_name")).toString();
        }
    }
    result.duration =
        report.value(QStringLiteral("format")).toObject().value(QStringLiteral("duration")).toString().toDouble();
    return result;
}

MediaAsset asset(const QString &path, ClipRole role, std::optional<double> end, bool audio = true, bool image = false)
{
    MediaAsset clip = MediaAsset::create(path, QFileInfo(path).fileName(), image ? 0 : 2.0, 320, 180, 30, audio, image);
    clip.role = role;
    if (end) {
        clip.clipStart = 0;
        clip.clipEnd = *end;
    }
    return clip;
}

// Stages and fractions a render reports, gathered from whatever thread reports them.
struct Reports
{
    std::mutex lock;
    QStringList stages;
    QList<double> overall;

    Pipeline pipeline()
    {
        Pipeline result{ToolPaths(), std::make_shared<ProcessRunner>()};
        result.update = [this](const QString &stage, std::optional<double>) {
            const std::lock_guard guard(lock);
            if (stages.isEmpty() || stages.last() != stage) {
                stages.append(stage);
                if (qEnvironmentVariableIsSet("KINOLOOM_TRACE"))
                    qDebug().noquote() << QTime::currentTime().toString(QStringLiteral("mm:ss.zzz")) << stage;
            }
        };
        result.overallUpdate = [this](double fraction) {
            const std::lock_guard guard(lock);
            overall.append(fraction);
        };
        return result;
    }

    ExportRecord render(const StudioProject &project, const QString &root, bool isShort, bool preview, QSize size)
    {
        return test::explained([&] { return pipeline().render(project, root, isShort, preview, size); });
    }

    int count(const QString &prefix) const
    {
        int n = 0;
        for (const QString &stage : stages)
            n += stage.startsWith(prefix) ? 1 : 0;
        return n;
    }
};

QStringList jobFolders(const QString &base)
{
    return QDir(QDir(base).filePath(QStringLiteral(".KinoloomRender"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class tst_Assembly : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void filmWithHooksMusicAndTitles();
    void everyCodec_data();
    void everyCodec();
    void previewAndShort();
    void finalOutputPathIsWrittenOnlyWhenComplete();
    void finalOutputNamedLikeAWorkingFile();
    void refusals();
    void usableMovieCheck();

private:
    StudioProject shortFilm() const;

    QTemporaryDir m_media;
    QString m_clip, m_silent, m_still, m_music, m_lut;
};

void tst_Assembly::initTestCase()
{
    const test::MediaFixtures fixtures(m_media.path());
    m_clip = fixtures.clip();
    m_silent = fixtures.silentClip();
    m_still = fixtures.still();
    m_music = fixtures.audioOnly();
    m_lut = fixtures.lut();
    QVERIFY(!m_clip.isEmpty() && !m_silent.isEmpty() && !m_still.isEmpty() && !m_music.isEmpty() && !m_lut.isEmpty());
}

StudioProject tst_Assembly::shortFilm() const
{
    StudioProject project;
    project.assets = {asset(m_clip, ClipRole::main, 0.5)};
    project.settings.softwareEncoding = true;
    project.settings.includeHooks = false;
    return project;
}

void tst_Assembly::filmWithHooksMusicAndTitles()
{
    QTemporaryDir root;
    StudioProject project;
    project.assets = {
        asset(m_clip, ClipRole::hook, std::nullopt), asset(m_clip, ClipRole::main, 1.0),
        asset(m_silent, ClipRole::outro, 1.0),       asset(m_still, ClipRole::main, std::nullopt, false, true),
        asset(m_clip, ClipRole::intro, 1.5),         asset(m_clip, ClipRole::hook, std::nullopt)};
    project.assets[4].clipStart = 0.5;
    ProcessingSettings &settings = project.settings;
    settings.title = QStringLiteral("Alps");
    settings.subtitle = QStringLiteral("Summer 2026");
    settings.music = m_music;
    settings.audioPercent = 80;
    // Three seconds: a segment the cache keeps must be larger than 1,000,000 bytes, which a
    // graded still at this size is only from about two seconds on.
    settings.stillDuration = 3;
    settings.stylishLUT = m_lut;
    settings.lutStrength = 50;
    settings.setGradeToAll(true);
    // softwareEncoding stays off: without a working hardware encoder the software one stands in.

    Reports reports;
    const ExportRecord record = reports.render(project, root.path(), false, false, QSize(320, 180));

    // Clips of 1 s and the 3 s still; hooks of 1.5 s and 2 s dissolve into the film over 52 frames.
    const double total = 6.0 + 3.5 - 52.0 / 30;
    QCOMPARE(record.duration, total);
    QCOMPARE(record.kind, QStringLiteral("4K movie"));
    QCOMPARE(QFileInfo(record.path).fileName(), QStringLiteral("Movie-4K.mp4"));
    QCOMPARE(QFileInfo(QFileInfo(record.path).absolutePath()).absolutePath(),
             QDir(root.path()).filePath(QStringLiteral("Exports")));
    const Probe film = probe(record.path);
    QCOMPARE(film.videoCodec, QStringLiteral("h264"));
    QCOMPARE(film.audioCodec, QStringLiteral("aac"));
    QCOMPARE(QSize(film.width, film.height), QSize(320, 180));
    QVERIFY2(qAbs(film.duration - total) < 0.1, qPrintable(QString::number(film.duration)));
    QCOMPARE(record.thumbnails.size(), 8);
    for (int n = 1; n <= 8; ++n) {
        QCOMPARE(QFileInfo(record.thumbnails[n - 1]).fileName(), QStringLiteral("Thumbnail-%1.jpg").arg(n));
        QCOMPARE(QImage(record.thumbnails[n - 1]).size(), QSize(1280, 720));
    }
    QCOMPARE(reports.count(QStringLiteral("Rendering clip ")), 6);
    QCOMPARE(reports.count(QStringLiteral("Compositing and encoding film")), 1);
    QCOMPARE(reports.overall.last(), 1.0);
    // The overall fraction only grows (up to rounding where one segment's share meets the next).
    for (qsizetype i = 1; i < reports.overall.size(); ++i)
        QVERIFY(reports.overall[i] > reports.overall[i - 1] - 1e-12);
    QVERIFY(jobFolders(root.path()).isEmpty());

    // The same film again renders no segment.
    Reports again;
    const ExportRecord second = again.render(project, root.path(), false, false, QSize(320, 180));
    QCOMPARE(again.count(QStringLiteral("Reusing cached clip ")), 6);
    QCOMPARE(again.count(QStringLiteral("Rendering clip ")), 0);
    QVERIFY(second.path != record.path);
    QVERIFY(QFileInfo::exists(second.path));
}

void tst_Assembly::everyCodec_data()
{
    QTest::addColumn<ExportCodec>("codec");
    QTest::addColumn<QString>("video");
    QTest::addColumn<QString>("audio");
    QTest::addColumn<QString>("extension");
    QTest::newRow("h264") << ExportCodec::h264 << "h264"
                          << "aac"
                          << "mp4";
    QTest::newRow("hevc") << ExportCodec::hevc << "hevc"
                          << "aac"
                          << "mp4";
    QTest::newRow("av1") << ExportCodec::av1 << "av1"
                         << "aac"
                         << "mp4";
    QTest::newRow("prores") << ExportCodec::prores << "prores"
                            << "pcm_s24le"
                            << "mov";
    QTest::newRow("ffv1") << ExportCodec::ffv1 << "ffv1"
                          << "pcm_s24le"
                          << "mkv";
}

void tst_Assembly::everyCodec()
{
    QFETCH(ExportCodec, codec);
    QFETCH(QString, video);
    QFETCH(QString, audio);
    QFETCH(QString, extension);
    QTemporaryDir root;
    StudioProject project = shortFilm();
    project.settings.exportCodec = codec;
    project.settings.exportResolution = ExportResolution::source;

    Reports reports;
    const ExportRecord record = reports.render(project, root.path(), false, false, QSize(320, 180));
    QCOMPARE(QFileInfo(record.path).fileName(), QStringLiteral("Movie-320x180.") + extension);
    QCOMPARE(record.kind, shortTitle(ExportResolution::source) + QStringLiteral(" movie"));
    const Probe film = probe(record.path);
    QCOMPARE(film.videoCodec, video);
    QCOMPARE(film.audioCodec, audio);
    QCOMPARE(QSize(film.width, film.height), QSize(320, 180));
    QVERIFY2(qAbs(film.duration - 0.5) < 0.1, qPrintable(QString::number(film.duration)));
    QCOMPARE(record.thumbnails.size(), 8);
    for (const QString &thumbnail : record.thumbnails)
        QVERIFY(QFileInfo(thumbnail).size() > 0);
    // Half a second of film is far below a megabyte, and still a film.
    if (codec == ExportCodec::av1 || codec == ExportCodec::h264)
        QVERIFY(QFileInfo(record.path).size() < 1000000);
    QVERIFY(jobFolders(root.path()).isEmpty());
}

void tst_Assembly::previewAndShort()
{
    QTemporaryDir root;
    StudioProject project;
    project.assets = {asset(m_clip, ClipRole::main, std::nullopt),
                      asset(m_still, ClipRole::hook, std::nullopt, false, true),
                      asset(m_clip, ClipRole::hook, std::nullopt)};
    project.settings.music = m_music;
    project.settings.title = QStringLiteral("Alps");

    Reports previewReports;
    const ExportRecord preview = previewReports.render(project, root.path(), false, true, QSize(320, 180));
    QCOMPARE(preview.kind, QStringLiteral("Preview"));
    QCOMPARE(QFileInfo(preview.path).fileName(), QStringLiteral("Preview.mp4"));
    QVERIFY(preview.path.startsWith(QDir(root.path()).filePath(QStringLiteral("Exports/"))));
    QVERIFY(preview.thumbnails.isEmpty());
    QCOMPARE(preview.duration, 2.0);
    QCOMPARE(previewReports.count(QStringLiteral("Rendering preview")), 1);
    QCOMPARE(previewReports.count(QStringLiteral("Rendering clip ")), 1);
    const Probe previewFacts = probe(preview.path);
    QCOMPARE(previewFacts.videoCodec, QStringLiteral("h264"));
    QCOMPARE(previewFacts.audioCodec, QStringLiteral("aac"));

    Reports shortReports;
    const ExportRecord vertical = shortReports.render(project, root.path(), true, false, QSize(180, 320));
    QCOMPARE(vertical.kind, QStringLiteral("Short"));
    QCOMPARE(QFileInfo(vertical.path).fileName(), QStringLiteral("Short.mp4"));
    // Two hooks of the shortest hook's 2 s each.
    QCOMPARE(vertical.duration, 4.0);
    const Probe shortFacts = probe(vertical.path);
    QCOMPARE(shortFacts.videoCodec, QStringLiteral("hevc"));
    QCOMPARE(shortFacts.audioCodec, QStringLiteral("aac"));
    QCOMPARE(QSize(shortFacts.width, shortFacts.height), QSize(180, 320));
    QVERIFY(qAbs(shortFacts.duration - 4.0) < 0.1);
    QCOMPARE(vertical.thumbnails.size(), 8);
    for (const QString &thumbnail : vertical.thumbnails)
        QVERIFY(QFileInfo::exists(thumbnail));
    QVERIFY(jobFolders(root.path()).isEmpty());
}

void tst_Assembly::finalOutputPathIsWrittenOnlyWhenComplete()
{
    QTemporaryDir root;
    QTemporaryDir outside;
    const QString out = outside.filePath(QStringLiteral("Out"));
    const QString final = QDir(out).filePath(QStringLiteral("Film.mp4"));
    StudioProject project = shortFilm();
    project.settings.finalOutputPath = final;

    // The encode fails: no movie at the final path, the job folder and its segment are kept.
    const QString notMusic = root.filePath(QStringLiteral("notes.m4a"));
    QFile text(notMusic);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a sound file\n");
    text.close();
    project.settings.music = notMusic;
    Reports failed;
    QVERIFY_THROWS_EXCEPTION(ProcessFailure,
                             failed.pipeline().render(project, root.path(), false, false, QSize(320, 180)));
    QVERIFY(!QFileInfo::exists(final));
    QStringList jobs = jobFolders(out);
    QCOMPARE(jobs.size(), 1);
    const QDir failedJob(QDir(out).filePath(QStringLiteral(".KinoloomRender/") + jobs.first()));
    QVERIFY(failedJob.exists(QStringLiteral("segment-0.mkv")));

    // The retry is not blocked and puts the film at its path, the thumbnails beside it.
    project.settings.music = m_music;
    Reports retry;
    const ExportRecord record = retry.render(project, root.path(), false, false, QSize(320, 180));
    QCOMPARE(record.path, final);
    QVERIFY(probe(final).duration > 0);
    QCOMPARE(record.thumbnails.size(), 8);
    const QString thumbnails = QFileInfo(record.thumbnails.first()).absolutePath();
    QCOMPARE(QFileInfo(thumbnails).absolutePath(), out);
    QVERIFY(QFileInfo(thumbnails).fileName().startsWith(QStringLiteral("Film-thumbnails-")));
    QCOMPARE(jobFolders(out), jobs);

    // A third render would overwrite the film: refused before any work.
    Reports third;
    try {
        third.pipeline().render(project, root.path(), false, false, QSize(320, 180));
        QFAIL("an existing film was overwritten");
    } catch (const StudioError &error) {
        QCOMPARE(error.message(), QStringLiteral("Final output already exists. Choose a different path."));
    }
    QCOMPARE(jobFolders(out), jobs);
    QVERIFY(third.stages.isEmpty());
}

// The movie is encoded inside the job folder; a final output that shares a working file's name
// must neither overwrite the segment being read nor be left where a resumed render takes it
// for that segment.
void tst_Assembly::finalOutputNamedLikeAWorkingFile()
{
    QTemporaryDir root;
    QTemporaryDir outside;
    const QString final = outside.filePath(QStringLiteral("segment-0.mkv"));
    StudioProject project = shortFilm();
    project.settings.finalOutputPath = final;

    Reports reports;
    const ExportRecord record = reports.render(project, root.path(), false, false, QSize(320, 180));
    QCOMPARE(record.path, final);
    const Probe film = probe(final);
    QCOMPARE(film.videoCodec, QStringLiteral("h264"));
    QVERIFY(qAbs(film.duration - 0.5) < 0.1);
}

void tst_Assembly::refusals()
{
    QTemporaryDir root;
    Reports reports;
    const Pipeline pipeline = reports.pipeline();
    const auto message = [&](const StudioProject &project, bool isShort) {
        try {
            pipeline.render(project, root.path(), isShort, false, QSize(320, 180));
        } catch (const StudioError &error) {
            return error.message();
        }
        return QString();
    };

    StudioProject noHooks = shortFilm();
    QCOMPARE(message(noHooks, true), QStringLiteral("Assign at least one hook to create a Short."));
    StudioProject onlyHooks;
    onlyHooks.assets = {asset(m_clip, ClipRole::hook, std::nullopt)};
    QCOMPARE(message(onlyHooks, false), QStringLiteral("Add at least one main or intro clip to the sequence."));

    StudioProject empty = shortFilm();
    empty.assets.append(asset(m_clip, ClipRole::main, std::nullopt));
    empty.assets.last().name = QStringLiteral("empty.mp4");
    empty.assets.last().duration = 0;
    QCOMPARE(message(empty, false), QStringLiteral("Clip has no usable duration: empty.mp4"));
    QCOMPARE(reports.count(QStringLiteral("Rendering clip ")), 0);
    QVERIFY(!QFileInfo::exists(QDir(root.path()).filePath(QStringLiteral("Exports"))));

    // A cancelled job does not start.
    pipeline.runner->cancel();
    QVERIFY_THROWS_EXCEPTION(CancellationError,
                             pipeline.render(shortFilm(), root.path(), false, false, QSize(320, 180)));
}

void tst_Assembly::usableMovieCheck()
{
    QTemporaryDir dir;
    const Pipeline pipeline{ToolPaths(), std::make_shared<ProcessRunner>()};
    const QString emptyFile = dir.filePath(QStringLiteral("empty.mp4"));
    QFile file(emptyFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString textFile = dir.filePath(QStringLiteral("text.mp4"));
    QFile text(textFile);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(2000000, 'x'));
    text.close();

    for (const QString &path : {dir.filePath(QStringLiteral("missing.mp4")), emptyFile, textFile, m_music}) {
        try {
            pipeline.requireUsableMovie(path);
            QFAIL(qPrintable(QStringLiteral("accepted ") + path));
        } catch (const StudioError &error) {
            QCOMPARE(error.message(), QStringLiteral("The rendered movie produced no usable output."));
        }
    }
    pipeline.requireUsableMovie(m_clip);
    pipeline.requireUsableMovie(m_silent);
}

QTEST_MAIN(tst_Assembly)
#include "tst_Assembly.moc"
