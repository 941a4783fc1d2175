#include "engine/pipeline/Pipeline.h"

#include "engine/pipeline/TitleLayout.h"
#include "model/FileError.h"
#include "model/StudioError.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace kinoloom {

namespace {

// 72 dots per inch, so that one point of type is one pixel.
constexpr int dotsPerMeterAt72Dpi = 2835;

} // namespace

void Pipeline::drawTitles(const ProcessingSettings &settings, const QString &destination, int width, int height,
                          bool isShort)
{
    Q_UNUSED(isShort) // A Short gets the same card at its own size.
    // Text needs the font database, which exists only with a QGuiApplication.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()) || width <= 0 || height <= 0)
        throw StudioError(QStringLiteral("Could not create title artwork."));
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        throw StudioError(QStringLiteral("Could not create title artwork."));
    canvas.setDotsPerMeterX(dotsPerMeterAt72Dpi);
    canvas.setDotsPerMeterY(dotsPerMeterAt72Dpi);
    canvas.fill(Qt::transparent);

    const TitleLayout layout = TitleLayout::make(settings, width, height, &canvas);
    {
        QPainter painter;
        if (!painter.begin(&canvas))
            throw StudioError(QStringLiteral("Could not create title artwork."));
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.fillRect(layout.solidPanel, QColor::fromRgbF(1, 1, 1, 0.6f));
        for (qsizetype j = 0; j < layout.fadeStrips.size(); ++j)
            painter.fillRect(layout.fadeStrips[j], QColor::fromRgbF(1, 1, 1, float(layout.fadeAlphas[j])));
        for (const TitleLayout::Line &line : layout.lines) {
            painter.setFont(line.font);
            painter.setPen(line.colour);
            painter.drawText(line.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line.text);
        }
    }

    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!canvas.save(&buffer, "PNG"))
            png.clear();
    }
    if (png.isEmpty())
        throw StudioError(QStringLiteral("Could not encode title artwork."));

    QFile file(destination);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw FileError(QStringLiteral("write"), destination, file.errorString());
    if (file.write(png) != png.size() || !file.flush())
        throw FileError(QStringLiteral("write"), destination, file.errorString());
}

} // namespace kinoloom
