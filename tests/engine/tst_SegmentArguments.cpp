#include "engine/pipeline/SegmentArguments.h"
#include "support/IntermediateEncoding.h"

#include <QTest>

using namespace kinoloom;

namespace {

MediaAsset still()
{
    return MediaAsset::create(QStringLiteral("/m/photo.jpg"), QStringLiteral("photo.jpg"), 0, 1920, 1080, 0, false,
                              true);
}

MediaAsset movie(double duration = 10)
{
    return MediaAsset::create(QStringLiteral("/m/clip.mov"), QStringLiteral("clip.mov"), duration, 1920, 1080, 30, true,
                              false);
}

const QString baseMovieChain = QStringLiteral(
    "scale=320:180:force_original_aspect_ratio=increase,crop=320:180,setsar=1,"
    "fps=30,settb=AVTB,setpts=PTS-STARTPTS,tpad=stop_mode=clone:stop=1,format=yuv444p16le");

} // namespace

class tst_SegmentArguments : public QObject
{
    Q_OBJECT

private slots:
    void stillWithZoomMatchesTheWorkedExample();
    void videoFilter_data();
    void videoFilter();
    void eightBitSegments_data();
    void eightBitSegments();
    void effectiveGrade();
    void startTime_data();
    void startTime();
    void audioComesFromTheSourceOnlyForMoviesWithSound_data();
    void audioComesFromTheSourceOnlyForMoviesWithSound();
    void tinyStartTimesAreWrittenWithoutExponent();
    void sourcePictureHoldsTheLastPictureOnlyPastTheDeclaredPicture();
    void stillPieces_data();
    void stillPieces();
    void aPieceZoomsOnFromItsFirstFrameAndTheJoinRetimesIt();
};

void tst_SegmentArguments::stillWithZoomMatchesTheWorkedExample()
{
    const ProcessingSettings settings; // fps 30, still zoom on
    const MediaAsset clip = still();
    const auto grade = SegmentArguments::effectiveGrade(clip, settings);
    const QString chain = SegmentArguments::videoFilter(clip, settings, 1920, 1080, 5.0, grade, QString());
    QCOMPARE(chain,
             QStringLiteral("scale=1920:1080:force_original_aspect_ratio=increase,crop=1920:1080,setsar=1,"
                            "zoompan=z='min(1+0.1*on/150,1.1)':d=1:s=1920x1080:fps=30,"
                            "fps=30,settb=AVTB,setpts=PTS-STARTPTS,format=yuv444p16le"));

    SegmentArguments::Input input;
    input.source = clip.path;
    input.still = true;
    input.decoder = QStringLiteral("mjpeg");
    input.sourceHasAudio = true; // a still never takes sound from its file
    const QStringList args = SegmentArguments::arguments(input, 30, chain, 5.0, QStringLiteral("/r/segment-0.mkv"));
    QCOMPARE(args,
             (QStringList{QStringLiteral("-loop"),
                          QStringLiteral("1"),
                          QStringLiteral("-framerate"),
                          QStringLiteral("30"),
                          QStringLiteral("-f"),
                          QStringLiteral("image2"),
                          QStringLiteral("-pattern_type"),
                          QStringLiteral("none"),
                          QStringLiteral("-c:v"),
                          QStringLiteral("mjpeg"),
                          QStringLiteral("-i"),
                          QStringLiteral("/m/photo.jpg"),
                          QStringLiteral("-f"),
                          QStringLiteral("lavfi"),
                          QStringLiteral("-i"),
                          QStringLiteral("anullsrc=channel_layout=stereo:sample_rate=48000"),
                          QStringLiteral("-vf"),
                          chain,
                          QStringLiteral("-map"),
                          QStringLiteral("0:V:0"),
                          QStringLiteral("-map"),
                          QStringLiteral("1:a:0"),
                          QStringLiteral("-af"),
                          QStringLiteral("aresample=48000,aformat=channel_layouts=stereo,apad"),
                          QStringLiteral("-ac"),
                          QStringLiteral("2"),
                          QStringLiteral("-t"),
                          QStringLiteral("5.0")}
              + test::intermediateEncoding() + QStringList{QStringLiteral("/r/segment-0.mkv")}));
}

void tst_SegmentArguments::videoFilter_data()
{
    QTest::addColumn<MediaAsset>("clip");
    QTest::addColumn<ProcessingSettings>("settings");
    QTest::addColumn<int>("width");
    QTest::addColumn<double>("duration");
    QTest::addColumn<bool>("stylish");
    QTest::addColumn<QString>("expected");

    ProcessingSettings plain;
    QTest::newRow("movie, neutral grade adds nothing after the format")
        << movie() << plain << 320 << 2.0 << true << baseMovieChain;

    MediaAsset zoomed = movie();
    zoomed.setCropScale(1.05);
    QTest::newRow("crop zoom, odd width made even")
        << zoomed << plain << 1921 << 2.0 << false
        << QStringLiteral("scale=2016:188:force_original_aspect_ratio=increase,crop=1921:180,setsar=1,"
                          "fps=30,settb=AVTB,setpts=PTS-STARTPTS,tpad=stop_mode=clone:stop=1,format=yuv444p16le");

    QTest::newRow("very short zooming still uses one frame")
        << still() << plain << 320 << 0.02 << false
        << QStringLiteral("scale=320:180:force_original_aspect_ratio=increase,crop=320:180,setsar=1,"
                          "zoompan=z='min(1+0.1*on/1,1.1)':d=1:s=320x180:fps=30,"
                          "fps=30,settb=AVTB,setpts=PTS-STARTPTS,format=yuv444p16le");

    ProcessingSettings noZoom;
    noZoom.stillZoom = false;
    QTest::newRow("still without zoom")
        << still() << noZoom << 320 << 2.0 << false
        << QStringLiteral("scale=320:180:force_original_aspect_ratio=increase,crop=320:180,setsar=1,"
                          "fps=30,settb=AVTB,setpts=PTS-STARTPTS,format=yuv444p16le");

    ProcessingSettings graded;
    graded.setGradeToAll(true);
    graded.brightness = 0.1;
    graded.contrast = 1.2;
    graded.saturation = 0.9;
    graded.gamma = 1.0;
    graded.temperature = 0.2;
    graded.setContrastStretch(50);
    graded.setHighlightRecovery(50);
    graded.stylishLUT = QStringLiteral("/l/Teal: orange.cube");
    graded.lutStrength = 30;
    const QString fullGrade = QStringLiteral(
        ",eq=brightness=0.1:contrast=1.2:saturation=0.9:gamma=1.0"
        ",colorlevels=rimin=0.04:gimin=0.04:bimin=0.04:rimax=0.96:gimax=0.96:bimax=0.96"
        ",curves=master='0/0 0.5/0.5 0.75/0.71 0.9/0.8200000000000001 1/0.89'"
        ",colorbalance=rs=0.1:bs=-0.1");
    QTest::newRow("full project grade with look") << movie() << graded << 320 << 2.0 << true
                                                  << baseMovieChain + fullGrade
            + QStringLiteral(",split=2[base][look];[look]lut3d=file=/r/look.cube:interp=tetrahedral[graded];"
                             "[base][graded]lut2=c0='x*0.7+y*0.3':c1='x*0.7+y*0.3':c2='x*0.7+y*0.3'");
    QTest::newRow("not stylish: no look") << movie() << graded << 320 << 2.0 << false << baseMovieChain + fullGrade;

    MediaAsset outro = movie();
    outro.role = ClipRole::outro;
    QTest::newRow("end clip is never graded") << outro << graded << 320 << 2.0 << true << baseMovieChain;
}

void tst_SegmentArguments::videoFilter()
{
    QFETCH(MediaAsset, clip);
    QFETCH(ProcessingSettings, settings);
    QFETCH(int, width);
    QFETCH(double, duration);
    QFETCH(bool, stylish);
    QFETCH(QString, expected);

    const auto grade = SegmentArguments::effectiveGrade(clip, settings);
    const QString look = SegmentArguments::appliesLook(grade, stylish) ? QStringLiteral("/r/look.cube") : QString();
    QCOMPARE(SegmentArguments::videoFilter(clip, settings, width, 180, duration, grade, look), expected);
}

void tst_SegmentArguments::eightBitSegments_data()
{
    QTest::addColumn<ProcessingSettings>("settings");
    QTest::addColumn<QSize>("delivered");
    QTest::addColumn<QString>("expected");
    // Whatever the grade, the chain runs at the depth it always had and ends in the R'G'B' the
    // film's titles are laid over, made by the same scaler settings.
    const QString toFilm = QStringLiteral(",scale=flags=lanczos,format=bgr0");
    QTest::newRow("ungraded") << ProcessingSettings() << QSize() << baseMovieChain + toFilm;
    QTest::newRow("delivered at its own size") << ProcessingSettings() << QSize(320, 180) << baseMovieChain + toFilm;
    // The title step scaled the deeper picture up and made it R'G'B' in one scaler.
    QTest::newRow("scaled up to the film's frame")
        << ProcessingSettings() << QSize(1280, 720)
        << baseMovieChain + QStringLiteral(",scale=1280:720:flags=lanczos,setsar=1,format=bgr0");
    ProcessingSettings warm;
    warm.setGradeToAll(true);
    warm.temperature = 0.2;
    QTest::newRow("graded") << warm << QSize()
                            << baseMovieChain
            + QStringLiteral(",colorbalance=rs=0.1:bs=-0.1,scale=out_color_matrix=bt709,format=yuv444p16le,"
                             "setparams=colorspace=bt709")
            + toFilm;
    ProcessingSettings look = warm;
    look.stylishLUT = QStringLiteral("/l/look.cube");
    look.lutStrength = 40;
    QTest::newRow("graded with a look")
        << look << QSize()
        << baseMovieChain
            + QStringLiteral(
                ",colorbalance=rs=0.1:bs=-0.1,split=2[base][look];[look]lut3d=file=/r/look.cube:"
                "interp=tetrahedral,scale=out_color_matrix=bt709[graded];[base][graded]blend=all_expr='A*0.6+B*0.4',"
                "scale=out_color_matrix=bt709,format=yuv444p16le,setparams=colorspace=bt709")
            + toFilm;
}

void tst_SegmentArguments::eightBitSegments()
{
    QFETCH(ProcessingSettings, settings);
    QFETCH(QSize, delivered);
    QFETCH(QString, expected);
    SegmentArguments::SourcePicture source;
    source.colourSpace = QStringLiteral("bt709");
    source.pixelFormat = SegmentArguments::eightBitPixelFormat;
    source.delivered = delivered;
    const MediaAsset clip = movie();
    const std::optional<ClipGrade> grade = SegmentArguments::effectiveGrade(clip, settings);
    const QString look = SegmentArguments::appliesLook(grade, true) ? QStringLiteral("/r/look.cube") : QString();
    const QString chain = SegmentArguments::videoFilter(clip, settings, 320, 180, 2.0, grade, look, source);
    QCOMPARE(chain, expected);
    SegmentArguments::Input input;
    input.source = QStringLiteral("/m/clip.mov");
    const QStringList arguments = SegmentArguments::arguments(input, 30, chain, 2.0, QStringLiteral("/r/segment-0.mkv"),
                                                              source.pixelFormat);
    QCOMPARE(arguments.at(arguments.indexOf(QStringLiteral("-pix_fmt")) + 1), QStringLiteral("bgr0"));
}

void tst_SegmentArguments::effectiveGrade()
{
    ProcessingSettings settings;
    settings.saturation = 1.4;
    MediaAsset clip = movie();
    ClipGrade own;
    own.contrast = 1.3;
    own.stylishLUT = QStringLiteral("/l/a.cube");

    QCOMPARE(SegmentArguments::effectiveGrade(clip, settings), std::optional<ClipGrade>(ClipGrade()));
    clip.grade = own;
    QCOMPARE(SegmentArguments::effectiveGrade(clip, settings), std::optional<ClipGrade>(own));
    settings.setGradeToAll(true);
    QCOMPARE(SegmentArguments::effectiveGrade(clip, settings),
             std::optional<ClipGrade>(ClipGrade::fromSettings(settings)));
    clip.role = ClipRole::outro;
    QVERIFY(!SegmentArguments::effectiveGrade(clip, settings));

    QVERIFY(SegmentArguments::appliesLook(own, true));
    QVERIFY(!SegmentArguments::appliesLook(own, false));
    own.lutStrength = 0;
    QVERIFY(!SegmentArguments::appliesLook(own, true));
    QVERIFY(!SegmentArguments::appliesLook(std::nullopt, true));
    QCOMPARE(SegmentArguments::lookFileName(QStringLiteral("/l/Film Look")), QStringLiteral("look."));
}

void tst_SegmentArguments::startTime_data()
{
    QTest::addColumn<std::optional<double>>("clipStart");
    QTest::addColumn<std::optional<double>>("clipEnd");
    QTest::addColumn<double>("fileDuration");
    QTest::addColumn<double>("duration");
    QTest::addColumn<bool>("tail");
    QTest::addColumn<double>("expected");

    QTest::newRow("head takes the selection start")
        << std::optional<double>(2.0) << std::optional<double>(8.0) << 10.0 << 3.0 << false << 2.0;
    QTest::newRow("tail ends at the selection end")
        << std::optional<double>(2.0) << std::optional<double>(8.0) << 10.0 << 3.0 << true << 5.0;
    QTest::newRow("tail of a file shorter than its selection")
        << std::optional<double>() << std::optional<double>() << 6.0 << 3.0 << true << 3.0;
    QTest::newRow("tail never starts before the selection")
        << std::optional<double>(2.0) << std::optional<double>(4.0) << 10.0 << 3.0 << true << 2.0;
}

void tst_SegmentArguments::startTime()
{
    QFETCH(std::optional<double>, clipStart);
    QFETCH(std::optional<double>, clipEnd);
    QFETCH(double, fileDuration);
    QFETCH(double, duration);
    QFETCH(bool, tail);
    QFETCH(double, expected);

    MediaAsset clip = movie(10); // the stored length; the file may have been shortened since
    clip.clipStart = clipStart;
    clip.clipEnd = clipEnd;
    QCOMPARE(SegmentArguments::startTime(clip, ProcessingSettings(), fileDuration, duration, tail), expected);
}

void tst_SegmentArguments::audioComesFromTheSourceOnlyForMoviesWithSound_data()
{
    QTest::addColumn<bool>("still");
    QTest::addColumn<bool>("hasAudio");
    QTest::addColumn<QString>("map");
    QTest::newRow("movie with sound") << false << true << QStringLiteral("0:a:0");
    QTest::newRow("silent movie") << false << false << QStringLiteral("1:a:0");
    QTest::newRow("still") << true << false << QStringLiteral("1:a:0");
}

void tst_SegmentArguments::audioComesFromTheSourceOnlyForMoviesWithSound()
{
    QFETCH(bool, still);
    QFETCH(bool, hasAudio);
    QFETCH(QString, map);
    SegmentArguments::Input input;
    input.source = QStringLiteral("/m/x");
    input.still = still;
    input.sourceHasAudio = hasAudio;
    const QStringList args = SegmentArguments::arguments(input, 25, QStringLiteral("null"), 2.0,
                                                         QStringLiteral("/r/s.mkv"));
    QCOMPARE(args.at(args.indexOf(QStringLiteral("0:V:0")) + 2), map);
    QCOMPARE(args.contains(QStringLiteral("-ss")), !still);
    QCOMPARE(args.contains(QStringLiteral("-loop")), still);
}

void tst_SegmentArguments::tinyStartTimesAreWrittenWithoutExponent()
{
    MediaAsset clip = movie(10);
    clip.clipEnd = 1.000008;
    const double start = SegmentArguments::startTime(clip, ProcessingSettings(), 10, 1.0, true);
    SegmentArguments::Input input;
    input.source = clip.path;
    input.start = start;
    const QStringList args = SegmentArguments::arguments(input, 30, QStringLiteral("null"), 1.0,
                                                         QStringLiteral("/r/s.mkv"));
    const QString text = args.at(args.indexOf(QStringLiteral("-ss")) + 1);
    QVERIFY2(!text.contains(QLatin1Char('e')), qPrintable(text));
    QCOMPARE(text.toDouble(), start);
}

// A file cut short ends early and its segment stays short; a clip whose length was measured by its
// sound before (an older import) still holds its last picture over the part past the picture.
void tst_SegmentArguments::sourcePictureHoldsTheLastPictureOnlyPastTheDeclaredPicture()
{
    ProbeResult probe;
    probe.duration = 2.0;
    QCOMPARE(SegmentArguments::sourcePicture(probe, 2.0, 30).heldFrames, 1);
    QCOMPARE(SegmentArguments::sourcePicture(probe, 1.0, 30).heldFrames, 1);
    QCOMPARE(SegmentArguments::sourcePicture(probe, 3.0, 30).heldFrames, 31);
    QCOMPARE(SegmentArguments::sourcePicture(ProbeResult(), 3.0, 30).heldFrames, 1);

    probe.colourSpace = QStringLiteral("bt2020nc");
    probe.colourTransfer = QStringLiteral("smpte2084");
    probe.fieldOrder = QStringLiteral("bb");
    const SegmentArguments::SourcePicture picture = SegmentArguments::sourcePicture(probe, 2.0, 30);
    QCOMPARE(picture.colourSpace, QStringLiteral("bt709"));
    QVERIFY2(picture.conversion.startsWith(QStringLiteral("bwdif=mode=send_frame:parity=bff:deint=all,zscale=tin="
                                                          "smpte2084:min=bt2020nc:pin=bt2020:rin=limited")),
             qPrintable(picture.conversion));
    const QString chain = SegmentArguments::videoFilter(movie(), ProcessingSettings(), 320, 180, 2.0, std::nullopt,
                                                        QString(), picture);
    QVERIFY(chain.startsWith(picture.conversion + QStringLiteral(",scale=320:180:")));
}

void tst_SegmentArguments::stillPieces_data()
{
    QTest::addColumn<qint64>("frames");
    QTest::addColumn<int>("fps");
    QTest::addColumn<int>("atMost");
    QTest::addColumn<QList<qint64>>("lengths");
    QTest::newRow("even") << qint64(60) << 30 << 3 << QList<qint64>{20, 20, 20};
    QTest::newRow("the rest goes to the last") << qint64(61) << 30 << 3 << QList<qint64>{20, 20, 21};
    QTest::newRow("no piece under half a second") << qint64(45) << 30 << 4 << QList<qint64>{15, 15, 15};
    QTest::newRow("too short to share") << qint64(20) << 30 << 4 << QList<qint64>{20};
    QTest::newRow("one asked for") << qint64(90) << 30 << 1 << QList<qint64>{90};
    QTest::newRow("none asked for") << qint64(90) << 30 << 0 << QList<qint64>{90};
    QTest::newRow("one frame a second") << qint64(3) << 1 << 4 << QList<qint64>{1, 1, 1};
}

void tst_SegmentArguments::stillPieces()
{
    QFETCH(qint64, frames);
    QFETCH(int, fps);
    QFETCH(int, atMost);
    QFETCH(QList<qint64>, lengths);
    const QList<SegmentArguments::StillPiece> pieces = SegmentArguments::stillPieces(frames, fps, atMost);
    QList<qint64> found;
    qint64 next = 0;
    for (const SegmentArguments::StillPiece &piece : pieces) {
        QCOMPARE(piece.firstFrame, next); // in order, none missing, none twice
        next += piece.frames;
        found.append(piece.frames);
    }
    QCOMPARE(found, lengths);
    QCOMPARE(next, frames);
}

void tst_SegmentArguments::aPieceZoomsOnFromItsFirstFrameAndTheJoinRetimesIt()
{
    const ProcessingSettings settings;
    const MediaAsset clip = still();
    const auto grade = SegmentArguments::effectiveGrade(clip, settings);
    const QString chain = SegmentArguments::videoFilter(clip, settings, 1920, 1080, 5.0, grade, QString(), {}, 40);
    QVERIFY2(chain.contains(QStringLiteral("zoompan=z='min(1+0.1*(on+40)/150,1.1)'")), qPrintable(chain));
    QCOMPARE(SegmentArguments::frameCount(5.0, 30), 150);
    QCOMPARE(SegmentArguments::frameCount(1.0 / 3.0, 30), 10);

    SegmentArguments::Input input;
    input.source = clip.path;
    input.still = true;
    const QStringList piece = SegmentArguments::pieceArguments(input, 30, chain, 50, QStringLiteral("/r/p.mkv"),
                                                               SegmentArguments::eightBitPixelFormat);
    QCOMPARE(piece.at(piece.indexOf(QStringLiteral("-frames:v")) + 1), QStringLiteral("50"));
    QVERIFY(piece.contains(QStringLiteral("-an")));
    QCOMPARE(piece.at(piece.indexOf(QStringLiteral("-pix_fmt")) + 1), QStringLiteral("bgr0"));

    const QStringList join = SegmentArguments::joinArguments(QStringLiteral("/r/pieces.txt"), 25, 125, 5.0,
                                                             QStringLiteral("/r/segment-0.partial.mkv"));
    QCOMPARE(join.at(join.indexOf(QStringLiteral("-frames:v")) + 1), QStringLiteral("125"));
    QCOMPARE(join.at(join.indexOf(QStringLiteral("-c:v")) + 1), QStringLiteral("copy"));
    QCOMPARE(join.at(join.indexOf(QStringLiteral("-bsf:v")) + 1), QStringLiteral("setts=ts=round(N/(TB*25))"));
    QCOMPARE(join.at(join.indexOf(QStringLiteral("-t")) + 1), QStringLiteral("5.0"));
    QCOMPARE(join.constLast(), QStringLiteral("/r/segment-0.partial.mkv"));
}

QTEST_GUILESS_MAIN(tst_SegmentArguments)
#include "tst_SegmentArguments.moc"
