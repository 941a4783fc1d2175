#include "engine/CanonicalJson.h"
#include "engine/Fingerprint.h"
#include "engine/RenderSegmentIdentity.h"
#include "model/FileError.h"
#include "model/JsonError.h"
#include "model/StudioProject.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace kinoloom;

namespace {

// The arguments of one segment render besides the clip and the settings.
struct SegmentRequest
{
    int width = 1920;
    int height = 1080;
    double duration = 5;
    bool tail = false;
    bool stylish = true;
};

using Change = std::function<void(MediaAsset &, ProcessingSettings &, SegmentRequest &)>;

// Moves a file's modification time by whole seconds without changing its content.
void touch(const QString &path, int seconds)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QDateTime modified = QFileInfo(path).lastModified();
    QVERIFY(file.setFileTime(modified.addSecs(seconds), QFileDevice::FileModificationTime));
}

struct Fixture
{
    QTemporaryDir temp;
    QString clipPath = temp.filePath(QStringLiteral("clip.mov"));
    QString otherClip = temp.filePath(QStringLiteral("other.mov"));
    QString prepared = temp.filePath(QStringLiteral("prepared.mkv"));
    QString lut = temp.filePath(QStringLiteral("look.cube"));
    QString otherLut = temp.filePath(QStringLiteral("other.cube"));
    QString conversion = temp.filePath(QStringLiteral("conversion.cube"));
    QString preset = temp.filePath(QStringLiteral("preset.json"));
    QString music = temp.filePath(QStringLiteral("music.m4a"));

    Fixture()
    {
        for (const QString &path : {clipPath, otherClip, prepared, music})
            test::writeFile(path, QByteArray(100, 'm'));
        test::writeFile(lut, "LUT_3D_SIZE 2\n");
        test::writeFile(otherLut, "LUT_3D_SIZE 2\n");
        test::writeFile(conversion, "LUT_3D_SIZE 2\n# log\n");
        test::writeFile(preset, "{}");
    }

    MediaAsset clip() const
    {
        MediaAsset asset = MediaAsset::create(clipPath, QStringLiteral("Clip"), 12, 1920, 1080, 30, true, false);
        asset.id = QUuid(QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"));
        asset.grade = ClipGrade();
        asset.grade->stylishLUT = lut;
        return asset;
    }
};

} // namespace

Q_DECLARE_METATYPE(Change)

class TestFingerprint : public QObject
{
    Q_OBJECT

private slots:
    void digest()
    {
        QCOMPARE(Fingerprint::data(QByteArray()),
                 QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
        QCOMPARE(Fingerprint::data("abc"),
                 QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    }

    void fileIdentity()
    {
        QTemporaryDir temp;
        const QString path = temp.filePath(QStringLiteral("a.mov"));
        QVERIFY(test::writeFile(path, "12345"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2024, 5, 1), QTime(8, 30, 0, 700), Qt::UTC),
                                 QFileDevice::FileModificationTime));
        file.close();

        const QString identity = Fingerprint::file(path);
        const QRegularExpression form(QStringLiteral("^(.*)\\|5\\|2024-05-01 08:30:00 \\+0000\\|([1-9][0-9]*)$"));
        const QRegularExpressionMatch match = form.match(identity);
        QVERIFY2(match.hasMatch(), qPrintable(identity));
        QCOMPARE(match.captured(1), QDir::cleanPath(path));

        // The path is standardised; the same file gives the same text however it is named.
        QCOMPARE(Fingerprint::file(temp.path() + QStringLiteral("/./sub/../a.mov")), identity);
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(temp.path());
        const QString relative = Fingerprint::file(QStringLiteral("a.mov"));
        QDir::setCurrent(cwd);
        QCOMPARE(relative, identity);
    }

    void fileIdentityOfLinkIsTheLinkItself()
    {
        QTemporaryDir temp;
        const QString target = temp.filePath(QStringLiteral("target.mov"));
        const QString link = temp.filePath(QStringLiteral("link.mov"));
        QVERIFY(test::writeFile(target, QByteArray(1000, 'x')));
        QVERIFY(QFile::link(target, link));
        const QString identity = Fingerprint::file(link);
        QVERIFY2(identity.startsWith(QDir::cleanPath(link) + QLatin1Char('|')), qPrintable(identity));
        QVERIFY2(!identity.contains(QStringLiteral("|1000|")), qPrintable(identity)); // not the target's size
    }

    void missingFileFails()
    {
        QTemporaryDir temp;
        const QString missing = temp.filePath(QStringLiteral("gone.mov"));
        try {
            Fingerprint::file(missing);
            QFAIL("expected a FileError");
        } catch (const FileError &error) {
            QCOMPARE(error.path(), missing);
        }
        QVERIFY_THROWS_EXCEPTION(FileError, Fingerprint::file(QString()));
    }

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

    void preparationKey()
    {
        Fixture fixture;
        const MediaAsset clip = fixture.clip();
        ProcessingSettings settings;
        settings.conversionLUT = fixture.conversion;
        settings.gyroflow = true;
        settings.gyroPreset = fixture.preset;

        QByteArray text = "kinoloom-pipeline-3-lossless|" + Fingerprint::file(fixture.clipPath).toUtf8();
        text += "{\"conversionLUT\":\""
            + QString(fixture.conversion).replace(QLatin1Char('/'), QStringLiteral("\\/")).toUtf8()
            + "\",\"fisheye\":false,\"gyroflow\":true,\"gyroPreset\":\""
            + QString(fixture.preset).replace(QLatin1Char('/'), QStringLiteral("\\/")).toUtf8()
            + "\",\"vidstab\":false}";
        text += Fingerprint::data(test::readFile(fixture.conversion)).toLatin1();
        text += Fingerprint::data(test::readFile(fixture.preset)).toLatin1();
        QCOMPARE(Fingerprint::preparation(clip, settings), Fingerprint::data(text));
    }

    void preparationKeyChanges_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("changesKey");
        const auto row = [](const char *name, bool changes, Change change) {
            QTest::newRow(name) << change << changes;
        };
        row("fisheye", true, [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) { s.fisheye = true; });
        row("vidstab", true, [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) { s.vidstab = true; });
        row("gyroflow", true, [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) { s.gyroflow = true; });
        row("conversion LUT", true,
            [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) { s.conversionLUT.clear(); });
        row("other clip file", true, [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) {
            c.path = QFileInfo(c.path).absolutePath() + QStringLiteral("/other.mov");
        });
        row("preset while gyroflow is off", false, [](MediaAsset &, ProcessingSettings &s, SegmentRequest &) {
            s.gyroPreset = QStringLiteral("/nowhere/unreadable.json"); // not read either
        });
        row("prepared file takes no part", false, [](MediaAsset &c, ProcessingSettings &, SegmentRequest &) {
            c.preparedPath = QStringLiteral("/elsewhere.mkv");
        });
        row("grade and export take no part", false, [](MediaAsset &c, ProcessingSettings &s, SegmentRequest &) {
            c.grade->brightness = 0.4;
            s.brightness = 0.4;
            s.title = QStringLiteral("T");
            s.fps = 60;
        });
    }

    void preparationKeyChanges()
    {
        QFETCH(Change, change);
        QFETCH(bool, changesKey);
        Fixture fixture;
        MediaAsset clip = fixture.clip();
        ProcessingSettings settings;
        settings.conversionLUT = fixture.conversion;
        settings.gyroPreset = fixture.preset;
        SegmentRequest unused;
        const QString before = Fingerprint::preparation(clip, settings);
        QCOMPARE(Fingerprint::preparation(clip, settings), before);
        change(clip, settings, unused);
        QCOMPARE(Fingerprint::preparation(clip, settings) != before, changesKey);
    }

    void preparationKeyFollowsFileContent()
    {
        Fixture fixture;
        const MediaAsset clip = fixture.clip();
        ProcessingSettings settings;
        settings.conversionLUT = fixture.conversion;
        settings.gyroflow = true;
        settings.gyroPreset = fixture.preset;
        QString key = Fingerprint::preparation(clip, settings);
        for (const QString &path : {fixture.conversion, fixture.preset}) {
            QVERIFY(test::writeFile(path, test::readFile(path) + "x"));
            const QString changed = Fingerprint::preparation(clip, settings);
            QVERIFY(changed != key);
            key = changed;
        }
        touch(fixture.clipPath, 3);
        QVERIFY(Fingerprint::preparation(clip, settings) != key);

        settings.conversionLUT = fixture.temp.filePath(QStringLiteral("missing.cube"));
        QVERIFY_THROWS_EXCEPTION(FileError, Fingerprint::preparation(clip, settings));
    }

    void renderFingerprint()
    {
        Fixture fixture;
        QList<MediaAsset> assets{fixture.clip(), fixture.clip()};
        assets[1].path = fixture.otherClip;
        assets[1].role = ClipRole::excluded;
        ProcessingSettings settings;
        settings.music = fixture.music;
        const QString key = Fingerprint::render(assets, settings, false);
        QCOMPARE(key.size(), 64);
        QCOMPARE(Fingerprint::render(assets, settings, false), key);
        QVERIFY(Fingerprint::render(assets, settings, true) != key);

        // Preparation results take no part.
        QList<MediaAsset> prepared = assets;
        prepared[0].thumbnail = QStringLiteral("/thumb.jpg");
        prepared[0].preparation = QStringLiteral("Gyroflow");
        prepared[0].preparedPath = fixture.prepared;
        prepared[0].preparationKey = QStringLiteral("abc");
        QCOMPARE(Fingerprint::render(prepared, settings, false), key);

        // Anything else about a clip or the settings does, excluded clips included.
        QList<MediaAsset> edited = assets;
        edited[1].clipStart = 1.0;
        QVERIFY(Fingerprint::render(edited, settings, false) != key);
        ProcessingSettings retitled = settings;
        retitled.title = QStringLiteral("New title");
        QVERIFY(Fingerprint::render(assets, retitled, false) != key);
        QVERIFY(Fingerprint::render({assets[1], assets[0]}, settings, false) != key);

        // The project's identity, name, exports, publishing and resume state take no part.
        StudioProject project;
        project.assets = assets;
        project.settings = settings;
        QCOMPARE(Fingerprint::render(project, false), key);
        project.id = QUuid::createUuid();
        project.name = QStringLiteral("Renamed");
        project.publish.title = QStringLiteral("Published");
        project.exports.append(ExportRecord());
        project.resumeState = RenderResumeState{true, false, true};
        QCOMPARE(Fingerprint::render(project, false), key);

        touch(fixture.otherClip, 7);
        QVERIFY(Fingerprint::render(assets, settings, false) != key);
    }

    void renderFingerprintFollowsReferencedFiles_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("music") << QStringLiteral("music");
        QTest::newRow("conversion LUT") << QStringLiteral("conversionLUT");
        QTest::newRow("creative LUT") << QStringLiteral("stylishLUT");
        QTest::newRow("Gyroflow preset") << QStringLiteral("gyroPreset");
        QTest::newRow("clip's creative LUT") << QStringLiteral("grade");
    }

    // A file replaced in place under the same path must not give the fingerprint of the old film.
    void renderFingerprintFollowsReferencedFiles()
    {
        QFETCH(QString, field);
        Fixture fixture;
        const QString file = fixture.temp.filePath(QStringLiteral("input.bin"));
        QVERIFY(test::writeFile(file, "first"));
        QList<MediaAsset> assets{fixture.clip()};
        ProcessingSettings settings;
        settings.gyroflow = true;
        if (field == QStringLiteral("music"))
            settings.music = file;
        else if (field == QStringLiteral("conversionLUT"))
            settings.conversionLUT = file;
        else if (field == QStringLiteral("stylishLUT"))
            settings.stylishLUT = file;
        else if (field == QStringLiteral("gyroPreset"))
            settings.gyroPreset = file;
        else
            assets[0].grade->stylishLUT = file;
        const QString before = Fingerprint::render(assets, settings, false);

        QVERIFY(QFile::remove(file));
        QVERIFY(test::writeFile(file, "second, longer"));
        touch(file, 60);
        QVERIFY(Fingerprint::render(assets, settings, false) != before);
    }

    void renderFingerprintFailsOnMissingClip()
    {
        Fixture fixture;
        QList<MediaAsset> assets{fixture.clip()};
        assets[0].path = fixture.temp.filePath(QStringLiteral("moved.mov"));
        QVERIFY_THROWS_EXCEPTION(FileError, Fingerprint::render(assets, ProcessingSettings(), false));
    }
};

QTEST_GUILESS_MAIN(TestFingerprint)
#include "tst_Fingerprint.moc"
