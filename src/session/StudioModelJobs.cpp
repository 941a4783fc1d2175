#include "session/StudioModel.h"

#include "engine/disk/DiskSpaceCheck.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "services/HTTPTransport.h"
#include "session/FailureDescription.h"
#include "session/JobLog.h"

#include <algorithm>

namespace kinoloom {

void StudioModel::start(const QString &title, std::function<void()> retry, std::function<void()> restart,
                        bool tracksOverallProgress, const QStringList &steps, JobBody operation)
{
    if (busy())
        return;
    auto shared = std::make_shared<JobShared>();
    shared->serial = ++m_jobSerial;
    shared->link = m_link;
    shared->tools = m_tools;
    shared->runner = m_environment.makeRunner();
    shared->transport = m_environment.makeTransport();
    shared->cancellation = std::make_shared<CancellationToken>();
    shared->makePipeline = m_environment.makePipeline;
    shared->makeMediaEngine = m_environment.makeMediaEngine;
    shared->cancellation->onCancel([runner = shared->runner] { runner->cancel(); });
    shared->cancellation->onCancel([transport = shared->transport] { transport->cancel(); });

    m_runner = shared->runner;
    m_retryAction = std::move(retry);
    m_restartAction = std::move(restart);
    JobProgress job;
    job.phase = JobPhase::queued;
    job.stage = title;
    job.started = m_environment.now();
    job.steps = steps;
    if (tracksOverallProgress)
        job.overallFraction = 0.0;
    setJob(std::move(job));
    m_task = shared;

    // The body runs after the current main-thread work, never inside this call. A session
    // destroyed before then drops the call with itself.
    QMetaObject::invokeMethod(
        this, [this, shared, operation = std::move(operation)] { runJob(shared, operation); }, Qt::QueuedConnection);
}

QCoro::Task<> StudioModel::runJob(std::shared_ptr<JobShared> shared, JobBody operation)
{
    const std::shared_ptr<SessionLink> link = shared->link;
    // A job cancelled while queued stays cancelling and never runs its operation.
    if (m_jobSerial == shared->serial && m_job.phase == JobPhase::queued)
        editJob([](JobProgress &job) { job.phase = JobPhase::running; });
    std::exception_ptr failure;
    try {
        const Job job(shared);
        job.checkCancellation();
        co_await operation(job);
        // Work that ended just after a cancel still ends as cancelled.
        job.checkCancellation();
    } catch (const SessionEnded &) {
        co_return;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!link->session)
        co_return;
    finishJob(*shared, failure);
}

void StudioModel::finishJob(const JobShared &shared, std::exception_ptr failure)
{
    // A job whose display another project's activation replaced has nothing left to report.
    if (shared.serial != m_jobSerial || !busy())
        return;
    if (!failure) {
        editJob([](JobProgress &job) {
            job.phase = JobPhase::completed;
            job.stage = QStringLiteral("Completed");
            job.fraction = 1.0;
            job.completedSteps = int(job.steps.size());
            if (job.overallFraction)
                job.overallFraction = 1.0;
        });
    } else {
        bool cancellation = false;
        try {
            std::rethrow_exception(failure);
        } catch (const CancellationError &) {
            cancellation = true;
        } catch (...) {
        }
        if (cancellation) {
            editJob([](JobProgress &job) {
                job.phase = JobPhase::cancelled;
                job.stage = QStringLiteral("Cancelled — completed work is preserved");
                job.fraction.reset();
            });
        } else if (shared.cancellation->isCancelled()) {
            editJob([](JobProgress &job) {
                job.phase = JobPhase::cancelled;
                job.stage = QStringLiteral("Cancelled");
            });
        } else {
            editJob([](JobProgress &job) {
                job.phase = JobPhase::failed;
                job.stage = QStringLiteral("Failed at ") + job.stage;
            });
            try {
                std::rethrow_exception(failure);
            } catch (const ProcessFailure &processFailure) {
                setError(diskFullMessage(processFailure).value_or(processFailure.userMessage()));
                appendLog(processFailure.diagnosticDescription());
            } catch (...) {
                const QString description = describeFailure(failure);
                setError(description);
                appendLog(description);
            }
        }
    }
    m_runner.reset();
    m_task.reset();
    // A job run with no project open (a sign-in, say) keeps its own message, and a success
    // raises no "Open a project before saving.".
    if (m_root)
        save();
}

void StudioModel::appendLog(const QString &text)
{
    editJob([&text](JobProgress &job) { job.log = appendedLog(job.log, text); });
}

void StudioModel::cancel()
{
    if (m_automationSpaceContinuation)
        cancelLowSpaceWarning();
    if (!busy())
        return;
    editJob([](JobProgress &job) {
        job.phase = JobPhase::cancelling;
        job.stage = QStringLiteral("Cancelling…");
    });
    if (m_task)
        m_task->cancellation->cancel();
    else if (m_runner)
        m_runner->cancel();
}

void StudioModel::retry()
{
    if (const std::function<void()> action = m_retryAction)
        action();
}

void StudioModel::restart()
{
    if (const std::function<void()> action = m_restartAction)
        action();
}

void StudioModel::continueAfterLowSpaceWarning()
{
    if (answerWaitingAutomation(true))
        return;
    const std::function<void()> action = std::exchange(m_lowSpaceContinuation, {});
    setShowLowSpaceWarning(false);
    if (action)
        action();
}

void StudioModel::cancelLowSpaceWarning()
{
    if (answerWaitingAutomation(false))
        return;
    m_lowSpaceContinuation = {};
    setShowLowSpaceWarning(false);
}

bool StudioModel::answerWaitingAutomation(bool proceed)
{
    if (!m_automationSpaceContinuation)
        return false;
    const std::function<void(bool)> resume = std::exchange(m_automationSpaceContinuation, {});
    setShowLowSpaceWarning(false);
    resume(proceed);
    return true;
}

std::optional<QString> StudioModel::diskFullMessage(const ProcessFailure &failure)
{
    if (!failure.output().contains(QLatin1String("no space left on device"), Qt::CaseInsensitive))
        return std::nullopt;
    if (!m_root)
        return std::nullopt;
    // The film's estimate, also when the failed render was a preview.
    const std::optional<DiskSpaceCheck> check = renderSpaceCheck(m_project, *m_root, false);
    if (!check)
        return std::nullopt;
    QString message = QStringLiteral("No space left while rendering on disk \"%1\"").arg(check->diskName);
    if (check->diskPath)
        message += QStringLiteral(" (%1)").arg(*check->diskPath);
    return message + QStringLiteral(". It currently has ") + DiskSpaceCheck::formattedBytes(check->availableBytes)
        + QStringLiteral(" free. ") + check->message()
        + QStringLiteral(" Free space on the project or system temporary disk, then retry.");
}

void StudioModel::restoreResumeActions()
{
    if (!m_project.resumeState)
        return;
    const RenderResumeState state = *m_project.resumeState;
    JobProgress job;
    job.phase = JobPhase::failed;
    job.stage = QStringLiteral("Render interrupted. Resume to continue.");
    job.started = m_environment.now();
    setJob(std::move(job));
    setShowResumePrompt(true);
    editJob([&state, this](JobProgress &progress) {
        progress.steps = JobProgress::exportSteps(state.preview, state.prepareOnly, m_project.settings.makeShort);
        progress.completedSteps = state.resumeFromRender ? 1 : 0;
    });
    const QPointer<StudioModel> self(this);
    m_retryAction = [self, state] {
        if (self)
            self->resumeFilmRoad(state.preview, state.prepareOnly);
    };
    m_restartAction = [self, state] {
        if (self)
            self->restartFilmRoad(state.preview, state.prepareOnly);
    };
}

void StudioModel::postedStage(quint64 serial, const QString &stage, std::optional<double> fraction)
{
    // While cancelling, the stage keeps saying so.
    if (serial != m_jobSerial || m_job.phase != JobPhase::running)
        return;
    editJob([&stage, fraction](JobProgress &job) {
        job.stage = stage;
        job.fraction = fraction;
    });
}

void StudioModel::postedLog(quint64 serial, const QString &line)
{
    if (serial != m_jobSerial || !busy())
        return;
    appendLog(line);
}

void StudioModel::postedOverall(quint64 serial, double fraction)
{
    if (serial != m_jobSerial || !busy() || !m_job.overallFraction)
        return;
    editJob([fraction](JobProgress &job) { job.overallFraction = std::max(*job.overallFraction, fraction); });
}

} // namespace kinoloom
