#include "engine/media/ProbeResult.h"
#include "model/StudioError.h"

#include <QSize>
#include <QTest>

using namespace kinoloom;

Q_DECLARE_METATYPE(kinoloom::ProbeResult)

namespace {

ProbeResult result(double duration, int width, int height, double fps, bool hasAudio, const QString &codec,
                   const QString &audioCodec)
{
    ProbeResult probe;
    probe.duration = duration;
    probe.width = width;
    probe.height = height;
    probe.fps = fps;
    probe.hasAudio = hasAudio;
    probe.codec = codec;
    probe.audioCodec = audioCodec;
    return probe;
}

const QString unknown = QStringLiteral("unknown");

} // namespace

class tst_ProbeResult : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsFFprobeJson_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<ProbeResult>("expected");
        const QString h264 = QStringLiteral("h264");

        QTest::newRow("movie with sound")
            << QByteArray(R"({"streams": [
                   {"codec_type": "video", "codec_name": "h264", "width": 1920, "height": 1080, "avg_frame_rate": "30000/1001"},
                   {"codec_type": "audio", "codec_name": "aac", "avg_frame_rate": "0/0"}],
                 "format": {"duration": "12.500000"}})")
            << result(12.5, 1920, 1080, 30000.0 / 1001, true, h264, QStringLiteral("aac"));
        QTest::newRow("sound first, first video wins")
            << QByteArray(R"({"streams": [
                   {"codec_type": "audio", "codec_name": "pcm_s24le"},
                   {"codec_type": "video", "codec_name": "ffv1", "width": 320, "height": 180, "avg_frame_rate": "25/1"},
                   {"codec_type": "video", "codec_name": "png", "width": 16, "height": 16, "avg_frame_rate": "1/1"}],
                 "format": {"duration": "2"}})")
            << result(2, 320, 180, 25, true, QStringLiteral("ffv1"), QStringLiteral("pcm_s24le"));
        QTest::newRow("still: N/A duration")
            << QByteArray(R"({"streams": [{"codec_type": "video", "codec_name": "png", "width": 320, "height": 180,
                 "avg_frame_rate": "25/1"}], "format": {"duration": "N/A"}})")
            << result(0, 320, 180, 25, false, QStringLiteral("png"), unknown);
        QTest::newRow("zero denominator")
            << QByteArray(R"({"streams": [{"codec_type": "video", "codec_name": "h264", "avg_frame_rate": "0/0"}],
                 "format": {"duration": "1.0"}})")
            << result(1, 0, 0, 0, false, h264, unknown);
        QTest::newRow("bare rate, no format, no sizes")
            << QByteArray(R"({"streams": [{"codec_type": "video", "codec_name": "h264", "avg_frame_rate": "25"}]})")
            << result(0, 0, 0, 0, false, h264, unknown);
        QTest::newRow("missing rate and codec")
            << QByteArray(R"({"streams": [{"codec_type": "video", "width": 640, "height": 360}], "format": {}})")
            << result(0, 640, 360, 0, false, unknown, unknown);
        QTest::newRow("malformed members read as defaults")
            << QByteArray(R"({"streams": [{"codec_type": "video", "codec_name": 7, "width": "640", "height": 360.5,
                   "avg_frame_rate": "x/25"},
                   {"codec_type": "audio", "codec_name": null}],
                 "format": {"duration": " 3.0"}})")
            << result(0, 0, 0, 0, true, unknown, unknown);
        QTest::newRow("format of another type, duration as number")
            << QByteArray(R"({"streams": [{"codec_type": "video", "avg_frame_rate": "24/1"}], "format": [1]})")
            << result(0, 0, 0, 24, false, unknown, unknown);
        QTest::newRow("duration as number, not text")
            << QByteArray(R"({"streams": [{"codec_type": "video"}], "format": {"duration": 4.0}})")
            << result(0, 0, 0, 0, false, unknown, unknown);
        QTest::newRow("non-finite and negative numbers")
            << QByteArray(R"({"streams": [{"codec_type": "video", "avg_frame_rate": "inf/1"}],
                 "format": {"duration": "-1.5"}})")
            << result(0, 0, 0, 0, false, unknown, unknown);
        QTest::newRow("cover art beside a movie")
            << QByteArray(R"({"streams": [
                   {"codec_type": "video", "codec_name": "mjpeg", "width": 600, "height": 600, "disposition": {"attached_pic": 1}},
                   {"codec_type": "video", "codec_name": "hevc", "width": 3840, "height": 2160, "avg_frame_rate": "60/1",
                    "disposition": {"attached_pic": 0}}],
                 "format": {"duration": "8.25"}})")
            << result(8.25, 3840, 2160, 60, false, QStringLiteral("hevc"), unknown);
        // A movie lasts as long as its picture, not as its longest stream.
        QTest::newRow("sound outlasts the picture") << QByteArray(R"({"streams": [
                   {"codec_type": "video", "codec_name": "h264", "avg_frame_rate": "30/1", "duration": "2.000000"},
                   {"codec_type": "audio", "codec_name": "aac", "duration": "3.000000"}],
                 "format": {"duration": "3.000000"}})")
                                                    << result(2, 0, 0, 30, true, h264, QStringLiteral("aac"));
        QTest::newRow("Matroska: the picture's DURATION tag")
            << QByteArray(R"({"streams": [
                   {"codec_type": "video", "codec_name": "ffv1", "tags": {"DURATION": "00:01:02.500000000"}},
                   {"codec_type": "audio", "codec_name": "pcm_s24le", "tags": {"DURATION": "00:01:03.500000000"}}],
                 "format": {"duration": "63.500000"}})")
            << result(62.5, 0, 0, 0, true, QStringLiteral("ffv1"), QStringLiteral("pcm_s24le"));
        QTest::newRow("unusable stream lengths: the container's") << QByteArray(R"({"streams": [
                   {"codec_type": "video", "codec_name": "h264", "duration": "N/A", "tags": {"DURATION": "1:2"}}],
                 "format": {"duration": "4.0"}})") << result(4, 0, 0, 0, false, h264, unknown);
        QTest::newRow("zero stream length: the container's")
            << QByteArray(R"({"streams": [{"codec_type": "video", "codec_name": "h264", "duration": "0.000000"}],
                 "format": {"duration": "4.0"}})")
            << result(4, 0, 0, 0, false, h264, unknown);
    }
    void readsFFprobeJson()
    {
        QFETCH(QByteArray, json);
        QFETCH(ProbeResult, expected);
        const ProbeResult actual = ProbeResult::fromFFprobeJson(json, QStringLiteral("clip.mov"));
        QCOMPARE(actual.duration, expected.duration);
        QCOMPARE(actual.width, expected.width);
        QCOMPARE(actual.height, expected.height);
        QCOMPARE(actual.fps, expected.fps);
        QCOMPARE(actual.hasAudio, expected.hasAudio);
        QCOMPARE(actual.codec, expected.codec);
        QCOMPARE(actual.audioCodec, expected.audioCodec);
    }

    void recordsTheColourMatrix_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<QString>("expected");
        QTest::newRow("BT.709") << QByteArray(R"("color_space": "bt709",)") << QStringLiteral("bt709");
        QTest::newRow("BT.2020") << QByteArray(R"("color_space": "bt2020nc",)") << QStringLiteral("bt2020nc");
        QTest::newRow("unknown is none") << QByteArray(R"("color_space": "unknown",)") << QString();
        QTest::newRow("absent") << QByteArray() << QString();
        QTest::newRow("not text") << QByteArray(R"("color_space": 1,)") << QString();
    }

    void recordsTheColourMatrix()
    {
        QFETCH(QByteArray, member);
        QFETCH(QString, expected);
        const QByteArray json = R"({"streams": [{)" + member + R"("codec_type": "video"}]})";
        QCOMPARE(ProbeResult::fromFFprobeJson(json, QStringLiteral("clip.mov")).colourSpace, expected);
    }

    // HDR and interlaced pictures are known by what the stream declares.
    void recordsTransferPrimariesRangeAndFields_data()
    {
        QTest::addColumn<QByteArray>("members");
        QTest::addColumn<QStringList>("expected"); // transfer, primaries, range, field order
        QTest::addColumn<bool>("hdr");
        QTest::addColumn<bool>("interlaced");
        QTest::addColumn<bool>("topFirst");
        QTest::newRow("phone HDR, PQ") << QByteArray(
            R"("color_transfer": "smpte2084", "color_primaries": "bt2020", "color_range": "tv",
                 "field_order": "progressive",)")
                                       << QStringList{QStringLiteral("smpte2084"), QStringLiteral("bt2020"),
                                                      QStringLiteral("tv"), QStringLiteral("progressive")}
                                       << true << false << false;
        QTest::newRow("HLG") << QByteArray(R"("color_transfer": "arib-std-b67",)")
                             << QStringList{QStringLiteral("arib-std-b67"), QString(), QString(), QString()} << true
                             << false << false;
        QTest::newRow("SDR BT.709") << QByteArray(R"("color_transfer": "bt709", "color_primaries": "bt709",)")
                                    << QStringList{QStringLiteral("bt709"), QStringLiteral("bt709"), QString(),
                                                   QString()}
                                    << false << false << false;
        QTest::newRow("unknown says nothing")
            << QByteArray(R"("color_transfer": "unknown", "color_primaries": "unknown", "field_order": "unknown",)")
            << QStringList{QString(), QString(), QString(), QString()} << false << false << false;
        QTest::newRow("top field first") << QByteArray(R"("field_order": "tt",)")
                                         << QStringList{QString(), QString(), QString(), QStringLiteral("tt")} << false
                                         << true << true;
        QTest::newRow("bottom field first")
            << QByteArray(R"("field_order": "bb",)")
            << QStringList{QString(), QString(), QString(), QStringLiteral("bb")} << false << true << false;
        // The second letter is the field shown first.
        QTest::newRow("top coded, bottom shown first")
            << QByteArray(R"("field_order": "tb",)")
            << QStringList{QString(), QString(), QString(), QStringLiteral("tb")} << false << true << false;
        QTest::newRow("bottom coded, top shown first")
            << QByteArray(R"("field_order": "bt",)")
            << QStringList{QString(), QString(), QString(), QStringLiteral("bt")} << false << true << true;
        QTest::newRow("not text") << QByteArray(R"("color_transfer": 16, "field_order": ["tt"],)")
                                  << QStringList{QString(), QString(), QString(), QString()} << false << false << false;
    }
    void recordsTransferPrimariesRangeAndFields()
    {
        QFETCH(QByteArray, members);
        QFETCH(QStringList, expected);
        QFETCH(bool, hdr);
        QFETCH(bool, interlaced);
        QFETCH(bool, topFirst);
        const QByteArray json = R"({"streams": [{)" + members + R"("codec_type": "video"}]})";
        const ProbeResult probe = ProbeResult::fromFFprobeJson(json, QStringLiteral("clip.mov"));
        QCOMPARE((QStringList{probe.colourTransfer, probe.colourPrimaries, probe.colourRange, probe.fieldOrder}),
                 expected);
        QCOMPARE(probe.isHDR(), hdr);
        QCOMPARE(probe.isInterlaced(), interlaced);
        if (interlaced)
            QCOMPARE(probe.topFieldFirst(), topFirst);
    }

    // A phone's portrait clip is stored on its side; its size is the one it is shown at.
    void recordsTheDisplayedSizeOfARotatedPicture_data()
    {
        QTest::addColumn<QByteArray>("rotation");
        QTest::addColumn<QSize>("size");
        const QSize landscape(1280, 720);
        const QSize portrait(720, 1280);
        QTest::newRow("none") << QByteArray() << landscape;
        QTest::newRow("display matrix 90") << QByteArray(R"("side_data_list": [{"rotation": 90}])") << portrait;
        QTest::newRow("display matrix -90")
            << QByteArray(R"("side_data_list": [{"side_data_type": "Display Matrix", "rotation": -90}])") << portrait;
        QTest::newRow("display matrix 270") << QByteArray(R"("side_data_list": [{"rotation": 270}])") << portrait;
        QTest::newRow("display matrix -270") << QByteArray(R"("side_data_list": [{"rotation": -270}])") << portrait;
        QTest::newRow("upside down") << QByteArray(R"("side_data_list": [{"rotation": 180}])") << landscape;
        QTest::newRow("other side data first")
            << QByteArray(R"("side_data_list": [{"side_data_type": "CPB properties"}, {"rotation": -90}])") << portrait;
        QTest::newRow("rotate tag of older files") << QByteArray(R"("tags": {"rotate": "90"})") << portrait;
        QTest::newRow("rotate tag 180") << QByteArray(R"("tags": {"rotate": "180"})") << landscape;
        QTest::newRow("unreadable rotate tag") << QByteArray(R"("tags": {"rotate": "sideways"})") << landscape;
        QTest::newRow("rotation of another type")
            << QByteArray(R"("side_data_list": [{"rotation": [90]}])") << landscape;
    }
    void recordsTheDisplayedSizeOfARotatedPicture()
    {
        QFETCH(QByteArray, rotation);
        QFETCH(QSize, size);
        const QByteArray json = R"({"streams": [{"codec_type": "video", "codec_name": "h264", "width": 1280,
            "height": 720)"
            + (rotation.isEmpty() ? QByteArray() : ", " + rotation) + R"(}], "format": {"duration": "3.0"}})";
        const ProbeResult probed = ProbeResult::fromFFprobeJson(json, QStringLiteral("portrait.mp4"));
        QCOMPARE(QSize(probed.width, probed.height), size);
    }

    // The depth of the samples decides how deep a rendered segment must be to lose nothing.
    void tellsWhetherTheSamplesFitIn8Bits_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<QString>("pixelFormat");
        QTest::addColumn<bool>("eightBits");
        QTest::newRow("phone H.264") << QByteArray(R"("pix_fmt": "yuv420p",)") << QStringLiteral("yuv420p") << true;
        QTest::newRow("full-range JPEG") << QByteArray(R"("pix_fmt": "yuvj422p",)") << QStringLiteral("yuvj422p")
                                         << true;
        QTest::newRow("PNG with alpha") << QByteArray(R"("pix_fmt": "rgba",)") << QStringLiteral("rgba") << true;
        QTest::newRow("ProRes 10-bit") << QByteArray(R"("pix_fmt": "yuv422p10le",)") << QStringLiteral("yuv422p10le")
                                       << false;
        QTest::newRow("HEVC 10-bit semi-planar")
            << QByteArray(R"("pix_fmt": "p010le",)") << QStringLiteral("p010le") << false;
        // "nv12" is 8 bits; its digits name the layout, not the depth.
        QTest::newRow("NV12") << QByteArray(R"("pix_fmt": "nv12",)") << QStringLiteral("nv12") << true;
        QTest::newRow("16-bit PNG") << QByteArray(R"("pix_fmt": "rgb48be",)") << QStringLiteral("rgb48be") << false;
        QTest::newRow("16-bit grey") << QByteArray(R"("pix_fmt": "gray16be",)") << QStringLiteral("gray16be") << false;
        QTest::newRow("absent counts as deeper") << QByteArray() << QString() << false;
        QTest::newRow("not text") << QByteArray(R"("pix_fmt": 0,)") << QString() << false;
        QTest::newRow("unfamiliar counts as deeper")
            << QByteArray(R"("pix_fmt": "bayer_rggb16le",)") << QStringLiteral("bayer_rggb16le") << false;
    }
    void tellsWhetherTheSamplesFitIn8Bits()
    {
        QFETCH(QByteArray, member);
        QFETCH(QString, pixelFormat);
        QFETCH(bool, eightBits);
        const QByteArray json = R"({"streams": [{)" + member + R"("codec_type": "video"}]})";
        const ProbeResult probe = ProbeResult::fromFFprobeJson(json, QStringLiteral("clip.mov"));
        QCOMPARE(probe.pixelFormat, pixelFormat);
        QCOMPARE(probe.fitsIn8Bits(), eightBits);
    }

    void rejectsWhatHoldsNoPicture_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("only sound") << QByteArray(R"({"streams": [{"codec_type": "audio", "codec_name": "aac"}],
                                                     "format": {"duration": "2.0"}})");
        QTest::newRow("music with cover art")
            << QByteArray(R"({"streams": [{"codec_type": "audio", "codec_name": "mp3"},
                 {"codec_type": "video", "codec_name": "mjpeg", "disposition": {"attached_pic": 1}}]})");
        QTest::newRow("no streams") << QByteArray(R"({"format": {"duration": "2.0"}})");
        QTest::newRow("empty streams") << QByteArray(R"({"streams": []})");
        QTest::newRow("streams not an array") << QByteArray(R"({"streams": {"codec_type": "video"}})");
        QTest::newRow("a stream that is no object") << QByteArray(R"({"streams": [{"codec_type": "video"}, 3]})");
        QTest::newRow("codec type not text") << QByteArray(R"({"streams": [{"codec_type": 1}]})");
        QTest::newRow("top level is an array") << QByteArray(R"([{"streams": []}])");
    }
    void rejectsWhatHoldsNoPicture()
    {
        QFETCH(QByteArray, json);
        try {
            ProbeResult::fromFFprobeJson(json, QStringLiteral("tone.m4a"));
            QFAIL("accepted");
        } catch (const StudioError &error) {
            QCOMPARE(error.message(), QStringLiteral("No readable video or image in tone.m4a."));
        }
    }

    void rejectsTextThatIsNotJson()
    {
        for (const QByteArray &text :
             {QByteArray(), QByteArray("Invalid data found when processing input"), QByteArray("{\"streams\": [")}) {
            try {
                ProbeResult::fromFFprobeJson(text, QStringLiteral("clip.mov"));
                QFAIL("accepted");
            } catch (const StudioError &error) {
                QVERIFY2(error.message().startsWith(QStringLiteral("The details of “clip.mov” could not be read: ")),
                         qPrintable(error.message()));
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_ProbeResult)
#include "tst_ProbeResult.moc"
