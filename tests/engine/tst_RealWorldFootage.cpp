#include "engine/media/MediaService.h"
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

QTEST_MAIN(tst_RealWorldFootage)
#include "tst_RealWorldFootage.moc"
