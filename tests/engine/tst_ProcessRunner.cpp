#include "engine/process/ChildProcess.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "model/FileError.h"
#include "model/StudioError.h"
#include "support/FakeTools.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <future>
#include <mutex>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

using namespace kinoloom;
using namespace std::chrono_literals;

namespace {

// A zombie counts as gone: it runs nothing and only waits for its parent to collect it.
bool alive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && text.size() > close + 2 && text.at(close + 2) != 'Z';
}

bool goneWithin(qint64 pid, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (alive(pid)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QThread::msleep(20);
    }
    return true;
}

// Collects the lines of a run, which arrive on the running thread.
class Lines
{
public:
    ProcessRunner::LineHandler handler()
    {
        return [this](const QString &line) {
            std::lock_guard guard(m_mutex);
            m_lines.append(line);
            m_changed.notify_all();
        };
    }
    bool waitFor(const QString &prefix, std::chrono::seconds limit = 30s)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] {
            for (const QString &line : std::as_const(m_lines)) {
                if (line.startsWith(prefix))
                    return true;
            }
            return false;
        });
    }
    QStringList lines() const
    {
        std::lock_guard guard(m_mutex);
        return m_lines;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QStringList m_lines;
};

QString shell()
{
    return QStringLiteral("/bin/sh");
}

QStringList script(const QString &commands)
{
    return {QStringLiteral("-c"), commands};
}

// A run that keeps ffmpeg busy in real time until it is stopped (bounded at ten minutes).
QStringList endlessFFmpeg()
{
    return {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-progress"),
            QStringLiteral("pipe:1"),       QStringLiteral("-re"),      QStringLiteral("-f"),
            QStringLiteral("lavfi"),        QStringLiteral("-i"),       QStringLiteral("testsrc2=size=320x180:rate=30"),
            QStringLiteral("-t"),           QStringLiteral("600"),      QStringLiteral("-f"),
            QStringLiteral("null"),         QStringLiteral("-")};
}

// The helper mode of this test program: runs `tool` through a runner and prints its lines, so
// that the test can kill this whole process and look after the tool.
int holdChild(const QString &tool)
{
    ProcessRunner runner;
    try {
        runner.run(tool, {}, {}, [](const QString &line) {
            std::printf("%s\n", qPrintable(line));
            std::fflush(stdout);
        });
    } catch (const std::exception &) {
        return 1;
    }
    return 0;
}

} // namespace

class tst_ProcessRunner : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(test::writeFile(m_dir.filePath(QStringLiteral("not-executable")), "#!/bin/sh\necho hello\n"));
    }

    void cancelledRunnerStartsNothing()
    {
        ProcessRunner runner;
        QCOMPARE(runner.run(shell(), script(QStringLiteral("echo before"))), QStringLiteral("before\n"));
        runner.cancel(); // idle: only the flag
        QVERIFY(runner.isCancelled());

        const QString marker = m_dir.filePath(QStringLiteral("marker"));
        const QString movie = m_dir.filePath(QStringLiteral("never.mkv"));
        QVERIFY_THROWS_EXCEPTION(CancellationError, runner.checkCancellation());
        QVERIFY_THROWS_EXCEPTION(CancellationError, runner.run(shell(), script(QStringLiteral("touch ") + marker)));
        QVERIFY_THROWS_EXCEPTION(
            CancellationError,
            runner.runFFmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                              QStringLiteral("anullsrc"), QStringLiteral("-t"), QStringLiteral("1"), movie}));
        QVERIFY_THROWS_EXCEPTION(CancellationError, runner.runFFprobe({QStringLiteral("-version")}));
        // Even a tool that could not be found reports the cancellation first.
        QVERIFY_THROWS_EXCEPTION(CancellationError, runner.run(m_dir.filePath(QStringLiteral("missing")), {}));
        QVERIFY(!QFile::exists(marker));
        QVERIFY(!QFile::exists(movie));
    }

    void splitsLinesAtEveryBreak()
    {
        ProcessRunner runner;
        Lines lines;
        const QString output = runner.run(test::fakeTool(QStringLiteral("cr-lines")), {}, {}, lines.handler());
        QCOMPARE(lines.lines(), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        QCOMPARE(output, QStringLiteral("a\rb\r\nc"));
    }

    void keepsOnlyTheTailOfLongOutput()
    {
        ProcessRunner runner;
        qsizetype lineCount = 0;
        QString last;
        const QString output = runner.run(test::fakeTool(QStringLiteral("prints-three-million")), {}, {},
                                          [&](const QString &line) {
                                              ++lineCount;
                                              last = line;
                                          });
        const QByteArray kept = output.toUtf8();
        const QByteArray all = test::threeMillionBytes();
        QVERIFY2(kept.size() >= 1'000'000 && kept.size() <= 2'000'000, QByteArray::number(kept.size()));
        QVERIFY(all.endsWith(kept));
        // The bound is on what is kept, not on what is seen: every line reached the callback.
        QCOMPARE(lineCount, all.count('\n') + 1);
        QCOMPARE(last.toUtf8(), all.mid(all.lastIndexOf('\n') + 1));
    }

    void endlessLineArrivesInPieces()
    {
        // A tool that never ends its line must not make the runner hold all of it.
        ProcessRunner runner;
        QList<qsizetype> lengths;
        runner.run(shell(), script(QStringLiteral("head -c 2500000 /dev/zero | tr '\\0' x; echo; echo end")), {},
                   [&](const QString &line) { lengths.append(line.size()); });
        QCOMPARE(lengths,
                 QList<qsizetype>({ProcessRunner::outputKeep, ProcessRunner::outputKeep,
                                   2'500'000 - 2 * ProcessRunner::outputKeep, 3}));
    }

    void refusesWhatIsNotAnExecutableFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("file without execute permission") << m_dir.filePath(QStringLiteral("not-executable"));
        QTest::newRow("folder") << m_dir.path();
        QTest::newRow("missing") << m_dir.filePath(QStringLiteral("no such tool"));
    }
    void refusesWhatIsNotAnExecutableFile()
    {
        QFETCH(QString, path);
        ProcessRunner runner;
        try {
            runner.run(path, {});
            QFAIL("the run started");
        } catch (const StudioError &error) {
            QCOMPARE(error.message(),
                     QStringLiteral("Executable not found: ") + path
                         + QStringLiteral(". Set its location in Settings."));
        }
    }

    void missingWorkingFolderIsNamed()
    {
        ProcessRunner runner;
        const QString folder = m_dir.filePath(QStringLiteral("no such folder"));
        try {
            runner.run(shell(), script(QStringLiteral("echo ran")), folder);
            QFAIL("the run started");
        } catch (const FileError &error) {
            QCOMPARE(error.path(), folder);
            QCOMPARE(error.message(),
                     QStringLiteral("Could not enter the folder “%1”: No such file or directory.").arg(folder));
        }
    }

    void failingToolReportsStatusAndOutput()
    {
        ProcessRunner runner;
        Lines lines;
        const QString tool = test::fakeTool(QStringLiteral("exits-two"));
        try {
            runner.run(tool, {}, {}, lines.handler());
            QFAIL("the run succeeded");
        } catch (const ProcessFailure &failure) {
            QCOMPARE(failure.executable(), tool);
            QCOMPARE(failure.status(), 2);
            QCOMPARE(failure.output(), QStringLiteral("x\nlast words\n"));
        }
        QCOMPARE(lines.lines(), QStringList({QStringLiteral("x"), QStringLiteral("last words")}));
    }

    void childStartsClean()
    {
        // A descriptor opened without O_CLOEXEC elsewhere in the application must not leak into tools.
        const int leaky = ::open("/dev/null", O_RDONLY);
        QVERIFY(leaky >= 0);
        ProcessRunner runner;
        const QString report = runner.run(
            shell(), script(QStringLiteral("readlink /proc/$$/fd/0; ls /proc/$$/fd; ulimit -v; pwd")), m_dir.path());
        ::close(leaky);
        const QStringList lines = report.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(0), QStringLiteral("/dev/null"));
        QCOMPARE(lines.mid(1, 3), QStringList({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}));
        QCOMPARE(lines.at(4), QString::number(ChildProcess::addressSpaceLimit() / 1024));
        QCOMPARE(lines.at(5), QDir(m_dir.path()).canonicalPath());
    }

    void givenEnvironmentIsTheChildsWholeEnvironment()
    {
        const QStringList environment{QStringLiteral("TMPDIR=/projects/Trip/Cache/Temp"),
                                      QStringLiteral("KINOLOOM_NOTE=two words")};
        ProcessRunner given(environment);
        QCOMPARE(given.run(QStringLiteral("/usr/bin/env"), {}).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 environment);

        qputenv("KINOLOOM_INHERITED", "yes");
        ProcessRunner inheriting;
        const QString inherited = inheriting.run(QStringLiteral("/usr/bin/env"), {});
        qunsetenv("KINOLOOM_INHERITED");
        QVERIFY(inherited.contains(QLatin1String("KINOLOOM_INHERITED=yes")));
    }

    void cancelStopsRunningChild_data()
    {
        QTest::addColumn<QString>("tool");
        // SIGKILL follows two seconds after SIGTERM.
        QTest::newRow("ignores SIGTERM") << QStringLiteral("ignores-term");
        // Stopped tools report cancellation, not their own success.
        QTest::newRow("exits 0 on SIGTERM") << QStringLiteral("exits-on-term");
    }
    void cancelStopsRunningChild()
    {
        QFETCH(QString, tool);
        ProcessRunner runner;
        Lines lines;
        auto running = std::async(std::launch::async,
                                  [&] { return runner.run(test::fakeTool(tool), {}, {}, lines.handler()); });
        QVERIFY(lines.waitFor(QStringLiteral("ready")));
        runner.cancel();
        // The bound only catches a run that hangs.
        QVERIFY(running.wait_for(10s) == std::future_status::ready);
        QVERIFY_THROWS_EXCEPTION(CancellationError, running.get());
    }

    void cancelStopsOnlyItsOwnChild()
    {
        ProcessRunner cancelled;
        ProcessRunner other;
        Lines cancelledLines;
        Lines otherLines;
        auto stopped = std::async(std::launch::async, [&] {
            return cancelled.run(test::fakeTool(QStringLiteral("ignores-term")), {}, {}, cancelledLines.handler());
        });
        auto finishing = std::async(std::launch::async, [&] {
            return other.run(shell(), script(QStringLiteral("echo ready; sleep 1; echo done")), {},
                             otherLines.handler());
        });
        QVERIFY(cancelledLines.waitFor(QStringLiteral("ready")));
        QVERIFY(otherLines.waitFor(QStringLiteral("ready")));
        cancelled.cancel();
        QVERIFY(stopped.wait_for(10s) == std::future_status::ready);
        QVERIFY_THROWS_EXCEPTION(CancellationError, stopped.get());
        QCOMPARE(finishing.get(), QStringLiteral("ready\ndone\n"));
        QVERIFY(!other.isCancelled());
    }

    void cancelStopsEveryConcurrentRun()
    {
        ProcessRunner runner;
        Lines first;
        Lines second;
        auto ignoring = std::async(std::launch::async, [&] {
            return runner.run(test::fakeTool(QStringLiteral("ignores-term")), {}, {}, first.handler());
        });
        auto exiting = std::async(std::launch::async, [&] {
            return runner.run(test::fakeTool(QStringLiteral("exits-on-term")), {}, {}, second.handler());
        });
        // Both children run at once under the one runner before it is cancelled.
        QVERIFY(first.waitFor(QStringLiteral("ready")));
        QVERIFY(second.waitFor(QStringLiteral("ready")));
        runner.cancel();
        QVERIFY(ignoring.wait_for(10s) == std::future_status::ready);
        QVERIFY(exiting.wait_for(10s) == std::future_status::ready);
        QVERIFY_THROWS_EXCEPTION(CancellationError, ignoring.get());
        QVERIFY_THROWS_EXCEPTION(CancellationError, exiting.get());
    }

    void aLinkedRunnerStopsItsGroupOnly()
    {
        ProcessRunner runner;
        const std::shared_ptr<ProcessRunner> group = runner.linked();
        Lines groupLines;
        Lines ownLines;
        auto stopped = std::async(std::launch::async, [&] {
            return group->run(test::fakeTool(QStringLiteral("ignores-term")), {}, {}, groupLines.handler());
        });
        auto finishing = std::async(std::launch::async, [&] {
            return runner.run(shell(), script(QStringLiteral("echo ready; sleep 1; echo done")), {},
                              ownLines.handler());
        });
        QVERIFY(groupLines.waitFor(QStringLiteral("ready")));
        QVERIFY(ownLines.waitFor(QStringLiteral("ready")));
        group->cancel();
        QVERIFY(stopped.wait_for(10s) == std::future_status::ready);
        QVERIFY_THROWS_EXCEPTION(CancellationError, stopped.get());
        QCOMPARE(finishing.get(), QStringLiteral("ready\ndone\n"));
        QVERIFY(!runner.isCancelled());
        QCOMPARE(runner.run(shell(), script(QStringLiteral("echo after"))), QStringLiteral("after\n"));
    }

    void cancellingARunnerCancelsItsLinkedRunners()
    {
        ProcessRunner runner;
        const std::shared_ptr<ProcessRunner> group = runner.linked();
        Lines lines;
        auto stopped = std::async(std::launch::async, [&] {
            return group->run(test::fakeTool(QStringLiteral("exits-on-term")), {}, {}, lines.handler());
        });
        QVERIFY(lines.waitFor(QStringLiteral("ready")));
        runner.cancel();
        QVERIFY(stopped.wait_for(10s) == std::future_status::ready);
        QVERIFY_THROWS_EXCEPTION(CancellationError, stopped.get());
        QVERIFY(group->isCancelled());
        // One linked after the cancel starts cancelled.
        const QString marker = m_dir.filePath(QStringLiteral("linked-late"));
        QVERIFY_THROWS_EXCEPTION(CancellationError,
                                 runner.linked()->run(shell(), script(QStringLiteral("touch ") + marker)));
        QVERIFY(!QFile::exists(marker));
    }

    void childDiesWithItsParent()
    {
        QProcess helper;
        helper.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--hold-child"), test::fakeTool(QStringLiteral("prints-pid-and-sleeps"))});
        QVERIFY(helper.waitForStarted());
        QVERIFY(helper.waitForReadyRead(10000));
        bool number = false;
        const qint64 child = helper.readLine().trimmed().toLongLong(&number);
        QVERIFY(number && child > 0);
        QVERIFY(alive(child));
        ::kill(pid_t(helper.processId()), SIGKILL);
        QVERIFY(helper.waitForFinished(10000));
        const bool gone = goneWithin(child, 10s);
        if (!gone)
            ::kill(pid_t(child), SIGKILL);
        QVERIFY(gone);
    }

    void ffmpegProgressAndLogReachLines()
    {
        ProcessRunner runner;
        Lines lines;
        const QString output = runner.runFFmpeg({QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"),
                                                 QStringLiteral("-progress"), QStringLiteral("pipe:1"),
                                                 QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                                 QStringLiteral("testsrc2=size=320x180:rate=30:duration=1"),
                                                 QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")},
                                                lines.handler());
        QVERIFY(lines.waitFor(QStringLiteral("out_time_us="), 0s)); // from standard output
        QVERIFY(lines.waitFor(QStringLiteral("Input #0"), 0s)); // from the log on standard error
        QVERIFY(output.contains(QLatin1String("progress=end")));
    }

    void ffprobeReturnsOnlyStandardOutput()
    {
        ProcessRunner runner;
        // Without "-v quiet" ffprobe prints its banner on standard error; it must not spoil the JSON.
        const QString output = runner.runFFprobe(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-show_streams"), QStringLiteral("-of"),
             QStringLiteral("json"), QStringLiteral("testsrc2=size=320x180:rate=30:duration=1")});
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(output.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(document.object()
                     .value(QStringLiteral("streams"))
                     .toArray()
                     .first()
                     .toObject()
                     .value(QStringLiteral("width"))
                     .toInt(),
                 320);
    }

    void toolFailuresAreLabelled()
    {
        ProcessRunner runner;
        const QString missing = m_dir.filePath(QStringLiteral("missing.mov"));
        try {
            runner.runFFmpeg({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), missing,
                              QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
            QFAIL("ffmpeg succeeded");
        } catch (const ProcessFailure &failure) {
            QCOMPARE(failure.executable(), QStringLiteral("FFmpeg library"));
            QVERIFY(failure.status() != 0);
            QVERIFY(failure.output().contains(QLatin1String("No such file")));
        }
        try {
            runner.runFFprobe({QStringLiteral("-v"), QStringLiteral("error"), missing});
            QFAIL("ffprobe succeeded");
        } catch (const ProcessFailure &failure) {
            QCOMPARE(failure.executable(), QStringLiteral("ffprobe library"));
            QVERIFY(failure.status() != 0);
            QVERIFY(failure.output().contains(QLatin1String("No such file")));
        }
    }

    void missingToolsCannotStart()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", m_dir.path().toLocal8Bit());
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        ProcessRunner runner;
        try {
            runner.runFFmpeg({QStringLiteral("-version")});
            QFAIL("ffmpeg ran");
        } catch (const StudioError &error) {
            QCOMPARE(error.message(), QStringLiteral("FFmpeg could not start its processing session."));
        }
        try {
            runner.runFFprobe({QStringLiteral("-version")});
            QFAIL("ffprobe ran");
        } catch (const StudioError &error) {
            QCOMPARE(error.message(), QStringLiteral("ffprobe could not start its inspection session."));
        }
    }

    void cancelStopsFFmpegFromAnotherThread()
    {
        ProcessRunner runner;
        Lines lines;
        auto running = std::async(std::launch::async,
                                  [&] { return runner.runFFmpeg(endlessFFmpeg(), lines.handler()); });
        QVERIFY(lines.waitFor(QStringLiteral("out_time_us=")));
        runner.cancel();
        QVERIFY(running.wait_for(10s) == std::future_status::ready);
        QVERIFY_THROWS_EXCEPTION(CancellationError, running.get());
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-child") == 0)
        return holdChild(QString::fromLocal8Bit(argv[2]));
    QCoreApplication application(argc, argv);
    tst_ProcessRunner test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ProcessRunner.moc"
