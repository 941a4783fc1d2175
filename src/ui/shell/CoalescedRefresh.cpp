#include "ui/shell/CoalescedRefresh.h"

namespace kinoloom {

CoalescedRefresh::CoalescedRefresh(std::function<void()> refresh, QObject *parent)
    : QObject(parent)
    , m_refresh(std::move(refresh))
{
}

void CoalescedRefresh::schedule()
{
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(this, &CoalescedRefresh::run, Qt::QueuedConnection);
}

void CoalescedRefresh::runNow()
{
    m_pending = false;
    m_refresh();
}

void CoalescedRefresh::run()
{
    if (!m_pending)
        return;
    m_pending = false;
    m_refresh();
}

} // namespace kinoloom
