#pragma once

#include <QWidget>

namespace kinoloom {

// One handle of the clip range selector, the in point (`start`) or the out point. It shows
// where its time is and asks for moves; the selector passes them to the session, which clamps
// them, and places the handle where the stored range puts it.
//
// Dragging reports the pointer's place across the track; Left and Right step one frame; for
// assistive technology it is a slider whose value is "%.2f s", with increase and decrease
// actions of a tenth of a second.
class RangeHandle : public QWidget
{
    Q_OBJECT

public:
    RangeHandle(bool start, QWidget *track);

    bool isStart() const { return m_start; }
    double time() const { return m_time; }
    void setTime(double seconds);
    // Seconds a Left or Right press moves; 0: the keys do nothing.
    void setFrameStep(double seconds) { m_frameStep = seconds; }
    QString valueText() const;
    // Asks for the time `delta` seconds from the handle's own.
    void nudge(double delta);

    static constexpr QSize hitSize{28, 36};
    static constexpr QSize gripSize{14, 32};
    static constexpr double accessibleStep = 0.1;

    QSize sizeHint() const override { return hitSize; }

Q_SIGNALS:
    // The pointer is at `x` in the track's coordinates.
    void dragged(double x);
    void moveRequested(double seconds);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_start;
    double m_time = 0;
    double m_frameStep = 0;
};

} // namespace kinoloom
