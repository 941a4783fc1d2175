#pragma once

#include "session/PreviewPlayer.h"
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

namespace kinoloom {

class PlayerControlBar;

// Shows a PreviewPlayer: its latest frame fitted into the view and letterboxed on black, with
// the inline controls over the bottom, shown while the pointer is over the view and always
// while the player is paused.
//
// The player belongs to whoever passes it in: the view never deletes it, lets go of it when the
// view goes, and shows nothing once it is gone. Several views may show one player.
class VideoView : public QWidget
{
    Q_OBJECT

public:
    explicit VideoView(PreviewPlayer *player = nullptr, QWidget *parent = nullptr);

    PreviewPlayer *player() const { return m_player; }
    // Takes another player; the same one again changes nothing, so playback goes on.
    void setPlayer(PreviewPlayer *player);

    // Rounds the view's corners (the picture's too); 0 by default.
    void setCornerRadius(qreal radius);

    PlayerControlBar *controls() const { return m_controls; }
    // Where a frame of `frame` size is drawn inside `bounds`: as large as fits, centred.
    static QRect pictureRect(const QSize &frame, const QRect &bounds);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void detach();
    void showState();
    void placeControls();

    QPointer<PreviewPlayer> m_player;
    QList<QMetaObject::Connection> m_connections;
    PlayerControlBar *m_controls;
    bool m_hovered = false;
    qreal m_cornerRadius = 0;
};

} // namespace kinoloom
