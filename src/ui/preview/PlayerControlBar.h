#pragma once

#include <QWidget>

class QLabel;
class QSlider;

namespace kinoloom {

class SymbolButton;

// The inline controls drawn over the bottom of a picture: play or pause, a position slider and
// "current / total" time. It shows what it is told and reports what the user asks for; the view
// that holds it talks to the player.
class PlayerControlBar : public QWidget
{
    Q_OBJECT

public:
    explicit PlayerControlBar(QWidget *parent = nullptr);

    // Seconds. The slider keeps its place while the user holds it.
    void showState(double position, double duration, bool playing);

    SymbolButton *playButton() const { return m_play; }
    QSlider *slider() const { return m_slider; }
    QString timeText() const;

    static constexpr int barHeight = 32;

Q_SIGNALS:
    void playPauseRequested();
    // The user moved the slider to `seconds`.
    void seekRequested(double seconds);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SymbolButton *m_play;
    QSlider *m_slider;
    QLabel *m_time;
};

} // namespace kinoloom
