#include "model/Json.h"
#include "model/JsonFile.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <cmath>
#include <limits>

using namespace kinoloom;

class tst_Json : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void uuidForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("upper") << QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF") << true;
        QTest::newRow("lower") << QStringLiteral("6f9619ff-8b86-d011-b42d-00c04fc964ff") << true;
        QTest::newRow("braced") << QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC964FF}") << false;
        QTest::newRow("no dashes") << QStringLiteral("6F9619FF8B86D011B42D00C04FC964FF") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("short") << QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964F") << false;
    }
    void uuidForms()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(json::parseUuid(text).has_value(), accepted);
        if (accepted)
            QCOMPARE(json::uuidText(*json::parseUuid(text)), text.toUpper());
    }

    void requiredMembers_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray("{}") << QStringLiteral("The member “count” is missing.");
        QTest::newRow("wrong type") << QByteArray(R"({"count":"3"})")
                                    << QStringLiteral("The member “count” should be a number but is a string.");
        QTest::newRow("null") << QByteArray(R"({"count":null})")
                              << QStringLiteral("The member “count” should be a number but is null.");
        QTest::newRow("fraction") << QByteArray(R"({"count":2.5})")
                                  << QStringLiteral("The member “count” should be a whole number.");
    }
    void requiredMembers()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, message);
        const QJsonObject object = QJsonDocument::fromJson(document).object();
        try {
            json::requireInt(object, QStringLiteral("count"));
            QFAIL("decoding should fail");
        } catch (const JsonError &error) {
            QCOMPARE(error.message(), message);
        }
    }

    void optionalMembersReadAbsentWhenMissingOrNull()
    {
        const QJsonObject object = QJsonDocument::fromJson(R"({"a":null,"b":2})").object();
        QVERIFY(!json::optionalDouble(object, QStringLiteral("a")));
        QVERIFY(!json::optionalDouble(object, QStringLiteral("missing")));
        QCOMPARE(*json::optionalDouble(object, QStringLiteral("b")), 2.0);
        QVERIFY_THROWS_EXCEPTION(JsonError, json::optionalString(object, QStringLiteral("b")));
    }

    void nestedErrorsNameTheFullPath()
    {
        const QJsonObject object = QJsonDocument::fromJson(R"({"items":[{"x":1},{"y":2}]})").object();
        try {
            json::decodeArray(object, QStringLiteral("items"),
                              [](const QJsonObject &item) { return json::requireDouble(item, QStringLiteral("x")); });
            QFAIL("decoding should fail");
        } catch (const JsonError &error) {
            QCOMPARE(error.member(), QStringLiteral("items[1].x"));
        }
    }

    void nonFiniteNumbersFailTheEncoding_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("+inf") << std::numeric_limits<double>::infinity();
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity();
    }
    void nonFiniteNumbersFailTheEncoding()
    {
        QFETCH(double, value);
        QJsonObject object;
        QVERIFY_THROWS_EXCEPTION(JsonError, json::putDouble(object, QStringLiteral("gamma"), value));
        QVERIFY(object.isEmpty());
    }

    void datesCountFromTheReferenceDate()
    {
        const QDateTime date(QDate(2001, 1, 2), QTime(0, 0, 1), Qt::UTC);
        QCOMPARE(json::secondsSinceReferenceDate(date), 86401.0);
        QCOMPARE(json::dateFromReferenceSeconds(86401.5), date.addMSecs(500));
    }

    // A number of seconds that no date of ours can hold must not come back as some other date,
    // which the next save would then write in its place.
    void datesOutOfRangeFailTheDecoding_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("a recent date") << 787000000.25 << true;
        QTest::newRow("finer than milliseconds") << 787012345.678901 << true;
        QTest::newRow("before the reference") << -3.0e9 << true;
        QTest::newRow("far future") << 1.0e15 << true;
        QTest::newRow("beyond milliseconds") << 1.0e16 << false;
        QTest::newRow("huge") << 1.0e300 << false;
        QTest::newRow("huge negative") << -1.0e300 << false;
    }
    void datesOutOfRangeFailTheDecoding()
    {
        QFETCH(double, seconds);
        QFETCH(bool, accepted);
        const QJsonObject object{{QStringLiteral("created"), seconds}};
        try {
            const StoredDate date = json::requireDate(object, QStringLiteral("created"));
            QVERIFY2(accepted, "decoding should fail");
            // Kept exactly, so that it is written back as it was read.
            QCOMPARE(date.secondsSinceReferenceDate, seconds);
            QCOMPARE(*json::optionalDate(object, QStringLiteral("created")), date);
        } catch (const JsonError &error) {
            QVERIFY2(!accepted, qPrintable(error.message()));
            QCOMPARE(error.member(), QStringLiteral("created"));
            QVERIFY_THROWS_EXCEPTION(JsonError, json::optionalDate(object, QStringLiteral("created")));
        }
    }

    void failedEncodingLeavesTheFileAsItWas()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("doc.json"));
        QVERIFY(test::writeFile(path, "{\n    \"old\": true\n}\n"));
        const QByteArray before = test::readFile(path);
        QVERIFY_THROWS_EXCEPTION(StudioError, json::encodeFile(path, [] {
                                     QJsonObject object;
                                     json::putDouble(object, QStringLiteral("gamma"), std::nan(""));
                                     return object;
                                 }));
        QCOMPARE(test::readFile(path), before);
    }

    void writtenFilesAreSortedAndPretty()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("doc.json"));
        QJsonObject object;
        object.insert(QStringLiteral("zeta"), 1);
        object.insert(QStringLiteral("alpha"), 2);
        json::writeObjectFile(path, object);
        const QByteArray text = test::readFile(path);
        QVERIFY(text.indexOf("alpha") < text.indexOf("zeta"));
        QVERIFY(text.contains("\n    \"alpha\": 2"));
        QCOMPARE(json::readObjectFile(path), object);
    }

    void unreadableFilesNameTheFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << QByteArray("{\"a\": [1, 2");
        QTest::newRow("array") << QByteArray("[]");
    }
    void unreadableFilesNameTheFile()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Broken.json"));
        QVERIFY(test::writeFile(path, content));
        try {
            json::readObjectFile(path);
            QFAIL("reading should fail");
        } catch (const StudioError &error) {
            QVERIFY2(error.message().contains(QStringLiteral("Broken.json")), qPrintable(error.message()));
        }
        QCOMPARE(test::readFile(path), content);
    }
};

QTEST_GUILESS_MAIN(tst_Json)
#include "tst_Json.moc"
