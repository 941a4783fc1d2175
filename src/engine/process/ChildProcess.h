#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

#include <sys/types.h>

namespace kinoloom {

// One child process of the engine, from launch to reaping.
//
// The child reads /dev/null, inherits no descriptor of ours, is killed when the thread that
// launched it goes away (PR_SET_PDEATHSIG), and runs under an address-space limit so that a
// runaway filter graph fails on its own instead of exhausting the machine.
//
// The launching thread reads the output and waits in `wait()`. Any thread may call
// `terminate()`: SIGTERM at once, SIGKILL `killDelay` later if the child is still alive.
// Signals go through a pidfd and only before the child is reaped, so they can never reach an
// unrelated process that inherited the pid.
class ChildProcess
{
public:
    enum class Stream { output, error };

    struct Launch
    {
        QString program; // path of the executable, used as is
        QStringList arguments;
        QString workingDirectory; // empty: the caller's
        bool mergeError = true; // standard error into the standard-output pipe
        // "NAME=value" entries, the child's whole environment; none: this process's own.
        std::optional<QStringList> environment;
    };

    using ChunkHandler = std::function<void(Stream stream, const QByteArray &bytes)>;

    static constexpr std::chrono::milliseconds killDelay{2000};

    // Starts the child. A failed launch throws FileError naming the working directory when that
    // cannot be entered, otherwise the program.
    explicit ChildProcess(const Launch &launch);
    // A child that is still running (the waiting thread failed) is killed and reaped.
    ~ChildProcess();

    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Hands every chunk of output to `chunk` as it arrives, then reaps the child.
    // Returns the exit code, or 128 + the signal number for a child ended by a signal.
    int wait(const ChunkHandler &chunk);

    void terminate();

    pid_t pid() const noexcept { return m_pid; }

    // Three quarters of physical memory, in bytes; 0 when it cannot be read.
    static qint64 addressSpaceLimit();

private:
    void sendSignal(int signal);
    void closeDescriptors();

    pid_t m_pid = -1;
    int m_pidFd = -1;
    int m_wakeFd = -1;
    int m_outputFd = -1;
    int m_errorFd = -1;

    std::mutex m_mutex; // guards the three below
    bool m_reaped = false;
    bool m_terminating = false;
    std::chrono::steady_clock::time_point m_terminatedAt;
};

} // namespace kinoloom
