#include "engine/pipeline/HardwareEncoder.h"
#include "engine/pipeline/Pipeline.h"

#include <QtTest>

using namespace kinoloom;

namespace {

QStringList strings(const char *text)
{
    QStringList list;
    for (const QString &part : QString::fromLatin1(text).split(QLatin1Char(' ')))
        list.append(part);
    return list;
}

} // namespace

class tst_EncoderArguments : public QObject
{
    Q_OBJECT

private slots:
    void videoCodec_data();
    void videoCodec();
    void mainVideoCodec_data();
    void mainVideoCodec();
    void hardwareFallsBackWhenTestEncodeFails();
    void thumbnailTimes_data();
    void thumbnailTimes();
};

void tst_EncoderArguments::videoCodec_data()
{
    QTest::addColumn<bool>("software");
    QTest::addColumn<bool>("hevc");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("software H.264") << true << false
                                    << strings("-c:v libx264 -preset medium -b:v 100M -threads 0 -pix_fmt yuv420p "
                                               "-tag:v avc1 -movflags +faststart");
    QTest::newRow("software HEVC") << true << true
                                   << strings("-c:v libx265 -preset medium -b:v 100M -threads 0 -pix_fmt yuv420p "
                                              "-tag:v hvc1 -movflags +faststart");
    // This machine has no working VA-API device, so the hardware choice falls back to software.
    if (!hardwareEncoder::available(QStringLiteral("h264_vaapi")))
        QTest::newRow("hardware H.264 without a device")
            << false << false
            << strings("-c:v libx264 -preset medium -b:v 100M -threads 0 "
                       "-pix_fmt yuv420p -tag:v avc1 -movflags +faststart");
    if (!hardwareEncoder::available(QStringLiteral("hevc_vaapi")))
        QTest::newRow("hardware HEVC without a device") << false << true
                                                        << strings("-c:v libx265 -preset medium -b:v 100M -threads 0 "
                                                                   "-pix_fmt yuv420p -tag:v hvc1 -movflags +faststart");
}

void tst_EncoderArguments::videoCodec()
{
    QFETCH(bool, software);
    QFETCH(bool, hevc);
    QFETCH(QStringList, expected);
    ProcessingSettings settings;
    settings.softwareEncoding = software;
    QCOMPARE(Pipeline::videoCodec(settings, hevc, QStringLiteral("100M")), expected);
}

void tst_EncoderArguments::mainVideoCodec_data()
{
    QTest::addColumn<ExportCodec>("codec");
    QTest::addColumn<int>("fps");
    QTest::addColumn<QStringList>("video");
    QTest::addColumn<QString>("audio");
    QTest::addColumn<bool>("lossless");

    QTest::newRow("h264 at 30 fps") << ExportCodec::h264 << 30
                                    << strings("-c:v libx264 -preset medium -b:v 45M -threads 0 -pix_fmt yuv420p "
                                               "-tag:v avc1 -movflags +faststart")
                                    << "aac" << false;
    QTest::newRow("h264 at 50 fps") << ExportCodec::h264 << 50
                                    << strings("-c:v libx264 -preset medium -b:v 60M -threads 0 -pix_fmt yuv420p "
                                               "-tag:v avc1 -movflags +faststart")
                                    << "aac" << false;
    QTest::newRow("hevc at 31 fps") << ExportCodec::hevc << 31
                                    << strings("-c:v libx265 -preset medium -b:v 60M -threads 0 -pix_fmt yuv420p "
                                               "-tag:v hvc1 -movflags +faststart")
                                    << "aac" << false;
    QTest::newRow("av1") << ExportCodec::av1 << 60
                         << strings(
                                "-c:v libsvtav1 -preset 6 -crf 22 -pix_fmt yuv420p -tag:v av01 -movflags +faststart")
                         << "aac" << false;
    QTest::newRow("prores") << ExportCodec::prores << 30 << strings("-c:v prores_ks -profile:v 3 -pix_fmt yuv422p10le")
                            << "pcm_s24le" << true;
    QTest::newRow("ffv1") << ExportCodec::ffv1 << 30
                          << strings("-c:v ffv1 -level 3 -slices 16 -pix_fmt yuv444p16le -threads 0") << "pcm_s24le"
                          << true;
}

void tst_EncoderArguments::mainVideoCodec()
{
    QFETCH(ExportCodec, codec);
    QFETCH(int, fps);
    QFETCH(QStringList, video);
    QFETCH(QString, audio);
    QFETCH(bool, lossless);
    ProcessingSettings settings;
    settings.softwareEncoding = true;
    settings.fps = fps;
    settings.exportCodec = codec;
    const MainVideoCodec result = Pipeline::mainVideoCodec(settings);
    QCOMPARE(result.videoArguments, video);
    QCOMPARE(result.audioCodec, audio);
    QCOMPARE(result.lossless, lossless);
}

void tst_EncoderArguments::hardwareFallsBackWhenTestEncodeFails()
{
    // A "device" that is no VA-API device: the one-frame encode fails and so the encoder is not used.
    QTemporaryDir dir;
    const QString fake = dir.filePath(QStringLiteral("renderD128"));
    QFile file(fake);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!hardwareEncoder::testEncode(QStringLiteral("h264_vaapi"), fake));

    const QStringList vaapi = hardwareEncoder::vaapiArguments(QStringLiteral("hevc_vaapi"), fake, QStringLiteral("9M"));
    QVERIFY(hardwareEncoder::needsUpload(vaapi));
    QVERIFY(!hardwareEncoder::needsUpload(strings("-c:v libx264")));
    if (!hardwareEncoder::renderNode())
        QVERIFY(!hardwareEncoder::available(QStringLiteral("h264_vaapi")));
}

void tst_EncoderArguments::thumbnailTimes_data()
{
    QTest::addColumn<double>("total");
    QTest::addColumn<double>("offset");
    QTest::addColumn<bool>("title");
    QTest::addColumn<QList<double>>("expected");

    QTest::newRow("plain tenths") << 60.0 << 0.0 << false << QList<double>{6, 12, 18, 24, 30, 36, 42, 48};
    QTest::newRow("two show the title") << 60.0 << 0.0 << true << QList<double>{5.3, 7.46, 18, 24, 30, 36, 42, 48};
    QTest::newRow("window cut at the end")
        << 5.0 << 0.0 << true << QList<double>{4.3, 4.66, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0};
    QTest::newRow("no window in a short film")
        << 3.0 << 0.0 << true << QList<double>{0.3, 0.6, 0.9, 1.2, 1.5, 1.8, 2.1, 2.4};
    QTest::newRow("after a hook opening")
        << 63.0 << 3.0 << true << QList<double>{8.3, 10.46, 18.9, 25.2, 31.5, 37.8, 44.1, 50.4};
    QTest::newRow("almost nothing") << 0.05 << 0.0 << true << QList<double>{0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("never past 0.1 s before the end")
        << 0.5 << 0.0 << false << QList<double>{0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4};
}

void tst_EncoderArguments::thumbnailTimes()
{
    QFETCH(double, total);
    QFETCH(double, offset);
    QFETCH(bool, title);
    QFETCH(QList<double>, expected);
    const QList<double> times = Pipeline::thumbnailTimes(total, offset, title);
    QCOMPARE(times.size(), 8);
    for (int i = 0; i < 8; ++i) {
        if (qAbs(times[i] - expected[i]) > 1e-9)
            QFAIL(qPrintable(
                QStringLiteral("candidate %1 is %2, expected %3").arg(i + 1).arg(times[i]).arg(expected[i])));
    }
}

QTEST_GUILESS_MAIN(tst_EncoderArguments)
#include "tst_EncoderArguments.moc"
