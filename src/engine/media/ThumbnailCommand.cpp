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
QString pictureFilter(int width)
{
    return QStringLiteral("scale=%1:-2,format=rgb24").arg(width);
}

QStringList onePicture(const QString &destination, const QStringList &encoding)
{
    return QStringList{QStringLiteral("-frames:v"), QStringLiteral("1")} + encoding
        + QStringList{QStringLiteral("-update"), QStringLiteral("1"), destination};
}

QStringList pictureOutput(const QString &destination, int width, const QStringList &encoding, const QString &conversion)
{
    const QString first = conversion.isEmpty() ? QString() : conversion + QLatin1Char(',');
    return QStringList{QStringLiteral("-vf"), first + pictureFilter(width)} + onePicture(destination, encoding);
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

QStringList thumbnailsCommand(const QString &source, const QList<ThumbnailMoment> &moments, int width,
                              const QStringList &encoding)
{
    QStringList arguments = leadingOptions();
    arguments << QStringLiteral("-i") << source;
    // A seek keeps the first picture at or after its moment, in the time the input starts at 0;
    // trim's start on the same timestamps picks that same picture, so the files are those that
    // one seek each would write.
    QString graph = QStringLiteral("[0:v]split=") + ffmpegInteger(moments.size());
    for (qsizetype n = 0; n < moments.size(); ++n)
        graph += QStringLiteral("[s%1]").arg(n);
    QStringList outputs;
    for (qsizetype n = 0; n < moments.size(); ++n) {
        graph += QStringLiteral(";[s%1]trim=start=%2,trim=end_frame=1,%3[t%1]")
                     .arg(QString::number(n), ffmpegNumber(moments[n].seconds), pictureFilter(width));
        outputs << QStringLiteral("-map") << QStringLiteral("[t%1]").arg(n);
        outputs += onePicture(moments[n].destination, encoding);
    }
    return arguments + QStringList{QStringLiteral("-filter_complex"), graph} + outputs;
}

} // namespace kinoloom
