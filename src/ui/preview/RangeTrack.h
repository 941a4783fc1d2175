#pragma once

#include "ui/preview/RangeGeometry.h"

#include <QWidget>

namespace kinoloom {

class RangeHandle;

// The range selector's track: the groove, the selection and the ticks, with the two handles
// placed on their times. Positions come from RangeGeometry; moves go out through the handles.
class RangeTrack : public QWidget
{
    Q_OBJECT

public:
    explicit RangeTrack(QWidget *parent = nullptr);

    void setRange(double start, double end, double duration);
    const RangeGeometry &geometry() const { return m_geometry; }
    RangeHandle *startHandle() const { return m_startHandle; }
    RangeHandle *endHandle() const { return m_endHandle; }
    // The time under `x` of this widget.
    double secondsAt(double x) const;

    static constexpr int trackHeight = 32;
    static constexpr int grooveHeight = 24;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void place();

    double m_start = 0;
    double m_end = 0;
    double m_duration = 0;
    RangeGeometry m_geometry;
    RangeHandle *m_startHandle;
    RangeHandle *m_endHandle;
};

} // namespace kinoloom
