#pragma once

#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>

namespace kinoloom::AnalysisGeometry {

// What the scopes of the frame analysis draw on a surface of `size` (origin top-left), from the
// measured channels (luma, red, green, blue; bin heights in 0…1) and waveform points (x across
// the frame, y the luma, both in 0…1). Lists that are missing draw nothing; nothing reads past
// the end of what was measured.

// Heights from the top of the three guide lines, at a quarter, half and three quarters.
QList<double> gridLines(const QSizeF &size);
// One bar a luma bin, standing on the bottom edge, at least 1 wide.
QList<QRectF> histogramBars(const QList<QList<double>> &channels, const QSizeF &size);
// The red, green and blue lines, those of them that were measured.
QList<QPolygonF> colourLines(const QList<QList<double>> &channels, const QSizeF &size);
// A 1 × 1 square a point; high luma at the top.
QList<QRectF> waveformSquares(const QList<QPointF> &points, const QSizeF &size);

} // namespace kinoloom::AnalysisGeometry
