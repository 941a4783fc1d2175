#include "ui/shell/AlertMessage.h"
#include "ui/shell/Appearance.h"
#include "ui/shell/ProjectArgument.h"
#include "ui/shell/TimeLabel.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace kinoloom;

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(ColourScheme)

class tst_ShellText : public QObject
{
    Q_OBJECT

private slots:
    void alertShowsTheFirstLineAtMostThreeHundredCharacters_data()
    {
        QTest::addColumn<std::optional<QString>>("error");
        QTest::addColumn<QString>("expected");
        const QString exactly300 = QString(300, QLatin1Char('a'));
        const QString longer = QString(297, QLatin1Char('b')) + QStringLiteral("cdef");
        // "e" with a combining acute accent: two UTF-16 units, one character a user sees.
        const QString accented = QStringLiteral("e\u0301");
        QTest::newRow("none") << std::optional<QString>() << QStringLiteral("The operation could not be completed.");
        QTest::newRow("exactly 300") << std::optional(exactly300) << exactly300;
        QTest::newRow("301 cut to 297 and dots")
            << std::optional(longer) << QString(297, QLatin1Char('b')) + QStringLiteral("...");
        QTest::newRow("300 combining graphemes stay whole")
            << std::optional(accented.repeated(300)) << accented.repeated(300);
        QTest::newRow("301 combining graphemes are cut between graphemes")
            << std::optional(accented.repeated(301)) << accented.repeated(297) + QStringLiteral("...");
        QTest::newRow("second line dropped")
            << std::optional(QStringLiteral("First\nSecond")) << QStringLiteral("First");
        QTest::newRow("leading newline gives an empty message")
            << std::optional(QStringLiteral("\nHidden")) << QString();
        QTest::newRow("CR LF") << std::optional(QStringLiteral("Windows line\r\nnext"))
                               << QStringLiteral("Windows line");
        QTest::newRow("line separator") << std::optional(QStringLiteral("Before\u2028after"))
                                        << QStringLiteral("Before");
        QTest::newRow("paragraph separator")
            << std::optional(QStringLiteral("Before\u2029after")) << QStringLiteral("Before");
        QTest::newRow("next line") << std::optional(QStringLiteral("Before\u0085after")) << QStringLiteral("Before");
        QTest::newRow("cut applies to the first line only") << std::optional(longer + QStringLiteral("\nmore"))
                                                            << QString(297, QLatin1Char('b')) + QStringLiteral("...");
        QTest::newRow("empty error") << std::optional(QString()) << QString();
    }
    void alertShowsTheFirstLineAtMostThreeHundredCharacters()
    {
        QFETCH(std::optional<QString>, error);
        QFETCH(QString, expected);
        QCOMPARE(alertMessage(error), expected);
    }

    void timeLabelRoundsHalfAwayAndRefusesWhatItCannotShow_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("expected");
        const QString dash = QStringLiteral("—");
        QTest::newRow("zero") << 0.0 << QStringLiteral("0:00");
        QTest::newRow("negative zero") << -0.0 << QStringLiteral("0:00");
        QTest::newRow("59.4") << 59.4 << QStringLiteral("0:59");
        QTest::newRow("59.5 rounds up") << 59.5 << QStringLiteral("1:00");
        QTest::newRow("0.5 rounds up") << 0.5 << QStringLiteral("0:01");
        QTest::newRow("125") << 125.0 << QStringLiteral("2:05");
        QTest::newRow("3725 keeps minutes past 59") << 3725.0 << QStringLiteral("62:05");
        QTest::newRow("small negative") << -0.3 << dash;
        QTest::newRow("NaN") << std::nan("") << dash;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << dash;
        QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << dash;
        // 2^62 still fits a 64-bit integer; from 2^63 on the rounded value would not.
        QTest::newRow("2^62") << std::ldexp(1.0, 62) << QStringLiteral("76861433640456465:04");
        QTest::newRow("2^63") << std::ldexp(1.0, 63) << dash;
        QTest::newRow("largest double") << std::numeric_limits<double>::max() << dash;
    }
    void timeLabelRoundsHalfAwayAndRefusesWhatItCannotShow()
    {
        QFETCH(double, seconds);
        QFETCH(QString, expected);
        QCOMPARE(timeLabel(seconds), expected);
    }

    void appearanceNamesItsSchemeExactly_data()
    {
        QTest::addColumn<QString>("appearance");
        QTest::addColumn<ColourScheme>("scheme");
        QTest::newRow("system") << QStringLiteral("system") << ColourScheme::system;
        QTest::newRow("dark") << QStringLiteral("dark") << ColourScheme::dark;
        QTest::newRow("light") << QStringLiteral("light") << ColourScheme::light;
        QTest::newRow("Dark with a capital is light") << QStringLiteral("Dark") << ColourScheme::light;
        QTest::newRow("System with a capital is light") << QStringLiteral("System") << ColourScheme::light;
        QTest::newRow("empty is light") << QString() << ColourScheme::light;
        QTest::newRow("dark with a space is light") << QStringLiteral("dark ") << ColourScheme::light;
    }
    void appearanceNamesItsSchemeExactly()
    {
        QFETCH(QString, appearance);
        QFETCH(ColourScheme, scheme);
        QCOMPARE(colourScheme(appearance), scheme);
    }

    void projectArgumentIsTheOneAfterTheFirstExactFlag_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<std::optional<QString>>("expected");
        const QString program = QStringLiteral("/usr/bin/kinoloom");
        QTest::newRow("absolute") << QStringList{program, QStringLiteral("--project"), QStringLiteral("/films/One")}
                                  << std::optional(QStringLiteral("/films/One"));
        QTest::newRow("relative resolves against the folder")
            << QStringList{program, QStringLiteral("--project"), QStringLiteral("Two")}
            << std::optional(QStringLiteral("/home/me/Two"));
        QTest::newRow("last argument opens nothing")
            << QStringList{program, QStringLiteral("--project")} << std::optional<QString>();
        QTest::newRow("none") << QStringList{program} << std::optional<QString>();
        QTest::newRow("the first flag counts")
            << QStringList{program, QStringLiteral("--project"), QStringLiteral("/a"), QStringLiteral("--project"),
                           QStringLiteral("/b")}
            << std::optional(QStringLiteral("/a"));
        QTest::newRow("single dash is not the flag")
            << QStringList{program, QStringLiteral("-project"), QStringLiteral("/a")} << std::optional<QString>();
        QTest::newRow("equals form is not the flag")
            << QStringList{program, QStringLiteral("--project=/a")} << std::optional<QString>();
        QTest::newRow("unknown options are left alone")
            << QStringList{program, QStringLiteral("--verbose"), QStringLiteral("--project"), QStringLiteral("/a")}
            << std::optional(QStringLiteral("/a"));
        QTest::newRow("a path that looks like an option")
            << QStringList{program, QStringLiteral("--project"), QStringLiteral("--project")}
            << std::optional(QStringLiteral("/home/me/--project"));
    }
    void projectArgumentIsTheOneAfterTheFirstExactFlag()
    {
        QFETCH(QStringList, arguments);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(projectArgument(arguments, QStringLiteral("/home/me")), expected);
    }
};

QTEST_GUILESS_MAIN(tst_ShellText)
#include "tst_ShellText.moc"
