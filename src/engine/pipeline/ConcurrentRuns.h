#pragma once

#include <exception>
#include <functional>
#include <optional>

namespace kinoloom {

struct ConcurrentFailure
{
    int position = 0;
    std::exception_ptr error;
};

// Runs `task` for every position from 0 to `count` − 1 on `atOnce` threads (the calling one
// among them), each taking the next position in order. After a failure no position starts; the
// first failure that is no cancellation calls `stop`, which stops the tasks still running, and
// is returned once every thread has ended. Cancellations alone return nothing.
std::optional<ConcurrentFailure> runConcurrently(int count, int atOnce, const std::function<void(int)> &task,
                                                 const std::function<void()> &stop);

} // namespace kinoloom
