#include "engine/pipeline/Pipeline.h"
#include "engine/pipeline/SegmentArguments.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"
#include "model/StudioError.h"
#include "support/FakeFFmpegOnPath.h"
#include "support/MediaFacts.h"
#include "support/MediaFixtures.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <mutex>

using namespace kinoloom;

namespace {

const QString awkwardName = QStringLiteral("Dad's trip: day 1, [a]; b");

enum class Source { movie, silentMovie, still, deepMovie };

} // namespace

Q_DECLARE_METATYPE(Source)

class tst_PipelineSegments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void segmentsHaveExactLengthSizeAndSound_data();
    void segmentsHaveExactLengthSizeAndSound();
    void theCreativeLookIsBlendedAtItsStrength();
    void aRenderedSegmentIsReusedFromTheCache();
    void failedRunsLeaveNoFinishedSegment_data();
    void failedRunsLeaveNoFinishedSegment();
    void aBrokenLookIsNamedBeforeTheRender();
    void colourStagesKeepTheSourcesMatrix_data();
    void colourStagesKeepTheSourcesMatrix();
    void segmentsKeepTheDepthOfTheirSource_data();
    void segmentsKeepTheDepthOfTheirSource();

private:
    struct Rendered
    {
        QString path;
        QStringList stages;
        QList<double> progress;
    };
    MediaAsset asset(Source source) const;
    Rendered render(const MediaAsset &clip, const ProcessingSettings &settings, int index, double duration, bool tail,
                    bool stylish, int width = 256, int height = 144,
                    const std::optional<QString> &pixelFormat = std::nullopt);

    QTemporaryDir m_temp;
    QString m_root;
    QString m_job;
    std::unique_ptr<test::MediaFixtures> m_media;
};

void tst_PipelineSegments::initTestCase()
{
    QVERIFY(m_temp.isValid());
    m_root = m_temp.path() + QLatin1Char('/') + awkwardName;
    QVERIFY(QDir().mkpath(m_root + QStringLiteral("/Media")));
    m_media = std::make_unique<test::MediaFixtures>(m_root + QStringLiteral("/Media"));
    m_job = Pipeline::renderJobFolder(m_root);
}

MediaAsset tst_PipelineSegments::asset(Source source) const
{
    switch (source) {
    case Source::movie:
        return MediaAsset::create(m_media->clip(), QStringLiteral("clip.mp4"), 2, 320, 180, 30, true, false);
    case Source::silentMovie:
        return MediaAsset::create(m_media->silentClip(), QStringLiteral("silent.mp4"), 2, 320, 180, 30, false, false);
    case Source::deepMovie:
        return MediaAsset::create(m_media->proresMovie(), QStringLiteral("prores.mov"), 2, 320, 180, 30, false, false);
    case Source::still: break;
    }
    return MediaAsset::create(m_media->still(), QStringLiteral("still.png"), 0, 320, 180, 0, false, true);
}

tst_PipelineSegments::Rendered tst_PipelineSegments::render(const MediaAsset &clip, const ProcessingSettings &settings,
                                                            int index, double duration, bool tail, bool stylish,
                                                            int width, int height,
                                                            const std::optional<QString> &pixelFormat)
{
    Rendered rendered;
    std::mutex lock;
    Pipeline pipeline;
    pipeline.runner = std::make_shared<ProcessRunner>();
    pipeline.segmentPixelFormat = pixelFormat;
    pipeline.update = [&](const QString &stage, std::optional<double>) {
        std::lock_guard guard(lock);
        if (rendered.stages.isEmpty() || rendered.stages.last() != stage)
            rendered.stages << stage;
    };
    rendered.path = pipeline.renderSegment(clip, settings, m_job, Pipeline::cacheRoot(m_root), index, width, height,
                                           duration, tail, stylish, [&](double p) {
                                               std::lock_guard guard(lock);
                                               rendered.progress << p;
                                           });
    return rendered;
}

void tst_PipelineSegments::segmentsHaveExactLengthSizeAndSound_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<int>("fps");
    QTest::addColumn<double>("duration");
    QTest::addColumn<bool>("tail");
    QTest::addColumn<std::optional<double>>("clipEnd");
    QTest::addColumn<int>("index");

    QTest::newRow("movie with sound") << Source::movie << 30 << 1.5 << false << std::optional<double>() << 0;
    QTest::newRow("movie without sound gets silence")
        << Source::silentMovie << 25 << 1.2 << false << std::optional<double>() << 1;
    QTest::newRow("zooming still") << Source::still << 30 << 1.0 << false << std::optional<double>() << 2;
    // Frame snapping may ask one frame more than the file holds; the last picture is held.
    QTest::newRow("one frame past the end of the file")
        << Source::movie << 30 << 61.0 / 30 << false << std::optional<double>() << 3;
    // The start (8 microseconds) would be written 8e-06 in exponent form, which FFmpeg refuses.
    QTest::newRow("tail starting a few microseconds in")
        << Source::movie << 30 << 1.0 << true << std::optional<double>(1.000008) << 4;
}

void tst_PipelineSegments::segmentsHaveExactLengthSizeAndSound()
{
    QFETCH(Source, source);
    QFETCH(int, fps);
    QFETCH(double, duration);
    QFETCH(bool, tail);
    QFETCH(std::optional<double>, clipEnd);
    QFETCH(int, index);

    MediaAsset clip = asset(source);
    clip.clipEnd = clipEnd;
    clip.setCropScale(1.2);
    ProcessingSettings settings;
    settings.fps = fps;
    const Rendered rendered = render(clip, settings, index, duration, tail, false);

    QCOMPARE(rendered.path, m_job + QStringLiteral("/segment-%1.mkv").arg(index));
    const test::MediaFacts facts = test::inspectMedia(rendered.path);
    QCOMPARE(facts.videoCodec, QStringLiteral("ffv1"));
    QCOMPARE(facts.width, 256);
    QCOMPARE(facts.height, 144);
    QCOMPARE(facts.videoFrames, std::llround(duration * fps));
    QCOMPARE(facts.audioCodec, QStringLiteral("pcm_s24le"));
    QCOMPARE(facts.sampleRate, 48000);
    QCOMPARE(facts.channels, 2);
    QVERIFY2(std::abs(facts.audioSeconds - duration) < 0.002, qPrintable(QString::number(facts.audioSeconds)));
    QCOMPARE(rendered.stages.first(), QStringLiteral("Rendering clip %1 \u00B7 %2").arg(index + 1).arg(clip.name));
    QCOMPARE(rendered.progress.first(), 0.0);
    QCOMPARE(rendered.progress.last(), 1.0);
}

void tst_PipelineSegments::theCreativeLookIsBlendedAtItsStrength()
{
    // The test LUT inverts every channel; blended half and half with the picture, every pixel
    // becomes the same middle grey, which no unblended or ungraded frame would be.
    ProcessingSettings settings;
    settings.setGradeToAll(true);
    settings.stylishLUT = m_media->lut();
    settings.lutStrength = 50;
    const Rendered rendered = render(asset(Source::movie), settings, 20, 1.0, false, true, 320, 180);

    const test::MediaFacts facts = test::inspectMedia(rendered.path);
    QCOMPARE(facts.videoFrames, 30);
    QCOMPARE(facts.width, 320);
    QCOMPARE(facts.sampleRate, 48000);
    QCOMPARE(facts.channels, 2);
    QVERIFY(QFileInfo::exists(m_job + QStringLiteral("/segment-20.look.cube")));
    const QByteArray luma = test::firstFrameLuma(rendered.path);
    QCOMPARE(luma.size(), 320 * 180);
    QVERIFY2(test::lumaSpread(luma) < 3, qPrintable(QString::number(test::lumaSpread(luma))));
    QVERIFY(test::lumaSpread(test::firstFrameLuma(m_media->clip())) > 30); // the picture itself is far from flat

    // The full grade renders too.
    settings.contrast = 1.1;
    settings.setContrastStretch(20);
    settings.setHighlightRecovery(30);
    settings.temperature = 0.1;
    QCOMPARE(test::inspectMedia(render(asset(Source::movie), settings, 21, 1.0, false, true).path).videoFrames, 30);
}

void tst_PipelineSegments::aRenderedSegmentIsReusedFromTheCache()
{
    const MediaAsset clip = asset(Source::still);
    ProcessingSettings settings;
    const Rendered fresh = render(clip, settings, 30, 1.0, false, false);
    const Rendered again = render(clip, settings, 30, 1.0, false, false);
    QVERIFY(again.path.startsWith(Pipeline::cacheRoot(m_root) + QStringLiteral("/Segments/")));
    QCOMPARE(again.stages, QStringList{QStringLiteral("Reusing cached clip 31 \u00B7 still.png")});
    QCOMPARE(QFileInfo(again.path).size(), QFileInfo(fresh.path).size());
}

void tst_PipelineSegments::failedRunsLeaveNoFinishedSegment_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("message");
    QTest::newRow("FFmpeg fails half way")
        << QByteArray("for last; do :; done\necho half > \"$last\"\nexit 1\n") << QString();
    QTest::newRow("FFmpeg writes nothing")
        << QByteArray("exit 0\n") << QStringLiteral("Rendered clip produced no output: clip.mp4");
}

void tst_PipelineSegments::failedRunsLeaveNoFinishedSegment()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, message);

    const MediaAsset clip = asset(Source::movie);
    const QString fakes = m_temp.path() + QStringLiteral("/fake ffmpeg");
    QVERIFY(QDir().mkpath(fakes));
    try {
        test::FakeFFmpegOnPath fake(fakes, script);
        render(clip, ProcessingSettings(), 40, 1.0, false, false);
        QFAIL("the failed run produced a segment");
    } catch (const ProcessFailure &) {
        QVERIFY(message.isEmpty());
    } catch (const StudioError &error) {
        QCOMPARE(error.message(), message);
    }
    // A resumed render looks for segment-40.mkv and its key: neither may exist. What the failed
    // run wrote can never be used.
    QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentFile(m_job, 40)));
    QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentKeyFile(m_job, 40)));
    QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentPartialFile(m_job, 40)));
}

void tst_PipelineSegments::aBrokenLookIsNamedBeforeTheRender()
{
    const QString look = m_root + QStringLiteral("/Looks/Teal 50%done.cube");
    QVERIFY(test::writeFile(look, "TITLE \"broken\"\nLUT_3D_SIZE 2\n0 0 0\n"));
    ProcessingSettings settings;
    settings.stylishLUT = look;
    settings.setGradeToAll(true);
    try {
        render(asset(Source::movie), settings, 50, 1.0, false, true);
        QFAIL("a broken look was taken");
    } catch (const StudioError &error) {
        QCOMPARE(error.message(),
                 QStringLiteral("The LUT file “Teal 50%done.cube” could not be read, so “clip.mp4” "
                                "could not be rendered. Choose a LUT file that FFmpeg can read, such "
                                "as a .cube file."));
    }
    QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentPartialFile(m_job, 50)));
    QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentFile(m_job, 50)));
}

void tst_PipelineSegments::colourStagesKeepTheSourcesMatrix_data()
{
    QTest::addColumn<QString>("colourSpace");
    QTest::addColumn<QString>("matrix");
    QTest::newRow("tagged BT.709") << QStringLiteral("bt709") << QStringLiteral("bt709");
    QTest::newRow("tagged BT.601") << QStringLiteral("smpte170m") << QStringLiteral("bt601");
    QTest::newRow("tagged BT.2020") << QStringLiteral("bt2020nc") << QStringLiteral("bt2020");
}

// Pure green in the source's own matrix, through a levels stage that changes nothing and a look
// that changes nothing: the picture goes to R'G'B' and must come back as it was. (FFmpeg 5.1 on
// its own comes back with BT.601, which darkens a BT.709 green from luma 173 to 145.)
void tst_PipelineSegments::colourStagesKeepTheSourcesMatrix()
{
    QFETCH(QString, colourSpace);
    QFETCH(QString, matrix);
    const QString source = m_root + QStringLiteral("/Media/green-") + colourSpace + QStringLiteral(".mp4");
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("color=c=0x00ff00:s=320x180:d=1"),
                  QStringLiteral("-vf"), QStringLiteral("scale=out_color_matrix=%1,format=yuv420p").arg(matrix),
                  QStringLiteral("-colorspace"), colourSpace, QStringLiteral("-c:v"), QStringLiteral("libx264"),
                  QStringLiteral("-qp"), QStringLiteral("0"), source});
    QVERIFY(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
    const QByteArray original = test::firstFrameLuma(source);
    QVERIFY(!original.isEmpty());

    const QString identity = m_root + QStringLiteral("/Looks/identity.cube");
    QVERIFY(test::writeFile(identity, "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n"));
    const MediaAsset clip = MediaAsset::create(source, QStringLiteral("green.mp4"), 1, 320, 180, 30, false, false);
    for (const bool stylish : {false, true}) {
        ProcessingSettings settings;
        settings.setGradeToAll(true);
        settings.setContrastStretch(0.0001);
        settings.stylishLUT = identity;
        settings.lutStrength = 50;
        const QByteArray graded = test::firstFrameLuma(
            render(clip, settings, 60, 0.5, false, stylish, 320, 180, SegmentArguments::deepPixelFormat).path);
        QCOMPARE(graded.size(), original.size());
        const int before = uchar(original[original.size() / 2]);
        const int after = uchar(graded[graded.size() / 2]);
        QVERIFY2(qAbs(before - after) <= 1, qPrintable(QStringLiteral("luma %1 became %2").arg(before).arg(after)));

        // An 8-bit segment is the film's R'G'B' itself: the green it was.
        const QString eightBit =
            render(clip, settings, 61, 0.5, false, stylish, 320, 180, SegmentArguments::eightBitPixelFormat).path;
        QProcess decode;
        decode.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), eightBit,
                      QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-f"),
                      QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("rgb24"),
                      QStringLiteral("-")});
        QVERIFY(decode.waitForFinished(60000) && decode.exitCode() == 0);
        const QByteArray rgb = decode.readAllStandardOutput();
        QCOMPARE(rgb.size(), 320 * 180 * 3);
        const qsizetype middle = (90 * 320 + 160) * 3;
        const int red = uchar(rgb[middle]), green = uchar(rgb[middle + 1]), blue = uchar(rgb[middle + 2]);
        QVERIFY2(red <= 2 && green >= 253 && blue <= 2,
                 qPrintable(QStringLiteral("green came back as %1, %2, %3").arg(red).arg(green).arg(blue)));
    }
}

// A segment keeps every bit of its source and no more; one that joins deeper segments in an
// output is kept as deep as they are.
void tst_PipelineSegments::segmentsKeepTheDepthOfTheirSource_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<std::optional<QString>>("outputFormat");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("index");
    const std::optional<QString> own;
    QTest::newRow("8-bit movie") << Source::movie << own << QStringLiteral("bgr0") << 40;
    QTest::newRow("still") << Source::still << own << QStringLiteral("bgr0") << 41;
    QTest::newRow("10-bit movie") << Source::deepMovie << own << QStringLiteral("yuv444p16le") << 42;
    QTest::newRow("8-bit movie in a deeper output")
        << Source::movie << std::optional<QString>(QStringLiteral("yuv444p16le")) << QStringLiteral("yuv444p16le")
        << 43;
}

void tst_PipelineSegments::segmentsKeepTheDepthOfTheirSource()
{
    QFETCH(Source, source);
    QFETCH(std::optional<QString>, outputFormat);
    QFETCH(QString, expected);
    QFETCH(int, index);
    ProcessingSettings settings;
    settings.setGradeToAll(true);
    settings.temperature = 0.1; // through R'G'B' and back
    const Rendered rendered = render(asset(source), settings, index, 0.5, false, false, 256, 144, outputFormat);
    const test::MediaFacts facts = test::inspectMedia(rendered.path);
    QCOMPARE(facts.pixelFormat, expected);
    QCOMPARE(facts.videoFrames, 15);
}

QTEST_GUILESS_MAIN(tst_PipelineSegments)
#include "tst_PipelineSegments.moc"
