#include "engine/pipeline/RenderSegmentIdentity.h"
#include "model/CanonicalJson.h"
#include "model/FileError.h"
#include "model/JsonError.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"
#include "support/FingerprintFixture.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <functional>

using namespace kinoloom;
using test::Change;
using test::Fixture;
using test::SegmentRequest;
using test::touch;

class tst_RenderSegmentIdentity : public QObject
{
    Q_OBJECT

private slots:
    void segmentIdentityJsonIsPinned()
    {
        RenderSegmentIdentity identity;
        identity.source = QStringLiteral("/media/clip.mov|1234|2024-05-01 08:30:00 +0000|42");
        identity.duration = 5;
        identity.width = 1920;
        identity.height = 1080;
        identity.fps = 30;
        identity.clipStart = 1.5;
        identity.stillZoom = true;
        identity.grade = ClipGrade();
        QCOMPARE(canonicalJson(identity.toJson()),
                 QByteArray(R"({"clipStart":1.5,"cropScale":1,"duration":5,"fps":30,"grade":{"brightness":0,)"
                            R"("contrast":1,"gamma":1,"lutStrength":100,"saturation":1,"stylishLUT":"",)"
                            R"("temperature":0},"height":1080,"image":false,"lutContent":"","role":"Main",)"
                            R"("source":"\/media\/clip.mov|1234|2024-05-01 08:30:00 +0000|42","stillZoom":true,)"
                            R"("tail":false,"trim":false,"version":6,"width":1920})"));
        QCOMPARE(identity.key(), QStringLiteral("8e1d5785178c57fbd2978114bc67b0ab4234547b9c2d4c4fbcf368dd61edee8f"));
        QCOMPARE(identity.cacheName(),
                 QStringLiteral("8e1d5785178c57fbd2978114bc67b0ab4234547b9c2d4c4fbcf368dd61edee8f.mkv"));

        RenderSegmentIdentity outro;
        outro.source = QStringLiteral("/Ordner ä/End.png|99|2001-01-01 00:00:00 +0000|7");
        outro.duration = 1.0 / 30.0;
        outro.width = 1280;
        outro.height = 720;
        outro.fps = 30;
        outro.image = true;
        outro.role = ClipRole::outro;
        outro.tail = true;
        outro.trim = true;
        outro.clipEnd = 0.1;
        outro.cropScale = 1.25;
        QCOMPARE(outro.key(), QStringLiteral("98792a6609aef904e34e154c3b23b45f76621b009d5535bd51682ebe4f88ca61"));
    }

    void segmentIdentityNotFiniteFails()
    {
        RenderSegmentIdentity identity;
        identity.duration = std::numeric_limits<double>::quiet_NaN();
        QVERIFY_THROWS_EXCEPTION(JsonError, identity.key());
    }

    void segmentKeyChanges_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("changesKey");
        const auto row = [](const char *name, bool changes, Change change) {
            QTest::newRow(name) << change << changes;
        };
        row("duration", true, [](MediaAsset &, ProcessingSettings &, SegmentRequest &r) { r.duration = 4.9; });
        row("width", true, [](MediaAsset &, ProcessingSettings &, SegmentRequest &r) { r.width = 1280; });
        row("height", true, [](MediaAsset &, ProcessingSettings &, SegmentRequest &r) { r.height = 720; });
        row("tail", true, [](MediaAsset &, ProcessingSettings &, SegmentRequest &r) { r.tail = true; });
        row("fps", true, [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) { s.fps = 25; });
        row("trim", true, [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) { s.trim = true; });
        row("still zoom", true, [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) { s.stillZoom = false; });
        row("image", true, [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) { c.isImage = true; });
        row("role", true, [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) { c.role = ClipRole::hook; });
        row("clipStart unset to 0", true,
            [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) { c.clipStart = 0.0; });
        row("clipEnd", true, [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) { c.clipEnd = 3.0; });
        row("crop scale", true, [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) { c.setCropScale(1.2); });
        row("own grade", true,
            [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) { c.grade->brightness = 0.1; });
        row("own grade stretch", true,
            [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) { c.grade->setContrastStretch(0); });
        row("grade to all", true, [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) { s.setGradeToAll(true); });
        row("prepared file", true, [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) {
            c.preparedPath = QFileInfo(c.path).absolutePath() + QStringLiteral("/prepared.mkv");
        });
        row("other source", true, [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) {
            c.path = QFileInfo(c.path).absolutePath() + QStringLiteral("/other.mov");
        });
        row("stylish off", true, [](MediaAsset &, ProcessingSettings &, SegmentRequest &r) { r.stylish = false; });
        row("same LUT content elsewhere", true, [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) {
            c.grade->stylishLUT = QFileInfo(c.path).absolutePath()
                + QStringLiteral("/other.cube"); // path is in the grade
        });
        row("name, id and audio take no part", false, [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) {
            c.name = QStringLiteral("Renamed");
            c.id = QUuid::createUuid();
            c.hasAudio = false;
            c.thumbnail = QStringLiteral("/t.jpg");
        });
        row("project grade unused without grade to all", false,
            [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) { s.brightness = 0.2; });
        row("titles and export take no part", false, [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) {
            s.title = QStringLiteral("T");
            s.music = QStringLiteral("/m.m4a");
            s.exportCodec = ExportCodec::hevc;
        });
    }

    void segmentKeyChanges()
    {
        QFETCH(Change, change);
        QFETCH(bool, changesKey);
        Fixture fixture;
        MediaAsset clip = fixture.clip();
        ProcessingSettings settings;
        SegmentRequest request;
        const auto key = [&] {
            return RenderSegmentIdentity::make(clip, settings, request.width, request.height, request.duration,
                                               request.tail, request.stylish)
                .key();
        };
        const QString before = key();
        QCOMPARE(key(), before);
        change(clip, settings, request);
        QCOMPARE(key() != before, changesKey);
    }

    void segmentSourceAndLutContent()
    {
        Fixture fixture;
        const MediaAsset clip = fixture.clip();
        const ProcessingSettings settings;
        const auto key = [&](const MediaAsset &c, bool stylish) {
            return RenderSegmentIdentity::make(c, settings, 1920, 1080, 5, false, stylish).key();
        };
        const QString stylish = key(clip, true);

        // Touching the source changes the key while the clip has no prepared file.
        touch(fixture.clipPath, 5);
        QVERIFY(key(clip, true) != stylish);
        const QString touched = key(clip, true);

        // New LUT content under the same path changes a stylish segment only.
        QVERIFY(test::writeFile(fixture.lut, "LUT_3D_SIZE 2\n# changed\n"));
        QVERIFY(key(clip, true) != touched);
        touch(fixture.clipPath, 0);

        // Not stylish: the LUT path and content do not count.
        MediaAsset otherLut = clip;
        otherLut.grade->stylishLUT = QStringLiteral("/nowhere/missing.cube");
        QCOMPARE(key(otherLut, false), key(clip, false));
        // Strength 0: the same name whatever the path, and the file is not read.
        MediaAsset none = clip;
        none.grade->lutStrength = 0;
        MediaAsset noneElsewhere = otherLut;
        noneElsewhere.grade->lutStrength = 0;
        QCOMPARE(key(noneElsewhere, true), key(none, true));
        // Stylish with an unreadable LUT fails.
        QVERIFY_THROWS_EXCEPTION(FileError, key(otherLut, true));
    }

    // Segments whose grade passes through R'G'B' are rendered back into the source's matrix
    // since that mend: their keys are new, so no earlier, colour-shifted segment is reused.
    // Others keep their keys.
    void segmentsThroughRGBAreMarked()
    {
        Fixture fixture;
        MediaAsset clip = fixture.clip();
        clip.grade = ClipGrade();
        clip.grade->contrast = 1.2;
        const auto marked = [&](bool stylish) {
            return RenderSegmentIdentity::make(clip, ProcessingSettings(), 1920, 1080, 5, false, stylish)
                .toJson()
                .contains(QStringLiteral("keepsSourceMatrix"));
        };
        QVERIFY(!marked(false));
        clip.grade->stylishLUT = fixture.lut;
        QVERIFY(marked(true));
        QVERIFY(!marked(false));
        clip.grade->stylishLUT.clear();
        clip.grade->temperature = 0.1;
        QVERIFY(marked(false));
    }

    // A segment kept at 8 bits has its own key; one kept at 16 bits keeps the key it always had.
    void thePixelFormatNamesTheSegment()
    {
        RenderSegmentIdentity deep;
        deep.source = QStringLiteral("/media/clip.mov|1234|2024-05-01 08:30:00 +0000|42");
        deep.duration = 5;
        deep.width = 1920;
        deep.height = 1080;
        deep.fps = 30;
        RenderSegmentIdentity eightBit = deep;
        eightBit.pixelFormat = QStringLiteral("bgr0");
        QVERIFY(!deep.toJson().contains(QStringLiteral("pixelFormat")));
        QCOMPARE(eightBit.toJson().value(QStringLiteral("pixelFormat")).toString(), QStringLiteral("bgr0"));
        QVERIFY(eightBit.key() != deep.key());
        RenderSegmentIdentity asBefore = deep;
        asBefore.pixelFormat = QStringLiteral("yuv444p16le");
        QCOMPARE(asBefore.key(), deep.key());
        // Scaled up to the film's frame, it is another picture than one kept at its own size.
        RenderSegmentIdentity scaledUp = eightBit;
        scaledUp.deliveredSize = QStringLiteral("3840x2160");
        QVERIFY(!eightBit.toJson().contains(QStringLiteral("deliveredSize")));
        QCOMPARE(scaledUp.toJson().value(QStringLiteral("deliveredSize")).toString(), QStringLiteral("3840x2160"));
        QVERIFY(scaledUp.key() != eightBit.key());
    }

    // A segment that now carries its source's matrix after R'G'B' stages is not taken for one
    // made before, which the film read as BT.601.
    void theMatrixTagNamesTheSegment()
    {
        RenderSegmentIdentity untagged;
        untagged.source = QStringLiteral("/media/clip.mov|1234|2024-05-01 08:30:00 +0000|42");
        untagged.keepsSourceMatrix = true;
        RenderSegmentIdentity tagged = untagged;
        tagged.sourceMatrixTag = QStringLiteral("bt709");
        QVERIFY(!untagged.toJson().contains(QStringLiteral("sourceMatrixTag")));
        QVERIFY(tagged.key() != untagged.key());
    }

    void outroHasNoGrade()
    {
        Fixture fixture;
        MediaAsset clip = fixture.clip();
        clip.role = ClipRole::outro;
        ProcessingSettings settings;
        settings.setGradeToAll(true);
        const RenderSegmentIdentity identity = RenderSegmentIdentity::make(clip, settings, 1920, 1080, 5, false, true);
        QVERIFY(!identity.toJson().contains(QStringLiteral("grade")));
        QVERIFY(identity.lutContent.isEmpty());
        clip.grade->brightness = 0.3;
        QCOMPARE(RenderSegmentIdentity::make(clip, settings, 1920, 1080, 5, false, true).key(), identity.key());
    }

    // A preview takes five seconds of a long clip whether the cap is on or off, but from one
    // second in when it is on: the two must not share a cache entry.
    void fiveSecondCapCountsWhereItMovesTheStart()
    {
        Fixture fixture;
        MediaAsset clip = fixture.clip(); // 12 s, no selection
        ProcessingSettings off;
        ProcessingSettings on;
        on.setFiveSecondClipCap(true);
        const auto key = [&](const ProcessingSettings &settings, bool tail) {
            return RenderSegmentIdentity::make(clip, settings, 1920, 1080, 5, tail, true).key();
        };
        QVERIFY(key(on, false) != key(off, false));
        QVERIFY(RenderSegmentIdentity::make(clip, on, 1920, 1080, 5, false, true)
                    .toJson()
                    .value(QStringLiteral("fiveSecondClipCap"))
                    .toBool());
        // A tail segment ends at the end of the selection either way.
        QCOMPARE(key(on, true), key(off, true));
        // A selection of six seconds is cut at its end only, which the duration shows.
        clip.clipEnd = 6.0;
        QCOMPARE(key(on, false), key(off, false));
        QVERIFY(!RenderSegmentIdentity::make(clip, on, 1920, 1080, 5, false, true)
                     .toJson()
                     .contains(QStringLiteral("fiveSecondClipCap")));
    }
};

QTEST_GUILESS_MAIN(tst_RenderSegmentIdentity)
#include "tst_RenderSegmentIdentity.moc"
