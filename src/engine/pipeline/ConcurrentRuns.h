#pragma once

#include <exception>
#include <functional>
#include <optional>

namespace kinoloom {

class ProcessRunner;

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

// runConcurrently for tasks that run FFmpeg: each is handed a runner linked to `runner`, so a
// failing task stops the others without cancelling the job, and cancelling the job stops them
// all. Throws the job's cancellation, or else the first failure.
void runSideBySide(ProcessRunner &runner, int count, int atOnce, const std::function<void(ProcessRunner &, int)> &task);

} // namespace kinoloom
