#pragma once

#include "model/MediaAsset.h"

#include <QFutureWatcher>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include <optional>

class QLabel;

namespace kinoloom {

class AnalysisGraph;
class FrameAnalysisData;
class StudioModel;

// The luma histogram, the RGB histograms and the luma waveform of the frame the graded preview
// shows, measured once a second while the panel is on screen, playing or paused, so a grade
// change shows within a second. Each tick measures the session's player of that moment: a
// player replaced since (the clip selected again, a playback copy ready) is not measured.
//
// The frame is scaled to fit 512 × 288 and measured on a worker; a measurement that ends after
// the clip changed or the panel left the screen is dropped. Without a frame to measure it shows
// "Frame analysis unavailable" and tries again next tick.
class FrameAnalysisPanel : public QWidget
{
    Q_OBJECT

public:
    explicit FrameAnalysisPanel(StudioModel *model, QWidget *parent = nullptr);
    ~FrameAnalysisPanel() override;

    // The clip whose preview is measured; another clip starts measuring afresh.
    void setAsset(const std::optional<MediaAsset> &asset);

    // Four lists of 64 bin heights (luma, red, green, blue) after a measurement; empty until the
    // first one and after a failed one.
    const QList<QList<double>> &channels() const { return m_channels; }
    const QList<QPointF> &waveform() const { return m_waveform; }
    bool showsGraphs() const;
    QList<AnalysisGraph *> graphs() const { return m_graphs; }

    // One measurement of the current preview frame; what it finds arrives later (measured()).
    void measureFrame();

    static constexpr int interval = 1000; // milliseconds
    static constexpr QSize largestFrame{512, 288};

Q_SIGNALS:
    // A measurement was stored (or the values were cleared for want of a frame).
    void measured();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void restart();
    void stop();
    void store(quint64 serial);
    void showValues();

    QPointer<StudioModel> m_model;
    std::optional<QUuid> m_assetID;
    QList<QList<double>> m_channels;
    QList<QPointF> m_waveform;

    QTimer m_timer;
    // Counts restarts, so a measurement begun before one is dropped.
    quint64 m_serial = 0;
    quint64 m_measuring = 0; // serial of the measurement under way; 0: none
    QThreadPool m_worker;
    QFutureWatcher<FrameAnalysisData> *m_watcher;

    QList<AnalysisGraph *> m_graphs;
    QLabel *m_unavailable;
};

} // namespace kinoloom
