#pragma once

#include <QAbstractButton>
#include <QImage>

namespace kinoloom {

// One thumbnail candidate of a render: its picture at 96 × 54 with rounded corners and, under
// it, its file name without the extension after a filled check mark when it is the chosen
// thumbnail (an empty circle otherwise); the chosen one sits on a faint tint. A click chooses it.
class ThumbnailTile : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ThumbnailTile(const QString &path, QWidget *parent = nullptr);

    QString path() const { return m_path; }
    bool isMarked() const { return m_marked; }
    void setMarked(bool marked);

    QSize sizeHint() const override;

    static constexpr QSize pictureSize{96, 54};
    static constexpr qreal markedOpacity = 0.09;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
    QImage m_picture;
    bool m_marked = false;
};

} // namespace kinoloom
