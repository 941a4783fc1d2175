#include "ui/shell/MediaThumbnail.h"
#include "ui/shell/Symbol.h"

#include <QImageReader>
#include <QPainter>

namespace kinoloom {

namespace {

QRect fitted(const QSize &content, const QRect &bounds)
{
    const QSize size = content.scaled(bounds.size(), Qt::KeepAspectRatio);
    return {bounds.x() + (bounds.width() - size.width()) / 2, bounds.y() + (bounds.height() - size.height()) / 2,
            size.width(), size.height()};
}

} // namespace

QImage MediaThumbnail::readPicture(const QString &path)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const int largest = MediaThumbnail::largestDecodedSide;
    if (size.isValid() && (size.width() > largest || size.height() > largest))
        reader.setScaledSize(size.scaled(largest, largest, Qt::KeepAspectRatio));
    return reader.read();
}

MediaThumbnail::MediaThumbnail(const QString &path, QWidget *parent)
    : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setPath(path);
}

void MediaThumbnail::setPath(const QString &path)
{
    m_path = path;
    m_image = readPicture(path);
    update();
}

QRect MediaThumbnail::pictureBox() const
{
    return fitted(QSize(16, 9), rect());
}

QRect MediaThumbnail::imageRect() const
{
    return m_image.isNull() ? QRect() : fitted(m_image.size(), pictureBox());
}

bool MediaThumbnail::hasHeightForWidth() const
{
    return true;
}

int MediaThumbnail::heightForWidth(int width) const
{
    return width * 9 / 16;
}

QSize MediaThumbnail::sizeHint() const
{
    return {320, 180};
}

QSize MediaThumbnail::minimumSizeHint() const
{
    return {64, 36};
}

void MediaThumbnail::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintPicture(painter, rect(), m_image, devicePixelRatioF());
}

void MediaThumbnail::paintPicture(QPainter &painter, const QRect &bounds, const QImage &image, qreal devicePixelRatio)
{
    const QRect box = fitted(QSize(16, 9), bounds);
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    painter.fillRect(box, Qt::black);
    if (!image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(fitted(image.size(), box), image);
    } else {
        const int extent = symbolExtent(placeholderTextSize);
        const QRect square(box.x() + (box.width() - extent) / 2, box.y() + (box.height() - extent) / 2, extent, extent);
        painter.drawPixmap(square,
                           symbolPixmap(QStringLiteral("film"), extent, QColor(142, 142, 147), SymbolWeight::regular,
                                        devicePixelRatio));
    }
    painter.restore();
}

} // namespace kinoloom
