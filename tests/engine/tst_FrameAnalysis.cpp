#include "engine/media/FrameAnalysisData.h"
#include "engine/media/FrameAnalysisMath.h"

#include <QColorSpace>
#include <QImage>
#include <QTest>

#include <limits>

using namespace kinoloom;

Q_DECLARE_METATYPE(QList<QPointF>)

namespace {

// A histogram with the given bins set and every other bin at zero.
QList<double> histogram(std::initializer_list<std::pair<int, double>> bins)
{
    QList<double> result(FrameAnalysisMath::binCount, 0.0);
    for (const auto &[index, value] : bins)
        result[index] = value;
    return result;
}

// An image whose pixels are given row by row as premultiplied R, G, B, A bytes.
QImage premultiplied(int width, int height, const QList<QList<int>> &pixels)
{
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    for (int i = 0; i < pixels.size(); ++i) {
        uchar *pixel = image.scanLine(i / width) + (i % width) * 4;
        for (int byte = 0; byte < 4; ++byte)
            pixel[byte] = uchar(pixels[i][byte]);
    }
    return image;
}

void compareHistograms(const QList<QList<double>> &actual, const QList<QList<double>> &expected)
{
    QCOMPARE(actual.size(), 4);
    for (int channel = 0; channel < 4; ++channel) {
        QCOMPARE(actual[channel].size(), FrameAnalysisMath::binCount);
        for (int bin = 0; bin < FrameAnalysisMath::binCount; ++bin) {
            if (qAbs(actual[channel][bin] - expected[channel][bin]) > 1e-9)
                QFAIL(qPrintable(QStringLiteral("channel %1, bin %2: %3, expected %4")
                                     .arg(channel)
                                     .arg(bin)
                                     .arg(actual[channel][bin])
                                     .arg(expected[channel][bin])));
        }
    }
}

} // namespace

class tst_FrameAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void bin_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("just below one bin") << 1.0 / 64 - 1e-9 << 0;
        QTest::newRow("one bin") << 1.0 / 64 << 1;
        QTest::newRow("half") << 0.5 << 32;
        QTest::newRow("one is the last bin") << 1.0 << 63;
        QTest::newRow("negative") << -0.25 << 0;
        QTest::newRow("above one") << 1.7 << 63;
        QTest::newRow("huge") << 1e300 << 63;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 63;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0;
    }

    void bin()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(FrameAnalysisMath::bin(value), expected);
    }

    void luma()
    {
        QCOMPARE(FrameAnalysisMath::luma(1, 0, 0), 0.2126);
        QCOMPARE(FrameAnalysisMath::luma(0, 1, 0), 0.7152);
        QCOMPARE(FrameAnalysisMath::luma(0, 0, 1), 0.0722);
    }

    void analysis_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QList<QList<double>>>("channels");
        QTest::addColumn<QList<QPointF>>("waveform");

        const QList<double> empty = histogram({});
        QTest::newRow("null image") << QImage() << QList<QList<double>>{empty, empty, empty, empty} << QList<QPointF>{};
        QImage transparent(3, 2, QImage::Format_ARGB32);
        transparent.fill(Qt::transparent);
        QTest::newRow("fully transparent")
            << transparent << QList<QList<double>>{empty, empty, empty, empty} << QList<QPointF>{};

        QImage white(1, 1, QImage::Format_RGB32);
        white.fill(Qt::white);
        const QList<double> top = histogram({{63, 1.0}});
        QTest::newRow("one white pixel") << white << QList<QList<double>>{top, top, top, top}
                                         << QList<QPointF>{{0, 1.0}};

        // Premultiplied 128 of alpha 128 is full red: luma 0.2126 falls in bin 13.
        QTest::newRow("half-transparent red")
            << premultiplied(1, 1, {{128, 0, 0, 128}})
            << QList<QList<double>>{histogram({{13, 1.0}}), top, histogram({{0, 1.0}}), histogram({{0, 1.0}})}
            << QList<QPointF>{{0, 0.2126}};

        // Grey and a green of the same luma: luma sits in one bin and reaches 1.0, while the
        // colours, spread over two bins each, share the common peak of 2 and stay at 0.5.
        QTest::newRow("luma concentrated, colours spread")
            << premultiplied(2, 1, {{128, 128, 128, 255}, {0, 179, 0, 255}})
            << QList<QList<double>>{histogram({{32, 1.0}}), histogram({{0, 0.5}, {32, 0.5}}),
                                    histogram({{32, 0.5}, {44, 0.5}}), histogram({{0, 0.5}, {32, 0.5}})}
            << QList<QPointF>{{0, 128 / 255.0}, {1, 0.7152 * 179 / 255.0}};

        // Luma is spread (peak 1) while green piles up in bin 0 (peak 3): luma still reaches
        // 1.0, the colours are scaled by 3.
        QTest::newRow("colour peak above luma peak")
            << premultiplied(3, 1, {{0, 0, 0, 255}, {255, 0, 0, 255}, {0, 0, 255, 255}})
            << QList<QList<double>>{histogram({{0, 1.0}, {4, 1.0}, {13, 1.0}}),
                                    histogram({{0, 2 / 3.0}, {63, 1 / 3.0}}), histogram({{0, 1.0}}),
                                    histogram({{0, 2 / 3.0}, {63, 1 / 3.0}})}
            << QList<QPointF>{{0, 0}, {0.5, 0.2126}, {1.0, 0.0722}};

        // Transparent pixels leave no point; the others keep their column.
        QTest::newRow("transparent pixel skipped")
            << premultiplied(3, 1, {{255, 255, 255, 255}, {0, 0, 0, 0}, {255, 255, 255, 255}})
            << QList<QList<double>>{top, top, top, top} << QList<QPointF>{{0, 1.0}, {1.0, 1.0}};
    }

    void analysis()
    {
        QFETCH(QImage, image);
        QFETCH(QList<QList<double>>, channels);
        QFETCH(QList<QPointF>, waveform);

        const FrameAnalysisData data(image);
        compareHistograms(data.channels(), channels);
        QCOMPARE(data.waveform().size(), waveform.size());
        for (int i = 0; i < waveform.size(); ++i) {
            QVERIFY2(qAbs(data.waveform()[i].x() - waveform[i].x()) < 1e-9, qPrintable(QString::number(i)));
            QVERIFY2(qAbs(data.waveform()[i].y() - waveform[i].y()) < 1e-9, qPrintable(QString::number(i)));
        }
    }

    void waveformColumns_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<double>>("columns");
        QTest::newRow("one pixel wide") << 1 << QList<double>{0};
        QTest::newRow("two pixels wide") << 2 << QList<double>{0, 1.0};
        QTest::newRow("five pixels wide") << 5 << QList<double>{0, 0.25, 0.5, 0.75, 1.0};
    }

    void waveformColumns()
    {
        QFETCH(int, width);
        QFETCH(QList<double>, columns);

        // A horizontal gradient, two rows: the points run row by row, left to right.
        QImage gradient(width, 2, QImage::Format_RGB32);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < width; ++x) {
                const int level = width == 1 ? 255 : 255 * x / (width - 1);
                gradient.setPixel(x, y, qRgb(level, level, level));
            }

        const QList<QPointF> points = FrameAnalysisData(gradient).waveform();
        QCOMPARE(points.size(), 2 * width);
        for (int i = 0; i < points.size(); ++i) {
            const int x = i % width;
            QCOMPARE(points[i].x(), columns[x]);
            const int level = width == 1 ? 255 : 255 * x / (width - 1);
            QVERIFY(qAbs(points[i].y() - level / 255.0) < 1e-9);
        }
    }

    void measuresInSrgb()
    {
        // Half intensity in linear light is about 188 of 255 once encoded as sRGB.
        QImage linear(1, 1, QImage::Format_RGB32);
        linear.fill(qRgb(128, 128, 128));
        linear.setColorSpace(QColorSpace(QColorSpace::SRgbLinear));

        const FrameAnalysisData data(linear);
        QCOMPARE(data.waveform().size(), 1);
        QVERIFY2(qAbs(data.waveform()[0].y() - 188 / 255.0) < 2 / 255.0,
                 qPrintable(QString::number(data.waveform()[0].y() * 255)));
    }

    void largeFrameCountsEveryPixel()
    {
        QImage frame(512, 288, QImage::Format_RGB32);
        frame.fill(qRgb(10, 200, 90));
        const FrameAnalysisData data(frame);
        QCOMPARE(data.waveform().size(), 512 * 288);
        QCOMPARE(data.waveform().last().x(), 1.0);
        for (const QList<double> &channel : data.channels())
            QCOMPARE(*std::max_element(channel.begin(), channel.end()), 1.0);
    }
};

QTEST_GUILESS_MAIN(tst_FrameAnalysis)
#include "tst_FrameAnalysis.moc"
