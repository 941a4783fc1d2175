#include "engine/pipeline/TitleLayout.h"

#include "model/ProcessingSettings.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <algorithm>

namespace kinoloom {

namespace {

struct Measured
{
    QFont font;
    double pointSize = 0;
    QSizeF size;
};

Measured fitted(const QString &text, double startSize, double widest, const QPaintDevice *device)
{
    Measured line;
    line.pointSize = startSize;
    for (;;) {
        line.font = TitleLayout::font(line.pointSize);
        const QFontMetricsF metrics(line.font, device);
        line.size = QSizeF(metrics.horizontalAdvance(text), metrics.height());
        if (!(line.size.width() > widest && line.pointSize > 8))
            return line;
        line.pointSize -= 1;
    }
}

} // namespace

QFont TitleLayout::font(double pointSize)
{
    static const QString named = QStringLiteral("Sk-Modernist-Regular");
    static const QString family = QStringLiteral("Sk-Modernist");
    QFont chosen;
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(named)) {
        chosen = QFont(named);
    } else if (installed.contains(family)) {
        chosen = QFont(family);
        chosen.setStyleName(QStringLiteral("Regular"));
    } else {
        chosen = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    }
    chosen.setPointSizeF(pointSize);
    return chosen;
}

TitleLayout TitleLayout::make(const ProcessingSettings &settings, int width, int height, const QPaintDevice *device)
{
    TitleLayout layout;
    const double W = width;
    const double H = height;
    const double k = std::min(H / 2160.0, W / 3840.0);
    layout.scale = k;
    layout.widestText = std::max(W - 126 * k - 548 * k, 0.0);

    const QString texts[2] = {settings.title, settings.subtitle};
    const double startSizes[2] = {std::max(200 * k, 8.0), std::max(130 * k, 8.0)};
    const QColor colours[2] = {QColor::fromRgbF(0, 0, 0, 1.0), QColor::fromRgbF(0, 0, 0, 0.95f)};
    std::optional<Measured> measured[2];
    for (int i = 0; i < 2; ++i) {
        if (!texts[i].isEmpty())
            measured[i] = fitted(texts[i], startSizes[i], layout.widestText, device);
    }

    double widestLine = 0;
    for (const std::optional<Measured> &line : measured) {
        if (line)
            widestLine = std::max(widestLine, line->size.width());
    }
    const double x0 = 126 * k;
    const double y0 = 275.5 * k;
    const double panelHeight = 416.5 * k;
    const double panelTop = H - (y0 + panelHeight);
    layout.panelWidth = std::min(std::max(548 * k + widestLine, 380 * k), W - 126 * k);
    layout.solidWidth = layout.panelWidth - std::min(layout.panelWidth, 300 * k);
    layout.solidPanel = QRectF(x0, panelTop, layout.solidWidth, panelHeight);
    for (int j = 0; j < 10; ++j) {
        const double x = x0 + layout.solidWidth + 30 * k * j;
        const double w = std::min(x0 + layout.panelWidth - x, 30 * k + 0.5);
        if (w <= 0)
            break;
        layout.fadeStrips.append(QRectF(x, panelTop, w, panelHeight));
        layout.fadeAlphas.append(0.6 - 0.06 * j);
    }

    const bool both = measured[0] && measured[1];
    const double gap = both ? 36 * k : 0;
    double textHeight = 0;
    for (const std::optional<Measured> &line : measured) {
        if (line)
            textHeight += line->size.height();
    }
    const double inset = std::max((panelHeight - (textHeight + gap)) / 2, 18 * k);
    const double base = y0 + inset;
    const double subtitleY = base;
    const double titleY = base + (measured[1] ? measured[1]->size.height() + gap : 0.0);
    const double ys[2] = {titleY, subtitleY};
    for (int i = 0; i < 2; ++i) {
        if (!measured[i])
            continue;
        const QSizeF size = measured[i]->size;
        layout.lines.append(Line{texts[i], measured[i]->font, measured[i]->pointSize, colours[i],
                                 QRectF(150 * k, H - (ys[i] + size.height()), size.width(), size.height())});
    }
    return layout;
}

} // namespace kinoloom
