#include "fixture/OpenProject.h"
#include "model/ProjectStore.h"
#include "model/RenderResumeState.h"
#include "model/StudioError.h"
#include "session/StudioModel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <atomic>

using namespace kinoloom;
using namespace kinoloom::test;

// The film road's logic on a pipeline that records its calls and renders in no time.
namespace {

QString write(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("clip") == 4 ? path : QString();
}

struct Road
{
    // A project with two clips (real files: a render key reads them) and what a film needs.
    Road()
    {
        open.home.pipelines->exportFolder = open.home.path(QStringLiteral("Exports"));
        QList<MediaAsset> assets;
        for (const QString &name : {QStringLiteral("a.mp4"), QStringLiteral("b.mp4")})
            assets.append(MediaAsset::create(write(open.home.path(name)), name, 4, 320, 180, 30, true, false));
        open.setAssets(assets);
        model().editProject([this](StudioProject &project) {
            project.settings.title = QStringLiteral("Title");
            project.settings.subtitle = QStringLiteral("Subtitle");
            project.settings.finalOutputPath = open.home.path(QStringLiteral("Film.mp4"));
        });
    }

    StudioModel &model() { return *open.model; }
    PipelineScript &script() { return *open.home.pipelines; }
    void setShort(bool on)
    {
        model().editProject([on](StudioProject &project) { project.settings.makeShort = on; });
    }
    bool ended() { return !model().busy(); }
    QStringList kinds() const
    {
        QStringList kinds;
        for (const ExportRecord &record : open.model->project().exports)
            kinds.append(record.kind);
        return kinds;
    }

    OpenProject open;
};

const DiskSpaceCheck shortOfSpace{50'000'000'000, 1'000'000'000, QStringLiteral("Films"), QStringLiteral("/films")};

} // namespace

class tst_FilmRoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachRequestRunsItsSteps_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<bool>("prepareOnly");
        QTest::addColumn<bool>("resumeFromRender");
        QTest::addColumn<bool>("makeShort");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("kinds");
        const QStringList prepare{"Prepare clips"};
        QTest::newRow("Prepare Clips") << false << true << false << true << "Preparing clips" << prepare
                                       << QStringList{"prepare"} << QStringList{};
        QTest::newRow("Render Preview") << true << false << false << true << "Preparing export"
                                        << (prepare + QStringList{"Render preview"})
                                        << QStringList{"prepare", "render preview"} << QStringList{"Preview"};
        QTest::newRow("Export Film") << false << false << false << false << "Preparing export"
                                     << (prepare + QStringList{"Render main film"})
                                     << QStringList{"prepare", "render film"} << QStringList{"1080p movie"};
        QTest::newRow("Export Film with Short")
            << false << false << false << true << "Preparing export"
            << (prepare + QStringList{"Render main film", "Render vertical Short"})
            << QStringList{"prepare", "render film", "render Short"} << QStringList{"1080p movie", "Short"};
        QTest::newRow("resumed at the render")
            << false << false << true << false << "Rendering export" << (prepare + QStringList{"Render main film"})
            << QStringList{"prepare", "render film"} << QStringList{"1080p movie"};
    }
    void eachRequestRunsItsSteps()
    {
        QFETCH(bool, preview);
        QFETCH(bool, prepareOnly);
        QFETCH(bool, resumeFromRender);
        QFETCH(bool, makeShort);
        QFETCH(QString, title);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, kinds);
        Road road;
        road.setShort(makeShort);
        StudioModel &model = road.model();

        model.process(preview, prepareOnly, false, resumeFromRender);
        QCOMPARE(model.job().phase, JobPhase::queued);
        QCOMPARE(model.job().stage, title);
        QCOMPARE(model.job().steps, steps);
        // In the file before the job runs.
        const RenderResumeState requested{preview, prepareOnly, resumeFromRender};
        QCOMPARE(ProjectStore::open(road.open.folder).resumeState, std::optional(requested));

        QTRY_VERIFY(road.ended());
        QCOMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(model.job().completedSteps, steps.size());
        QCOMPARE(model.job().overallFraction, std::optional(1.0));
        QCOMPARE(road.script().callNames(), calls);
        for (const PipelineCall &call : road.script().calls()) {
            // Only a render picks up what an interrupted render left.
            QCOMPARE(call.reuseInterruptedJobCache, call.member == QLatin1String("render") && resumeFromRender);
        }
        QCOMPARE(road.kinds(), kinds);
        const StudioProject saved = ProjectStore::open(road.open.folder);
        QCOMPARE(saved.resumeState, std::nullopt);
        QCOMPARE(saved.exports.size(), kinds.size());
        for (const MediaAsset &asset : saved.assets)
            QCOMPARE(asset.preparation, QStringLiteral("Prepared"));
        if (!kinds.isEmpty()) {
            // The film or preview is selected and shown, never the Short; every record of the
            // run carries the same render key.
            QCOMPARE(model.selectedExport()->kind, kinds.constFirst());
            QCOMPARE(model.previewURL(), std::optional(QUrl::fromLocalFile(model.selectedExport()->path)));
            QVERIFY(saved.exports.constFirst().renderFingerprint);
            QCOMPARE(saved.exports.constLast().renderFingerprint, saved.exports.constFirst().renderFingerprint);
        }
    }

    void aFilmNeedsTitleSubtitleAndOutputPath_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<bool>("prepareOnly");
        QTest::addColumn<bool>("starts");
        QTest::newRow("Export Film") << false << false << false;
        QTest::newRow("Render Preview") << true << false << true;
        QTest::newRow("Prepare Clips") << false << true << true;
    }
    void aFilmNeedsTitleSubtitleAndOutputPath()
    {
        QFETCH(bool, preview);
        QFETCH(bool, prepareOnly);
        QFETCH(bool, starts);
        Road road;
        road.model().editProject([](StudioProject &project) { project.settings.subtitle = QStringLiteral("  "); });
        road.model().process(preview, prepareOnly, false, false);
        QCOMPARE(road.model().busy(), starts);
        QCOMPARE(
            road.model().error(),
            starts ? std::nullopt
                   : std::optional<QString>("Set a title, subtitle, and final output path before exporting the film."));
        QCOMPARE(ProjectStore::open(road.open.folder).resumeState.has_value(), starts);
        QTRY_VERIFY(road.ended());
    }

    void anUnchangedRenderIsReused_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<bool>("makeShort");
        QTest::addColumn<QString>("change"); // what happens between the two requests
        QTest::addColumn<bool>("reused");
        QTest::newRow("film, nothing changed") << false << false << "" << true;
        QTest::newRow("film and Short, nothing changed") << false << true << "" << true;
        QTest::newRow("preview, nothing changed") << true << false << "" << true;
        QTest::newRow("film file deleted") << false << false << "delete" << false;
        QTest::newRow("title changed") << false << false << "title" << false;
        QTest::newRow("Short file deleted") << false << true << "delete Short" << false;
        QTest::newRow("Short turned on after the film") << false << false << "Short on" << false;
        QTest::newRow("film after a preview") << false << false << "ask preview" << false;
    }
    void anUnchangedRenderIsReused()
    {
        QFETCH(bool, preview);
        QFETCH(bool, makeShort);
        QFETCH(QString, change);
        QFETCH(bool, reused);
        Road road;
        StudioModel &model = road.model();
        road.setShort(makeShort);
        const bool first = change == QLatin1String("ask preview") ? !preview : preview;
        model.process(first, false, false, false);
        QTRY_VERIFY(road.ended());
        QCOMPARE(model.job().phase, JobPhase::completed);
        const QList<ExportRecord> before = model.project().exports;
        if (change == QLatin1String("delete"))
            QVERIFY(QFile::remove(before.constFirst().path));
        if (change == QLatin1String("delete Short"))
            QVERIFY(QFile::remove(before.constLast().path));
        if (change == QLatin1String("title"))
            model.editProject([](StudioProject &project) { project.settings.title = QStringLiteral("Other"); });
        if (change == QLatin1String("Short on"))
            road.setShort(true);
        // Another export is selected meanwhile.
        model.setExportSelection(std::nullopt);
        const qsizetype callsBefore = road.script().calls().size();

        model.process(preview, false, false, false);
        if (!reused) {
            QVERIFY(model.busy());
            QTRY_VERIFY(road.ended());
            QVERIFY(model.project().exports.size() > before.size());
            return;
        }
        // At once, with no job and no pipeline call.
        QVERIFY(!model.busy());
        QCOMPARE(road.script().calls().size(), callsBefore);
        QCOMPARE(model.project().exports, before);
        QCOMPARE(model.exportSelection(), std::optional(before.constFirst().id));
        QCOMPARE(model.previewURL(), std::optional(QUrl::fromLocalFile(before.constFirst().path)));
        QCOMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(model.job().stage, QStringLiteral("Reused completed render"));
        QCOMPARE(model.job().completedSteps, model.job().steps.size());
        QCOMPARE(model.job().steps, JobProgress::exportSteps(preview, false, makeShort));
        QCOMPARE(model.job().overallFraction, std::optional(1.0));
        QCOMPARE(model.job().log,
                 QStringLiteral("Reused completed render. No source clips or render settings changed.\n"));
    }

    void lowSpaceAsksBeforeTheRun_data()
    {
        QTest::addColumn<bool>("proceed");
        QTest::newRow("Continue with Cached Clips") << true;
        QTest::newRow("Cancel") << false;
    }
    void lowSpaceAsksBeforeTheRun()
    {
        QFETCH(bool, proceed);
        Road road;
        StudioModel &model = road.model();
        road.script().diskSpace = shortOfSpace;
        model.process(false, false, false, false);
        QVERIFY(!model.busy());
        QVERIFY(model.showLowSpaceWarning());
        QCOMPARE(test::withSteadyTemporaryDisk(model.lowSpaceWarningMessage()),
                 test::withSteadyTemporaryDisk(shortOfSpace.message()));
        QCOMPARE(test::withSteadyTemporaryDisk(model.job().log),
                 QStringLiteral("Low disk space: ") + test::withSteadyTemporaryDisk(shortOfSpace.message())
                     + QLatin1Char('\n'));
        QCOMPARE(ProjectStore::open(road.open.folder).resumeState, std::nullopt);
        const qsizetype pipelinesBefore = road.script().made.size();

        if (proceed)
            model.continueAfterLowSpaceWarning();
        else
            model.cancelLowSpaceWarning();
        QVERIFY(!model.showLowSpaceWarning());
        QCOMPARE(model.busy(), proceed);
        if (proceed) {
            // No second check: the answer was the user's.
            QCOMPARE(road.script().made.size(), pipelinesBefore);
            QTRY_VERIFY(road.ended());
            QCOMPARE(model.job().phase, JobPhase::completed);
            return;
        }
        // Forgotten: a later answer starts nothing.
        model.continueAfterLowSpaceWarning();
        QVERIFY(!model.busy());
        QCOMPARE(road.script().calls().size(), 0);
    }

    void resumeContinuesWhereTheRunFailed_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("resumeTitle");
        QTest::addColumn<QStringList>("resumedCalls");
        QTest::newRow("in the preparation")
            << "prepare"
            << "Preparing export" << QStringList{"prepare", "render film", "render Short"};
        QTest::newRow("in the film") << "render film"
                                     << "Rendering export" << QStringList{"prepare", "render film", "render Short"};
        QTest::newRow("in the Short") << "render Short"
                                      << "Rendering export" << QStringList{"prepare", "render film", "render Short"};
    }
    void resumeContinuesWhereTheRunFailed()
    {
        QFETCH(QString, failing);
        QFETCH(QString, resumeTitle);
        QFETCH(QStringList, resumedCalls);
        Road road;
        StudioModel &model = road.model();
        road.setShort(true);
        auto failures = std::make_shared<std::atomic<int>>(1);
        road.script().onCall = [failing, failures](const PipelineCall &call) {
            const QString name = call.member == QLatin1String("render")
                ? (call.isShort ? QStringLiteral("render Short") : QStringLiteral("render film"))
                : call.member;
            if (name == failing && failures->fetch_sub(1) > 0)
                throw StudioError(QStringLiteral("The disk went away."));
        };
        model.process(false, false, false, false);
        QTRY_VERIFY(road.ended());
        QCOMPARE(model.job().phase, JobPhase::failed);
        QVERIFY(model.canRetry() && model.canRestart());
        const bool prepared = failing != QLatin1String("prepare");
        const StudioProject saved = ProjectStore::open(road.open.folder);
        QCOMPARE(saved.resumeState, std::optional(RenderResumeState{false, false, prepared}));
        // What was finished stays: the prepared clips, and the film before a failed Short.
        QCOMPARE(saved.assets.constFirst().preparation,
                 prepared ? QStringLiteral("Prepared") : QStringLiteral("Original"));
        QCOMPARE(saved.exports.size(), failing == QLatin1String("render Short") ? 1 : 0);
        const qsizetype callsBefore = road.script().calls().size();

        model.retry();
        QCOMPARE(model.job().stage, resumeTitle);
        QTRY_VERIFY(road.ended());
        QCOMPARE(model.job().phase, JobPhase::completed);
        QStringList resumed = road.script().callNames().mid(callsBefore);
        QCOMPARE(resumed, resumedCalls);
        for (const PipelineCall &call : road.script().calls().mid(callsBefore)) {
            if (call.member == QLatin1String("render"))
                QCOMPARE(call.reuseInterruptedJobCache, prepared);
        }
        QCOMPARE(ProjectStore::open(road.open.folder).resumeState, std::nullopt);
    }

    void deleteCacheResetsOnlyClipsPreparedThere()
    {
        Road road;
        StudioModel &model = road.model();
        const QString cache = road.open.folder + QStringLiteral("/Cache/Render");
        const QString elsewhere = write(road.open.home.path(QStringLiteral("Elsewhere/prepared.mkv")));
        QVERIFY(!write(cache + QStringLiteral("/Prepared/a.mkv")).isEmpty());
        model.editProject([&cache, &elsewhere](StudioProject &project) {
            project.assets[0].preparedPath = cache + QStringLiteral("/Prepared/../Prepared/a.mkv");
            project.assets[0].preparationKey = QStringLiteral("k1");
            project.assets[0].preparation = QStringLiteral("Stabilised");
            project.assets[1].preparedPath = elsewhere;
            project.assets[1].preparationKey = QStringLiteral("k2");
            project.assets[1].preparation = QStringLiteral("Stabilised");
        });

        // Not while a job runs.
        JobProgress running = model.job();
        running.phase = JobPhase::running;
        model.setJob(running);
        model.clearCache();
        QVERIFY(QFileInfo::exists(cache));
        QCOMPARE(model.project().assets.constFirst().preparation, QStringLiteral("Stabilised"));
        running.phase = JobPhase::completed;
        model.setJob(running);

        model.clearCache();
        QVERIFY(!QFileInfo::exists(cache));
        QVERIFY(QFileInfo::exists(elsewhere));
        const QList<MediaAsset> saved = road.open.saved();
        QCOMPARE(saved.at(0).preparedPath, std::nullopt);
        QCOMPARE(saved.at(0).preparationKey, std::nullopt);
        QCOMPARE(saved.at(0).preparation, QStringLiteral("Original"));
        QCOMPARE(saved.at(1).preparedPath, std::optional(elsewhere));
        QCOMPARE(saved.at(1).preparation, QStringLiteral("Stabilised"));
    }

    void startAgainStopsWhenTheCacheStays()
    {
        Road road;
        StudioModel &model = road.model();
        road.script().onCall = [](const PipelineCall &call) {
            if (call.member != QLatin1String("prepare"))
                throw StudioError(QStringLiteral("Could not remove the cache: permission denied."));
        };
        model.process(false, false, false, false);
        QTRY_VERIFY(road.ended());
        QCOMPARE(model.job().phase, JobPhase::failed);
        model.setError(std::nullopt);
        const qsizetype callsBefore = road.script().calls().size();

        model.restart();
        QCOMPARE(model.error(), std::optional<QString>("Could not remove the cache: permission denied."));
        QVERIFY(!model.busy());
        QCOMPARE(road.script().callNames().mid(callsBefore), QStringList{"clearCache"});

        // With the cache gone, Start Again runs from the preparation with nothing reused.
        road.script().onCall = {};
        model.restart();
        QCOMPARE(model.job().stage, QStringLiteral("Preparing export"));
        QTRY_VERIFY(road.ended());
        QCOMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(road.script().callNames().mid(callsBefore + 1), (QStringList{"clearCache", "prepare", "render film"}));
        for (const PipelineCall &call : road.script().calls())
            QVERIFY(!call.reuseInterruptedJobCache);
    }

    void theResumePromptStartsTheStoredRun_data()
    {
        QTest::addColumn<bool>("again");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("Resume") << false << "Rendering export" << QStringList{"prepare", "render preview"};
        QTest::newRow("Start Again") << true << "Preparing export"
                                     << QStringList{"clearCache", "prepare", "render preview"};
    }
    void theResumePromptStartsTheStoredRun()
    {
        QFETCH(bool, again);
        QFETCH(QString, title);
        QFETCH(QStringList, calls);
        Road road;
        StudioProject project = ProjectStore::open(road.open.folder);
        project.resumeState = RenderResumeState{true, false, true};
        ProjectStore::save(project, road.open.folder);
        StudioModel model(road.open.home.environment());
        road.open.model.reset();
        model.activate(ProjectStore::open(road.open.folder), road.open.folder);
        QVERIFY(model.showResumePrompt());

        again ? model.restart() : model.retry();
        QCOMPARE(model.job().stage, title);
        QTRY_VERIFY(!model.busy());
        QCOMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(road.script().callNames(), calls);
        QCOMPARE(model.selectedExport()->kind, QStringLiteral("Preview"));
    }
};

QTEST_MAIN(tst_FilmRoad)
#include "tst_FilmRoad.moc"
