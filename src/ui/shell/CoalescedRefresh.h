#pragma once

#include <QObject>

#include <functional>

namespace kinoloom {

// Runs `refresh` once on the next event-loop turn however many times `schedule()` was called
// in this one, so a view that listens to several of the session's changed signals redraws once
// after an operation that changed many properties, and reads them all settled.
class CoalescedRefresh : public QObject
{
    Q_OBJECT

public:
    CoalescedRefresh(std::function<void()> refresh, QObject *parent);

    void schedule();
    // Runs it now, dropping a scheduled run.
    void runNow();

    // Schedules a refresh on every one of `changes` of `sender`.
    template <typename Sender, typename... Changes>
    void follow(Sender *sender, Changes... changes)
    {
        (connect(sender, changes, this, &CoalescedRefresh::schedule), ...);
    }

private:
    void run();

    std::function<void()> m_refresh;
    bool m_pending = false;
};

} // namespace kinoloom
