#include "model/CanonicalJson.h"
#include "model/JsonError.h"

#include <QJsonArray>
#include <QtTest>

#include <limits>

using namespace kinoloom;

class tst_CanonicalJson : public QObject
{
    Q_OBJECT

private slots:
    void keyOrder_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("case does not count") << QStringLiteral("gyroflow") << QStringLiteral("gyroPreset");
        QTest::newRow("upper case first letter") << QStringLiteral("apple") << QStringLiteral("Banana");
        QTest::newRow("digit runs by value") << QStringLiteral("a2") << QStringLiteral("a10");
        QTest::newRow("leading zeros") << QStringLiteral("a007") << QStringLiteral("a10");
        QTest::newRow("prefix first") << QStringLiteral("clip") << QStringLiteral("clipEnd");
        QTest::newRow("plain letters") << QStringLiteral("clipEnd") << QStringLiteral("clipStart");
        QTest::newRow("digits before letters") << QStringLiteral("x9") << QStringLiteral("xa");
        QTest::newRow("case tie is still ordered") << QStringLiteral("Key") << QStringLiteral("key");
    }

    void keyOrder()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QVERIFY(canonicalKeyLess(first, second));
        QVERIFY(!canonicalKeyLess(second, first));
        QVERIFY(!canonicalKeyLess(first, first));
    }

    void values_data()
    {
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("whole numbers have no fraction")
            << QJsonValue(QJsonArray{1.0, 0.0, -0.0, -3.0, 30}) << QByteArray("[1,0,0,-3,30]");
        QTest::newRow("shortest fractions") << QJsonValue(QJsonArray{0.1, 1.5, 0.1 + 0.2, 1.0 / 3.0})
                                            << QByteArray("[0.1,1.5,0.30000000000000004,0.3333333333333333]");
        QTest::newRow("extremes") << QJsonValue(QJsonArray{0.000008, 1e-7, 1e21, 123456789012.0})
                                  << QByteArray("[0.000008,1e-07,1e+21,123456789012]");
        QTest::newRow("booleans and null")
            << QJsonValue(QJsonArray{true, false, QJsonValue()}) << QByteArray("[true,false,null]");
        QTest::newRow("slashes and quotes")
            << QJsonValue(QStringLiteral("/a \"b\" \\c/")) << QByteArray("\"\\/a \\\"b\\\" \\\\c\\/\"");
        QTest::newRow("control characters") << QJsonValue(QStringLiteral("\n\t\r\b\f") + QChar(0x01) + QChar(0x1f))
                                            << QByteArray("\"\\n\\t\\r\\b\\f\\u0001\\u001f\"");
        QTest::newRow("plain utf-8") << QJsonValue(QStringLiteral("Ü ä € 🎬")) << QStringLiteral("\"Ü ä € 🎬\"").toUtf8();
        QTest::newRow("nested objects sorted")
            << QJsonValue(
                   QJsonObject{{QStringLiteral("gyroPreset"), QStringLiteral("")},
                               {QStringLiteral("b"), QJsonObject{{QStringLiteral("z"), 1}, {QStringLiteral("A"), 2}}},
                               {QStringLiteral("gyroflow"), true}})
            << QByteArray("{\"b\":{\"A\":2,\"z\":1},\"gyroflow\":true,\"gyroPreset\":\"\"}");
        QTest::newRow("empty containers")
            << QJsonValue(QJsonArray{QJsonObject(), QJsonArray()}) << QByteArray("[{},[]]");
    }

    void values()
    {
        QFETCH(QJsonValue, value);
        QFETCH(QByteArray, expected);
        QCOMPARE(canonicalJson(value), expected);
    }

    void nonFiniteNumberFails()
    {
        const QJsonObject object{{QStringLiteral("duration"), std::numeric_limits<double>::infinity()}};
        if (object.value(QStringLiteral("duration")).isNull())
            QSKIP("QJsonValue stores infinity as null here");
        try {
            canonicalJson(object);
            QFAIL("expected a JsonError");
        } catch (const JsonError &error) {
            QCOMPARE(error.member(), QStringLiteral("duration"));
        }
    }
};

QTEST_GUILESS_MAIN(tst_CanonicalJson)
#include "tst_CanonicalJson.moc"
