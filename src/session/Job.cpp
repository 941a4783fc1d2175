#include "session/Job.h"

#include "engine/process/ProcessRunner.h"
#include "session/StudioModel.h"

#include <QCoreApplication>

namespace kinoloom {

Job::Job(std::shared_ptr<JobShared> shared)
    : m_shared(std::move(shared))
{
}

void Job::checkCancellation() const
{
    m_shared->cancellation->checkCancellation();
    m_shared->runner->checkCancellation();
}

void Job::stage(const QString &text, std::optional<double> fraction) const
{
    const quint64 serial = m_shared->serial;
    post([serial, text, fraction](StudioModel &session) { session.postedStage(serial, text, fraction); });
}

void Job::log(const QString &line) const
{
    const quint64 serial = m_shared->serial;
    post([serial, line](StudioModel &session) { session.postedLog(serial, line); });
}

void Job::overall(double fraction) const
{
    const quint64 serial = m_shared->serial;
    post([serial, fraction](StudioModel &session) { session.postedOverall(serial, fraction); });
}

void Job::writeBack(std::function<void(StudioModel &)> change) const
{
    post(std::move(change));
}

std::unique_ptr<RenderPipeline> Job::pipeline(ProgressRange range, bool reuseInterruptedJobCache) const
{
    const Job job = *this;
    PipelineSetup setup;
    setup.tools = m_shared->tools;
    setup.runner = m_shared->runner;
    setup.reuseInterruptedJobCache = reuseInterruptedJobCache;
    setup.update = [job](const QString &stage, std::optional<double> fraction) { job.stage(stage, fraction); };
    setup.log = [job](const QString &line) { job.log(line); };
    // Mapped where it is reported, so that each post carries the value of its own moment.
    setup.overallUpdate = [job, range](double fraction) {
        job.overall(range.low + fraction * (range.high - range.low));
    };
    return m_shared->makePipeline(std::move(setup));
}

std::unique_ptr<MediaEngine> Job::media() const
{
    return m_shared->makeMediaEngine(m_shared->tools, m_shared->runner);
}

void Job::requireSession(const SessionLink &link)
{
    if (!link.session)
        throw SessionEnded();
}

QThreadPool *Job::threadPool() const
{
    requireSession(*m_shared->link);
    return &m_shared->link->session->m_pool;
}

void Job::post(std::function<void(StudioModel &)> change) const
{
    QCoreApplication *const application = QCoreApplication::instance();
    if (!application)
        return;
    // Delivered on the main thread, where the link may be read; never run inside the caller.
    QMetaObject::invokeMethod(
        application,
        [link = m_shared->link, change = std::move(change)] {
            if (link->session)
                change(*link->session);
        },
        Qt::QueuedConnection);
}

} // namespace kinoloom
