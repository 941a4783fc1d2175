#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace kinoloom {

class ChildProcess;

// The one gateway through which the engine runs its tools: the `ffmpeg` and `ffprobe` programs
// found on PATH and external executables such as Gyroflow, each as a child of this runner.
//
// A runner belongs to one job and is shared (std::shared_ptr) by everything that works for the
// job. Runs are blocking; several threads may run tools through one runner at the same time.
// `cancel()`, `isCancelled()` and `checkCancellation()` may be called from any thread at any
// time. Cancelling is final: every running child is stopped and every later run throws
// CancellationError before it starts.
//
// Failures: a tool that ends unsuccessfully throws ProcessFailure; a tool that cannot start
// throws StudioError; cancellation throws CancellationError, even when the stopped tool then
// reported success.
class ProcessRunner
{
public:
    // Receives one line of a tool's output, without its line break; never an empty line. A line
    // longer than `outputKeep` characters arrives in pieces of that length.
    // Called on the thread that runs the tool.
    using LineHandler = std::function<void(const QString &line)>;

    // Output kept in memory: above `outputLimit` bytes only the last `outputKeep` bytes remain.
    static constexpr qsizetype outputLimit = 2'000'000;
    static constexpr qsizetype outputKeep = 1'000'000;
    // ffprobe's answer is kept whole, as a cut one cannot be read: a file with large metadata
    // gives megabytes of JSON. Past this ceiling the run is stopped and fails.
    static constexpr qsizetype probeOutputLimit = 64 * 1024 * 1024;

    // Every child of this runner gets `environment` ("NAME=value" entries) as its whole
    // environment; without one it inherits this process's. A job gives its runner a snapshot taken
    // on the main thread, so a variable changed there later never races a launch on a worker.
    explicit ProcessRunner(std::optional<QStringList> environment = std::nullopt);
    ~ProcessRunner();
    ProcessRunner(const ProcessRunner &) = delete;
    ProcessRunner &operator=(const ProcessRunner &) = delete;

    // Runs ffmpeg with exactly `arguments`, in `workingDirectory` when one is given. Standard
    // error reaches `line` as log lines; with "-progress pipe:1" the progress lines
    // ("out_time_us=…") reach it from standard output. Returns everything the run printed.
    QString runFFmpeg(const QStringList &arguments, const LineHandler &line = {}, const QString &workingDirectory = {});

    // Runs ffprobe with exactly `arguments`, the file to read last, and returns its whole
    // standard output. An answer above `probeOutputLimit` throws StudioError saying that the
    // file's details are too large.
    QString runFFprobe(const QStringList &arguments);

    // Runs `executable` (which must be an executable file) with standard output and standard
    // error merged, in `workingDirectory` when one is given, and returns all it printed.
    QString run(const QString &executable, const QStringList &arguments, const QString &workingDirectory = {},
                const LineHandler &line = {});

    void cancel();
    bool isCancelled() const;

    // A runner for a group of runs that stop together: cancelling it stops its own children and
    // leaves this runner as it is, while cancelling this runner cancels it too (also when this
    // runner is cancelled already). It has this runner's environment.
    std::shared_ptr<ProcessRunner> linked();

    // Whether `path` names a file this user may execute; what `run` requires of its executable.
    static bool isExecutableFile(const QString &path);
    // Throws CancellationError once the runner has been cancelled.
    void checkCancellation() const;

private:
    struct Outcome
    {
        int status = 0;
        QByteArray output; // both streams as they arrived, bounded
        QByteArray standardOutput; // whole; filled only when asked for
        bool standardOutputTooLarge = false; // the child was stopped for it
    };

    // Launches, streams and reaps one child. Standard output is kept whole up to
    // `standardOutputLimit` bytes (0: not kept); past that the child is stopped. A launch failure
    // throws StudioError(`startFailure`) when that is given, otherwise the FileError that names
    // the executable.
    Outcome execute(const QString &program, const QStringList &arguments, const QString &workingDirectory,
                    bool mergeError, qsizetype standardOutputLimit, const LineHandler &line,
                    const QString &startFailure);

    const std::optional<QStringList> m_environment;
    mutable std::mutex m_lock; // guards the three below
    std::vector<std::shared_ptr<ChildProcess>> m_running;
    std::vector<std::weak_ptr<ProcessRunner>> m_linked;
    bool m_cancelled = false;
};

} // namespace kinoloom
