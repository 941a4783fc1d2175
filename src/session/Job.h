#pragma once

#include "model/ToolPaths.h"
#include "session/CancellationToken.h"
#include "session/EngineCall.h"
#include "session/MediaEngine.h"
#include "session/RenderPipeline.h"

#include <QString>

#include <qcoro/qcorotask.h>

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

class QThreadPool;

namespace kinoloom {

class HTTPTransport;
class ProcessRunner;
class StudioModel;

// Thrown out of an await of a job whose session has been destroyed meanwhile, so that the
// body unwinds without touching the session. Deliberately not an std::exception: a body's
// `catch (const std::exception &)` must let it pass. Never catch it in a body.
struct SessionEnded
{
};

// Where a session's jobs find it: set while the session lives, cleared first thing in its
// destructor. Read and written on the main thread only; only the shared_ptr crosses threads.
struct SessionLink
{
    StudioModel *session = nullptr;
};

// The overall fraction that a pipeline's own 0...1 maps into.
struct ProgressRange
{
    double low = 0;
    double high = 1;
};

// The state of one job that its body and the session share; the session keeps it as the
// running job's handle until the job ends.
struct JobShared
{
    quint64 serial = 0;
    std::shared_ptr<SessionLink> link;
    ToolPaths tools;
    std::shared_ptr<ProcessRunner> runner;
    std::shared_ptr<HTTPTransport> transport;
    std::shared_ptr<CancellationToken> cancellation;
    PipelineFactory makePipeline;
    MediaEngineFactory makeMediaEngine;
};

// What a job body receives: the job's own runner, transport and cancellation, its progress and
// log posts, and the awaits that keep the body safe.
//
// Rules for a body (a member coroutine of StudioModel taking its arguments by value):
// - Await only through `engine(...)` (blocking engine work, run on the session's pool) and
//   `await(...)` (a service coroutine). Both throw SessionEnded when the session went away
//   during the wait, so no line after an await runs on a destroyed session.
// - Write no lambda inside a co_await expression: g++ 12 destroys such a closure twice, which
//   with a captured const shared_ptr or std::function frees what is still in use. Name it
//   first: `auto work = [runner] { ... }; co_await job.engine(std::move(work));`. The same
//   holds for braced lists.
// - Check `checkCancellation()` between steps; the job's cancel reaches the runner, the
//   transport and whatever registered with `cancellation()` (a sign-in).
// - Progress goes through `stage`, `log` and `overall` (or a pipeline made by `pipeline`),
//   from any thread; such posts are dropped once this job is not the session's running job.
//   Data the body writes back into the project goes through `writeBack`, which is never dropped
//   while the session lives.
class Job
{
public:
    explicit Job(std::shared_ptr<JobShared> shared);

    quint64 serial() const { return m_shared->serial; }
    const ToolPaths &tools() const { return m_shared->tools; }
    const std::shared_ptr<ProcessRunner> &runner() const { return m_shared->runner; }
    const std::shared_ptr<HTTPTransport> &transport() const { return m_shared->transport; }
    CancellationToken &cancellation() const { return *m_shared->cancellation; }

    // Throws CancellationError once the job was cancelled.
    void checkCancellation() const;

    // Posts to the session's main thread, from any thread.
    void stage(const QString &text, std::optional<double> fraction = std::nullopt) const;
    void log(const QString &line) const;
    // A fraction of the whole job; the job's overall fraction only grows.
    void overall(double fraction) const;
    void writeBack(std::function<void(StudioModel &session)> change) const;

    // A render pipeline on this job's runner whose callbacks feed this job: its overall fraction
    // f becomes low + f × (high − low).
    std::unique_ptr<RenderPipeline> pipeline(ProgressRange range, bool reuseInterruptedJobCache = false) const;
    std::unique_ptr<MediaEngine> media() const;

    // Runs `work()` on the session's pool and hands back its result or its own exception.
    template <typename Work>
    auto engine(Work work) const -> QCoro::Task<std::invoke_result_t<Work &>>
    {
        checkCancellation();
        QThreadPool *const pool = threadPool();
        co_return co_await await(engineCall(pool, std::move(work)));
    }

    // Awaits a coroutine, then makes sure the session is still there.
    template <typename T>
    QCoro::Task<T> await(QCoro::Task<T> task) const
    {
        const std::shared_ptr<SessionLink> link = m_shared->link;
        try {
            if constexpr (std::is_void_v<T>) {
                co_await std::move(task);
            } else {
                T value = co_await std::move(task);
                requireSession(*link);
                co_return value;
            }
        } catch (const SessionEnded &) {
            throw;
        } catch (...) {
            requireSession(*link);
            throw;
        }
        requireSession(*link);
    }

private:
    static void requireSession(const SessionLink &link);
    QThreadPool *threadPool() const;
    void post(std::function<void(StudioModel &session)> change) const;

    std::shared_ptr<JobShared> m_shared;
};

// A job body: called on the main thread once the job leaves the queue.
using JobBody = std::function<QCoro::Task<>(Job job)>;

} // namespace kinoloom
