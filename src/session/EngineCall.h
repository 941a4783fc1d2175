#pragma once

// Awaiting blocking engine work from a coroutine on the main thread.
//
// The engine blocks and throws; the session's jobs are coroutines on the event loop. The work
// runs on the given pool (the session's own, never the global one, which a render and a proxy
// would fill on a small machine) and the coroutine resumes on its own thread when it is done.
//
// The engine's own exception comes back as it was thrown: a CancellationError stays a
// cancellation and a ProcessFailure keeps its user message. (QtConcurrent would wrap every
// exception that is not a QException in QUnhandledException; here the worker catches it
// first, and a wrapped one is unwrapped all the same.)

#include <QFuture>
#include <QThreadPool>
#include <QUnhandledException>
#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcorofuture.h>
#include <qcoro/qcorotask.h>

#include <exception>
#include <optional>
#include <type_traits>

namespace kinoloom {

namespace detail {

template <typename Result>
struct EngineOutcome
{
    std::optional<Result> value;
    std::exception_ptr error;
};

template <>
struct EngineOutcome<void>
{
    std::exception_ptr error;
};

template <typename Result>
QCoro::Task<EngineOutcome<Result>> awaitOutcome(QFuture<EngineOutcome<Result>> future)
{
    try {
        co_return co_await future;
    } catch (const QUnhandledException &wrapped) {
        EngineOutcome<Result> outcome;
        outcome.error = wrapped.exception() ? wrapped.exception() : std::current_exception();
        co_return outcome;
    }
}

} // namespace detail

// Runs `work()` on `pool` and hands back its result, or rethrows what it threw. `work` is moved
// to the worker: give it values, never references into a coroutine frame or the session.
template <typename Work>
auto engineCall(QThreadPool *pool, Work work) -> QCoro::Task<std::invoke_result_t<Work &>>
{
    using Result = std::invoke_result_t<Work &>;
    using Outcome = detail::EngineOutcome<Result>;
    QFuture<Outcome> future = QtConcurrent::run(pool, [work = std::move(work)]() mutable {
        Outcome outcome;
        try {
            if constexpr (std::is_void_v<Result>)
                work();
            else
                outcome.value.emplace(work());
        } catch (...) {
            outcome.error = std::current_exception();
        }
        return outcome;
    });
    Outcome outcome = co_await detail::awaitOutcome<Result>(std::move(future));
    if (outcome.error)
        std::rethrow_exception(outcome.error);
    if constexpr (!std::is_void_v<Result>)
        co_return std::move(*outcome.value);
}

} // namespace kinoloom
