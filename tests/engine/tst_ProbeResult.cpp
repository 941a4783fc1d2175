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
    return ProbeResult{duration, width, height, fps, hasAudio, codec, audioCodec, QString()};
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
