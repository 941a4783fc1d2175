#include "session/YCbCrPicture.h"

#include "session/RowBands.h"

#include <QList>
#include <QPoint>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kinoloom {

namespace {

double sampleAt(const YCbCrPicture::Samples &samples, int sampleBytes, int x, int y)
{
    const uchar *at = samples.data + y * samples.stride + qsizetype(x) * samples.step;
    if (sampleBytes == 1)
        return *at;
    quint16 value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The weight of a sample at `distance` from the point wanted: Keys' cubic with a = -0.6, the
// bicubic filter FFmpeg's scaler brings chroma to full size with.
double cubic(double distance)
{
    constexpr double a = -0.6;
    const double d = std::abs(distance);
    if (d < 1)
        return ((a + 2) * d - (a + 3)) * d * d + 1;
    if (d < 2)
        return ((a * d - 5 * a) * d + 8 * a) * d - 4 * a;
    return 0;
}

// Where the chroma sample for full-size position `index` lies, in chroma samples: chroma sits
// centred between the luma samples it covers, as FFmpeg's scaler takes it.
double chromaPosition(int index, int shift)
{
    return shift ? (index + 0.5) / (1 << shift) - 0.5 : index;
}

// The four samples around a position and their weights.
struct Taps
{
    int index[4] = {0, 0, 0, 0};
    double weight[4] = {0, 0, 0, 0};
};

Taps taps(double position, int count)
{
    Taps result;
    const int base = int(std::floor(position));
    const double t = position - base;
    for (int k = 0; k < 4; ++k) {
        result.index[k] = std::clamp(base - 1 + k, 0, count - 1);
        result.weight[k] = cubic(t - (k - 1));
    }
    return result;
}

// One row of a chroma component at chroma resolution, interpolated between the chroma rows
// around luma row `row`, on the 8-bit scale.
void chromaRow(const YCbCrPicture &picture, const YCbCrPicture::Samples &samples, int row, QList<double> &out)
{
    const qsizetype width = out.size();
    if (!samples.data) {
        out.fill(128);
        return;
    }
    const int rows = (picture.size.height() + (1 << picture.chromaShiftY) - 1) >> picture.chromaShiftY;
    if (!picture.chromaShiftY) {
        for (int x = 0; x < width; ++x)
            out[x] = sampleAt(samples, picture.sampleBytes, x, row) / picture.sampleScale;
        return;
    }
    const Taps around = taps(chromaPosition(row, picture.chromaShiftY), rows);
    for (int x = 0; x < width; ++x) {
        double value = 0;
        for (int k = 0; k < 4; ++k)
            value += around.weight[k] * sampleAt(samples, picture.sampleBytes, x, around.index[k]);
        out[x] = value / picture.sampleScale;
    }
}

// The horizontal taps of every full-size column.
QList<Taps> columnTaps(int width, int chromaWidth, int shift)
{
    QList<Taps> columns(width);
    for (int x = 0; x < width; ++x)
        columns[x] = shift ? taps(chromaPosition(x, shift), chromaWidth) : Taps{{x, x, x, x}, {0, 1, 0, 0}};
    return columns;
}

double interpolated(const QList<double> &row, const Taps &column)
{
    return column.weight[0] * row[column.index[0]] + column.weight[1] * row[column.index[1]]
        + column.weight[2] * row[column.index[2]] + column.weight[3] * row[column.index[3]];
}

uchar eightBit(double value)
{
    return uchar(std::clamp(value * 255 + 0.5, 0.0, 255.0));
}

int quarterTurns(int rotation)
{
    return ((rotation / 90) % 4 + 4) % 4;
}

QSize shownSize(const YCbCrPicture &picture)
{
    return quarterTurns(picture.rotation) % 2 ? picture.size.transposed() : picture.size;
}

// Calls `store(x, y, rgb)` for every pixel, at its place in the turned picture.
template <typename Store>
void convert(const YCbCrPicture &picture, Store store)
{
    const YCbCrConversion conversion(picture.coding);
    const int width = picture.size.width();
    const int height = picture.size.height();
    const int turns = quarterTurns(picture.rotation);
    const auto place = [&](int x, int y) {
        if (picture.mirrored)
            x = width - 1 - x;
        switch (turns) {
        case 1: return QPoint(height - 1 - y, x);
        case 2: return QPoint(width - 1 - x, height - 1 - y);
        case 3: return QPoint(y, width - 1 - x);
        default: return QPoint(x, y);
        }
    };
    const int chromaWidth = (width + (1 << picture.chromaShiftX) - 1) >> picture.chromaShiftX;
    const QList<Taps> columns = columnTaps(width, chromaWidth, picture.chromaShiftX);
    inRowBands(picture.size.height(), [&](int first, int end) {
        QList<double> blueRow(chromaWidth);
        QList<double> redRow(chromaWidth);
        for (int y = first; y < end; ++y) {
            chromaRow(picture, picture.blue, y, blueRow);
            chromaRow(picture, picture.red, y, redRow);
            for (int x = 0; x < width; ++x) {
                const YCbCrSample sample{sampleAt(picture.luma, picture.sampleBytes, x, y) / picture.sampleScale,
                                         interpolated(blueRow, columns[x]), interpolated(redRow, columns[x])};
                const QPoint at = place(x, y);
                store(at.x(), at.y(), conversion.toRGB(sample));
            }
        }
    });
}

} // namespace

QImage YCbCrPicture::toImage() const
{
    if (size.isEmpty() || !luma.data)
        return {};
    QImage image(shownSize(*this), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    // Rows are written from several threads: the pointer is taken once, before they start.
    uchar *const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    convert(*this, [bits, stride](int x, int y, const RGBSample &rgb) {
        reinterpret_cast<QRgb *>(bits + y * stride)[x] = qRgb(eightBit(rgb.red), eightBit(rgb.green),
                                                              eightBit(rgb.blue));
    });
    return image;
}

QImage YCbCrPicture::toUnclippedImage() const
{
    if (size.isEmpty() || !luma.data)
        return {};
    QImage image(shownSize(*this), QImage::Format_RGBX32FPx4);
    if (image.isNull())
        return {};
    uchar *const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    convert(*this, [bits, stride](int x, int y, const RGBSample &rgb) {
        float *pixel = reinterpret_cast<float *>(bits + y * stride) + 4 * x;
        pixel[0] = float(rgb.red);
        pixel[1] = float(rgb.green);
        pixel[2] = float(rgb.blue);
        pixel[3] = 1.f;
    });
    return image;
}

} // namespace kinoloom
