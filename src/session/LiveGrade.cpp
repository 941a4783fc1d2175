#include "session/LiveGrade.h"

#include "engine/pipeline/SegmentArguments.h"
#include "session/GradeStages.h"
#include "session/RowBands.h"

#include <QRectF>

#include <algorithm>
#include <array>
#include <cmath>

namespace kinoloom {

namespace {

// FFmpeg's av_rescale: a × b ÷ c, rounded to the nearest.
qint64 rescaled(qint64 a, qint64 b, qint64 c)
{
    return c > 0 ? (a * b + c / 2) / c : a;
}

// The part of the frame the render's framing keeps (scale to cover the enlarged size with the
// aspect ratio kept, then a centred crop back to the frame's size), in frame coordinates.
QRectF framedArea(QSize size, double cropScale)
{
    const int width = size.width();
    const int height = size.height();
    if (!(cropScale > 1))
        return QRectF(0, 0, width, height);
    const int coverWidth = SegmentArguments::zoomedDimension(cropScale, width);
    const int coverHeight = SegmentArguments::zoomedDimension(cropScale, height);
    const qint64 scaledWidth = std::max({qint64(coverWidth), rescaled(coverHeight, width, height), qint64(width)});
    const qint64 scaledHeight = std::max({qint64(coverHeight), rescaled(coverWidth, height, width), qint64(height)});
    const double horizontal = double(width) / double(scaledWidth);
    const double vertical = double(height) / double(scaledHeight);
    return QRectF(double((scaledWidth - width) / 2) * horizontal, double((scaledHeight - height) / 2) * vertical,
                  width * horizontal, height * vertical);
}

struct RGBFloat
{
    float red = 0;
    float green = 0;
    float blue = 0;
};

// Reads the floating-point frame, through the framing when it zooms (bilinear).
class Sampler
{
public:
    Sampler(const QImage &image, const QRectF &area)
        : m_bits(image.constBits())
        , m_stride(image.bytesPerLine())
        , m_width(image.width())
        , m_height(image.height())
        , m_area(area)
        , m_zooms(area != QRectF(0, 0, image.width(), image.height()))
    {
    }

    RGBFloat at(int x, int y) const
    {
        if (!m_zooms)
            return pixel(x, y);
        const double u = m_area.left() + (x + 0.5) * m_area.width() / m_width - 0.5;
        const double v = m_area.top() + (y + 0.5) * m_area.height() / m_height - 0.5;
        const int left = std::clamp(int(std::floor(u)), 0, m_width - 1);
        const int top = std::clamp(int(std::floor(v)), 0, m_height - 1);
        const int right = std::min(left + 1, m_width - 1);
        const int bottom = std::min(top + 1, m_height - 1);
        const float across = float(std::clamp(u - left, 0.0, 1.0));
        const float down = float(std::clamp(v - top, 0.0, 1.0));
        const auto mix = [](const RGBFloat &a, const RGBFloat &b, float t) {
            return RGBFloat{a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t,
                            a.blue + (b.blue - a.blue) * t};
        };
        return mix(mix(pixel(left, top), pixel(right, top), across),
                   mix(pixel(left, bottom), pixel(right, bottom), across), down);
    }

private:
    RGBFloat pixel(int x, int y) const
    {
        const float *at = reinterpret_cast<const float *>(m_bits + y * m_stride) + 4 * x;
        return {at[0], at[1], at[2]};
    }

    const uchar *m_bits;
    qsizetype m_stride;
    int m_width;
    int m_height;
    QRectF m_area;
    bool m_zooms;
};

// The nearest code of a value in 0...1 at `top` (values outside are held at the ends).
int code(double value, int top)
{
    return int(std::clamp(value * top + 0.5, 0.0, double(top)));
}

int nearestCode(double value)
{
    return int(std::clamp(value + 0.5, 0.0, 255.0));
}

// Levels then the curve, one table per input code at `depth` bits.
QList<int> channelTable(const GradePlan &plan, int depth)
{
    QList<int> table(1 << depth);
    const std::optional<gradeStages::Levels> levels = plan.levels
        ? std::optional(gradeStages::Levels(*plan.levels, depth))
        : std::nullopt;
    const QList<int> curve = plan.curve ? gradeStages::curveTable(*plan.curve, depth) : QList<int>();
    for (int value = 0; value < table.size(); ++value) {
        int graded = levels ? (*levels)(value) : value;
        if (plan.curve)
            graded = curve[graded];
        table[value] = graded;
    }
    return table;
}

} // namespace

LiveGrade LiveGrade::forClip(const MediaAsset &clip, const ProcessingSettings &settings)
{
    LiveGrade live;
    live.cropScale = clip.cropScale();
    if (const std::optional<ClipGrade> grade = SegmentArguments::effectiveGrade(clip, settings))
        live.plan = GradePlan::of(grade->clampedToRanges());
    return live;
}

QImage LiveGrade::apply(const QImage &frame, YCbCrMatrix matrix) const
{
    if (frame.isNull())
        return {};
    const QImage source = frame.format() == QImage::Format_RGBX32FPx4
        ? frame
        : frame.convertToFormat(QImage::Format_RGBX32FPx4);
    const Sampler sampler(source, framedArea(source.size(), cropScale));

    // eq hands the render's later stages 8-bit R'G'B'; without it they run on 16 bits.
    const int depth = plan.eq ? 8 : 16;
    const int top = (1 << depth) - 1;
    const bool rgbStages = plan.levels || plan.curve || plan.balance;
    const QList<int> channel = rgbStages ? channelTable(plan, depth) : QList<int>();
    const std::array<int, 256> luma = plan.eq ? gradeStages::eqLuma(*plan.eq) : std::array<int, 256>{};
    const std::array<int, 256> chroma = plan.eq ? gradeStages::eqChroma(*plan.eq) : std::array<int, 256>{};
    // eq sees the render's intermediate: limited-range Y'CbCr, whatever the range of the source.
    const YCbCrConversion conversion(YCbCrCoding{matrix, false});

    QImage graded(source.size(), QImage::Format_RGB32);
    if (graded.isNull())
        return {};
    uchar *const bits = graded.bits();
    const qsizetype stride = graded.bytesPerLine();
    const int width = graded.width();
    inRowBands(graded.height(), [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            auto *line = reinterpret_cast<QRgb *>(bits + y * stride);
            for (int x = 0; x < width; ++x) {
                const RGBFloat pixel = sampler.at(x, y);
                RGBSample rgb{pixel.red, pixel.green, pixel.blue};
                if (plan.eq) {
                    const YCbCrSample sample = conversion.toYCbCr(rgb);
                    rgb = conversion.toRGB({double(luma[nearestCode(sample.y)]), double(chroma[nearestCode(sample.cb)]),
                                            double(chroma[nearestCode(sample.cr)])});
                }
                int red = code(rgb.red, top);
                int green = code(rgb.green, top);
                int blue = code(rgb.blue, top);
                if (rgbStages) {
                    red = channel[red];
                    green = channel[green];
                    blue = channel[blue];
                    if (plan.balance)
                        gradeStages::balance(*plan.balance, depth, red, green, blue);
                }
                if (depth == 16) {
                    red = (red + 128) / 257;
                    green = (green + 128) / 257;
                    blue = (blue + 128) / 257;
                }
                line[x] = qRgb(red, green, blue);
            }
        }
    });
    return graded;
}

} // namespace kinoloom
