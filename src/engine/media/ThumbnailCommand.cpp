#include "engine/media/ThumbnailCommand.h"

#include "engine/media/FFmpegText.h"

namespace kinoloom {

namespace {

QStringList leadingOptions()
{
    return {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-y")};
}

// "-update 1": the image writer otherwise reads the destination as a numbered pattern, so a
// folder named "take%d" would send the picture into a sibling "take1".
// The picture reaches the JPEG writer as R'G'B', which it turns into JPEG's own Y'CbCr; handed
// Y'CbCr, it would keep BT.709 values as they are and shift the colours of HD footage.
QStringList pictureOutput(const QString &destination, int width, const QStringList &encoding, const QString &conversion)
{
    const QString first = conversion.isEmpty() ? QString() : conversion + QLatin1Char(',');
    return QStringList{QStringLiteral("-vf"), first + QStringLiteral("scale=%1:-2,format=rgb24").arg(width),
                       QStringLiteral("-frames:v"), QStringLiteral("1")}
    + encoding + QStringList{QStringLiteral("-update"), QStringLiteral("1"), destination};
}

} // namespace

QStringList thumbnailCommand(const QString &source, const QString &destination, std::optional<double> seek, int width,
                             const QStringList &encoding, const QString &conversion)
{
    QStringList arguments = leadingOptions();
    if (seek)
        arguments << QStringLiteral("-ss") << ffmpegNumber(*seek);
    else
        arguments += singlePictureFormat();
    arguments << QStringLiteral("-i") << source;
    return arguments + pictureOutput(destination, width, encoding, conversion);
}

} // namespace kinoloom
