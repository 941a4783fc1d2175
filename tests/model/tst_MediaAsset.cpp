#include "model/JsonError.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace kinoloom;

Q_DECLARE_METATYPE(std::optional<double>)

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
using Seconds = std::optional<double>;

MediaAsset clip(double duration, Seconds start = {}, Seconds end = {})
{
    MediaAsset asset = MediaAsset::create("/clips/a.mov", "a.mov", duration, 1920, 1080, 30, true, false);
    asset.clipStart = start;
    asset.clipEnd = end;
    return asset;
}

QJsonObject minimalAsset()
{
    return QJsonDocument::fromJson(R"({
        "id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "path": "/clips/a.mov", "name": "a.mov",
        "duration": 12.5, "width": 1920, "height": 1080, "fps": 29.97, "hasAudio": true,
        "isImage": false, "role": "Main", "preparation": "Original"})")
        .object();
}

} // namespace

class tst_MediaAsset : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createdAssetStartsAsANewImport()
    {
        const MediaAsset a = clip(10);
        const MediaAsset b = clip(10);
        QVERIFY(!a.id.isNull());
        QVERIFY(a.id != b.id);
        QCOMPARE(a.role, ClipRole::main);
        QCOMPARE(a.preparation, "Original");
        QVERIFY(!a.grade && !a.thumbnail && !a.preparedPath && !a.cropScaleValue);
        QCOMPARE(a.toJson().size(), 11);
    }

    void decoding_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("error");
        const QJsonValue remove(QJsonValue::Undefined);
        QTest::newRow("as written") << QString() << QJsonValue() << QString();
        QTest::newRow("role shown name End")
            << "role" << QJsonValue("End") << "The member “role” has the unknown value “End”.";
        QTest::newRow("role lower case") << "role" << QJsonValue("main")
                                         << "The member “role” has the unknown value “main”.";
        QTest::newRow("missing preparation") << "preparation" << remove << "The member “preparation” is missing.";
        QTest::newRow("width fractional")
            << "width" << QJsonValue(1920.5) << "The member “width” should be a whole number.";
        QTest::newRow("duration as text")
            << "duration" << QJsonValue("12") << "The member “duration” should be a number but is a string.";
        QTest::newRow("null optional reads absent") << "clipStart" << QJsonValue(QJsonValue::Null) << QString();
        QTest::newRow("optional of wrong type")
            << "clipEnd" << QJsonValue("5") << "The member “clipEnd” should be a number but is a string.";
        QTest::newRow("unknown member ignored") << "colour" << QJsonValue("blue") << QString();
        QTest::newRow("lower-case UUID reads")
            << "id" << QJsonValue("6f9619ff-8b86-d011-b42d-00c04fc964ff") << QString();
        QTest::newRow("braced UUID fails")
            << "id" << QJsonValue("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")
            << "The member “id” is not a UUID: “{6F9619FF-8B86-D011-B42D-00C04FC964FF}”.";
        QTest::newRow("grade missing a member")
            << "grade" << QJsonValue(QJsonObject{{"brightness", 0}}) << "The member “grade.contrast” is missing.";
    }
    void decoding()
    {
        QFETCH(QString, member);
        QFETCH(QJsonValue, value);
        QFETCH(QString, error);
        QJsonObject object = minimalAsset();
        if (value.isUndefined())
            object.remove(member);
        else if (!member.isEmpty())
            object.insert(member, value);
        try {
            const MediaAsset asset = MediaAsset::fromJson(object);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(asset.id, QUuid("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"));
            QCOMPARE(asset.fps, 29.97);
            QVERIFY(!asset.clipStart && !asset.grade);
        } catch (const JsonError &caught) {
            QCOMPARE(caught.message(), error);
        }
    }

    void everyFieldSurvivesARoundTrip()
    {
        MediaAsset a = clip(12.25, 1.5, 9.75);
        a.role = ClipRole::outro;
        a.grade = ClipGrade();
        a.grade->setHighlightRecovery(30);
        a.thumbnail = "/p/Cache/a.jpg";
        a.preparation = "Prepared · cached";
        a.preparedPath = "/p/Cache/Render/Prepared/x.mkv";
        a.preparationKey = "abc123";
        a.importIdentity = "dev:ino:size";
        a.setCropScale(1.3);
        const QJsonObject object = a.toJson();
        QCOMPARE(object.size(), 19);
        QCOMPARE(object.value("id").toString(), object.value("id").toString().toUpper());
        QCOMPARE(object.value("role").toString(), "Outro");
        QCOMPARE(MediaAsset::fromJson(QJsonDocument::fromJson(QJsonDocument(object).toJson()).object()), a);
    }

    void nonFiniteDurationFailsTheEncoding()
    {
        QVERIFY_THROWS_EXCEPTION(JsonError, clip(notANumber).toJson());
        MediaAsset a = clip(10);
        a.clipEnd = infinity;
        QVERIFY_THROWS_EXCEPTION(JsonError, a.toJson());
    }

    void cropScale_data()
    {
        QTest::addColumn<Seconds>("stored");
        QTest::addColumn<double>("read");
        QTest::newRow("absent") << Seconds() << 1.0;
        QTest::newRow("0.5") << Seconds(0.5) << 1.0;
        QTest::newRow("1.4") << Seconds(1.4) << 1.4;
        QTest::newRow("3") << Seconds(3) << 2.0;
        QTest::newRow("NaN") << Seconds(notANumber) << 1.0;
    }
    void cropScale()
    {
        QFETCH(Seconds, stored);
        QFETCH(double, read);
        MediaAsset a = clip(10);
        a.cropScaleValue = stored;
        QCOMPARE(a.cropScale(), read);
    }

    void cropScaleWritesClamped()
    {
        MediaAsset a = clip(10);
        a.setCropScale(5);
        QCOMPARE(a.cropScaleValue, Seconds(2));
        a.setCropScale(notANumber);
        QCOMPARE(a.cropScaleValue, Seconds(1));
    }

    void selectedSourceRange_data()
    {
        QTest::addColumn<double>("duration");
        QTest::addColumn<Seconds>("start");
        QTest::addColumn<Seconds>("end");
        QTest::addColumn<double>("expectedStart");
        QTest::addColumn<double>("expectedEnd");
        QTest::newRow("whole") << 10.0 << Seconds() << Seconds() << 0.0 << 10.0;
        QTest::newRow("start past end") << 10.0 << Seconds(12) << Seconds() << 10.0 << 10.0;
        QTest::newRow("negative start") << 10.0 << Seconds(-3) << Seconds(4) << 0.0 << 4.0;
        QTest::newRow("end before start") << 10.0 << Seconds(6) << Seconds(4) << 6.0 << 6.0;
        QTest::newRow("end past duration") << 10.0 << Seconds(2) << Seconds(15) << 2.0 << 10.0;
        QTest::newRow("NaN start") << 10.0 << Seconds(notANumber) << Seconds(4) << 0.0 << 4.0;
        QTest::newRow("NaN end") << 10.0 << Seconds(3) << Seconds(notANumber) << 3.0 << 3.0;
        QTest::newRow("negative duration") << -5.0 << Seconds(1) << Seconds(2) << 0.0 << 0.0;
        QTest::newRow("infinite duration") << infinity << Seconds(1) << Seconds(2) << 0.0 << 0.0;
        QTest::newRow("NaN duration") << notANumber << Seconds() << Seconds() << 0.0 << 0.0;
    }
    void selectedSourceRange()
    {
        QFETCH(double, duration);
        QFETCH(Seconds, start);
        QFETCH(Seconds, end);
        QFETCH(double, expectedStart);
        QFETCH(double, expectedEnd);
        const SecondsRange range = clip(duration, start, end).selectedSourceRange();
        QCOMPARE(range.start, expectedStart);
        QCOMPARE(range.end, expectedEnd);
    }

    void editRange_data()
    {
        QTest::addColumn<double>("duration");
        QTest::addColumn<Seconds>("start");
        QTest::addColumn<Seconds>("end");
        QTest::addColumn<bool>("trim");
        QTest::addColumn<double>("trimDuration");
        QTest::addColumn<bool>("cap");
        QTest::addColumn<double>("expectedStart");
        QTest::addColumn<double>("expectedEnd");
        const Seconds none;
        QTest::newRow("no trim, no cap") << 10.0 << none << none << false << 4.0 << false << 0.0 << 10.0;
        QTest::newRow("trim 10 s clip") << 10.0 << none << none << true << 4.0 << false << 1.0 << 5.0;
        QTest::newRow("trim short clip") << 1.5 << none << none << true << 4.0 << false << 0.75 << 1.5;
        QTest::newRow("trim longer than clip") << 3.0 << none << none << true << 10.0 << false << 1.0 << 3.0;
        QTest::newRow("end set turns trim off") << 10.0 << none << Seconds(8) << true << 4.0 << false << 0.0 << 8.0;
        QTest::newRow("start set turns trim off") << 10.0 << Seconds(2) << none << true << 4.0 << false << 2.0 << 10.0;
        QTest::newRow("end set with cap") << 10.0 << none << Seconds(8) << true << 4.0 << true << 1.0 << 6.0;
        QTest::newRow("cap 20 s") << 20.0 << none << none << false << 4.0 << true << 1.0 << 6.0;
        QTest::newRow("cap exactly 6 s") << 6.0 << none << none << false << 4.0 << true << 0.0 << 5.0;
        QTest::newRow("cap 6.5 s") << 6.5 << none << none << false << 4.0 << true << 1.0 << 6.0;
        QTest::newRow("cap short selection") << 10.0 << Seconds(2) << Seconds(4) << false << 4.0 << true << 2.0 << 4.0;
        QTest::newRow("cap on trim window") << 30.0 << none << none << true << 20.0 << true << 2.0 << 7.0;
        QTest::newRow("trim with NaN duration") << notANumber << none << none << true << 4.0 << false << 0.0 << 0.0;
        QTest::newRow("trim with negative duration") << -2.0 << none << none << true << 4.0 << false << 0.0 << 0.0;
        QTest::newRow("negative trim length") << 10.0 << none << none << true << -3.0 << false << 1.0 << 1.0;
        QTest::newRow("NaN trim length") << 10.0 << none << none << true << notANumber << false << 1.0 << 1.0;
    }
    void editRange()
    {
        QFETCH(double, duration);
        QFETCH(Seconds, start);
        QFETCH(Seconds, end);
        QFETCH(bool, trim);
        QFETCH(double, trimDuration);
        QFETCH(bool, cap);
        QFETCH(double, expectedStart);
        QFETCH(double, expectedEnd);
        ProcessingSettings settings;
        settings.trim = trim;
        settings.trimDuration = trimDuration;
        settings.setFiveSecondClipCap(cap);
        const SecondsRange range = clip(duration, start, end).editRange(settings);
        QCOMPARE(range.start, expectedStart);
        QCOMPARE(range.end, expectedEnd);
        QVERIFY(range.start <= range.end);
    }

    void reviewNote_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("image");
        QTest::addColumn<double>("duration");
        QTest::addColumn<QString>("note");
        const QString missing = QStringLiteral("Source missing — relink this clip");
        const QString shortNote = QStringLiteral("Under 5 seconds — review before including");
        const QString longNote = QStringLiteral("Over 30 seconds — included unless excluded");
        QTest::newRow("missing movie") << false << false << 10.0 << missing;
        QTest::newRow("missing still") << false << true << 0.0 << missing;
        QTest::newRow("short movie") << true << false << 4.99 << shortNote;
        QTest::newRow("exactly 5 s") << true << false << 5.0 << QString();
        QTest::newRow("exactly 30 s") << true << false << 30.0 << QString();
        QTest::newRow("long movie") << true << false << 30.01 << longNote;
        QTest::newRow("short still") << true << true << 2.0 << QString();
        QTest::newRow("NaN duration") << true << false << notANumber << QString();
    }
    void reviewNote()
    {
        QFETCH(bool, exists);
        QFETCH(bool, image);
        QFETCH(double, duration);
        QFETCH(QString, note);
        QTemporaryDir dir;
        const QString path = dir.filePath("clip.mov");
        if (exists)
            QVERIFY(test::writeFile(path, "x"));
        MediaAsset a = MediaAsset::create(path, "clip.mov", duration, 320, 180, 30, false, image);
        QCOMPARE(a.missing(), !exists);
        QCOMPARE(a.reviewNote().value_or(QString()), note);
        QCOMPARE(a.reviewNote().has_value(), !note.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_MediaAsset)
#include "tst_MediaAsset.moc"
