#include "engine/pipeline/AssemblyGraph.h"
#include "engine/pipeline/AssemblyTimeline.h"
#include "engine/pipeline/Pipeline.h"
#include "model/StudioError.h"

#include <QtTest>

using namespace kinoloom;

namespace {

MediaAsset video(double selection, const QString &name = QStringLiteral("clip.mov"), double duration = 20)
{
    MediaAsset asset = MediaAsset::create(QStringLiteral("/media/") + name, name, duration, 1920, 1080, 30, true,
                                          false);
    asset.clipStart = 0;
    asset.clipEnd = selection;
    return asset;
}

MediaAsset still()
{
    return MediaAsset::create(QStringLiteral("/media/still.png"), QStringLiteral("still.png"), 0, 1920, 1080, 0, false,
                              true);
}

AssemblyGraph graphOf(const AssemblyTimeline &timeline, int width, int height)
{
    AssemblyGraph graph;
    graph.crossfade = timeline.crossfade;
    graph.offset = timeline.offset;
    graph.width = width;
    graph.height = height;
    graph.audioLength = timeline.audioLength;
    graph.fade = timeline.fade;
    graph.fadeOutStart = timeline.fadeOutStart;
    return graph;
}

} // namespace

class tst_AssemblyGraph : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void hookOpeningAndShort();
    void timeline_data();
    void timeline();
    void shortHookLength_data();
    void shortHookLength();
    void clipLengths();
    void unusableLengthsNameTheClip();
    void concatList();
};

void tst_AssemblyGraph::workedExample()
{
    // A film without hooks, opening with an intro, no music, 20 s, 1920 × 1080, sound at 100 %.
    const AssemblyTimeline timeline = AssemblyTimeline::make({5.0, 10.0, 5.0}, {}, 30, false);
    QCOMPARE(timeline.total, 20.0);
    AssemblyGraph graph = graphOf(timeline, 1920, 1080);
    graph.musicInput = 1;
    graph.titlesInput = 2;
    graph.fadeInSource = true;
    graph.volume = 1.0;
    QCOMPARE(
        graph.text(),
        QStringLiteral(
            "[2:v]loop=loop=-1:size=1,format=rgba,fade=t=in:st=3.0:d=1:alpha=1,fade=t=out:st=9.0:d=1:alpha=1[titles];"
            "[0:v]scale=1920:1080:flags=lanczos,setsar=1[base];"
            "[base][titles]overlay=shortest=1:format=auto[v];"
            "[1:a]aformat=sample_rates=48000:channel_layouts=stereo,atrim=duration=20.0,"
            "asetpts=PTS-STARTPTS,afade=t=in:d=1.5,afade=t=out:st=18.5:d=1.5,"
            "apad[music];[0:a]atrim=duration=20.0,asetpts=PTS-STARTPTS,afade=t=in:d=1.5,"
            "afade=t=out:st=18.5:d=1.5,volume=1.0,apad[source];"
            "[music][source]amix=inputs=2:normalize=0,aresample=48000,"
            "aformat=sample_rates=48000:channel_layouts=stereo[a]"));
}

void tst_AssemblyGraph::hookOpeningAndShort()
{
    const AssemblyTimeline timeline = AssemblyTimeline::make({60.0}, {1.5, 3.5}, 30, false);
    AssemblyGraph graph = graphOf(timeline, 1280, 720);
    graph.hookOpening = true;
    graph.musicInput = 2;
    graph.titlesInput = 3;
    graph.volume = 0.35;
    const QString text = graph.text();
    QVERIFY(text.startsWith(QStringLiteral(
        "[0:v]settb=AVTB,setpts=PTS-STARTPTS[v0];[1:v]settb=AVTB,setpts=PTS-STARTPTS[v1];"
        "[v0][v1]xfade=transition=fadeblack:duration=2.0:offset=3.0[sequence];[0:a]asetpts=PTS-STARTPTS[a0];"
        "[1:a]asetpts=PTS-STARTPTS[a1];[a0][a1]acrossfade=d=2.0[sequenceAudio];"
        "[3:v]loop=loop=-1:size=1,format=rgba,fade=t=in:st=6.0:d=1:alpha=1,fade=t=out:st=12.0:d=1:alpha=1[titles];"
        "[sequence]scale=1280:720:flags=lanczos,setsar=1[base];")));
    QVERIFY(
        text.contains(QStringLiteral("[2:a]aformat=sample_rates=48000:channel_layouts=stereo,atrim=duration=63.0,")));
    QVERIFY(text.contains(QStringLiteral("[sequenceAudio]atrim=duration=63.0,asetpts=PTS-STARTPTS,afade=t=out:st=61.5:"
                                         "d=1.5,volume=0.35,apad[source]")));

    AssemblyGraph vertical;
    vertical.width = 1080;
    vertical.height = 1920;
    vertical.audioLength = 12.0;
    vertical.fade = 1.5;
    vertical.fadeOutStart = 10.5;
    vertical.fadeTitles = false;
    vertical.volume = 0;
    vertical.pictureTail = QStringLiteral("format=nv12,hwupload");
    const QString shortText = vertical.text();
    QVERIFY(shortText.startsWith(QStringLiteral(
        "[2:v]loop=loop=-1:size=1,format=rgba,null[titles];[0:v]scale=1080:1920:flags=lanczos,setsar=1[base];"
        "[base][titles]overlay=shortest=1:format=auto,format=nv12,hwupload[v];")));
    QVERIFY(shortText.contains(QStringLiteral("volume=0.0,apad[source]")));
}

void tst_AssemblyGraph::timeline_data()
{
    QTest::addColumn<QList<double>>("clips");
    QTest::addColumn<QList<double>>("hooks");
    QTest::addColumn<int>("fps");
    QTest::addColumn<bool>("outro");
    QTest::addColumn<double>("crossfade");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("total");
    QTest::addColumn<double>("musicEnd");
    QTest::addColumn<double>("fade");
    QTest::addColumn<double>("fadeOutStart");

    QTest::newRow("two opening hooks") << QList<double>{60.0} << QList<double>{1.5, 3.5} << 30 << false << 2.0 << 3.0
                                       << 63.0 << 63.0 << 1.5 << 61.5;
    QTest::newRow("one short hook at 25 fps")
        << QList<double>{60.0} << QList<double>{0.52} << 25 << false << 0.24 << 0.28 << 60.28 << 60.28 << 1.5 << 58.78;
    QTest::newRow("music stops where the outro begins")
        << QList<double>{20.0, 16.0, 4.0} << QList<double>{} << 30 << true << 0.0 << 0.0 << 40.0 << 36.0 << 1.5 << 34.5;
    QTest::newRow("short body limits the crossfade")
        << QList<double>{1.0} << QList<double>{1.5, 3.5} << 30 << false << 0.5 << 4.5 << 5.5 << 5.5 << 1.5 << 4.0;
    QTest::newRow("at least one frame of crossfade")
        << QList<double>{0.02} << QList<double>{1.5} << 30 << false << 1.0 / 30 << 1.5 - 1.0 / 30
        << 0.02 + 1.5 - 1.0 / 30 << 0.02 + 1.5 - 1.0 / 30 << (0.02 + 1.5 - 1.0 / 30) * 0.5
        << (0.02 + 1.5 - 1.0 / 30) * 0.5;
    QTest::newRow("an outro alone still has sound")
        << QList<double>{2.0} << QList<double>{} << 30 << true << 0.0 << 0.0 << 2.0 << 0.0 << 0.025 << 0.025;
}

void tst_AssemblyGraph::timeline()
{
    QFETCH(QList<double>, clips);
    QFETCH(QList<double>, hooks);
    QFETCH(int, fps);
    QFETCH(bool, outro);
    const AssemblyTimeline timeline = AssemblyTimeline::make(clips, hooks, fps, outro);
    QTEST(timeline.crossfade, "crossfade");
    QTEST(timeline.offset, "offset");
    QTEST(timeline.total, "total");
    QTEST(timeline.musicEnd, "musicEnd");
    QTEST(timeline.fade, "fade");
    QTEST(timeline.fadeOutStart, "fadeOutStart");
}

void tst_AssemblyGraph::shortHookLength_data()
{
    QTest::addColumn<QList<MediaAsset>>("hooks");
    QTest::addColumn<bool>("cap");
    QTest::addColumn<double>("expected");

    QTest::newRow("shortest hook") << QList<MediaAsset>{video(10), video(4), video(8)} << false << 4.0;
    QTest::newRow("share of 59 s") << QList<MediaAsset>(5, video(20)) << false << 11.8;
    QTest::newRow("stills with the cap") << QList<MediaAsset>{still(), still()} << true << 5.0;
    QTest::newRow("stills without the cap") << QList<MediaAsset>{still(), still()} << false << 29.5;
    QTest::newRow("no hooks") << QList<MediaAsset>{} << false << 59.0;
}

void tst_AssemblyGraph::shortHookLength()
{
    QFETCH(QList<MediaAsset>, hooks);
    QFETCH(bool, cap);
    QFETCH(double, expected);
    ProcessingSettings settings;
    settings.setFiveSecondClipCap(cap);
    QCOMPARE(AssemblyTimeline::shortHookLength(hooks, settings), expected);
}

void tst_AssemblyGraph::clipLengths()
{
    ProcessingSettings settings;
    settings.stillDuration = 7;
    const QList<MediaAsset> clips = {video(12), still(), video(0.51)};
    using Output = AssemblyTimeline::Output;
    QCOMPARE(AssemblyTimeline::clipLengths(clips, settings, Output::film, 0),
             (QList<double>{12.0, 7.0, 0.5333333333333333}));
    QCOMPARE(AssemblyTimeline::clipLengths(clips, settings, Output::preview, 0),
             (QList<double>{5.0, 5.0, 0.5333333333333333}));
    QCOMPARE(AssemblyTimeline::clipLengths(clips, settings, Output::vertical, 4.0), (QList<double>{4.0, 4.0, 4.0}));
    settings.setFiveSecondClipCap(true);
    QCOMPARE(AssemblyTimeline::clipLengths(clips, settings, Output::film, 0),
             (QList<double>{5.0, 5.0, 0.5333333333333333}));

    QCOMPARE(AssemblyTimeline::openingHookLengths({video(10), video(10), video(10)}, 30),
             (QList<double>{1.5, 1.5, 3.5}));
    QCOMPARE(AssemblyTimeline::openingHookLengths({still(), video(2)}, 30), (QList<double>{1.5, 2.0}));
}

void tst_AssemblyGraph::unusableLengthsNameTheClip()
{
    ProcessingSettings settings;
    using Output = AssemblyTimeline::Output;
    try {
        AssemblyTimeline::clipLengths({video(3), video(0, QStringLiteral("empty.mov"))}, settings, Output::film, 0);
        QFAIL("an empty selection was accepted");
    } catch (const StudioError &error) {
        QCOMPARE(error.message(), QStringLiteral("Clip has no usable duration: empty.mov"));
    }
    settings.fps = 0;
    QVERIFY_THROWS_EXCEPTION(StudioError, AssemblyTimeline::clipLengths({video(3)}, settings, Output::film, 0));
    try {
        AssemblyTimeline::openingHookLengths({video(2), video(0)}, 30);
        QFAIL("an empty hook was accepted");
    } catch (const StudioError &error) {
        QCOMPARE(error.message(), QStringLiteral("Hook has no usable duration."));
    }
}

void tst_AssemblyGraph::concatList()
{
    QTemporaryDir dir;
    const QString stale = dir.filePath(QStringLiteral("base.txt"));
    QFile file(stale);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old content that is longer than the new list\n");
    file.close();

    const QString list = Pipeline::concatList(
        {QStringLiteral("/a/segment-0.mkv"), QStringLiteral("/b/it's/segment-1.mkv")}, dir.path(),
        QStringLiteral("base"));
    QCOMPARE(list, stale);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("file '/a/segment-0.mkv'\nfile '/b/it'\\''s/segment-1.mkv'"));
    QCOMPARE(Pipeline::concatInput(list),
             (QStringList{QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"), QStringLiteral("0"),
                          QStringLiteral("-i"), list}));
    QVERIFY_THROWS_EXCEPTION(
        StudioError, Pipeline::concatList({}, dir.filePath(QStringLiteral("missing")), QStringLiteral("hooks")));
}

QTEST_GUILESS_MAIN(tst_AssemblyGraph)
#include "tst_AssemblyGraph.moc"
