#include "engine/disk/DiskSpaceCheck.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "fixture/StudioHome.h"
#include "model/CancellationError.h"
#include "model/ProjectStore.h"
#include "model/StudioError.h"
#include "services/HTTPTransport.h"
#include "session/JobLog.h"
#include "session/StudioModel.h"
#include "support/FakeTools.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <qcoro/qcorosignal.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

// Holds job bodies back until the test opens it; stays open afterwards.
class Gate : public QObject
{
    Q_OBJECT

public:
    void open()
    {
        m_open = true;
        Q_EMIT opened();
    }
    bool isOpen() const { return m_open; }

Q_SIGNALS:
    void opened();

private:
    bool m_open = false;
};

QCoro::Task<> opening(Gate *gate)
{
    if (!gate->isOpen())
        co_await qCoro(gate, &Gate::opened);
}

using Step = std::function<void(const Job &job)>;

// A job body: `before` at once, then, past the gate when there is one, `after` (either may
// post, record or throw).
QCoro::Task<> gatedBody(Job job, Gate *gate, Step before, Step after)
{
    if (before)
        before(job);
    if (gate)
        co_await job.await(opening(gate));
    if (after)
        after(job);
}

// Runs a fake tool that prints its pid and sleeps (by default one that a SIGTERM ends), through
// the job's runner on the pool.
QCoro::Task<> sleepingChildBody(Job job, std::shared_ptr<std::atomic<qint64>> pid, std::shared_ptr<bool> continued,
                                std::shared_ptr<bool> unwound, QString tool = QStringLiteral("prints-pid-and-sleeps"))
{
    const auto markUnwound = qScopeGuard([unwound] { *unwound = true; });
    const std::shared_ptr<ProcessRunner> runner = job.runner();
    auto sleep = [runner, pid, tool] {
        runner->run(fakeTool(tool), {}, {}, [pid](const QString &line) { *pid = line.toLongLong(); });
    };
    co_await job.engine(std::move(sleep));
    *continued = true;
}

// The pipeline's callbacks, called from a worker of the pool as the engine calls them.
QCoro::Task<> reportingBody(Job job, std::shared_ptr<PipelineScript> script, Gate *gate)
{
    const std::unique_ptr<RenderPipeline> pipeline = job.pipeline({0.05, 0.72});
    const PipelineSetup setup = script->made.constLast();
    auto report = [setup] {
        setup.overallUpdate(0.5);
        setup.overallUpdate(0.3);
        setup.update(QStringLiteral("Rendering clip 1 of 2"), 0.25);
        setup.log(QStringLiteral("frame 12"));
    };
    co_await job.engine(std::move(report));
    co_await job.await(opening(gate));
}

// The session with its job engine's own entry open to the tests.
class JobModel : public StudioModel
{
public:
    using StudioModel::start;
    using StudioModel::StudioModel;

    void startGated(const QString &title, Gate *gate, Step before = {}, Step after = {},
                    bool tracksOverallProgress = false, const QStringList &steps = {}, std::function<void()> retry = {})
    {
        start(title, std::move(retry), {}, tracksOverallProgress, steps,
              [gate, before, after](Job job) { return gatedBody(std::move(job), gate, before, after); });
    }
};

// The runner reaps its child, so a stopped child's pid is gone.
bool processGone(qint64 pid)
{
    return ::kill(pid_t(pid), 0) != 0;
}

enum class Ending { cancellation, studioError, processFailure, foreign };

void throwEnding(Ending ending)
{
    switch (ending) {
    case Ending::cancellation: throw CancellationError();
    case Ending::studioError: throw StudioError(QStringLiteral("The clip is missing."));
    case Ending::processFailure:
        throw ProcessFailure(QStringLiteral("FFmpeg library"), 1, QStringLiteral("Invalid data found"));
    case Ending::foreign: throw std::runtime_error("bad state");
    }
}

} // namespace

Q_DECLARE_METATYPE(Ending)
Q_DECLARE_METATYPE(JobPhase)

class tst_JobEngine : public QObject
{
    Q_OBJECT

private:
    StudioHome m_home;

private Q_SLOTS:
    void jobRunsThroughItsPhases_data()
    {
        QTest::addColumn<bool>("tracksOverallProgress");
        QTest::addColumn<std::optional<double>>("overallAtTheEnd");
        QTest::newRow("tracking overall progress") << true << std::optional(1.0);
        QTest::newRow("not tracking") << false << std::optional<double>();
    }
    void jobRunsThroughItsPhases()
    {
        QFETCH(bool, tracksOverallProgress);
        QFETCH(std::optional<double>, overallAtTheEnd);
        JobModel model(m_home.environment());
        Gate gate;
        bool began = false;
        const QStringList steps{QStringLiteral("Prepare clips"), QStringLiteral("Render main film")};
        model.startGated(
            QStringLiteral("Preparing export"), &gate, [&began](const Job &) { began = true; }, {},
            tracksOverallProgress, steps);

        // Queued, and the body waits for the next turn.
        QCOMPARE(model.job().phase, JobPhase::queued);
        QVERIFY(model.busy());
        QVERIFY(!began);
        QCOMPARE(model.job().stage, QStringLiteral("Preparing export"));
        QCOMPARE(model.job().started, std::optional(*m_home.now));
        QCOMPARE(model.job().steps, steps);
        QCOMPARE(model.job().overallFraction, tracksOverallProgress ? std::optional(0.0) : std::nullopt);

        QTRY_COMPARE(model.job().phase, JobPhase::running);
        QVERIFY(began);
        gate.open();
        QTRY_COMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(model.job().stage, QStringLiteral("Completed"));
        QCOMPARE(model.job().fraction, std::optional(1.0));
        QCOMPARE(model.job().completedSteps, 2);
        QCOMPARE(model.job().overallFraction, overallAtTheEnd);
        QVERIFY(!model.busy());
        QCOMPARE(model.error(), std::nullopt);
    }

    void secondStartWhileBusyChangesNothing_data()
    {
        QTest::addColumn<JobPhase>("phase");
        QTest::newRow("queued") << JobPhase::queued;
        QTest::newRow("running") << JobPhase::running;
        QTest::newRow("cancelling") << JobPhase::cancelling;
    }
    void secondStartWhileBusyChangesNothing()
    {
        QFETCH(JobPhase, phase);
        JobModel model(m_home.environment());
        Gate gate;
        QStringList retried;
        model.startGated(
            QStringLiteral("First"), &gate, {}, [](const Job &) { throw StudioError(QStringLiteral("First failed.")); },
            false, {}, [&retried] { retried.append(QStringLiteral("first")); });
        if (phase != JobPhase::queued)
            QTRY_COMPARE(model.job().phase, JobPhase::running);
        if (phase == JobPhase::cancelling)
            model.cancel();
        QCOMPARE(model.job().phase, phase);
        const JobProgress before = model.job();
        bool secondRan = false;
        model.startGated(
            QStringLiteral("Second"), nullptr, [&secondRan](const Job &) { secondRan = true; }, {}, true,
            {QStringLiteral("Step")}, [&retried] { retried.append(QStringLiteral("second")); });
        QCOMPARE(model.job(), before);

        gate.open();
        QTRY_VERIFY(!model.busy());
        QVERIFY(!secondRan);
        model.retry();
        QCOMPARE(retried, QStringList{QStringLiteral("first")});
    }

    void jobEndsByWhatItThrew_data()
    {
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<JobPhase>("phase");
        QTest::addColumn<QString>("stage");
        QTest::addColumn<std::optional<QString>>("error");
        QTest::addColumn<QString>("log");
        const ProcessFailure failure(QStringLiteral("FFmpeg library"), 1, QStringLiteral("Invalid data found"));
        QTest::newRow("cancellation") << Ending::cancellation << JobPhase::cancelled
                                      << "Cancelled — completed work is preserved" << std::optional<QString>() << "";
        QTest::newRow("studio error") << Ending::studioError << JobPhase::failed << "Failed at Preparing export"
                                      << std::optional<QString>("The clip is missing.") << "The clip is missing.\n";
        QTest::newRow("process failure") << Ending::processFailure << JobPhase::failed << "Failed at Preparing export"
                                         << std::optional(failure.userMessage())
                                         << failure.diagnosticDescription() + "\n";
        QTest::newRow("foreign exception") << Ending::foreign << JobPhase::failed << "Failed at Preparing export"
                                           << std::optional<QString>("bad state") << "bad state\n";
    }
    void jobEndsByWhatItThrew()
    {
        QFETCH(Ending, ending);
        QFETCH(JobPhase, phase);
        QFETCH(QString, stage);
        QFETCH(std::optional<QString>, error);
        QFETCH(QString, log);
        JobModel model(m_home.environment());
        model.startGated(
            QStringLiteral("Preparing export"), nullptr, {}, [ending](const Job &) { throwEnding(ending); }, true);
        QTRY_VERIFY(!model.busy());
        QCOMPARE(model.job().phase, phase);
        QCOMPARE(model.job().stage, stage);
        QCOMPARE(model.error(), error);
        QCOMPARE(model.job().log, log);
        // The overall fraction is left where it was; a failure keeps the stage fraction too.
        QCOMPARE(model.job().overallFraction, std::optional(0.0));
        QVERIFY(model.canRetry() == false); // no action stored
    }

    void failureNamesTheStageItWasIn()
    {
        JobModel model(m_home.environment());
        Gate gate;
        model.startGated(
            QStringLiteral("Preparing export"), &gate,
            [](const Job &job) { job.stage(QStringLiteral("Rendering clip 2 of 3"), 0.5); },
            [](const Job &) { throw StudioError(QStringLiteral("The clip is missing.")); });
        QTRY_COMPARE(model.job().stage, QStringLiteral("Rendering clip 2 of 3"));
        gate.open();
        QTRY_COMPARE(model.job().phase, JobPhase::failed);
        QCOMPARE(model.job().stage, QStringLiteral("Failed at Rendering clip 2 of 3"));
        QCOMPARE(model.job().fraction, std::optional(0.5));
    }

    void cancelStopsTheChildOfTheJobsRunner()
    {
        JobModel model(m_home.environment());
        auto pid = std::make_shared<std::atomic<qint64>>(0);
        auto continued = std::make_shared<bool>(false);
        auto unwound = std::make_shared<bool>(false);
        model.start(QStringLiteral("Preparing clips"), {}, {}, false, {}, [pid, continued, unwound](Job job) {
            return sleepingChildBody(std::move(job), pid, continued, unwound);
        });
        QTRY_VERIFY(*pid > 0);
        model.cancel();
        QCOMPARE(model.job().phase, JobPhase::cancelling);
        QCOMPARE(model.job().stage, QStringLiteral("Cancelling…"));
        QTRY_COMPARE(model.job().phase, JobPhase::cancelled);
        QCOMPARE(model.job().stage, QStringLiteral("Cancelled — completed work is preserved"));
        QVERIFY(processGone(*pid));
        QVERIFY(!*continued);
        QCOMPARE(model.error(), std::nullopt);
        QCOMPARE(model.job().log, QString());
    }

    void cancelReachesRunnerTransportAndSignIn()
    {
        JobModel model(m_home.environment());
        Gate gate;
        std::optional<Job> seen;
        bool signInCancelled = false;
        model.startGated(QStringLiteral("Waiting for browser sign-in"), &gate, [&](const Job &job) {
            seen = job;
            job.cancellation().onCancel([&signInCancelled] { signInCancelled = true; });
        });
        QTRY_VERIFY(seen);
        QVERIFY(!seen->runner()->isCancelled() && !seen->transport()->isCancelled());
        model.cancel();
        QVERIFY(seen->runner()->isCancelled());
        QVERIFY(seen->transport()->isCancelled());
        QVERIFY(signInCancelled);
        gate.open();
        QTRY_COMPARE(model.job().phase, JobPhase::cancelled);
    }

    void eachJobGetsAFreshRunnerAndTransport()
    {
        JobModel model(m_home.environment());
        QList<Job> seen;
        const Step record = [&seen](const Job &job) { seen.append(job); };
        Gate first;
        model.startGated(QStringLiteral("First"), &first, record);
        QTRY_COMPARE(seen.size(), 1);
        model.cancel();
        first.open();
        QTRY_VERIFY(!model.busy());
        model.startGated(QStringLiteral("Second"), nullptr, record);
        QTRY_COMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(seen.size(), 2);
        QVERIFY(seen.at(0).runner() != seen.at(1).runner());
        QVERIFY(seen.at(0).transport() != seen.at(1).transport());
        QVERIFY(!seen.at(1).runner()->isCancelled() && !seen.at(1).transport()->isCancelled());
        QVERIFY(seen.at(1).serial() > seen.at(0).serial());
    }

    void workEndingJustAfterCancelEndsCancelled_data()
    {
        QTest::addColumn<bool>("throws");
        QTest::addColumn<QString>("stage");
        QTest::newRow("work returns") << false << "Cancelled — completed work is preserved";
        // Any other error of a cancelled job is no failure either.
        QTest::newRow("work fails") << true << "Cancelled";
    }
    void workEndingJustAfterCancelEndsCancelled()
    {
        QFETCH(bool, throws);
        QFETCH(QString, stage);
        JobModel model(m_home.environment());
        Gate gate;
        model.startGated(QStringLiteral("Uploading to YouTube"), &gate, {}, [throws](const Job &) {
            if (throws)
                throw StudioError(QStringLiteral("The connection was lost."));
        });
        QTRY_COMPARE(model.job().phase, JobPhase::running);
        model.cancel();
        gate.open();
        QTRY_COMPARE(model.job().phase, JobPhase::cancelled);
        QCOMPARE(model.job().stage, stage);
        QCOMPARE(model.error(), std::nullopt);
        QCOMPARE(model.job().log, QString());
    }

    void cancelWhileQueuedHolds()
    {
        JobModel model(m_home.environment());
        QList<JobPhase> phases;
        connect(&model, &StudioModel::jobChanged, this, [&] { phases.append(model.job().phase); });
        bool ran = false;
        model.startGated(QStringLiteral("Importing media"), nullptr, [&ran](const Job &) { ran = true; });
        model.cancel();
        QTRY_VERIFY(!model.busy());
        QVERIFY(!ran);
        QCOMPARE(phases, (QList<JobPhase>{JobPhase::queued, JobPhase::cancelling, JobPhase::cancelled}));
        QCOMPARE(model.job().stage, QStringLiteral("Cancelled — completed work is preserved"));
    }

    void cancelWithoutABusyJobChangesNothing()
    {
        JobModel model(m_home.environment());
        QSignalSpy changes(&model, &StudioModel::jobChanged);
        model.cancel();
        QCOMPARE(changes.count(), 0);
        model.startGated(QStringLiteral("Importing media"), nullptr);
        QTRY_COMPARE(model.job().phase, JobPhase::completed);
        const JobProgress ended = model.job();
        changes.clear();
        model.cancel();
        QCOMPARE(changes.count(), 0);
        QCOMPARE(model.job(), ended);
    }

    void overallFractionOnlyGrowsWithinItsRange()
    {
        JobModel model(m_home.environment());
        Gate gate;
        const std::shared_ptr<PipelineScript> script = m_home.pipelines;
        model.start(QStringLiteral("Rendering export"), {}, {}, true, {},
                    [script, &gate](Job job) { return reportingBody(std::move(job), script, &gate); });
        QTRY_COMPARE(model.job().log, QStringLiteral("frame 12\n"));
        // 0.5 maps to 0.05 + 0.5 × 0.67; the later 0.3 maps lower and is ignored.
        QVERIFY(std::abs(*model.job().overallFraction - 0.385) < 1e-12);
        QCOMPARE(model.job().stage, QStringLiteral("Rendering clip 1 of 2"));
        QCOMPARE(model.job().fraction, std::optional(0.25));
        gate.open();
        QTRY_COMPARE(model.job().overallFraction, std::optional(1.0));
    }

    void postsOfAnEarlierOrFinishedJobAreDropped()
    {
        JobModel model(m_home.environment());
        std::optional<Job> first;
        model.startGated(QStringLiteral("First"), nullptr, [&first](const Job &job) { first = job; });
        QTRY_COMPARE(model.job().phase, JobPhase::completed);

        first->stage(QStringLiteral("Late stage"), 0.3);
        first->log(QStringLiteral("late line"));
        first->overall(0.9);
        first->writeBack([](StudioModel &session) { session.setAccount(QStringLiteral("Written back")); });
        QTRY_COMPARE(model.account(), QStringLiteral("Written back"));
        QCOMPARE(model.job().stage, QStringLiteral("Completed"));
        QCOMPARE(model.job().log, QString());

        Gate gate;
        model.startGated(QStringLiteral("Second"), &gate, {}, {}, true);
        QTRY_COMPARE(model.job().phase, JobPhase::running);
        first->stage(QStringLiteral("Late stage"), 0.3);
        first->log(QStringLiteral("late line"));
        first->overall(0.9);
        first->writeBack([](StudioModel &session) { session.setAccount(QStringLiteral("Written back again")); });
        QTRY_COMPARE(model.account(), QStringLiteral("Written back again"));
        QCOMPARE(model.job().stage, QStringLiteral("Second"));
        QCOMPARE(model.job().log, QString());
        QCOMPARE(model.job().overallFraction, std::optional(0.0));
        gate.open();
        QTRY_VERIFY(!model.busy());
    }

    void diskFullFailureExplainsTheDisk_data()
    {
        QTest::addColumn<bool>("projectOpen");
        QTest::addColumn<QString>("output");
        QTest::addColumn<std::optional<DiskSpaceCheck>>("check");
        QTest::addColumn<bool>("explained");
        const QString full = QStringLiteral("frame=  120\nav_interleaved_write_frame(): No Space Left On Device\n");
        const DiskSpaceCheck withPath{40'000'000'000, 1'500'000'000, QStringLiteral("Scratch"),
                                      QStringLiteral("/mnt/scratch")};
        const DiskSpaceCheck withoutPath{40'000'000'000, 1'500'000'000, QStringLiteral("Scratch"), std::nullopt};
        QTest::newRow("disk with a path") << true << full << std::optional(withPath) << true;
        QTest::newRow("disk without a path") << true << full << std::optional(withoutPath) << true;
        QTest::newRow("no estimate") << true << full << std::optional<DiskSpaceCheck>() << false;
        QTest::newRow("no project open") << false << full << std::optional(withPath) << false;
        QTest::newRow("another failure") << true << QStringLiteral("Invalid data found") << std::optional(withPath)
                                         << false;
    }
    void diskFullFailureExplainsTheDisk()
    {
        QFETCH(bool, projectOpen);
        QFETCH(QString, output);
        QFETCH(std::optional<DiskSpaceCheck>, check);
        QFETCH(bool, explained);
        StudioHome home;
        JobModel model(home.environment());
        if (projectOpen) {
            const QString folder = home.createProject(QStringLiteral("Trip"));
            model.activate(ProjectStore::open(folder), folder);
        }
        home.pipelines->diskSpace = check;
        const ProcessFailure failure(QStringLiteral("FFmpeg library"), 1, output);
        model.startGated(QStringLiteral("Rendering export"), nullptr, {}, [failure](const Job &) { throw failure; });
        QTRY_COMPARE(model.job().phase, JobPhase::failed);
        QString expected = failure.userMessage();
        if (explained) {
            expected = QStringLiteral("No space left while rendering on disk \"Scratch\"")
                + (check->diskPath ? QStringLiteral(" (/mnt/scratch)") : QString())
                + QStringLiteral(". It currently has ") + DiskSpaceCheck::formattedBytes(1'500'000'000)
                + QStringLiteral(" free. ") + check->message()
                + QStringLiteral(" Free space on the project or system temporary disk, then retry.");
        }
        QCOMPARE(model.error(), std::optional(expected));
        QCOMPARE(model.job().log, failure.diagnosticDescription() + QLatin1Char('\n'));
    }

    // The save after a job concerns an open project only: without one a job keeps its own message.
    void jobEndSavesOnlyAnOpenProject()
    {
        StudioHome home;
        JobModel model(home.environment());
        model.startGated(QStringLiteral("Checking automation destination"), nullptr);
        QTRY_COMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(model.error(), std::nullopt);
        model.startGated(QStringLiteral("Waiting for browser sign-in"), nullptr, {},
                         [](const Job &) { throw StudioError(QStringLiteral("The sign-in timed out.")); });
        QTRY_COMPARE(model.job().phase, JobPhase::failed);
        QCOMPARE(model.error(), std::optional<QString>(QStringLiteral("The sign-in timed out.")));

        const QString folder = home.createProject(QStringLiteral("Trip"));
        model.activate(ProjectStore::open(folder), folder);
        Gate gate;
        model.startGated(QStringLiteral("Importing media"), &gate);
        QTRY_COMPARE(model.job().phase, JobPhase::running);
        model.editProject([](StudioProject &project) { project.name = QStringLiteral("Renamed during the job"); });
        gate.open();
        QTRY_COMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(ProjectStore::open(folder).name, QStringLiteral("Renamed during the job"));
        QCOMPARE(model.saveStatus(), QStringLiteral("Saved"));
    }

    void destroyingTheSessionStopsItsJob()
    {
        auto model = std::make_unique<JobModel>(m_home.environment());
        auto pid = std::make_shared<std::atomic<qint64>>(0);
        auto continued = std::make_shared<bool>(false);
        auto unwound = std::make_shared<bool>(false);
        model->start(QStringLiteral("Preparing clips"), {}, {}, false, {}, [pid, continued, unwound](Job job) {
            return sleepingChildBody(std::move(job), pid, continued, unwound);
        });
        QTRY_VERIFY(*pid > 0);
        model.reset();
        QVERIFY(processGone(*pid));
        // The body resumes once more, to unwind without touching the session.
        QTRY_VERIFY(*unwound);
        QVERIFY(!*continued);
    }

    void destroyingTheSessionReleasesTheLockOnlyOnceItsChildIsGone()
    {
        const QString folder = m_home.createProject(QStringLiteral("Locked while the child lives"));
        auto model = std::make_unique<JobModel>(m_home.environment());
        model->activate(ProjectStore::open(folder), folder);
        auto pid = std::make_shared<std::atomic<qint64>>(0);
        auto continued = std::make_shared<bool>(false);
        auto unwound = std::make_shared<bool>(false);
        // A child that outlives SIGTERM, as an ffmpeg busy writing may for a moment.
        model->start(QStringLiteral("Rendering"), {}, {}, false, {}, [pid, continued, unwound](Job job) {
            return sleepingChildBody(std::move(job), pid, continued, unwound,
                                     QStringLiteral("prints-pid-and-ignores-term"));
        });
        QTRY_VERIFY(*pid > 0);

        // Watched from another thread while the session goes: when the lock is free, no child of
        // the session may still be there to write into the project.
        const QByteArray lockPath = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".kinoloom.lock")));
        std::atomic<int> childAliveAtRelease = -1;
        std::thread watcher([&lockPath, &childAliveAtRelease, pid] {
            const QDeadlineTimer deadline(30000);
            while (!deadline.hasExpired()) {
                const int descriptor = ::open(lockPath.constData(), O_RDWR | O_CLOEXEC);
                const bool free = descriptor >= 0 && ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
                if (descriptor >= 0)
                    ::close(descriptor);
                if (free) {
                    childAliveAtRelease = processGone(*pid) ? 0 : 1;
                    return;
                }
                QThread::msleep(5);
            }
        });
        model.reset();
        watcher.join();
        QCOMPARE(childAliveAtRelease.load(), 0);
        QVERIFY(!*continued);
    }

    void logKeepsItsLastCharacters_data()
    {
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("kept");
        const QString accent = QStringLiteral("e\u0301"); // two code points, one character
        const QString flag = QStringLiteral("\U0001F1EB\U0001F1F7"); // four UTF-16 units, one character
        QTest::newRow("short") << "one\n"
                               << "two"
                               << "one\ntwo\n";
        QTest::newRow("plain letters") << "" << QString(30001, QLatin1Char('a'))
                                       << QString(29999, QLatin1Char('a')) + "\n";
        QTest::newRow("exactly the limit") << "" << accent.repeated(29999) << accent.repeated(29999) + "\n";
        QTest::newRow("combining marks") << "" << accent.repeated(30005) << accent.repeated(29999) + "\n";
        QTest::newRow("flags") << flag.repeated(3) + "\n" << flag.repeated(29999) << flag.repeated(29999) + "\n";
        QTest::newRow("the old log goes first")
            << QString(20000, QLatin1Char('x')) + "\n"
            << QString(20000, QLatin1Char('y'))
            << QString(9998, QLatin1Char('x')) + "\n" + QString(20000, QLatin1Char('y')) + "\n";
    }
    void logKeepsItsLastCharacters()
    {
        QFETCH(QString, log);
        QFETCH(QString, line);
        QFETCH(QString, kept);
        QCOMPARE(appendedLog(log, line), kept);
    }

    void appendLogFeedsTheJobLog()
    {
        JobModel model(m_home.environment());
        const QString accent = QStringLiteral("e\u0301");
        for (int i = 0; i < 4; ++i)
            model.appendLog(accent.repeated(10000));
        // 40004 characters: the last 30000 are 29997 accented letters and three line feeds.
        QCOMPARE(model.job().log, (accent.repeated(10000) + "\n").repeated(4).right(2 * 29997 + 3));
    }
};

QTEST_MAIN(tst_JobEngine)
#include "tst_JobEngine.moc"
