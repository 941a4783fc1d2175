#include "session/CancellationToken.h"

#include "model/CancellationError.h"

namespace kinoloom {

void CancellationToken::cancel()
{
    std::vector<std::function<void()>> actions;
    {
        std::lock_guard guard(m_lock);
        if (m_cancelled)
            return;
        m_cancelled = true;
        actions.swap(m_actions);
    }
    for (const std::function<void()> &action : actions)
        action();
}

bool CancellationToken::isCancelled() const
{
    std::lock_guard guard(m_lock);
    return m_cancelled;
}

void CancellationToken::checkCancellation() const
{
    if (isCancelled())
        throw CancellationError();
}

void CancellationToken::onCancel(std::function<void()> action)
{
    {
        std::lock_guard guard(m_lock);
        if (!m_cancelled) {
            m_actions.push_back(std::move(action));
            return;
        }
    }
    action();
}

} // namespace kinoloom
