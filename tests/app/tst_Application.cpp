#include "KinoloomProcess.h"
#include "model/ProjectStore.h"

#include <QFileInfo>
#include <QTest>

#include <csignal>

using namespace kinoloom;
using test::KinoloomHome;

namespace {

constexpr int patience = 20000;

// Runs until `kinoloom` listens for later starts.
bool waitUntilListening(const KinoloomHome &home, QProcess &process)
{
    QDeadlineTimer deadline(patience);
    while (!deadline.hasExpired() && process.state() != QProcess::NotRunning) {
        if (QFileInfo(home.socketPath()).exists())
            return true;
        QTest::qWait(50);
    }
    return false;
}

QString project(const KinoloomHome &home, const QString &name)
{
    const QString folder = home.path(name);
    ProjectStore::create(folder, name);
    return folder;
}

// The folder the running `kinoloom` remembered as the last project, as the file says now.
QString lastProjectPath(const KinoloomHome &home)
{
    return home.defaults()->value(QStringLiteral("LastProjectPath")).toString();
}

} // namespace

class tst_Application : public QObject
{
    Q_OBJECT

private slots:
    void aSecondStartExitsAndBringsTheFirstForward()
    {
        KinoloomHome home;
        std::unique_ptr<QProcess> first = home.start();
        QVERIFY(waitUntilListening(home, *first));

        std::unique_ptr<QProcess> second = home.start();
        QVERIFY(second->waitForFinished(patience));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(second->readAllStandardError()).contains(QStringLiteral("already running")));

        QString firstErrors;
        QTRY_VERIFY_WITH_TIMEOUT(test::errorText(*first, firstErrors).contains(QStringLiteral("Activation requested")),
                                 patience);
        QCOMPARE(first->state(), QProcess::Running);
        test::stop(*first);
    }

    void aStartAfterACrashTakesOverTheLeftSocket()
    {
        KinoloomHome home;
        std::unique_ptr<QProcess> crashed = home.start();
        QVERIFY(waitUntilListening(home, *crashed));
        ::kill(pid_t(crashed->processId()), SIGKILL);
        QVERIFY(crashed->waitForFinished(patience));
        QVERIFY(QFileInfo(home.socketPath()).exists());

        std::unique_ptr<QProcess> next = home.start();
        QTest::qWait(1000);
        QCOMPARE(next->state(), QProcess::Running);
        std::unique_ptr<QProcess> later = home.start();
        QVERIFY(later->waitForFinished(patience));
        QCOMPARE(later->exitCode(), 0);
        QString errors;
        QTRY_VERIFY_WITH_TIMEOUT(test::errorText(*next, errors).contains(QStringLiteral("Activation requested")),
                                 patience);
        test::stop(*next);
    }

    void startUpOpensTheNamedOrTheLastProject_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("opened"); // "named", "last" or "none"
        QTest::newRow("named project") << QStringList{QStringLiteral("--project"), QStringLiteral("Named")}
                                       << QStringLiteral("named");
        QTest::newRow("no argument: the last project") << QStringList{} << QStringLiteral("last");
        QTest::newRow("flag as the last argument: the last project")
            << QStringList{QStringLiteral("--project")} << QStringLiteral("last");
        QTest::newRow("equals form is no flag: the last project")
            << QStringList{QStringLiteral("--project=Named")} << QStringLiteral("last");
        QTest::newRow("invalid project: the alert, and not the last")
            << QStringList{QStringLiteral("--project"), QStringLiteral("Nothing here")} << QStringLiteral("none");
    }
    void startUpOpensTheNamedOrTheLastProject()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, opened);
        KinoloomHome home;
        // Relative paths resolve against the folder kinoloom starts in: the home.
        const QString named = project(home, QStringLiteral("home/Named"));
        const QString last = project(home, QStringLiteral("Last"));
        QDir().mkpath(home.path(QStringLiteral("home/Nothing here")));
        home.defaults()->setValue(QStringLiteral("LastProjectPath"), last);

        std::unique_ptr<QProcess> process = home.start(arguments);
        QVERIFY(waitUntilListening(home, *process));
        QString errors;
        if (opened == QLatin1String("none")) {
            QTRY_VERIFY_WITH_TIMEOUT(test::errorText(*process, errors).contains(QStringLiteral("Needs attention")),
                                     patience);
            QVERIFY2(errors.contains(QStringLiteral("Nothing here")), qPrintable(errors));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(test::projectLocked(opened == QLatin1String("named") ? named : last), patience);
        }
        QCOMPARE(test::projectLocked(named), opened == QLatin1String("named"));
        QCOMPARE(test::projectLocked(last), opened == QLatin1String("last"));
        // The lock is taken before the folder is remembered: on a busy machine the test may look
        // in between.
        if (opened == QLatin1String("named"))
            QTRY_COMPARE_WITH_TIMEOUT(lastProjectPath(home), named, patience);
        QVERIFY2(!test::errorText(*process, errors).contains(QStringLiteral("Needs attention"))
                     || opened == QLatin1String("none"),
                 qPrintable(errors));
        test::stop(*process);
    }
};

QTEST_GUILESS_MAIN(tst_Application)
#include "tst_Application.moc"
