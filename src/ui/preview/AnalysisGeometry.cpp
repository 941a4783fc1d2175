#include "ui/preview/AnalysisGeometry.h"

#include <algorithm>

namespace kinoloom::AnalysisGeometry {

QList<double> gridLines(const QSizeF &size)
{
    return {size.height() * 0.25, size.height() * 0.5, size.height() * 0.75};
}

QList<QRectF> histogramBars(const QList<QList<double>> &channels, const QSizeF &size)
{
    QList<QRectF> bars;
    if (channels.isEmpty() || channels.constFirst().isEmpty())
        return bars;
    const QList<double> &luma = channels.constFirst();
    const double slot = size.width() / luma.size();
    const double barWidth = std::max(slot - 2, 1.0);
    bars.reserve(luma.size());
    for (qsizetype i = 0; i < luma.size(); ++i) {
        const double height = luma[i] * size.height();
        bars.append(QRectF(slot * i + 1, size.height() - height, barWidth, height));
    }
    return bars;
}

QList<QPolygonF> colourLines(const QList<QList<double>> &channels, const QSizeF &size)
{
    QList<QPolygonF> lines;
    for (qsizetype channel = 1; channel < std::min<qsizetype>(channels.size(), 4); ++channel) {
        const QList<double> &values = channels[channel];
        // One value has no width to spread over: it stands at the left edge.
        const double step = values.size() > 1 ? size.width() / (values.size() - 1) : 0;
        QPolygonF line;
        line.reserve(values.size());
        for (qsizetype i = 0; i < values.size(); ++i)
            line.append(QPointF(step * i, size.height() - values[i] * size.height()));
        lines.append(line);
    }
    return lines;
}

QList<QRectF> waveformSquares(const QList<QPointF> &points, const QSizeF &size)
{
    QList<QRectF> squares;
    squares.reserve(points.size());
    for (const QPointF &point : points)
        squares.append(QRectF(point.x() * size.width(), (1 - point.y()) * size.height(), 1, 1));
    return squares;
}

} // namespace kinoloom::AnalysisGeometry
