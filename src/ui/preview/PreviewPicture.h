#pragma once

#include <QDateTime>
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

    // The image at `stillPath` is drawn when there is no player and nothing loads; a path that
    // is empty or holds no image shows the empty state.
    void showContent(PreviewPlayer *player, bool loading, const QString &stillPath);

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
    // The still as it is on disk now: read again when the file changed, but not at every
    // refresh, which a slider dragged over a still's grade asks for many times a second.
    const QImage &still(const QString &path);

    Content m_content = Content::empty;
    QImage m_still;
    QString m_stillPath;
    QDateTime m_stillModified;
    qint64 m_stillSize = -1;
    VideoView *m_view;
    QWidget *m_loading;
    QWidget *m_empty;
};

} // namespace kinoloom
