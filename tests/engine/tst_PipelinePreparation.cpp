#include "engine/pipeline/Pipeline.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "model/Fingerprint.h"
#include "model/StudioError.h"
#include "model/StudioProject.h"
#include "support/FakeFFmpegOnPath.h"
#include "support/FakeTools.h"
#include "support/MediaFacts.h"
#include "support/MediaFixtures.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <mutex>

using namespace kinoloom;

namespace {

// A project folder name that breaks every unescaped use in a filter graph.
const QString awkwardName = QStringLiteral("Dad's trip: day 1, [a]; b");

// Everything a preparation reported, recorded thread-safely.
struct Reports
{
    std::mutex lock;
    QStringList stages;
    QList<double> overall;
    QList<MediaAsset> completed;
};

Pipeline makePipeline(Reports &reports)
{
    Pipeline pipeline;
    pipeline.tools.gyroflow = test::fakeTool(QStringLiteral("gyroflow"));
    pipeline.runner = std::make_shared<ProcessRunner>();
    pipeline.update = [&reports](const QString &stage, std::optional<double>) {
        std::lock_guard guard(reports.lock);
        if (reports.stages.isEmpty() || reports.stages.last() != stage)
            reports.stages << stage;
    };
    pipeline.overallUpdate = [&reports](double fraction) {
        std::lock_guard guard(reports.lock);
        reports.overall << fraction;
    };
    return pipeline;
}

std::function<void(const MediaAsset &)> recordCompleted(Reports &reports)
{
    return [&reports](const MediaAsset &asset) {
        std::lock_guard guard(reports.lock);
        reports.completed << asset;
    };
}

MediaAsset asset(const QString &path, bool hasAudio, bool image)
{
    return MediaAsset::create(path, QFileInfo(path).fileName(), image ? 0 : test::MediaFixtures::duration,
                              test::MediaFixtures::width, test::MediaFixtures::height,
                              image ? 0 : test::MediaFixtures::fps, hasAudio, image);
}

void verifyGrowsFromZeroToOne(const QList<double> &overall)
{
    QVERIFY(!overall.isEmpty());
    QCOMPARE(overall.first(), 0.0);
    QCOMPARE(overall.last(), 1.0);
    for (qsizetype i = 1; i < overall.size(); ++i)
        QVERIFY2(overall.at(i) >= overall.at(i - 1), qPrintable(QStringLiteral("step %1 goes back").arg(i)));
}

QStringList jobFolders(const QString &root)
{
    return QDir(root + QStringLiteral("/Cache/Render/Jobs")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class tst_PipelinePreparation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void withoutCorrectionsClipsKeepTheirOwnFiles();
    void correctionsMakeCachedLosslessIntermediates();
    void cacheEntriesAreCheckedAndTakenIn();
    void missingVidStabIsRefused();
    void gyroflowStabilisesMovies();
    void gyroflowWithoutAMovieFails();
    void aResultThatIsNoIntermediateFails();
    void aBrokenLUTIsNamedBeforeAnyPass_data();
    void aBrokenLUTIsNamedBeforeAnyPass();
    void aFailedPassLeavesNoPartialClip();
    void cancelledRunnerStopsAtTheFirstClip();

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    QString m_root;
    std::unique_ptr<test::MediaFixtures> m_media;
};

void tst_PipelinePreparation::initTestCase()
{
    m_temp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temp->isValid());
    m_root = m_temp->path() + QLatin1Char('/') + awkwardName;
    QVERIFY(QDir().mkpath(m_root + QStringLiteral("/Media")));
    m_media = std::make_unique<test::MediaFixtures>(m_root + QStringLiteral("/Media"));
    QVERIFY(!m_media->clip().isEmpty() && !m_media->silentClip().isEmpty() && !m_media->still().isEmpty()
            && !m_media->lut().isEmpty());
}

void tst_PipelinePreparation::init()
{
    QVERIFY(QDir(m_root + QStringLiteral("/Cache")).removeRecursively());
}

void tst_PipelinePreparation::withoutCorrectionsClipsKeepTheirOwnFiles()
{
    StudioProject project;
    project.assets << asset(m_media->clip(), true, false) << asset(m_media->still(), false, true);
    MediaAsset excluded = asset(m_media->silentClip(), false, false);
    excluded.role = ClipRole::excluded;
    project.assets << excluded;

    // Any FFmpeg run would fail: none may happen.
    test::FakeFFmpegOnPath failing(m_temp->path(), "exit 3\n");
    Reports reports;
    const StudioProject result = makePipeline(reports).prepare(project, m_root, recordCompleted(reports));

    for (int i = 0; i < 2; ++i) {
        const MediaAsset &clip = result.assets.at(i);
        QCOMPARE(clip.preparation, QStringLiteral("Ready \u00B7 original"));
        QCOMPARE(clip.preparedPath, std::optional<QString>(clip.path));
        QCOMPARE(clip.preparationKey, std::optional<QString>(Fingerprint::preparation(clip, project.settings)));
    }
    QCOMPARE(result.assets.at(2), excluded);
    QCOMPARE(reports.completed.size(), 2);
    QCOMPARE(reports.stages,
             (QStringList{QStringLiteral("Using original clip 1 of 2"), QStringLiteral("Using original clip 2 of 2")}));
    QVERIFY(!QFileInfo::exists(m_root + QStringLiteral("/Cache/Render")));
    verifyGrowsFromZeroToOne(reports.overall);
}

void tst_PipelinePreparation::correctionsMakeCachedLosslessIntermediates()
{
    StudioProject project;
    project.settings.conversionLUT = m_media->lut();
    project.settings.vidstab = true;
    project.settings.fisheye = true;
    project.assets << asset(m_media->clip(), true, false) << asset(m_media->still(), false, true);

    Reports first;
    const StudioProject prepared = makePipeline(first).prepare(project, m_root, recordCompleted(first));

    const MediaAsset movie = prepared.assets.at(0);
    const MediaAsset still = prepared.assets.at(1);
    QCOMPARE(movie.preparation, QStringLiteral("Prepared"));
    QCOMPARE(still.preparation, QStringLiteral("Prepared"));
    const QString cache = m_root + QStringLiteral("/Cache/Render/Prepared/");
    QCOMPARE(movie.preparedPath, std::optional<QString>(cache + *movie.preparationKey + QStringLiteral(".mkv")));
    QCOMPARE(still.preparedPath, std::optional<QString>(cache + *still.preparationKey + QStringLiteral(".png")));
    const test::MediaFacts facts = test::inspectMedia(*movie.preparedPath);
    QCOMPARE(facts.videoCodec, QStringLiteral("ffv1"));
    QCOMPARE(facts.audioCodec, QStringLiteral("pcm_s24le"));
    QCOMPARE(facts.videoFrames, 60);
    QCOMPARE(facts.width, 274); // the lens correction crops to 86 % (even, for the source's chroma)
    QCOMPARE(test::inspectMedia(*still.preparedPath).videoCodec, QStringLiteral("png"));
    QVERIFY(first.stages.contains(QStringLiteral("Preparing 1 of 2 \u00B7 clip.mp4 \u00B7 motion analysis")));
    QVERIFY(first.stages.contains(QStringLiteral("Preparing 1 of 2 \u00B7 clip.mp4")));
    QVERIFY(!first.stages.contains(QStringLiteral("Preparing 2 of 2 \u00B7 still.png \u00B7 motion analysis")));
    QCOMPARE(first.completed, (QList<MediaAsset>{movie, still}));
    QCOMPARE(jobFolders(m_root), QStringList());
    verifyGrowsFromZeroToOne(first.overall);

    // Unchanged sources and settings: both found in the cache, nothing made again.
    const QDateTime made = QFileInfo(*movie.preparedPath).lastModified();
    Reports second;
    StudioProject again = makePipeline(second).prepare(prepared, m_root);
    QCOMPARE(again.assets.at(0).preparation, QStringLiteral("Prepared \u00B7 cached"));
    QCOMPARE(again.assets.at(1).preparation, QStringLiteral("Prepared \u00B7 cached"));
    QCOMPARE(second.stages,
             (QStringList{QStringLiteral("Prepared 1 of 2 \u00B7 cached"),
                          QStringLiteral("Prepared 2 of 2 \u00B7 cached")}));
    QCOMPARE(QFileInfo(*movie.preparedPath).lastModified(), made);
    verifyGrowsFromZeroToOne(second.overall);
}

void tst_PipelinePreparation::cacheEntriesAreCheckedAndTakenIn()
{
    StudioProject project;
    project.settings.fisheye = true;
    project.assets << asset(m_media->silentClip(), false, false);
    Reports reports;
    Pipeline pipeline = makePipeline(reports);
    StudioProject prepared = pipeline.prepare(project, m_root);
    const QString cached = *prepared.assets.at(0).preparedPath;

    // A damaged cache entry is deleted and made again.
    QFile damaged(cached);
    QVERIFY(damaged.open(QIODevice::ReadWrite));
    QVERIFY(damaged.resize(200));
    damaged.close();
    StudioProject result = pipeline.prepare(prepared, m_root);
    QCOMPARE(result.assets.at(0).preparation, QStringLiteral("Prepared"));
    QCOMPARE(result.assets.at(0).preparedPath, std::optional<QString>(cached));
    QCOMPARE(test::inspectMedia(cached).videoFrames, 60);

    // The project moved: its record points at the old place, the cache is gone. The file is
    // taken into the new cache instead of being made again.
    const QString elsewhere = m_temp->path() + QStringLiteral("/old place/prepared.mkv");
    QVERIFY(QDir().mkpath(QFileInfo(elsewhere).absolutePath()));
    QVERIFY(QFile::copy(cached, elsewhere));
    Pipeline::clearCache(m_root);
    prepared.assets[0].preparedPath = elsewhere;

    result = pipeline.prepare(prepared, m_root);
    const MediaAsset &clip = result.assets.at(0);
    QCOMPARE(clip.preparation, QStringLiteral("Prepared \u00B7 cached"));
    QCOMPARE(clip.preparedPath, std::optional<QString>(cached));
    QCOMPARE(QFileInfo(cached).size(), QFileInfo(elsewhere).size());
    // Only the finished entry lies in the cache: no temporary leftovers.
    QCOMPARE(QDir(QFileInfo(cached).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(cached).fileName()});
}

void tst_PipelinePreparation::missingVidStabIsRefused()
{
    const MediaAsset clip = asset(m_media->clip(), true, false);
    test::FakeFFmpegOnPath withoutVidStab(m_temp->path(),
                                          "echo ' ... lut3d  V->V  Adjust colors using a 3D LUT.'\n"
                                          "echo ' ... zoompan V->V Apply Zoom & Pan effect.'\n");
    StudioProject project;
    project.settings.vidstab = true;
    for (int clips : {0, 1}) {
        if (clips == 1)
            project.assets << clip;
        Reports reports;
        try {
            makePipeline(reports).prepare(project, m_root);
            QFAIL("vid.stab was not refused");
        } catch (const StudioError &error) {
            QCOMPARE(error.message(),
                     QStringLiteral("This FFmpeg installation does not include vid.stab. Turn off motion "
                                    "stabilization or choose an FFmpeg build with vid.stab in Settings."));
        }
    }
}

void tst_PipelinePreparation::gyroflowStabilisesMovies()
{
    const QString record = m_temp->path() + QStringLiteral("/gyroflow-arguments.json");
    qputenv("FAKE_GYROFLOW_ARGUMENTS", QFile::encodeName(record));
    const QString preset = m_root + QStringLiteral("/steady.gyroflow");
    QVERIFY(test::writeFile(preset, "{}"));

    StudioProject project;
    project.settings.gyroflow = true;
    project.settings.gyroPreset = preset;
    project.settings.vidstab = true;
    project.assets << asset(m_media->clip(), true, false);
    Reports reports;
    const StudioProject result = makePipeline(reports).prepare(project, m_root);
    qunsetenv("FAKE_GYROFLOW_ARGUMENTS");

    const QJsonObject received = QJsonDocument::fromJson(test::readFile(record)).object();
    const QString job = received.value(QStringLiteral("directory")).toString();
    QCOMPARE(QFileInfo(job).absolutePath(),
             QFileInfo(m_root + QStringLiteral("/Cache/Render/Jobs")).canonicalFilePath());
    const QJsonObject settings{
        {QStringLiteral("output_path"), m_root + QStringLiteral("/Cache/Render/Jobs/") + QFileInfo(job).fileName()},
        {QStringLiteral("output_filename"), QStringLiteral("gyro.mov")},
        {QStringLiteral("codec"), QStringLiteral("ProRes")},
        {QStringLiteral("codec_options"), QStringLiteral("4444")},
        {QStringLiteral("use_gpu"), false}};
    const QJsonArray arguments = received.value(QStringLiteral("arguments")).toArray();
    QCOMPARE(arguments.size(), 7);
    QCOMPARE(arguments.at(0).toString(), QStringLiteral("--no-gpu-decoding"));
    QCOMPARE(arguments.at(1).toString(), QStringLiteral("-f"));
    QCOMPARE(arguments.at(2).toString(), QStringLiteral("-p"));
    QCOMPARE(QJsonDocument::fromJson(arguments.at(3).toString().toUtf8()).object(), settings);
    QCOMPARE(arguments.at(4).toString(), QStringLiteral("--preset"));
    QCOMPARE(arguments.at(5).toString(), preset);
    QCOMPARE(arguments.at(6).toString(), m_media->clip());

    QVERIFY(reports.stages.contains(QStringLiteral("Preparing 1 of 1 \u00B7 clip.mp4 \u00B7 Gyroflow")));
    QVERIFY(reports.stages.contains(QStringLiteral("Preparing 1 of 1 \u00B7 clip.mp4 \u00B7 motion analysis")));
    QCOMPARE(result.assets.at(0).preparation, QStringLiteral("Prepared"));
    QCOMPARE(test::inspectMedia(*result.assets.at(0).preparedPath).videoCodec, QStringLiteral("ffv1"));
}

void tst_PipelinePreparation::gyroflowWithoutAMovieFails()
{
    qputenv("FAKE_GYROFLOW_MODE", "no-movie");
    StudioProject project;
    project.settings.gyroflow = true;
    project.assets << asset(m_media->clip(), true, false);
    Reports reports;
    try {
        makePipeline(reports).prepare(project, m_root);
        qunsetenv("FAKE_GYROFLOW_MODE");
        QFAIL("a missing Gyroflow movie was not reported");
    } catch (const StudioError &error) {
        qunsetenv("FAKE_GYROFLOW_MODE");
        QCOMPARE(error.message(), QStringLiteral("Gyroflow returned without producing a movie."));
    }
    QCOMPARE(jobFolders(m_root).size(), 1); // kept for inspection
}

void tst_PipelinePreparation::aResultThatIsNoIntermediateFails()
{
    StudioProject project;
    project.settings.fisheye = true;
    project.assets << asset(m_media->clip(), true, false);
    // An FFmpeg that "succeeds" with a file that is no movie at all.
    test::FakeFFmpegOnPath garbage(m_temp->path(), "for last; do :; done\necho not a movie > \"$last\"\n");
    Reports reports;
    try {
        makePipeline(reports).prepare(project, m_root, recordCompleted(reports));
        QFAIL("an invalid result was accepted");
    } catch (const StudioError &error) {
        QCOMPARE(error.message(), QStringLiteral("Prepared clip failed validation: clip.mp4"));
    }
    QVERIFY(reports.completed.isEmpty());
    QCOMPARE(jobFolders(m_root).size(), 1);
    QCOMPARE(QDir(m_root + QStringLiteral("/Cache/Render/Prepared")).entryList(QDir::Files), QStringList());
}

void tst_PipelinePreparation::aBrokenLUTIsNamedBeforeAnyPass_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not a LUT") << QStringLiteral("Log to Rec709.cube") << QByteArray("hello\n");
    QTest::newRow("empty") << QStringLiteral("empty.cube") << QByteArray();
    QTest::newRow("cut short") << QStringLiteral("short.cube") << QByteArray("LUT_3D_SIZE 2\n0 0 0\n1 0 0\n");
    QTest::newRow("a kind FFmpeg does not know") << QStringLiteral("look.txt") << QByteArray("LUT_3D_SIZE 2\n");
}

void tst_PipelinePreparation::aBrokenLUTIsNamedBeforeAnyPass()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString lut = m_root + QStringLiteral("/Looks/") + name;
    QVERIFY(test::writeFile(lut, content));
    StudioProject project;
    project.settings.conversionLUT = lut;
    project.settings.gyroflow = true;
    project.assets << asset(m_media->clip(), true, false);
    Reports reports;
    try {
        makePipeline(reports).prepare(project, m_root, recordCompleted(reports));
        QFAIL("a broken LUT was taken");
    } catch (const StudioError &error) {
        QCOMPARE(error.message(),
                 QStringLiteral("The LUT file “%1” could not be read, so “clip.mp4” could not be "
                                "prepared. Choose a LUT file that FFmpeg can read, such as a .cube "
                                "file.")
                     .arg(name));
    }
    // Found before the stabiliser's long pass, and nothing half made is left.
    QVERIFY(!reports.stages.contains(QStringLiteral("Preparing 1 of 1 \u00B7 clip.mp4 \u00B7 Gyroflow")));
    const QStringList jobs = jobFolders(m_root);
    QCOMPARE(jobs.size(), 1);
    QVERIFY(!QFileInfo::exists(m_root + QStringLiteral("/Cache/Render/Jobs/") + jobs.first()
                               + QStringLiteral("/prepared.mkv")));
}

void tst_PipelinePreparation::aFailedPassLeavesNoPartialClip()
{
    StudioProject project;
    project.settings.fisheye = true;
    project.assets << asset(m_media->clip(), true, false) << asset(m_media->still(), false, true);
    // An FFmpeg that stops half way, as on a full disk.
    test::FakeFFmpegOnPath halfWay(m_temp->path(), "for last; do :; done\necho half > \"$last\"\nexit 1\n");
    for (const MediaAsset &clip : std::as_const(project.assets)) {
        StudioProject one = project;
        one.assets = {clip};
        Reports reports;
        QVERIFY_THROWS_EXCEPTION(ProcessFailure, makePipeline(reports).prepare(one, m_root));
    }
    const QStringList jobs = jobFolders(m_root);
    QCOMPARE(jobs.size(), 2); // kept for inspection, without the partial files
    for (const QString &job : jobs)
        QCOMPARE(QDir(m_root + QStringLiteral("/Cache/Render/Jobs/") + job).entryList(QDir::Files), QStringList());
}

void tst_PipelinePreparation::cancelledRunnerStopsAtTheFirstClip()
{
    StudioProject project;
    project.assets << asset(m_media->clip(), true, false);
    Reports reports;
    Pipeline pipeline = makePipeline(reports);
    pipeline.runner->cancel();
    QVERIFY_THROWS_EXCEPTION(CancellationError, pipeline.prepare(project, m_root, recordCompleted(reports)));
    QVERIFY(reports.completed.isEmpty());
}

QTEST_GUILESS_MAIN(tst_PipelinePreparation)
#include "tst_PipelinePreparation.moc"
