#include "engine/media/MediaService.h"
#include "engine/media/PictureConversion.h"
#include "engine/pipeline/Pipeline.h"
#include "engine/process/ProcessRunner.h"
#include "model/StudioError.h"
#include "model/StudioProject.h"
#include "support/Explained.h"
#include "support/MediaFacts.h"
#include "support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace kinoloom;

namespace {

// Quotes, a comma, brackets, a semicolon, accents and a frame-number pattern: every way a folder
// name can trip a filter graph, a concat list or FFmpeg's image reader.
const QString awkwardName = QStringLiteral("Ça va, l'été [2026]; 50%done");

Pipeline pipeline()
{
    return Pipeline{ToolPaths(), std::make_shared<ProcessRunner>()};
}

ExportRecord render(const StudioProject &project, const QString &root, bool isShort, bool preview,
                    std::optional<QSize> testSize = std::nullopt)
{
    return test::explained([&] { return pipeline().render(project, root, isShort, preview, testSize); });
}

// What every delivered movie has, whatever went into it.
void verifyDelivered(const ExportRecord &record, QSize size, double duration)
{
    const test::MediaFacts facts = test::inspectMedia(record.path);
    QCOMPARE(QSize(facts.width, facts.height), size);
    QCOMPARE(facts.sampleAspectRatio, QStringLiteral("1:1"));
    QCOMPARE(facts.sampleRate, 48000);
    QCOMPARE(facts.channels, 2);
    QCOMPARE(facts.channelLayout, QStringLiteral("stereo"));
    QCOMPARE(record.duration, duration);
    QVERIFY2(qAbs(facts.formatDuration - duration) < 0.1, qPrintable(QString::number(facts.formatDuration)));
    QVERIFY2(qAbs(facts.audioSeconds - duration) < 0.1, qPrintable(QString::number(facts.audioSeconds)));
}

// The segment of `clip` at the fixtures' own size, `duration` seconds from its start, in a new
// render job folder under `root`.
QString renderClipSegment(const MediaAsset &clip, const QString &root, double duration,
                          const ProcessingSettings &settings = ProcessingSettings())
{
    const QString job = Pipeline::renderJobFolder(root);
    return test::explained([&] {
        return pipeline().renderSegment(clip, settings, job, Pipeline::cacheRoot(root), 0, test::MediaFixtures::width,
                                        test::MediaFixtures::height, duration, false, false);
    });
}

MediaAsset movieAsset(const QString &path, const ProbeResult &probe)
{
    return MediaAsset::create(path, QFileInfo(path).fileName(), probe.duration, probe.width, probe.height, probe.fps,
                              probe.hasAudio, false);
}

// The pixel at (x, y) of a frame of R'G'B' rows `width` wide.
QList<int> pixel(const QByteArray &rgb, int width, int x, int y)
{
    const qsizetype at = (qsizetype(y) * width + x) * 3;
    if (at + 2 >= rgb.size())
        return {};
    return {uchar(rgb[at]), uchar(rgb[at + 1]), uchar(rgb[at + 2])};
}

bool near(const QList<int> &actual, const QList<int> &expected, int tolerance)
{
    if (actual.size() != expected.size())
        return false;
    for (int i = 0; i < actual.size(); ++i) {
        if (std::abs(actual.at(i) - expected.at(i)) > tolerance)
            return false;
    }
    return true;
}

QString text(const QList<int> &values)
{
    QStringList parts;
    for (const int value : values)
        parts.append(QString::number(value));
    return QLatin1Char('(') + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QByteArray luma(const QByteArray &rgb)
{
    QByteArray grey;
    for (qsizetype i = 0; i + 2 < rgb.size(); i += 3)
        grey.append(char((uchar(rgb[i]) * 299 + uchar(rgb[i + 1]) * 587 + uchar(rgb[i + 2]) * 114) / 1000));
    return grey;
}

} // namespace

class tst_RealWorldFootage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void phoneCameraAndScreenFootageInAnAwkwardFolder();
    void soundIsStereoWhateverTheMusic_data();
    void soundIsStereoWhateverTheMusic();
    void theProbedPictureIsTheRenderedOne();
    void hdrFootageIsToneMappedToStandardRange();
    void interlacedFootageIsDeinterlaced();
    void aFileCutShortFailsItsSegment();
    void aMovieLastsAsLongAsItsPicture();
    void surroundSoundIsMixedDownNotCut();

private:
    QTemporaryDir m_temp;
    std::unique_ptr<test::MediaFixtures> m_media;
};

void tst_RealWorldFootage::initTestCase()
{
    QVERIFY(m_temp.isValid());
    m_media = std::make_unique<test::MediaFixtures>(m_temp.filePath(QStringLiteral("media")));
    QVERIFY(QDir().mkpath(m_media->folder()));
    for (const QString &fixture :
         {m_media->clip(), m_media->silentClip(), m_media->still(), m_media->portraitClip(), m_media->monoMusic(),
          m_media->surroundMusic(), m_media->lut(), m_media->clipWithCoverFirst()})
        QVERIFY(!fixture.isEmpty());
}

void tst_RealWorldFootage::phoneCameraAndScreenFootageInAnAwkwardFolder()
{
    const QString root = m_temp.filePath(awkwardName);
    const QString output = m_temp.filePath(QStringLiteral("Films/") + awkwardName);
    for (const QString &folder : {root + QStringLiteral("/Media"), root + QStringLiteral("/Cache"), output})
        QVERIFY(QDir().mkpath(folder));
    // The music and the LUT lie in the project folder too.
    const QString music = root + QStringLiteral("/Music 50%done.m4a");
    const QString lut = root + QStringLiteral("/Look 50%done.cube");
    QVERIFY(QFile::copy(m_media->monoMusic(), music));
    QVERIFY(QFile::copy(m_media->lut(), lut));

    // Imported as copies, so that every file the engine reads lies under the awkward name.
    const MediaService media{ToolPaths(), std::make_shared<ProcessRunner>()};
    MediaAsset portrait = media.importAsset(m_media->portraitClip(), root, true);
    MediaAsset silent = media.importAsset(m_media->silentClip(), root, true);
    MediaAsset still = media.importAsset(m_media->still(), root, true);
    MediaAsset hook = media.importAsset(m_media->portraitClip(), root, true);

    // A phone's portrait clip is stored on its side: it counts at the size it is shown.
    QCOMPARE(QSize(portrait.width, portrait.height), QSize(180, 320));
    QCOMPARE(QImage(*portrait.thumbnail).size(), QSize(480, 854));
    QVERIFY(still.isImage);
    QCOMPARE(QSize(still.width, still.height), QSize(320, 180));
    QCOMPARE(QImage(*still.thumbnail).size(), QSize(480, 270));

    portrait.clipEnd = 1.5;
    silent.clipEnd = 1.0;
    silent.setCropScale(1.1);
    hook.role = ClipRole::hook;
    hook.clipEnd = 1.0;
    StudioProject project;
    project.assets = {portrait, silent, still, hook};
    ProcessingSettings &settings = project.settings;
    settings.title = QStringLiteral("Ça va");
    settings.subtitle = QStringLiteral("L'été 2026");
    settings.music = music;
    settings.audioPercent = 100;
    settings.stillDuration = 1.5;
    settings.conversionLUT = lut;
    settings.exportResolution = ExportResolution::p720;
    settings.softwareEncoding = true;
    settings.finalOutputPath = output + QStringLiteral("/Trip 50%done.mp4");

    // Every clip is prepared through the LUT, the still to a PNG.
    project = pipeline().prepare(project, root);
    for (const MediaAsset &asset : project.assets)
        QVERIFY2(asset.preparation.startsWith(QStringLiteral("Prepared")), qPrintable(asset.preparation));

    // The zoomed still and the cropped clip make a working size of 290 × 162, not quite the 16:9
    // of 1280 × 720. Clips of 1.5 + 1 + 1.5 s open with a 1 s hook that dissolves over 0.5 s.
    const ExportRecord film = render(project, root, false, false);
    QCOMPARE(film.path, *settings.finalOutputPath);
    verifyDelivered(film, QSize(1280, 720), 4.5);
    QCOMPARE(film.thumbnails.size(), 8);

    const ExportRecord preview = render(project, root, false, true);
    verifyDelivered(preview, QSize(1280, 720), 1.5);

    const ExportRecord vertical = render(project, root, true, false, QSize(180, 320));
    verifyDelivered(vertical, QSize(180, 320), 1.0);

    // Nothing is left beside the film, nor in the project folder.
    QCOMPARE(QDir(output).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
    QVERIFY(!QFileInfo::exists(root + QStringLiteral("/.KinoloomRender")));
}

void tst_RealWorldFootage::soundIsStereoWhateverTheMusic_data()
{
    QTest::addColumn<QString>("music");
    QTest::newRow("mono") << m_media->monoMusic();
    QTest::newRow("5.1") << m_media->surroundMusic();
    QTest::newRow("none") << QString();
}

void tst_RealWorldFootage::soundIsStereoWhateverTheMusic()
{
    QFETCH(QString, music);
    QTemporaryDir root;
    StudioProject project;
    MediaAsset clip = MediaAsset::create(m_media->clip(), QStringLiteral("clip.mp4"), 2, 320, 180, 30, true, false);
    clip.clipEnd = 1.0;
    project.assets = {clip};
    project.settings.music = music;
    project.settings.audioPercent = 100;
    project.settings.softwareEncoding = true;
    verifyDelivered(render(project, root.path(), false, true, QSize(320, 180)), QSize(320, 180), 1.0);
}

// A cover picture stored ahead of a movie's video is no picture of the clip: the segment shows
// the movie that the probe measured.
void tst_RealWorldFootage::theProbedPictureIsTheRenderedOne()
{
    QTemporaryDir root;
    const MediaService media{ToolPaths(), std::make_shared<ProcessRunner>()};
    const ProbeResult probe = media.probe(m_media->clipWithCoverFirst());
    QCOMPARE(QSize(probe.width, probe.height), QSize(320, 180));
    QCOMPARE(probe.codec, QStringLiteral("h264"));

    const MediaAsset clip = MediaAsset::create(m_media->clipWithCoverFirst(), QStringLiteral("cover-first.mp4"),
                                               probe.duration, probe.width, probe.height, probe.fps, probe.hasAudio,
                                               false);
    const QString job = Pipeline::renderJobFolder(root.path());
    const QString segment = pipeline().renderSegment(clip, ProcessingSettings(), job, Pipeline::cacheRoot(root.path()),
                                                     0, 320, 180, 1.0, false, false);
    // The cover is plain red; the movie's first picture is a test pattern.
    QVERIFY(test::lumaSpread(test::firstFrameLuma(m_media->clip())) > 30);
    const QByteArray rendered = test::firstFrameLuma(segment);
    QCOMPARE(rendered.size(), 320 * 180);
    QVERIFY2(test::lumaSpread(rendered) > 30, qPrintable(QString::number(test::lumaSpread(rendered))));
    QCOMPARE(test::inspectMedia(segment).videoFrames, 30);
}

// A phone's HDR clip: its red bar is red in the film, in a prepared intermediate and in its
// thumbnail, not the grey (121, 73, 48) of PQ code values read as standard range.
void tst_RealWorldFootage::hdrFootageIsToneMappedToStandardRange()
{
    QTemporaryDir root;
    const MediaService media{ToolPaths(), std::make_shared<ProcessRunner>()};
    const ProbeResult probe = media.probe(m_media->hdrClip());
    QCOMPARE(probe.colourTransfer, QStringLiteral("smpte2084"));
    QCOMPARE(probe.colourPrimaries, QStringLiteral("bt2020"));
    QCOMPARE(probe.colourSpace, QStringLiteral("bt2020nc"));
    QVERIFY(probe.isHDR());
    // A standard clip is left as it is.
    QCOMPARE(PictureConversion::filters(media.probe(m_media->clip())), QString());

    const QList<int> red{255, 0, 0};
    const QList<int> white{255, 255, 255};
    const QByteArray untouched = test::frameRgb(m_media->hdrClip(), 0.5);
    QVERIFY2(!near(pixel(untouched, 320, 30, 90), red, 60), qPrintable(text(pixel(untouched, 320, 30, 90))));

    const MediaAsset clip = movieAsset(m_media->hdrClip(), probe);
    const QByteArray segment = test::frameRgb(renderClipSegment(clip, root.path(), 1.0), 0.5);
    QVERIFY2(near(pixel(segment, 320, 30, 90), red, 8), qPrintable(text(pixel(segment, 320, 30, 90))));
    QVERIFY2(near(pixel(segment, 320, 100, 90), white, 8), qPrintable(text(pixel(segment, 320, 100, 90))));

    // Prepared through the inverting conversion LUT: the tone-mapped red becomes cyan.
    StudioProject project;
    project.assets = {clip};
    project.settings.conversionLUT = m_media->lut();
    project = test::explained([&] { return pipeline().prepare(project, root.path()); });
    const QString prepared = *project.assets.first().preparedPath;
    QVERIFY(!media.probe(prepared).isHDR());
    const QByteArray preparedFrame = test::frameRgb(prepared, 0.5);
    QVERIFY2(near(pixel(preparedFrame, 320, 30, 90), {0, 255, 255}, 8),
             qPrintable(text(pixel(preparedFrame, 320, 30, 90))));
    const QByteArray preparedSegment = test::frameRgb(
        renderClipSegment(project.assets.first(), root.path(), 1.0, project.settings), 0.5);
    QVERIFY2(near(pixel(preparedSegment, 320, 30, 90), {0, 255, 255}, 8),
             qPrintable(text(pixel(preparedSegment, 320, 30, 90))));

    const QString thumbnail = root.filePath(QStringLiteral("thumbnail.jpg"));
    media.generateThumbnail(m_media->hdrClip(), thumbnail, probe.duration, false, false);
    const QByteArray thumbnailFrame = test::frameRgb(thumbnail, 0);
    QVERIFY2(near(pixel(thumbnailFrame, 480, 45, 135), red, 12), qPrintable(text(pixel(thumbnailFrame, 480, 45, 135))));
}

// A camcorder's 1080i clip: fields from different moments are woven into one frame, which combs
// on every moving edge until it is deinterlaced.
void tst_RealWorldFootage::interlacedFootageIsDeinterlaced()
{
    QTemporaryDir root;
    const MediaService media{ToolPaths(), std::make_shared<ProcessRunner>()};
    const ProbeResult probe = media.probe(m_media->interlacedClip());
    QCOMPARE(probe.fieldOrder, QStringLiteral("tt"));
    QVERIFY(probe.isInterlaced());
    QVERIFY(!media.probe(m_media->clip()).isInterlaced());

    const double combed = test::combing(luma(test::frameRgb(m_media->interlacedClip(), 1.0)), 320);
    QVERIFY2(combed > 1.2, qPrintable(QString::number(combed)));
    const double progressive = test::combing(luma(test::frameRgb(m_media->clip(), 1.0)), 320);
    QVERIFY2(progressive >= 0 && progressive < 0.9, qPrintable(QString::number(progressive)));

    const QString segment = renderClipSegment(movieAsset(m_media->interlacedClip(), probe), root.path(), 2.0);
    QCOMPARE(test::inspectMedia(segment).videoFrames, 60); // one frame per frame, not one per field
    const double rendered = test::combing(luma(test::frameRgb(segment, 1.0)), 320);
    QVERIFY2(rendered >= 0 && rendered < 0.9, qPrintable(QString::number(rendered)));

    const QString thumbnail = root.filePath(QStringLiteral("thumbnail.jpg"));
    media.generateThumbnail(m_media->interlacedClip(), thumbnail, probe.duration, false, true);
    const double thumbnailCombing = test::combing(luma(test::frameRgb(thumbnail, 0)), 480);
    QVERIFY2(thumbnailCombing >= 0 && thumbnailCombing < 0.9, qPrintable(QString::number(thumbnailCombing)));
}

// An interrupted copy: the header declares 2 s, the pictures stop after about 1.2 s. The part that
// is there renders; a segment that needs the missing part fails with a sentence, and nothing of
// it is kept where a later render would reuse it.
void tst_RealWorldFootage::aFileCutShortFailsItsSegment()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("Cache")));
    const MediaService media{ToolPaths(), std::make_shared<ProcessRunner>()};
    const MediaAsset clip = test::explained(
        [&] { return media.importAsset(m_media->truncatedClip(), root.path(), false); });
    QCOMPARE(clip.duration, 2.0);

    const QString whole = renderClipSegment(clip, root.path(), 1.0);
    QCOMPARE(test::inspectMedia(whole).videoFrames, 30);

    const QString job = Pipeline::renderJobFolder(root.path());
    const QString cache = Pipeline::cacheRoot(root.path());
    try {
        pipeline().renderSegment(clip, ProcessingSettings(), job, cache, 0, 320, 180, 2.0, false, false);
        QFAIL("rendered");
    } catch (const StudioError &error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("“truncated.mp4” seems to be incomplete: its picture "
                                                           "stops at 1.")),
                 qPrintable(error.message()));
        QVERIFY2(error.message().contains(QStringLiteral("before the 2.0 s the film takes from it")),
                 qPrintable(error.message()));
    }
    QCOMPARE(QDir(job).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir(cache + QStringLiteral("/Segments")).entryList(QDir::Files).size(), 1); // the whole one only
}

// Sound that runs on a second past the picture: the clip and the film last as long as the picture.
void tst_RealWorldFootage::aMovieLastsAsLongAsItsPicture()
{
    QTemporaryDir root;
    const MediaService media{ToolPaths(), std::make_shared<ProcessRunner>()};
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("Cache")));
    QVERIFY(test::inspectMedia(m_media->longSoundClip()).formatDuration > 2.9);
    const MediaAsset clip = test::explained(
        [&] { return media.importAsset(m_media->longSoundClip(), root.path(), false); });
    QCOMPARE(clip.duration, 2.0);

    StudioProject project;
    project.assets = {clip};
    project.settings.softwareEncoding = true;
    project.settings.finalOutputPath = root.filePath(QStringLiteral("Film.mp4"));
    verifyDelivered(render(project, root.path(), false, false, QSize(320, 180)), QSize(320, 180), 2.0);
}

// 5.1 music with a tone of its own in each channel: the film's left side holds the front and back
// left tones, the right side the right ones, both the centre's, and neither the LFE's.
void tst_RealWorldFootage::surroundSoundIsMixedDownNotCut()
{
    using Fixtures = test::MediaFixtures;
    QTemporaryDir root;
    StudioProject project;
    MediaAsset clip = MediaAsset::create(m_media->silentClip(), QStringLiteral("silent.mp4"), 2, 320, 180, 30, false,
                                         false);
    clip.clipEnd = 1.5;
    project.assets = {clip};
    project.settings.music = m_media->surroundTones();
    project.settings.audioPercent = 100;
    project.settings.softwareEncoding = true;
    project.settings.finalOutputPath = root.filePath(QStringLiteral("Film.mp4"));
    const QString film = render(project, root.path(), false, false, QSize(320, 180)).path;

    const auto level = [&](int channel, int tone) { return test::toneAmplitude(film, channel, tone); };
    const double centreLeft = level(0, Fixtures::centreTone);
    const double centreRight = level(1, Fixtures::centreTone);
    QVERIFY2(centreLeft > 0.02 && centreRight > 0.02,
             qPrintable(QStringLiteral("%1 %2").arg(centreLeft).arg(centreRight)));
    QVERIFY(qAbs(centreLeft - centreRight) < 0.2 * centreLeft);
    for (const int tone : {Fixtures::frontLeftTone, Fixtures::backLeftTone}) {
        QVERIFY2(level(0, tone) > 0.02, qPrintable(QString::number(tone)));
        QVERIFY2(level(1, tone) < 0.002, qPrintable(QString::number(tone)));
    }
    for (const int tone : {Fixtures::frontRightTone, Fixtures::backRightTone}) {
        QVERIFY2(level(1, tone) > 0.02, qPrintable(QString::number(tone)));
        QVERIFY2(level(0, tone) < 0.002, qPrintable(QString::number(tone)));
    }
    QVERIFY(level(0, Fixtures::lfeTone) < 0.002 && level(1, Fixtures::lfeTone) < 0.002);
}

QTEST_MAIN(tst_RealWorldFootage)
#include "tst_RealWorldFootage.moc"
