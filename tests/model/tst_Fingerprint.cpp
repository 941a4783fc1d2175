#include "model/CanonicalJson.h"
#include "model/FileError.h"
#include "model/Fingerprint.h"
#include "model/JsonError.h"
#include "model/StudioProject.h"
#include "support/FingerprintFixture.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinoloom;
using test::Change;
using test::Fixture;
using test::SegmentRequest;
using test::touch;

class tst_Fingerprint : public QObject
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

QTEST_GUILESS_MAIN(tst_Fingerprint)
#include "tst_Fingerprint.moc"
