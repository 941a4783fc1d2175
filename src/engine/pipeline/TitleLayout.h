#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>

class QPaintDevice;

namespace kinoloom {

struct ProcessingSettings;

// Where the title card's panel, fade and text go on a frame of a given size. Rectangles are in
// image coordinates (origin at the top left, y growing downwards). All lengths scale with the
// frame, so 3840 × 2160 uses the base values.
struct TitleLayout
{
    struct Line
    {
        QString text;
        QFont font;
        double pointSize = 0;
        QColor colour;
        QRectF rect;
    };

    double scale = 0;
    double widestText = 0;
    double panelWidth = 0;
    double solidWidth = 0;
    QRectF solidPanel;
    QList<QRectF> fadeStrips;
    QList<double> fadeAlphas;
    // The title first, then the subtitle; an empty text is left out.
    QList<Line> lines;

    // Measures the texts as `device` would draw them; the device must be at 72 dpi so that one
    // point is one pixel.
    static TitleLayout make(const ProcessingSettings &settings, int width, int height, const QPaintDevice *device);

    // The named title font when it is installed, else the system font, at `pointSize`.
    static QFont font(double pointSize);
};

} // namespace kinoloom
