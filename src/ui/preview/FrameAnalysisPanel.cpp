#include "ui/preview/FrameAnalysisPanel.h"

#include "engine/media/FrameAnalysisData.h"
#include "session/PreviewPlayer.h"
#include "session/StudioModel.h"
#include "ui/preview/AnalysisGraph.h"
#include "ui/shell/StudioStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QtConcurrent/QtConcurrentRun>

namespace kinoloom {

namespace {

FrameAnalysisData analysed(const QImage &frame)
{
    const QSize box = FrameAnalysisPanel::largestFrame;
    if (frame.width() <= box.width() && frame.height() <= box.height())
        return FrameAnalysisData(frame);
    return FrameAnalysisData(frame.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace

FrameAnalysisPanel::FrameAnalysisPanel(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_watcher(new QFutureWatcher<FrameAnalysisData>(this))
    , m_unavailable(new QLabel(QStringLiteral("Frame analysis unavailable"), this))
{
    setObjectName(QStringLiteral("frameAnalysisPanel"));
    m_worker.setMaxThreadCount(1);
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &FrameAnalysisPanel::measureFrame);

    m_graphs = {
        new AnalysisGraph(QStringLiteral("Effect · Luma 0–255"), QStringLiteral("chart.bar.xaxis"),
                          AnalysisGraph::Kind::histogram, this),
        new AnalysisGraph(QStringLiteral("Effect · RGB 0–255"), QStringLiteral("waveform.path.ecg"),
                          AnalysisGraph::Kind::rgb, this),
        new AnalysisGraph(QStringLiteral("Luma waveform · 0–100%"), QStringLiteral("chart.xyaxis.line"),
                          AnalysisGraph::Kind::waveform, this),
    };
    m_unavailable->setObjectName(QStringLiteral("frameAnalysisUnavailable"));
    m_unavailable->setFont(StudioStyle::caption());
    m_unavailable->setForegroundRole(StudioStyle::secondaryTextRole);
    m_unavailable->setAlignment(Qt::AlignCenter);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(StudioStyle::insets(StudioStyle::compact));
    row->setSpacing(StudioStyle::compact);
    for (AnalysisGraph *graph : std::as_const(m_graphs))
        row->addWidget(graph, 1);
    row->addWidget(m_unavailable, 1);
    setMinimumSize(0, 0);
    showValues();
}

FrameAnalysisPanel::~FrameAnalysisPanel()
{
    m_watcher->disconnect(this);
    m_worker.waitForDone();
}

void FrameAnalysisPanel::setAsset(const std::optional<MediaAsset> &asset)
{
    setAccessibleName(asset ? QStringLiteral("Frame analysis for ") + asset->name : QString());
    const std::optional<QUuid> id = asset ? std::optional(asset->id) : std::nullopt;
    if (id == m_assetID)
        return;
    m_assetID = id;
    if (isVisible())
        restart();
}

bool FrameAnalysisPanel::showsGraphs() const
{
    return m_channels.size() == 4;
}

void FrameAnalysisPanel::measureFrame()
{
    // The tick before has not finished: this one is passed over.
    if (m_measuring != 0)
        return;
    PreviewPlayer *player = m_model ? m_model->player() : nullptr;
    if (!player || player->frame().isNull()) {
        m_channels.clear();
        showValues();
        Q_EMIT measured();
        return;
    }
    m_measuring = m_serial;
    const quint64 serial = m_serial;
    m_watcher->disconnect(this);
    connect(m_watcher, &QFutureWatcherBase::finished, this, [this, serial] { store(serial); });
    m_watcher->setFuture(QtConcurrent::run(&m_worker, analysed, player->frame()));
}

void FrameAnalysisPanel::store(quint64 serial)
{
    m_measuring = 0;
    // Begun for another clip, or before the panel left the screen.
    if (serial != m_serial)
        return;
    const QFuture<FrameAnalysisData> future = m_watcher->future();
    if (future.resultCount() == 0) {
        m_channels.clear();
        m_waveform.clear();
    } else {
        const FrameAnalysisData data = future.result();
        m_channels = data.channels();
        m_waveform = data.waveform();
    }
    showValues();
    Q_EMIT measured();
}

void FrameAnalysisPanel::showValues()
{
    const bool graphs = showsGraphs();
    for (AnalysisGraph *graph : std::as_const(m_graphs)) {
        graph->setVisible(graphs);
        if (graphs)
            graph->setData(m_channels, m_waveform);
    }
    m_unavailable->setVisible(!graphs);
}

void FrameAnalysisPanel::restart()
{
    stop();
    m_timer.start();
    measureFrame();
}

void FrameAnalysisPanel::stop()
{
    ++m_serial;
    m_measuring = 0;
    m_timer.stop();
}

void FrameAnalysisPanel::showEvent(QShowEvent *)
{
    restart();
}

void FrameAnalysisPanel::hideEvent(QHideEvent *)
{
    stop();
}

void FrameAnalysisPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), StudioStyle::radius, StudioStyle::radius);
    painter.fillPath(outline, StudioStyle::panel(palette()));
}

} // namespace kinoloom
