#include "ui/media/DroppedURLs.h"

#include <QMutexLocker>

namespace kinoloom {

void DroppedURLs::add(const QUrl &url)
{
    if (!url.isLocalFile() || url.toLocalFile().isEmpty())
        return;
    const QMutexLocker locker(&m_lock);
    m_paths.append(url.toLocalFile());
}

QStringList DroppedURLs::values() const
{
    const QMutexLocker locker(&m_lock);
    return m_paths;
}

} // namespace kinoloom
