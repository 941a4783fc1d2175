#include "engine/media/FrameAnalysisData.h"

#include "engine/media/FrameAnalysisMath.h"

#include <QColorSpace>
#include <QImage>

#include <algorithm>
#include <array>

namespace kinoloom {

namespace {

// The frame as 8-bit premultiplied R, G, B, A bytes in sRGB, whatever it arrived as.
QImage srgbPremultiplied(const QImage &image)
{
    QImage converted = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const QColorSpace srgb(QColorSpace::SRgb);
    if (converted.colorSpace().isValid() && converted.colorSpace() != srgb)
        converted.convertToColorSpace(srgb);
    return converted;
}

} // namespace

FrameAnalysisData::FrameAnalysisData(const QImage &image)
{
    using namespace FrameAnalysisMath;

    const QImage pixels = srgbPremultiplied(image);
    const int width = pixels.width();
    const int height = pixels.height();

    std::array<std::array<qint64, binCount>, 4> counts{};
    m_waveform.reserve(qsizetype(width) * height);

    const double columnScale = 1.0 / std::max(width - 1, 1);
    for (int y = 0; y < height; ++y) {
        const uchar *pixel = pixels.constScanLine(y);
        for (int x = 0; x < width; ++x, pixel += 4) {
            const double alpha = pixel[3] / 255.0;
            if (alpha == 0)
                continue;
            // Undo the premultiplication so that a half-transparent red still counts as full red.
            const double red = std::min(pixel[0] / 255.0 / alpha, 1.0);
            const double green = std::min(pixel[1] / 255.0 / alpha, 1.0);
            const double blue = std::min(pixel[2] / 255.0 / alpha, 1.0);
            const double l = luma(red, green, blue);
            ++counts[0][bin(l)];
            ++counts[1][bin(red)];
            ++counts[2][bin(green)];
            ++counts[3][bin(blue)];
            m_waveform.append(QPointF(x * columnScale, l));
        }
    }

    qint64 lumaPeak = 0;
    qint64 commonPeak = 0;
    for (int channel = 0; channel < 4; ++channel) {
        const qint64 peak = *std::max_element(counts[channel].begin(), counts[channel].end());
        if (channel == 0)
            lumaPeak = peak;
        commonPeak = std::max(commonPeak, peak);
    }

    m_channels.reserve(4);
    for (int channel = 0; channel < 4; ++channel) {
        const double divisor = double(std::max<qint64>(channel == 0 ? lumaPeak : commonPeak, 1));
        QList<double> histogram;
        histogram.reserve(binCount);
        for (qint64 count : counts[channel])
            histogram.append(count / divisor);
        m_channels.append(histogram);
    }
}

} // namespace kinoloom
