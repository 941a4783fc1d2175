#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace kinoloom {

class CoalescedRefresh;
class RangeTrack;
class StudioModel;

// Chooses the stretch of the selected video clip that goes into the film: the selection's
// length, a track with handles for the in and out points, and the two times. It shows the
// clip's edit range as the session stores it and sends every move to the session, which
// clamps it (one-frame gap, the clip's end, the five-second cap). Disabled while a job runs,
// while the clip's file is missing, and for a clip without a usable length.
class ClipRangeSelector : public QWidget
{
    Q_OBJECT

public:
    explicit ClipRangeSelector(StudioModel *model, QWidget *parent = nullptr);

    RangeTrack *track() const { return m_track; }
    QPushButton *resetButton() const { return m_reset; }
    QString selectedText() const;
    QString startText() const;
    QString endText() const;
    bool showsCap() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();
    void requestBoundary(bool start, double seconds);

    QPointer<StudioModel> m_model;
    RangeTrack *m_track;
    QWidget *m_cap;
    QLabel *m_selected;
    QPushButton *m_reset;
    QLabel *m_start;
    QLabel *m_end;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom
