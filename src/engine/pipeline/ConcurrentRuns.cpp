#include "engine/pipeline/ConcurrentRuns.h"

#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace kinoloom {

std::optional<ConcurrentFailure> runConcurrently(int count, int atOnce, const std::function<void(int)> &task,
                                                 const std::function<void()> &stop)
{
    std::mutex lock;
    int next = 0;
    bool stopped = false;
    std::optional<ConcurrentFailure> failure;
    const auto worker = [&] {
        for (;;) {
            int position = 0;
            {
                const std::lock_guard guard(lock);
                if (stopped || next >= count)
                    return;
                position = next++;
            }
            try {
                task(position);
            } catch (const CancellationError &) {
                const std::lock_guard guard(lock);
                stopped = true;
            } catch (...) {
                bool first = false;
                {
                    const std::lock_guard guard(lock);
                    stopped = true;
                    first = !failure;
                    if (first)
                        failure = ConcurrentFailure{position, std::current_exception()};
                }
                if (first)
                    stop();
            }
        }
    };
    std::vector<std::thread> threads;
    for (int i = 1; i < std::min(atOnce, count); ++i) {
        try {
            threads.emplace_back(worker);
        } catch (const std::system_error &) {
            break; // fewer threads still render every segment
        }
    }
    worker();
    for (std::thread &thread : threads)
        thread.join();
    return failure;
}

void runSideBySide(ProcessRunner &runner, int count, int atOnce, const std::function<void(ProcessRunner &, int)> &task)
{
    const std::shared_ptr<ProcessRunner> group = runner.linked();
    const std::optional<ConcurrentFailure> failure = runConcurrently(
        count, atOnce, [&](int n) { task(*group, n); }, [&] { group->cancel(); });
    runner.checkCancellation();
    if (failure)
        std::rethrow_exception(failure->error);
}

} // namespace kinoloom
