#include "ui/media/ThumbnailFile.h"

#include "ui/shell/MediaThumbnail.h"

#include <QFileInfo>

namespace kinoloom {

const QImage &ThumbnailFile::image(const QString &path, bool *changed)
{
    const QDateTime modified = path.isEmpty() ? QDateTime() : QFileInfo(path).lastModified();
    const bool stale = !m_read || path != m_path || modified != m_modified;
    if (stale) {
        m_read = true;
        m_path = path;
        m_modified = modified;
        m_image = MediaThumbnail::readPicture(path);
    }
    if (changed)
        *changed = stale;
    return m_image;
}

} // namespace kinoloom
