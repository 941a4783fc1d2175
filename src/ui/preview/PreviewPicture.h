#pragma once

#include <QImage>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace kinoloom {

class PreviewPlayer;
class VideoView;

// The preview's single picture on black with rounded corners: the player when there is one,
// else the wait for a playback copy, else a still image, else the invitation to pick a clip.
class PreviewPicture : public QWidget
{
    Q_OBJECT

public:
    enum class Content { player, loading, still, empty };

    explicit PreviewPicture(QWidget *parent = nullptr);

    // `still` is drawn when there is no player and nothing loads; a null image: none.
    void showContent(PreviewPlayer *player, bool loading, const QImage &still);

    Content content() const { return m_content; }
    VideoView *view() const { return m_view; }
    // The words on the picture, empty while it shows a player or a still.
    QString message() const;

    static QString loadingText() { return QStringLiteral("Preparing movie for playback…"); }
    static QString emptyText() { return QStringLiteral("Select a clip to preview"); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Content m_content = Content::empty;
    QImage m_still;
    VideoView *m_view;
    QWidget *m_loading;
    QWidget *m_empty;
};

} // namespace kinoloom
