#pragma once

#include <QList>
#include <QPointF>
#include <QWidget>

namespace kinoloom {

class AnalysisSurface;

// One titled scope of the frame analysis: a caption with its symbol over a drawing of the
// measured frame, filling the space it is given.
class AnalysisGraph : public QWidget
{
    Q_OBJECT

public:
    enum class Kind { histogram, rgb, waveform };

    AnalysisGraph(const QString &title, const QString &symbol, Kind kind, QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
    QString title() const { return m_title; }
    // The whole measurement, as the panel holds it; each kind draws its own part.
    void setData(const QList<QList<double>> &channels, const QList<QPointF> &waveform);

    // Colours of the series, as drawn.
    static QColor seriesColour(int channel);

private:
    Kind m_kind;
    QString m_title;
    AnalysisSurface *m_surface;
};

} // namespace kinoloom
