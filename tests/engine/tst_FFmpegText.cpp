#include "engine/media/FFmpegText.h"
#include "model/StudioError.h"

#include <QtTest>

#include <limits>

using namespace kinoloom;

class tst_FFmpegText : public QObject
{
    Q_OBJECT

private slots:
    void number_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << QStringLiteral("0.0");
        QTest::newRow("negative zero") << -0.0 << QStringLiteral("0.0");
        QTest::newRow("whole") << 5.0 << QStringLiteral("5.0");
        QTest::newRow("negative whole") << -2.0 << QStringLiteral("-2.0");
        QTest::newRow("large whole") << 3840.0 << QStringLiteral("3840.0");
        QTest::newRow("fraction") << 0.5 << QStringLiteral("0.5");
        QTest::newRow("shortest, not 0.1000000000000000055") << 0.1 << QStringLiteral("0.1");
        QTest::newRow("sum with binary tail") << 0.1 + 0.2 << QStringLiteral("0.30000000000000004");
        QTest::newRow("one frame at 30 fps") << 1.0 / 30.0 << QStringLiteral("0.03333333333333333");
        QTest::newRow("tiny, never exponent form") << 8e-06 << QStringLiteral("0.000008");
        QTest::newRow("very tiny") << 1.5e-10 << QStringLiteral("0.00000000015");
        QTest::newRow("big, never exponent form") << 1e21 << QStringLiteral("1000000000000000000000.0");
        QTest::newRow("negative fraction") << -0.25 << QStringLiteral("-0.25");
    }

    void number()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        const QString text = ffmpegNumber(value);
        QCOMPARE(text, expected);
        QVERIFY(!text.contains(QLatin1Char('e')));
        QCOMPARE(text.toDouble(), value);
    }

    void numberRoundTripsExtremes()
    {
        for (const double value : {std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
                                   -std::numeric_limits<double>::min(), 123456.789e-300}) {
            const QString text = ffmpegNumber(value);
            QVERIFY2(!text.contains(QLatin1Char('e')), qPrintable(text));
            QCOMPARE(text.toDouble(), value);
        }
    }

    void numberRejectsNonFinite()
    {
        QVERIFY_THROWS_EXCEPTION(StudioError, ffmpegNumber(std::numeric_limits<double>::quiet_NaN()));
        QVERIFY_THROWS_EXCEPTION(StudioError, ffmpegNumber(std::numeric_limits<double>::infinity()));
    }

    void integer()
    {
        QCOMPARE(ffmpegInteger(0), QStringLiteral("0"));
        QCOMPARE(ffmpegInteger(-17), QStringLiteral("-17"));
        QCOMPARE(ffmpegInteger(9007199254740993LL), QStringLiteral("9007199254740993"));
    }

    void filterPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << QStringLiteral("/media/clip.cube") << QStringLiteral("/media/clip.cube");
        QTest::newRow("colon") << QStringLiteral("/a:b/x.cube") << QStringLiteral("/a\\\\:b/x.cube");
        QTest::newRow("quote") << QStringLiteral("/it's/x.cube") << QStringLiteral("/it\\\\\\'s/x.cube");
        QTest::newRow("backslash") << QStringLiteral("/a\\b") << QStringLiteral("/a\\\\\\\\b");
        QTest::newRow("graph specials") << QStringLiteral("/[1],2;3") << QStringLiteral("/\\[1\\]\\,2\\;3");
        QTest::newRow("space and unicode") << QStringLiteral("/Ordner ä/Ü.png") << QStringLiteral("/Ordner ä/Ü.png");
    }

    void filterPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(filterOptionPath(path), expected);
    }
};

QTEST_GUILESS_MAIN(tst_FFmpegText)
#include "tst_FFmpegText.moc"
