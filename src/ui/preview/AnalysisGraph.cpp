#include "ui/preview/AnalysisGraph.h"

#include "ui/preview/AnalysisGeometry.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <cmath>

namespace kinoloom {

// The drawing of one scope. The waveform's many points are drawn into an image when the data
// or the size changes, not at every paint.
class AnalysisSurface : public QWidget
{
public:
    AnalysisSurface(AnalysisGraph::Kind kind, QWidget *parent)
        : QWidget(parent)
        , m_kind(kind)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        setMinimumSize(1, 1);
    }

    void setData(const QList<QList<double>> &channels, const QList<QPointF> &waveform)
    {
        m_channels = channels;
        m_waveform = waveform;
        m_waveformImage = QImage();
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QSizeF size = this->size();
        QPainterPath outline;
        outline.addRoundedRect(QRectF(rect()), StudioStyle::small, StudioStyle::small);
        painter.fillPath(outline, QColor(0, 0, 0, qRound(255 * 0.18)));
        painter.setClipPath(outline);

        QColor grid = StudioStyle::secondaryText(palette());
        grid.setAlphaF(0.18);
        painter.setPen(QPen(grid, 1));
        for (const double y : AnalysisGeometry::gridLines(size))
            painter.drawLine(QPointF(0, y), QPointF(size.width(), y));

        switch (m_kind) {
        case AnalysisGraph::Kind::histogram: {
            QColor fill = StudioStyle::accent(palette());
            fill.setAlphaF(0.75);
            painter.setRenderHint(QPainter::Antialiasing, false);
            for (const QRectF &bar : AnalysisGeometry::histogramBars(m_channels, size))
                painter.fillRect(bar, fill);
            break;
        }
        case AnalysisGraph::Kind::rgb: {
            const QList<QPolygonF> lines = AnalysisGeometry::colourLines(m_channels, size);
            for (qsizetype i = 0; i < lines.size(); ++i) {
                QColor colour = AnalysisGraph::seriesColour(int(i) + 1);
                colour.setAlphaF(0.85);
                painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                painter.drawPolyline(lines[i]);
            }
            break;
        }
        case AnalysisGraph::Kind::waveform:
            if (m_waveformImage.size() != this->size())
                m_waveformImage = waveformImage();
            painter.drawImage(0, 0, m_waveformImage);
            break;
        }
    }

private:
    // Each square is green at 0.15 over what lies below: n squares on one pixel cover it by
    // 1 − 0.85ⁿ, counted here instead of painted one by one.
    QImage waveformImage() const
    {
        const int width = this->width();
        const int height = this->height();
        QList<int> counts(qsizetype(width) * height, 0);
        for (const QRectF &square : AnalysisGeometry::waveformSquares(m_waveform, this->size())) {
            const int x = int(std::floor(square.x()));
            const int y = int(std::floor(square.y()));
            if (x >= 0 && x < width && y >= 0 && y < height)
                ++counts[qsizetype(y) * width + x];
        }
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        const QColor green = AnalysisGraph::seriesColour(2);
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const int count = counts[qsizetype(y) * width + x];
                if (count == 0)
                    continue;
                const double alpha = 1 - std::pow(0.85, count);
                line[x] = qPremultiply(qRgba(green.red(), green.green(), green.blue(), qRound(alpha * 255)));
            }
        }
        return image;
    }

    AnalysisGraph::Kind m_kind;
    QList<QList<double>> m_channels;
    QList<QPointF> m_waveform;
    QImage m_waveformImage;
};

AnalysisGraph::AnalysisGraph(const QString &title, const QString &symbol, Kind kind, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_title(title)
    , m_surface(new AnalysisSurface(kind, this))
{
    auto *symbolView = new SymbolView(symbol, 12);
    symbolView->setColourRole(StudioStyle::secondaryTextRole);
    auto *caption = new ClampedLabel(title);
    caption->setMaxLines(1);
    caption->setFont(StudioStyle::caption());
    caption->setForegroundRole(StudioStyle::secondaryTextRole);
    auto *heading = new QHBoxLayout;
    heading->setContentsMargins(0, 0, 0, 0);
    heading->setSpacing(StudioStyle::small);
    heading->addWidget(symbolView);
    heading->addWidget(caption, 1);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(StudioStyle::small);
    column->addLayout(heading);
    column->addWidget(m_surface, 1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumWidth(1);
    setAccessibleName(title);
}

void AnalysisGraph::setData(const QList<QList<double>> &channels, const QList<QPointF> &waveform)
{
    m_surface->setData(channels, waveform);
}

QColor AnalysisGraph::seriesColour(int channel)
{
    switch (channel) {
    case 1: return QColor(255, 59, 48);
    case 2: return QColor(52, 199, 89);
    case 3: return QColor(0, 122, 255);
    default: return QColor(Qt::white);
    }
}

} // namespace kinoloom
