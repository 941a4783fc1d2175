#pragma once

#include <QWidget>

namespace kinoloom {

class PreviewPlayer;
class VideoView;

// One side of the preview's comparison: a player on black with rounded corners and a caption
// badge in its top-left corner ("Original" with a photo, anything else with a wand).
class ComparisonPanel : public QWidget
{
    Q_OBJECT

public:
    explicit ComparisonPanel(const QString &caption, QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    QWidget *badge() const { return m_badge; }
    VideoView *view() const { return m_view; }
    void setPlayer(PreviewPlayer *player);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QString m_caption;
    VideoView *m_view;
    QWidget *m_badge;
};

} // namespace kinoloom
