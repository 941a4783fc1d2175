#pragma once

#include <QList>
#include <QMutex>
#include <QStringList>
#include <QUrl>

namespace kinoloom {

// The local files of one file drop, in the drop's order. Qt hands a drop's URLs over at once on
// the main thread, so the lock never waits; it keeps the collector safe should a platform hand
// them over piece by piece from threads of its own.
class DroppedURLs final
{
public:
    // Adds the URL when it names a local file; anything else (a web address) is passed over.
    void add(const QUrl &url);
    QStringList values() const;

private:
    mutable QMutex m_lock;
    QStringList m_paths;
};

} // namespace kinoloom
