#include "ui/preview/VideoView.h"

#include "session/PreviewPlayer.h"
#include "ui/preview/PlayerControlBar.h"
#include "ui/shell/StudioStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace kinoloom {

VideoView::VideoView(PreviewPlayer *player, QWidget *parent)
    : QWidget(parent)
    , m_controls(new PlayerControlBar(this))
{
    setObjectName(QStringLiteral("videoView"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(m_controls, &PlayerControlBar::playPauseRequested, this, [this] {
        if (!m_player)
            return;
        if (m_player->playing())
            m_player->pause();
        else
            m_player->play();
    });
    connect(m_controls, &PlayerControlBar::seekRequested, this, [this](double seconds) {
        if (m_player)
            m_player->seek(seconds);
    });
    setPlayer(player);
}

void VideoView::setPlayer(PreviewPlayer *player)
{
    if (player == m_player && (player || m_connections.isEmpty()))
        return;
    detach();
    m_player = player;
    if (player) {
        auto refresh = [this] { showState(); };
        m_connections = {
            connect(player, &PreviewPlayer::frameChanged, this, qOverload<>(&QWidget::update)),
            connect(player, &PreviewPlayer::positionChanged, this, refresh),
            connect(player, &PreviewPlayer::durationChanged, this, refresh),
            connect(player, &PreviewPlayer::playingChanged, this, refresh),
            // A player deleted by its owner: nothing left to show.
            connect(player, &QObject::destroyed, this, [this] { setPlayer(nullptr); }),
        };
    }
    showState();
    update();
}

void VideoView::detach()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
}

void VideoView::showState()
{
    if (m_player)
        m_controls->showState(m_player->position(), m_player->duration(), m_player->playing());
    m_controls->setVisible(m_player && (m_hovered || !m_player->playing()));
}

QRect VideoView::pictureRect(const QSize &frame, const QRect &bounds)
{
    if (frame.isEmpty() || bounds.isEmpty())
        return {};
    const QSize fitted = frame.scaled(bounds.size(), Qt::KeepAspectRatio);
    return QRect(bounds.x() + (bounds.width() - fitted.width()) / 2,
                 bounds.y() + (bounds.height() - fitted.height()) / 2, fitted.width(), fitted.height());
}

QSize VideoView::sizeHint() const
{
    return {480, 270};
}

QSize VideoView::minimumSizeHint() const
{
    return {0, 0};
}

void VideoView::setCornerRadius(qreal radius)
{
    m_cornerRadius = radius;
    update();
}

void VideoView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
    painter.fillPath(shape, Qt::black);
    if (!m_player || m_player->frame().isNull())
        return;
    const QImage &frame = m_player->frame();
    const QRect picture = pictureRect(frame.size(), rect());
    if (picture.isEmpty())
        return;
    // Filled through a brush so that the rounded corners cut the picture smoothly.
    QBrush brush(frame);
    brush.setTransform(QTransform::fromTranslate(picture.x(), picture.y())
                           .scale(double(picture.width()) / frame.width(), double(picture.height()) / frame.height()));
    QPainterPath area;
    area.addRect(QRectF(picture));
    painter.fillPath(shape.intersected(area), brush);
}

void VideoView::resizeEvent(QResizeEvent *)
{
    placeControls();
}

void VideoView::placeControls()
{
    const int margin = std::min(StudioStyle::compact, width() / 16);
    m_controls->setGeometry(margin, height() - margin - PlayerControlBar::barHeight, width() - 2 * margin,
                            PlayerControlBar::barHeight);
}

void VideoView::enterEvent(QEnterEvent *)
{
    m_hovered = true;
    showState();
}

void VideoView::leaveEvent(QEvent *)
{
    m_hovered = false;
    showState();
}

} // namespace kinoloom
