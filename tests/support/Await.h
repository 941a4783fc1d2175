#pragma once

// Runs a coroutine to its end in a nested event loop and hands back its value or its
// exception. QCoro::waitFor alone never returns when the task throws.

#include <qcoro/qcorotask.h>

#include <exception>
#include <optional>

namespace kinoloom::test {

template <typename T>
struct Outcome
{
    std::optional<T> value;
    std::exception_ptr error;

    // The error's message when it is of type E, else an empty optional.
    template <typename E>
    std::optional<QString> message() const
    {
        if (!error)
            return std::nullopt;
        try {
            std::rethrow_exception(error);
        } catch (const E &e) {
            if constexpr (requires { e.message(); })
                return e.message();
            else
                return QString::fromUtf8(e.what());
        } catch (...) {
        }
        return std::nullopt;
    }

    template <typename E>
    bool failedWith() const
    {
        if (!error)
            return false;
        try {
            std::rethrow_exception(error);
        } catch (const E &) {
            return true;
        } catch (...) {
        }
        return false;
    }
};

struct Done
{
};

namespace detail {
template <typename T>
QCoro::Task<Outcome<T>> capture(QCoro::Task<T> task)
{
    Outcome<T> outcome;
    try {
        outcome.value = co_await task;
    } catch (...) {
        outcome.error = std::current_exception();
    }
    co_return outcome;
}

inline QCoro::Task<Outcome<Done>> captureVoid(QCoro::Task<> task)
{
    Outcome<Done> outcome;
    try {
        co_await task;
        outcome.value = Done{};
    } catch (...) {
        outcome.error = std::current_exception();
    }
    co_return outcome;
}
} // namespace detail

template <typename T>
Outcome<T> await(QCoro::Task<T> task)
{
    return QCoro::waitFor(detail::capture<T>(std::move(task)));
}

inline Outcome<Done> await(QCoro::Task<> task)
{
    return QCoro::waitFor(detail::captureVoid(std::move(task)));
}

} // namespace kinoloom::test
