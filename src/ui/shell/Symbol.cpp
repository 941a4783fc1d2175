#include "ui/shell/Symbol.h"
#include "ui/shell/SymbolIconEngine.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <cmath>

static void registerSymbolResources()
{
    Q_INIT_RESOURCE(symbols);
}

namespace kinoloom {

namespace {

const QString folder = QStringLiteral(":/symbols/");
const QString suffix = QStringLiteral(".svg");

void ensureResources()
{
    static const bool registered = (registerSymbolResources(), true);
    Q_UNUSED(registered)
}

// The drawings are made with this stroke width; the weights replace it.
const QByteArray drawnWidth = QByteArrayLiteral("stroke-width=\"1.75\"");

QByteArray strokeWidth(SymbolWeight weight)
{
    switch (weight) {
    case SymbolWeight::light: return QByteArrayLiteral("stroke-width=\"1.25\"");
    case SymbolWeight::regular: return QByteArrayLiteral("stroke-width=\"1.5\"");
    case SymbolWeight::medium: return drawnWidth;
    case SymbolWeight::semibold: return QByteArrayLiteral("stroke-width=\"2\"");
    case SymbolWeight::bold: return QByteArrayLiteral("stroke-width=\"2.3\"");
    }
    return drawnWidth;
}

QByteArray drawing(const QString &name)
{
    ensureResources();
    QFile file(folder + name + suffix);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Black covers with the tint, white cuts out, grey and antialiased edges lie between.
void tint(QImage &image, const QColor &colour)
{
    const QRgb tintRgb = colour.rgba();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = qUnpremultiply(line[x]);
            const int alpha = qAlpha(pixel);
            if (alpha == 0)
                continue;
            const int darkness = 255 - qGray(pixel);
            const int coverage = alpha * darkness / 255 * qAlpha(tintRgb) / 255;
            line[x] = qPremultiply(qRgba(qRed(tintRgb), qGreen(tintRgb), qBlue(tintRgb), coverage));
        }
    }
}

} // namespace

bool hasSymbol(const QString &name)
{
    ensureResources();
    return !name.isEmpty() && QFile::exists(folder + name + suffix);
}

QStringList symbolNames()
{
    ensureResources();
    QStringList names;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        names.append(file.chopped(suffix.size()));
    return names;
}

int symbolExtent(qreal pixelSize)
{
    // A symbol set beside text is a little larger than the text's em, as a glyph with its
    // side bearings would be.
    return std::max(1, int(std::lround(pixelSize * 1.15)));
}

QPixmap symbolPixmap(const QString &name, int extent, const QColor &colour, SymbolWeight weight, qreal devicePixelRatio)
{
    const int side = std::max(1, int(std::ceil(extent * devicePixelRatio)));
    const QString key = QStringLiteral("kinoloom-symbol:%1:%2:%3:%4")
                            .arg(name)
                            .arg(side)
                            .arg(colour.rgba(), 8, 16, QLatin1Char('0'))
                            .arg(int(weight));
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QByteArray svg = drawing(name);
        if (!svg.isEmpty()) {
            svg.replace(drawnWidth, strokeWidth(weight));
            QSvgRenderer renderer(svg);
            QPainter painter(&image);
            renderer.render(&painter, QRectF(0, 0, side, side));
            painter.end();
            tint(image, colour);
        }
        pixmap = QPixmap::fromImage(image);
        QPixmapCache::insert(key, pixmap);
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon symbolIcon(const QString &name, SymbolWeight weight)
{
    return QIcon(new SymbolIconEngine(name, weight));
}

} // namespace kinoloom
