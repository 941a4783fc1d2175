#include "fixture/OpenProject.h"
#include "model/ProjectStore.h"
#include "model/StudioError.h"
#include "session/StudioModel.h"
#include "support/FakeFFmpegOnPath.h"
#include "support/MediaFixtures.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace kinoloom;
using namespace kinoloom::test;

// The automated run on real imports and decoding checks, with a pipeline that renders in no time.
namespace {

constexpr int jobTimeout = 120000;

const DiskSpaceCheck shortOfSpace{50'000'000'000, 1'000'000'000, QStringLiteral("Films"), QStringLiteral("/films")};

QString copyTo(const QString &source, const QString &destination)
{
    QDir().mkpath(QFileInfo(destination).absolutePath());
    QFile::remove(destination);
    return QFile::copy(source, destination) ? destination : QString();
}

AutomationOptions options(const QString &folder = {})
{
    AutomationOptions options;
    options.sourceFolder = folder;
    options.todayOnly = false;
    options.validateClips = false;
    return options;
}

// Every stage the job showed, in order, each change once.
struct Stages
{
    explicit Stages(StudioModel &model)
    {
        QObject::connect(&model, &StudioModel::jobChanged, &model, [this, &model] {
            if (seen.isEmpty() || seen.constLast() != model.job().stage)
                seen.append(model.job().stage);
        });
    }
    QStringList starting(const QString &prefix) const
    {
        QStringList found;
        for (const QString &stage : seen) {
            if (stage.startsWith(prefix))
                found.append(stage);
        }
        return found;
    }
    QStringList seen;
};

// The project's dependency report, first slow, then quick.
class SlowThenQuickMedia final : public MediaEngine
{
public:
    explicit SlowThenQuickMedia(int call)
        : m_call(call)
    {
    }
    ProbeResult probe(const QString &) const override { throw StudioError(QStringLiteral("unused")); }
    MediaAsset importAsset(const QString &, const QString &, bool, bool) const override
    {
        throw StudioError(QStringLiteral("unused"));
    }
    QString importIdentity(const QString &) const override { return {}; }
    void generateThumbnail(const QString &, const QString &, double, bool, bool) const override {}
    QStringList dependencies() const override
    {
        if (m_call == 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
        return {QStringLiteral("check %1").arg(m_call)};
    }
    ProbeResult validateMovie(const QString &, int, int, bool) const override
    {
        throw StudioError(QStringLiteral("unused"));
    }

private:
    int m_call;
};

} // namespace

Q_DECLARE_METATYPE(kinoloom::JobPhase)

class tst_AutomatedRun : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_sources;
    MediaFixtures m_media{m_sources.path()};

    // "Camera" beside the project: a.mp4, b.mp4, day2/c.mp4, day2/d.mp4, day2/late/e.mp4.
    QString camera(const OpenProject &open) const
    {
        const QString folder = open.home.path(QStringLiteral("Camera"));
        for (const QString &name : {QStringLiteral("a.mp4"), QStringLiteral("b.mp4"), QStringLiteral("day2/c.mp4"),
                                    QStringLiteral("day2/d.mp4"), QStringLiteral("day2/late/e.mp4")})
            copyTo(m_media.clip(), QDir(folder).filePath(name));
        return folder;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(!m_media.clip().isEmpty()); }

    void importTakesOnlyFilesNotYetInTheProject_data()
    {
        QTest::addColumn<bool>("secondCopyGone");
        QTest::addColumn<QStringList>("imports");
        QTest::newRow("first two imported")
            << false << QStringList{"Importing 3 of 5 · c.mp4", "Importing 4 of 5 · d.mp4", "Importing 5 of 5 · e.mp4"};
        QTest::newRow("second one's copy gone") << true
                                                << QStringList{"Importing 2 of 5 · b.mp4", "Importing 3 of 5 · c.mp4",
                                                               "Importing 4 of 5 · d.mp4", "Importing 5 of 5 · e.mp4"};
    }
    void importTakesOnlyFilesNotYetInTheProject()
    {
        QFETCH(bool, secondCopyGone);
        QFETCH(QStringList, imports);
        OpenProject open;
        open.home.pipelines->exportFolder = open.home.path(QStringLiteral("Exports"));
        StudioModel &model = *open.model;
        const QString folder = camera(open);
        model.setCopyImports(true);
        model.importURLs({folder + QStringLiteral("/a.mp4"), folder + QStringLiteral("/b.mp4")});
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.project().assets.size(), 2);
        if (secondCopyGone)
            QVERIFY(QFile::remove(model.project().assets.at(1).path));

        Stages stages(model);
        model.setShowAutomation(true);
        model.automate(options(folder), PublishSettings());
        QVERIFY(!model.showAutomation());
        QCOMPARE(model.job().stage, QStringLiteral("Starting automated run"));
        QCOMPARE(model.job().overallFraction, std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QVERIFY2(model.job().phase == JobPhase::completed, qPrintable(model.job().stage + model.job().log));
        QCOMPARE(stages.starting(QStringLiteral("Scanning")), QStringList{"Scanning source folder"});
        QCOMPARE(stages.starting(QStringLiteral("Importing")), imports);

        const StudioProject saved = ProjectStore::open(open.folder);
        QCOMPARE(saved.assets.size(), 2 + imports.size());
        // Always copies, whatever the import setting said.
        for (const MediaAsset &asset : saved.assets.mid(2))
            QVERIFY2(asset.path.startsWith(open.media()), qPrintable(asset.path));
        QCOMPARE(saved.exports.size(), 1);
        QCOMPARE(model.workspace(), Workspace::export_);
        QCOMPARE(model.exportSelection(), std::optional(saved.exports.constFirst().id));
        QVERIFY(model.job().log.endsWith(QStringLiteral("Automated run completed: 1 export(s) saved.\n")));
        QCOMPARE(open.home.pipelines->callNames(), (QStringList{"prepare", "render film"}));
    }

    void runsOnTheProjectsClipsWithoutASourceFolder_data()
    {
        QTest::addColumn<bool>("makeShort");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("film") << false << QStringList{"prepare", "render film"};
        QTest::newRow("film and Short") << true << QStringList{"prepare", "render film", "render Short"};
    }
    void runsOnTheProjectsClipsWithoutASourceFolder()
    {
        QFETCH(bool, makeShort);
        QFETCH(QStringList, calls);
        const QString clip = m_media.clip();
        MediaAsset main = MediaAsset::create(clip, QStringLiteral("clip.mp4"), 2, 320, 180, 30, true, false);
        OpenProject open({main});
        open.home.pipelines->exportFolder = open.home.path(QStringLiteral("Exports"));
        StudioModel &model = *open.model;
        AutomationOptions choice = options();
        choice.automaticHooks = true;
        choice.makeShort = makeShort;
        model.automate(choice, PublishSettings());
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QVERIFY2(model.job().phase == JobPhase::completed, qPrintable(model.job().stage + model.job().log));
        QCOMPARE(open.home.pipelines->callNames(), calls);
        const StudioProject saved = ProjectStore::open(open.folder);
        QCOMPARE(model.project().settings.makeShort, makeShort);
        QCOMPARE(saved.exports.size(), calls.size() - 1);
        // The film is selected and shown, not the Short.
        QCOMPARE(model.exportSelection(), std::optional(saved.exports.constFirst().id));
        QCOMPARE(model.previewURL(), std::optional(QUrl::fromLocalFile(saved.exports.constFirst().path)));
        QVERIFY(model.job().log.endsWith(
            QStringLiteral("Automated run completed: %1 export(s) saved.\n").arg(calls.size() - 1)));
        // Automatic hooks came from the main clip; the records carry no render key.
        QVERIFY(std::any_of(saved.assets.cbegin(), saved.assets.cend(),
                            [](const MediaAsset &asset) { return asset.role == ClipRole::hook; }));
        QCOMPARE(saved.exports.constFirst().renderFingerprint, std::nullopt);
    }

    void decodingChecksEachPathOnceAndStopsAtADamagedClip()
    {
        const QString real = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        QVERIFY(!real.isEmpty());
        const QString clip = m_media.clip();
        const QString damaged = m_sources.filePath(QStringLiteral("damaged.mp4"));
        QVERIFY(writeFile(damaged, readFile(clip).left(20000)));
        const QString excluded = m_sources.filePath(QStringLiteral("excluded.mp4"));
        QVERIFY(writeFile(excluded, readFile(clip).left(20000)));
        MediaAsset main = MediaAsset::create(clip, QStringLiteral("clip.mp4"), 2, 320, 180, 30, true, false);
        MediaAsset hook = main;
        hook.id = QUuid::createUuid();
        hook.role = ClipRole::hook;
        MediaAsset left = MediaAsset::create(excluded, QStringLiteral("excluded.mp4"), 2, 320, 180, 30, true, false);
        left.role = ClipRole::excluded;
        MediaAsset broken = MediaAsset::create(damaged, QStringLiteral("damaged.mp4"), 2, 320, 180, 30, true, false);
        OpenProject open({main, hook, left, broken});
        open.home.pipelines->exportFolder = open.home.path(QStringLiteral("Exports"));
        StudioModel &model = *open.model;
        // The decoding checks (and only they) are noted on their way to the real ffmpeg.
        const QString decoded = open.home.path(QStringLiteral("decoded.txt"));
        const QByteArray script = "case \" $* \" in *\" -xerror \"*) printf '%s\\n' \"${10}\" >> '" + decoded.toUtf8()
            + "';; esac\nexec '" + real.toUtf8() + "' \"$@\"\n";
        FakeFFmpegOnPath noting(open.home.path(QStringLiteral("bin")), script);

        AutomationOptions choice = options();
        choice.validateClips = true;
        model.automate(choice, PublishSettings());
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.job().phase, JobPhase::failed);
        QCOMPARE(model.job().stage, QStringLiteral("Failed at Checking media · damaged.mp4"));
        QVERIFY(model.error());
        QCOMPARE(QString::fromUtf8(readFile(decoded)).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 (QStringList{clip, damaged}));
        QVERIFY(open.home.pipelines->calls().isEmpty());
        // The run saved what it had before it stopped.
        QCOMPARE(ProjectStore::open(open.folder).assets.size(), 4);
    }

    void lowSpaceWaitsForTheAnswer_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<JobPhase>("phase");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("Continue") << "continue" << JobPhase::completed << QStringList{"prepare", "render film"};
        QTest::newRow("Cancel") << "decline" << JobPhase::cancelled << QStringList{};
        QTest::newRow("the job's cancel") << "cancel" << JobPhase::cancelled << QStringList{};
    }
    void lowSpaceWaitsForTheAnswer()
    {
        QFETCH(QString, answer);
        QFETCH(JobPhase, phase);
        QFETCH(QStringList, calls);
        MediaAsset main = MediaAsset::create(m_media.clip(), QStringLiteral("clip.mp4"), 2, 320, 180, 30, true, false);
        OpenProject open({main});
        open.home.pipelines->exportFolder = open.home.path(QStringLiteral("Exports"));
        open.home.pipelines->diskSpace = shortOfSpace;
        StudioModel &model = *open.model;
        model.automate(options(), PublishSettings());
        QTRY_VERIFY(model.showLowSpaceWarning());
        QCOMPARE(test::withSteadyTemporaryDisk(model.lowSpaceWarningMessage()),
                 test::withSteadyTemporaryDisk(shortOfSpace.message()));
        QVERIFY(
            test::withSteadyTemporaryDisk(model.job().log)
                .contains(QStringLiteral("Low disk space: ") + test::withSteadyTemporaryDisk(shortOfSpace.message())));
        // The run waits, still running.
        QTest::qWait(100);
        QCOMPARE(model.job().phase, JobPhase::running);
        QVERIFY(open.home.pipelines->calls().isEmpty());

        if (answer == QLatin1String("continue"))
            model.continueAfterLowSpaceWarning();
        else if (answer == QLatin1String("decline"))
            model.cancelLowSpaceWarning();
        else
            model.cancel();
        QVERIFY(!model.showLowSpaceWarning());
        // Never inside the answer: the run goes on at a later turn.
        QVERIFY(model.busy());
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.job().phase, phase);
        QCOMPARE(open.home.pipelines->callNames(), calls);
        if (phase == JobPhase::cancelled)
            QCOMPARE(model.job().stage, QStringLiteral("Cancelled — completed work is preserved"));
        // A second answer reaches nothing.
        model.continueAfterLowSpaceWarning();
        QVERIFY(!model.busy());
    }

    void retryRunsTheSameRunAgain()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        open.home.pipelines->exportFolder = open.home.path(QStringLiteral("Exports"));
        const QString empty = open.home.path(QStringLiteral("Empty"));
        QVERIFY(QDir().mkpath(empty));
        model.automate(options(empty), PublishSettings());
        QTRY_VERIFY(!model.busy());
        QCOMPARE(model.job().stage, QStringLiteral("Failed at Scanning source folder"));
        QCOMPARE(model.error(),
                 std::optional<QString>("No supported media matches the source folder and date filter."));
        QVERIFY(model.canRetry());
        QVERIFY(!model.canRestart());

        copyTo(m_media.clip(), empty + QStringLiteral("/new.mp4"));
        model.retry();
        QCOMPARE(model.job().stage, QStringLiteral("Starting automated run"));
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QVERIFY2(model.job().phase == JobPhase::completed, qPrintable(model.job().stage + model.job().log));
        QCOMPARE(model.project().assets.size(), 1);
    }

    void anUploadRunNeedsACheckedChannel()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        model.setShowAutomation(true);
        AutomationOptions choice = options();
        choice.upload = true;
        model.automate(choice, PublishSettings());
        QCOMPARE(model.error(), std::optional<QString>("Check the destination channel before starting an upload run."));
        QVERIFY(!model.busy());
        QVERIFY(model.showAutomation());
    }

    void theDestinationCheckForgetsTheLastChannelEvenWhileBusy()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        model.setAutomationChannelID(QStringLiteral("UC7"));
        model.setAutomationChannelName(QStringLiteral("Kinoloom Films"));
        JobProgress running = model.job();
        running.phase = JobPhase::running;
        running.stage = QStringLiteral("Rendering");
        model.setJob(running);

        model.checkAutomationChannel();
        QCOMPARE(model.automationChannelID(), QString());
        QCOMPARE(model.automationChannelName(), QString());
        QCOMPARE(model.job(), running);
    }

    void aLaterDependencyCheckWins()
    {
        auto calls = std::make_shared<std::atomic<int>>(0);
        OpenProject open({}, [calls](StudioEnvironment &environment) {
            environment.makeMediaEngine = [calls](const ToolPaths &, std::shared_ptr<ProcessRunner>) {
                return std::make_unique<SlowThenQuickMedia>(++*calls);
            };
        });
        StudioModel &model = *open.model;
        model.checkDependencies();
        model.checkDependencies();
        QTRY_COMPARE(model.dependencies(), QStringList{"check 2"});
        // The first, slower check ends later and says nothing.
        QTest::qWait(1200);
        QCOMPARE(model.dependencies(), QStringList{"check 2"});
    }
};

QTEST_MAIN(tst_AutomatedRun)
#include "tst_AutomatedRun.moc"
