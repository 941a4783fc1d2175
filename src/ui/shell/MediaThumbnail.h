#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

namespace kinoloom {

// A 16:9 black box fitted into the widget, showing the image file at `path` scaled to fit with
// black bars, or the "film" symbol in grey when there is no path or the file is not a readable
// image. The file is read when the path is set; nothing is reported when it cannot be.
class MediaThumbnail : public QWidget
{
    Q_OBJECT

public:
    explicit MediaThumbnail(const QString &path = {}, QWidget *parent = nullptr);

    QString path() const { return m_path; }
    void setPath(const QString &path);
    bool showsImage() const { return !m_image.isNull(); }

    // The 16:9 box within the widget's rectangle, and where the image lies inside it.
    QRect pictureBox() const;
    QRect imageRect() const;

    // The same picture for views that draw it themselves (clipped, under an overlay): the image
    // read as setPath reads it (null when there is none), and the 16:9 box fitted into `bounds`
    // painted with it, or with the placeholder when `image` is null.
    static QImage readPicture(const QString &path);
    static void paintPicture(QPainter &painter, const QRect &bounds, const QImage &image, qreal devicePixelRatio);

    static constexpr int placeholderTextSize = 17;
    // Images larger than this on either side are decoded at a reduced size.
    static constexpr int largestDecodedSide = 2048;

    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
    QImage m_image;
};

} // namespace kinoloom
