#pragma once

#include <functional>
#include <mutex>
#include <vector>

namespace kinoloom {

// The one cancellation of a job, shared by everything the job made: its process runner, its
// HTTP transports and a browser sign-in each register how they are stopped, and one `cancel()`
// stops them all. Cancelling is final.
//
// Any thread may cancel or ask. The registered actions run once, on the thread that cancels,
// outside the lock (an action may take its own locks or post to an event loop).
class CancellationToken
{
public:
    void cancel();
    bool isCancelled() const;
    // Throws CancellationError once cancelled.
    void checkCancellation() const;

    // Runs `action` on cancellation, or at once on this thread when the token is cancelled already.
    void onCancel(std::function<void()> action);

private:
    mutable std::mutex m_lock; // guards the two below
    bool m_cancelled = false;
    std::vector<std::function<void()>> m_actions;
};

} // namespace kinoloom
