#include "session/VideoFrameImage.h"

#include "session/YCbCrPicture.h"

#include <QTransform>
#include <QVideoFrame>

#include <optional>

namespace kinoloom {

namespace {

YCbCrCoding codingOf(const QVideoFrame &frame)
{
    const QVideoFrameFormat format = frame.surfaceFormat();
    YCbCrCoding coding;
    coding.matrix = videoFrameMatrix(frame);
    coding.fullRange = format.colorRange() == QVideoFrameFormat::ColorRange_Full;
    return coding;
}

// How the mapped frame's samples lie; none for a layout this code does not read.
std::optional<YCbCrPicture> layoutOf(const QVideoFrame &frame)
{
    YCbCrPicture picture;
    picture.size = frame.size();
    picture.coding = codingOf(frame);
    picture.mirrored = frame.mirrored();
    picture.rotation = int(frame.rotationAngle());
    const auto plane = [&frame](int index, qsizetype offset, int step) {
        return YCbCrPicture::Samples{frame.bits(index) + offset, frame.bytesPerLine(index), step};
    };
    switch (frame.pixelFormat()) {
    case QVideoFrameFormat::Format_YUV420P:
    case QVideoFrameFormat::Format_YUV422P:
    case QVideoFrameFormat::Format_YV12:
    case QVideoFrameFormat::Format_YUV420P10: {
        const bool tenBits = frame.pixelFormat() == QVideoFrameFormat::Format_YUV420P10;
        const int bytes = tenBits ? 2 : 1;
        const bool swapped = frame.pixelFormat() == QVideoFrameFormat::Format_YV12;
        picture.luma = plane(0, 0, bytes);
        picture.blue = plane(swapped ? 2 : 1, 0, bytes);
        picture.red = plane(swapped ? 1 : 2, 0, bytes);
        picture.chromaShiftX = 1;
        picture.chromaShiftY = frame.pixelFormat() == QVideoFrameFormat::Format_YUV422P ? 0 : 1;
        picture.sampleBytes = bytes;
        picture.sampleScale = tenBits ? 4 : 1;
        return picture;
    }
    case QVideoFrameFormat::Format_NV12:
    case QVideoFrameFormat::Format_NV21:
    case QVideoFrameFormat::Format_P010:
    case QVideoFrameFormat::Format_P016: {
        const bool wide = frame.pixelFormat() == QVideoFrameFormat::Format_P010
            || frame.pixelFormat() == QVideoFrameFormat::Format_P016;
        const int bytes = wide ? 2 : 1;
        const bool swapped = frame.pixelFormat() == QVideoFrameFormat::Format_NV21;
        picture.luma = plane(0, 0, bytes);
        picture.blue = plane(1, swapped ? bytes : 0, 2 * bytes);
        picture.red = plane(1, swapped ? 0 : bytes, 2 * bytes);
        picture.chromaShiftX = 1;
        picture.chromaShiftY = 1;
        picture.sampleBytes = bytes;
        // P010 keeps its ten bits at the top of each sample.
        picture.sampleScale = wide ? 256 : 1;
        return picture;
    }
    case QVideoFrameFormat::Format_UYVY:
        picture.luma = plane(0, 1, 2);
        picture.blue = plane(0, 0, 4);
        picture.red = plane(0, 2, 4);
        picture.chromaShiftX = 1;
        return picture;
    case QVideoFrameFormat::Format_YUYV:
        picture.luma = plane(0, 0, 2);
        picture.blue = plane(0, 1, 4);
        picture.red = plane(0, 3, 4);
        picture.chromaShiftX = 1;
        return picture;
    case QVideoFrameFormat::Format_Y8:
    case QVideoFrameFormat::Format_Y16: {
        const bool wide = frame.pixelFormat() == QVideoFrameFormat::Format_Y16;
        picture.luma = plane(0, 0, wide ? 2 : 1);
        picture.sampleBytes = wide ? 2 : 1;
        picture.sampleScale = wide ? 256 : 1;
        picture.coding.fullRange = true;
        return picture;
    }
    default: return std::nullopt;
    }
}

// Qt's own conversion, for the RGB and other layouts read above (none of them 4:2:2).
QImage convertedByQt(const QVideoFrame &frame, bool unclipped)
{
    QImage image = frame.toImage();
    if (image.isNull())
        return {};
    if (frame.mirrored() || frame.rotationAngle() != QVideoFrame::Rotation0) {
        QTransform turn;
        turn.rotate(int(frame.rotationAngle()));
        if (frame.mirrored())
            turn.scale(-1, 1);
        image = image.transformed(turn);
    }
    return image.convertToFormat(unclipped ? QImage::Format_RGBX32FPx4 : QImage::Format_RGB32);
}

bool isFourTwoTwo(QVideoFrameFormat::PixelFormat format)
{
    return format == QVideoFrameFormat::Format_YUV422P || format == QVideoFrameFormat::Format_UYVY
        || format == QVideoFrameFormat::Format_YUYV;
}

} // namespace

YCbCrMatrix videoFrameMatrix(const QVideoFrame &frame)
{
    switch (frame.surfaceFormat().colorSpace()) {
    case QVideoFrameFormat::ColorSpace_BT601: return YCbCrMatrix::bt601;
    case QVideoFrameFormat::ColorSpace_BT709: return YCbCrMatrix::bt709;
    case QVideoFrameFormat::ColorSpace_BT2020: return YCbCrMatrix::bt2020;
    case QVideoFrameFormat::ColorSpace_AdobeRgb:
    case QVideoFrameFormat::ColorSpace_Undefined: break;
    }
    return assumedMatrix(frame.width(), frame.height());
}

QImage videoFrameImage(const QVideoFrame &frame, bool unclipped)
{
    if (!frame.isValid())
        return {};
    QVideoFrame mapped = frame;
    if (!mapped.map(QVideoFrame::ReadOnly))
        return {};
    const std::optional<YCbCrPicture> picture = layoutOf(mapped);
    QImage image;
    if (picture)
        image = unclipped ? picture->toUnclippedImage() : picture->toImage();
    mapped.unmap();
    if (picture || isFourTwoTwo(frame.pixelFormat()))
        return image;
    return convertedByQt(frame, unclipped);
}

} // namespace kinoloom
