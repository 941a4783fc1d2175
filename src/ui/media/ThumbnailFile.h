#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

namespace kinoloom {

// A thumbnail file as a view paints it: read when first asked for, and again once the path
// changes or the file was rewritten in place (the middle-frame choice rewrites every thumbnail
// under its old name).
class ThumbnailFile
{
public:
    // The image at `path`, null when there is none; `changed` is set when it was read anew.
    const QImage &image(const QString &path, bool *changed = nullptr);

private:
    QString m_path;
    QDateTime m_modified;
    QImage m_image;
    bool m_read = false;
};

} // namespace kinoloom
