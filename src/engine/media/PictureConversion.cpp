#include "engine/media/PictureConversion.h"

#include <QStringList>

namespace kinoloom::PictureConversion {

namespace {

// `value` when it is one of `known` (names zscale takes), else `fallback`.
QString oneOf(const QString &value, const QStringList &known, const QString &fallback)
{
    return known.contains(value) ? value : fallback;
}

} // namespace

QString deinterlace(const ProbeResult &probe)
{
    if (!probe.isInterlaced())
        return {};
    // deint=all: an encoder may flag single frames of an interlaced stream as progressive.
    return QStringLiteral("bwdif=mode=send_frame:parity=%1:deint=all")
        .arg(probe.topFieldFirst() ? QStringLiteral("tff") : QStringLiteral("bff"));
}

QString toneMap(const ProbeResult &probe)
{
    if (!probe.isHDR())
        return {};
    // HDR footage is BT.2020 whenever it says nothing else.
    const QString matrix = oneOf(probe.colourSpace,
                                 {QStringLiteral("bt709"), QStringLiteral("bt2020nc"), QStringLiteral("bt2020c")},
                                 QStringLiteral("bt2020nc"));
    const QString primaries = oneOf(
        probe.colourPrimaries,
        {QStringLiteral("bt709"), QStringLiteral("bt2020"), QStringLiteral("smpte431"), QStringLiteral("smpte432")},
        QStringLiteral("bt2020"));
    const QString range = probe.colourRange == QStringLiteral("pc") ? QStringLiteral("full")
                                                                    : QStringLiteral("limited");
    // zscale converts only between what it is told on both sides. The tone map works on the
    // largest of red, green and blue, so a saturated colour keeps its hue.
    return QStringLiteral("zscale=tin=%1:min=%2:pin=%3:rin=%4:t=linear:m=gbr:p=bt709:r=full:npl=100,"
                          "format=gbrpf32le,tonemap=tonemap=mobius:param=0.9,"
                          "zscale=tin=linear:min=gbr:pin=bt709:rin=full:t=bt709:m=bt709:p=bt709:r=limited:npl=100,"
                          "format=yuv444p16le")
        .arg(probe.colourTransfer, matrix, primaries, range);
}

QString filters(const ProbeResult &probe)
{
    QStringList list{deinterlace(probe), toneMap(probe)};
    list.removeAll(QString());
    return list.join(QLatin1Char(','));
}

QString colourSpaceAfter(const ProbeResult &probe)
{
    return probe.isHDR() ? QStringLiteral("bt709") : probe.colourSpace;
}

} // namespace kinoloom::PictureConversion
