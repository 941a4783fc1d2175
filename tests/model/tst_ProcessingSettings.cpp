#include "model/ClipGrade.h"
#include "model/JsonError.h"
#include "model/ProcessingSettings.h"
#include "model/StudioError.h"
#include "support/FailureText.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <limits>

using namespace kinoloom;

using SettingsChange = std::function<void(ProcessingSettings &)>;
using GradeChange = std::function<void(ClipGrade &)>;
Q_DECLARE_METATYPE(SettingsChange)
Q_DECLARE_METATYPE(GradeChange)

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

const QString outOfRange = QStringLiteral("One or more processing settings are out of range.");
const QString gradeOutOfRange = QStringLiteral("One or more clip colour settings are out of range.");

} // namespace

class tst_ProcessingSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsEncodeToTwentySevenMembers()
    {
        const QJsonObject object = ProcessingSettings().toJson();
        QCOMPARE(object.size(), 27);
        for (const char *absent : {"applyGradeToAll", "contrastStretchValue", "highlightRecoveryValue",
                                   "finalOutputPath", "fiveSecondClipCapValue"})
            QVERIFY2(!object.contains(QLatin1String(absent)), absent);
        QCOMPARE(object.value("exportResolution").toString(), "p2160");
        QCOMPARE(object.value("exportCodec").toString(), "h264");
        QCOMPARE(object.value("fps"), QJsonValue(30));
        QCOMPARE(ProcessingSettings::fromJson(object), ProcessingSettings());
    }

    void everyFieldSurvivesARoundTrip()
    {
        ProcessingSettings s;
        s.conversionLUT = "/luts/log.cube";
        s.gyroflow = true;
        s.gyroPreset = "/presets/gopro.json";
        s.fisheye = true;
        s.vidstab = true;
        s.setGradeToAll(false);
        s.saturation = 1.25;
        s.gamma = 0.9;
        s.brightness = -0.05;
        s.contrast = 1.1;
        s.temperature = 0.3;
        s.setContrastStretch(12.5);
        s.setHighlightRecovery(0);
        s.stylishLUT = "/luts/film.cube";
        s.lutStrength = 55;
        s.title = "Trip";
        s.subtitle = "Autumn · 2026";
        s.music = "/music/song.m4a";
        s.audioPercent = 35;
        s.stillDuration = 3.5;
        s.stillZoom = false;
        s.trim = true;
        s.trimDuration = 7;
        s.includeHooks = false;
        s.makeShort = true;
        s.middleFrameThumbnails = true;
        s.softwareEncoding = true;
        s.fps = 25;
        s.exportResolution = ExportResolution::source;
        s.exportCodec = ExportCodec::ffv1;
        s.finalOutputPath = "/films/trip.mkv";
        s.setFiveSecondClipCap(true);
        const QJsonObject object = s.toJson();
        QCOMPARE(object.size(), 32);
        const QByteArray text = QJsonDocument(object).toJson();
        QCOMPARE(ProcessingSettings::fromJson(QJsonDocument::fromJson(text).object()), s);
    }

    void absentOptionalsStayAbsent()
    {
        QJsonObject object = ProcessingSettings().toJson();
        object.remove("exportCodec");
        object.insert("exportResolution", QJsonValue::Null);
        object.insert("somethingNew", 3);
        const ProcessingSettings s = ProcessingSettings::fromJson(object);
        QVERIFY(!s.exportCodec);
        QVERIFY(!s.exportResolution);
        QCOMPARE(s.selectedExportCodec(), ExportCodec::h264);
        QCOMPARE(s.selectedExportResolution(), ExportResolution::p2160);
        const QJsonObject written = s.toJson();
        QVERIFY(!written.contains("exportCodec"));
        QVERIFY(!written.contains("exportResolution"));
        QVERIFY(!written.contains("somethingNew"));
    }

    void decodingIsStrict_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("message");
        const QJsonValue missing(QJsonValue::Undefined);
        QTest::newRow("missing required bool")
            << "middleFrameThumbnails" << missing << "The member “middleFrameThumbnails” is missing.";
        QTest::newRow("required text null")
            << "title" << QJsonValue(QJsonValue::Null) << "The member “title” should be a string but is null.";
        QTest::newRow("number as text") << "saturation" << QJsonValue("1")
                                        << "The member “saturation” should be a number but is a string.";
        QTest::newRow("fractional fps") << "fps" << QJsonValue(29.97) << "The member “fps” should be a whole number.";
        QTest::newRow("codec in other case")
            << "exportCodec" << QJsonValue("H264") << "The member “exportCodec” has the unknown value “H264”.";
        QTest::newRow("unknown resolution") << "exportResolution" << QJsonValue("p480")
                                            << "The member “exportResolution” has the unknown value “p480”.";
        QTest::newRow("optional of wrong type") << "applyGradeToAll" << QJsonValue(1)
                                                << "The member “applyGradeToAll” should be a boolean but is a number.";
    }
    void decodingIsStrict()
    {
        QFETCH(QString, member);
        QFETCH(QJsonValue, value);
        QFETCH(QString, message);
        QJsonObject object = ProcessingSettings().toJson();
        if (value.isUndefined())
            object.remove(member);
        else
            object.insert(member, value);
        try {
            ProcessingSettings::fromJson(object);
            QFAIL("decoding should fail");
        } catch (const JsonError &error) {
            QCOMPARE(error.message(), message);
        }
    }

    void nonFiniteValuesFailTheEncoding_data()
    {
        QTest::addColumn<SettingsChange>("change");
        QTest::addColumn<QString>("member");
        QTest::newRow("NaN saturation") << SettingsChange([](ProcessingSettings &s) { s.saturation = notANumber; })
                                        << "saturation";
        QTest::newRow("infinite trim") << SettingsChange([](ProcessingSettings &s) { s.trimDuration = infinity; })
                                       << "trimDuration";
        QTest::newRow("NaN optional") << SettingsChange([](ProcessingSettings &s) { s.setContrastStretch(notANumber); })
                                      << "contrastStretchValue";
    }
    void nonFiniteValuesFailTheEncoding()
    {
        QFETCH(SettingsChange, change);
        QFETCH(QString, member);
        ProcessingSettings s;
        change(s);
        try {
            s.toJson();
            QFAIL("encoding should fail");
        } catch (const JsonError &error) {
            QCOMPARE(error.member(), member);
        }
    }

    void ranges_data()
    {
        QTest::addColumn<SettingsChange>("change");
        QTest::addColumn<bool>("valid");
        auto row = [](const char *name, SettingsChange change, bool valid) { QTest::newRow(name) << change << valid; };
        row(
            "defaults", [](ProcessingSettings &) {}, true);
        row(
            "saturation 0", [](ProcessingSettings &s) { s.saturation = 0; }, true);
        row(
            "saturation 2", [](ProcessingSettings &s) { s.saturation = 2; }, true);
        row(
            "saturation 2.01", [](ProcessingSettings &s) { s.saturation = 2.01; }, false);
        row(
            "saturation NaN", [](ProcessingSettings &s) { s.saturation = notANumber; }, false);
        row(
            "gamma 0.5", [](ProcessingSettings &s) { s.gamma = 0.5; }, true);
        row(
            "gamma 0.49", [](ProcessingSettings &s) { s.gamma = 0.49; }, false);
        row(
            "brightness -0.2", [](ProcessingSettings &s) { s.brightness = -0.2; }, true);
        row(
            "brightness 0.2", [](ProcessingSettings &s) { s.brightness = 0.2; }, true);
        row(
            "brightness 0.21", [](ProcessingSettings &s) { s.brightness = 0.21; }, false);
        row(
            "brightness NaN", [](ProcessingSettings &s) { s.brightness = notANumber; }, false);
        row(
            "contrast 0.4", [](ProcessingSettings &s) { s.contrast = 0.4; }, false);
        row(
            "temperature 0.5", [](ProcessingSettings &s) { s.temperature = 0.5; }, true);
        row(
            "temperature -0.51", [](ProcessingSettings &s) { s.temperature = -0.51; }, false);
        row(
            "stretch 100", [](ProcessingSettings &s) { s.setContrastStretch(100); }, true);
        row(
            "stretch 100.5", [](ProcessingSettings &s) { s.setContrastStretch(100.5); }, false);
        row(
            "stretch NaN", [](ProcessingSettings &s) { s.setContrastStretch(notANumber); }, false);
        row(
            "recovery -1", [](ProcessingSettings &s) { s.setHighlightRecovery(-1); }, false);
        row(
            "lut strength 0", [](ProcessingSettings &s) { s.lutStrength = 0; }, true);
        row(
            "lut strength 100", [](ProcessingSettings &s) { s.lutStrength = 100; }, true);
        row(
            "lut strength infinite", [](ProcessingSettings &s) { s.lutStrength = infinity; }, false);
        row(
            "audio 101", [](ProcessingSettings &s) { s.audioPercent = 101; }, false);
        row(
            "audio NaN", [](ProcessingSettings &s) { s.audioPercent = notANumber; }, false);
        row(
            "still 1", [](ProcessingSettings &s) { s.stillDuration = 1; }, true);
        row(
            "still 30", [](ProcessingSettings &s) { s.stillDuration = 30; }, true);
        row(
            "still 0.5", [](ProcessingSettings &s) { s.stillDuration = 0.5; }, false);
        row(
            "trim 1", [](ProcessingSettings &s) { s.trimDuration = 1; }, true);
        row(
            "trim 60", [](ProcessingSettings &s) { s.trimDuration = 60; }, true);
        row(
            "trim 61", [](ProcessingSettings &s) { s.trimDuration = 61; }, false);
        row(
            "trim NaN", [](ProcessingSettings &s) { s.trimDuration = notANumber; }, false);
        for (int fps : {24, 25, 30, 50, 60})
            QTest::addRow("fps %d", fps) << SettingsChange([fps](ProcessingSettings &s) { s.fps = fps; }) << true;
        for (int fps : {29, 48, 120, -30, 0})
            QTest::addRow("fps %d", fps) << SettingsChange([fps](ProcessingSettings &s) { s.fps = fps; }) << false;
    }
    void ranges()
    {
        QFETCH(SettingsChange, change);
        QFETCH(bool, valid);
        ProcessingSettings s;
        change(s);
        QCOMPARE(test::failureOf([&] { s.validate(); }), valid ? QString() : outOfRange);
    }

    void missingFilesAreReportedInOrder()
    {
        QTemporaryDir dir;
        const QString present = dir.filePath("present.cube");
        QVERIFY(test::writeFile(present, "LUT_3D_SIZE 2\n"));

        ProcessingSettings s;
        s.stylishLUT = dir.filePath("look.cube");
        s.music = dir.filePath("song.m4a");
        QCOMPARE(test::failureOf([&] { s.validate(); }), "Selected asset is missing: look.cube");

        s.stylishLUT = present;
        QCOMPARE(test::failureOf([&] { s.validate(); }), "Selected asset is missing: song.m4a");

        // The preset is checked even with the stabiliser off; the conversion LUT comes first of all.
        s.music.clear();
        s.gyroPreset = dir.filePath("preset.json");
        QCOMPARE(test::failureOf([&] { s.validate(); }), "Selected asset is missing: preset.json");
        s.conversionLUT = dir.filePath("convert.cube");
        QCOMPARE(test::failureOf([&] { s.validate(); }), "Selected asset is missing: convert.cube");

        // Ranges win over files.
        s.saturation = 3;
        QCOMPARE(test::failureOf([&] { s.validate(); }), outOfRange);
    }

    void setExportCodec_data()
    {
        QTest::addColumn<std::optional<QString>>("path");
        QTest::addColumn<ExportCodec>("codec");
        QTest::addColumn<std::optional<QString>>("expected");
        using P = std::optional<QString>;
        QTest::newRow("upper-case mp4 to ProRes")
            << P("/Films/Trip.MP4") << ExportCodec::prores << P("/Films/Trip.mov");
        QTest::newRow("mov to FFV1") << P("/Films/Trip.mov") << ExportCodec::ffv1 << P("/Films/Trip.mkv");
        QTest::newRow("mkv to HEVC") << P("/Films/Trip.mkv") << ExportCodec::hevc << P("/Films/Trip.mp4");
        QTest::newRow("other extension kept") << P("/Films/Trip.webm") << ExportCodec::prores << P("/Films/Trip.webm");
        QTest::newRow("no extension") << P("/Films/Trip") << ExportCodec::prores << P("/Films/Trip");
        QTest::newRow("dot file has no extension") << P("/Films/.mp4") << ExportCodec::prores << P("/Films/.mp4");
        QTest::newRow("dot in folder only") << P("/Films.mp4/Trip") << ExportCodec::ffv1 << P("/Films.mp4/Trip");
        QTest::newRow("two dots") << P("/Films/Trip.final.mov") << ExportCodec::av1 << P("/Films/Trip.final.mp4");
        QTest::newRow("absent") << P() << ExportCodec::prores << P();
        QTest::newRow("empty") << P("") << ExportCodec::prores << P("");
    }
    void setExportCodec()
    {
        QFETCH(std::optional<QString>, path);
        QFETCH(ExportCodec, codec);
        QFETCH(std::optional<QString>, expected);
        ProcessingSettings s;
        s.finalOutputPath = path;
        s.setExportCodec(codec);
        QCOMPARE(s.exportCodec, std::optional(codec));
        QCOMPARE(s.finalOutputPath, expected);
    }

    void computedMembersNeverClamp()
    {
        ProcessingSettings s;
        QCOMPARE(s.contrastStretch(), 0.0);
        QVERIFY(!s.gradeToAll());
        QVERIFY(!s.fiveSecondClipCap());
        s.setContrastStretch(250);
        s.setGradeToAll(false);
        QCOMPARE(s.contrastStretchValue, std::optional(250.0));
        QCOMPARE(s.applyGradeToAll, std::optional(false));
    }

    // --- clip grade ------------------------------------------------------------------------

    void gradeFromSettingsCarriesPresentStretchAndRecovery()
    {
        const ClipGrade fromDefaults = ClipGrade::fromSettings(ProcessingSettings());
        QCOMPARE(fromDefaults.contrastStretchValue, std::optional(0.0));
        QCOMPARE(fromDefaults.highlightRecoveryValue, std::optional(0.0));
        QVERIFY(fromDefaults != ClipGrade());
        ClipGrade neutral = fromDefaults;
        neutral.contrastStretchValue.reset();
        neutral.highlightRecoveryValue.reset();
        QCOMPARE(neutral, ClipGrade());

        ProcessingSettings s;
        s.brightness = 0.1;
        s.contrast = 1.2;
        s.saturation = 0.8;
        s.gamma = 1.1;
        s.temperature = -0.2;
        s.setHighlightRecovery(40);
        s.stylishLUT = "/luts/film.cube";
        s.lutStrength = 70;
        const ClipGrade g = ClipGrade::fromSettings(s);
        QCOMPARE(g.brightness, 0.1);
        QCOMPARE(g.contrast, 1.2);
        QCOMPARE(g.saturation, 0.8);
        QCOMPARE(g.gamma, 1.1);
        QCOMPARE(g.temperature, -0.2);
        QCOMPARE(g.highlightRecovery(), 40.0);
        QCOMPARE(g.stylishLUT, "/luts/film.cube");
        QCOMPARE(g.lutStrength, 70.0);
    }

    void gradeValidation_data()
    {
        QTest::addColumn<GradeChange>("change");
        QTest::addColumn<QString>("message");
        QTest::newRow("neutral") << GradeChange([](ClipGrade &) {}) << QString();
        QTest::newRow("stretch 100.5") << GradeChange([](ClipGrade &g) { g.setContrastStretch(100.5); })
                                       << gradeOutOfRange;
        QTest::newRow("NaN gamma") << GradeChange([](ClipGrade &g) { g.gamma = notANumber; }) << gradeOutOfRange;
        QTest::newRow("contrast 2") << GradeChange([](ClipGrade &g) { g.contrast = 2; }) << QString();
        QTest::newRow("missing LUT") << GradeChange([](ClipGrade &g) { g.stylishLUT = "/nowhere/look.cube"; })
                                     << "Selected LUT is missing: look.cube";
        QTest::newRow("range before LUT") << GradeChange([](ClipGrade &g) {
            g.stylishLUT = "/nowhere/look.cube";
            g.lutStrength = -1;
        }) << gradeOutOfRange;
    }
    void gradeValidation()
    {
        QFETCH(GradeChange, change);
        QFETCH(QString, message);
        ClipGrade g;
        change(g);
        QCOMPARE(test::failureOf([&] { g.validate(); }), message);
    }

    void gradeJson()
    {
        QJsonObject neutral = ClipGrade().toJson();
        QCOMPARE(neutral.size(), 7);
        QCOMPARE(ClipGrade::fromJson(neutral), ClipGrade());

        ClipGrade g;
        g.setContrastStretch(5);
        g.setHighlightRecovery(7);
        g.stylishLUT = "/luts/a.cube";
        QCOMPARE(ClipGrade::fromJson(g.toJson()), g);

        neutral.insert("contrastStretchValue", QJsonValue::Null);
        QVERIFY(!ClipGrade::fromJson(neutral).contrastStretchValue);
        neutral.remove("stylishLUT");
        QVERIFY_THROWS_EXCEPTION(JsonError, ClipGrade::fromJson(neutral));
    }
};

QTEST_GUILESS_MAIN(tst_ProcessingSettings)
#include "tst_ProcessingSettings.moc"
