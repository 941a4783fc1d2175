#pragma once

#include <QList>
#include <QPointF>

class QImage;

namespace kinoloom {

// The data of the three scopes beside the graded preview, measured from one frame: luma and
// RGB histograms and a luma waveform. Immutable; computing it touches no shared state, so it
// may run on any thread.
class FrameAnalysisData
{
public:
    explicit FrameAnalysisData(const QImage &image);

    // Luma, red, green and blue histograms, FrameAnalysisMath::binCount entries each, in 0…1.
    // Luma is scaled to its own peak; the colours share the tallest bin of all four so that
    // their heights compare.
    const QList<QList<double>> &channels() const { return m_channels; }
    // One point per opaque or partly opaque pixel in row order: x is the column across the
    // width in 0…1, y the pixel's luma.
    const QList<QPointF> &waveform() const { return m_waveform; }

    bool operator==(const FrameAnalysisData &) const = default;

private:
    QList<QList<double>> m_channels;
    QList<QPointF> m_waveform;
};

} // namespace kinoloom
