#include "engine/process/ChildProcess.h"

#include "model/FileError.h"
#include "model/FileOperations.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kinoloom {

namespace {

using Clock = std::chrono::steady_clock;

constexpr qsizetype chunkSize = 64 * 1024;
// A grandchild may keep the pipe open and keep writing after the child ended; the final drain
// takes what is buffered and does not follow such a writer for ever.
constexpr int maximumDrainReads = 64;

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// dup2 onto `target`, keeping the descriptor open across exec even when it already is `target`.
// Async-signal-safe: runs in the forked child.
bool moveTo(int fd, int target)
{
    if (fd == target)
        return ::fcntl(fd, F_SETFD, 0) == 0;
    return ::dup2(fd, target) == target;
}

// Everything the forked child touches is prepared before fork: between fork and exec only
// async-signal-safe calls are allowed, so no allocation happens there.
struct ChildSetup
{
    pid_t parent;
    const char *program;
    char *const *argv;
    char *const *envp; // null: this process's own environment
    const char *workingDirectory; // null: unchanged
    rlim_t addressSpace; // 0: unchanged
    int outputFd;
    int errorFd;
    int reportFd; // receives a LaunchReport when the child cannot exec
};

// What the child writes to the report pipe when it cannot exec; nothing when it can.
struct LaunchReport
{
    enum Step : int { setup, workingDirectory, exec };
    int step = setup;
    int error = 0;
};

[[noreturn]] void childMain(const ChildSetup &setup)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have died before the line above took effect.
    if (::getppid() != setup.parent)
        ::_exit(127);

    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard;
    std::memset(&standard, 0, sizeof standard);
    standard.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP)
            ::sigaction(signal, &standard, nullptr);
    }

    if (setup.addressSpace > 0) {
        rlimit limit{setup.addressSpace, setup.addressSpace};
        ::setrlimit(RLIMIT_AS, &limit);
    }

    LaunchReport report;
    int &error = report.error;
    const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nullFd < 0 || !moveTo(nullFd, STDIN_FILENO) || !moveTo(setup.outputFd, STDOUT_FILENO)
        || !moveTo(setup.errorFd, STDERR_FILENO))
        error = errno;
    // Descriptors that some other part of the application opened without O_CLOEXEC stay with us.
    ::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
    if (error == 0 && setup.workingDirectory) {
        report.step = LaunchReport::workingDirectory;
        if (::chdir(setup.workingDirectory) != 0)
            error = errno;
    }
    if (error == 0) {
        report.step = LaunchReport::exec;
        if (setup.envp)
            ::execve(setup.program, setup.argv, setup.envp);
        else
            ::execv(setup.program, setup.argv);
        error = errno;
    }
    while (::write(setup.reportFd, &report, sizeof report) < 0 && errno == EINTR) {
    }
    ::_exit(127);
}

// An error of 0: the child reached exec.
LaunchReport readReport(int fd)
{
    LaunchReport report;
    ssize_t count;
    do {
        count = ::read(fd, &report, sizeof report);
    } while (count < 0 && errno == EINTR);
    return count == sizeof report ? report : LaunchReport{};
}

int terminationStatus(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 1;
}

void reap(pid_t pid, int *status)
{
    while (::waitpid(pid, status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

qint64 ChildProcess::addressSpaceLimit()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return qint64(pages) / 4 * 3 * qint64(pageSize);
}

ChildProcess::ChildProcess(const Launch &launch)
{
    const QByteArray program = QFile::encodeName(launch.program);
    std::vector<QByteArray> arguments{program};
    for (const QString &argument : launch.arguments)
        arguments.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> variables;
    for (const QString &variable : launch.environment.value_or(QStringList()))
        variables.push_back(variable.toLocal8Bit());
    std::vector<char *> envp;
    for (QByteArray &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    const QByteArray workingDirectory = QFile::encodeName(launch.workingDirectory);

    rlim_t addressSpace = rlim_t(std::max<qint64>(addressSpaceLimit(), 0));
    rlimit current;
    if (addressSpace > 0 && ::getrlimit(RLIMIT_AS, &current) == 0 && current.rlim_max != RLIM_INFINITY)
        addressSpace = std::min(addressSpace, current.rlim_max);

    int output[2] = {-1, -1};
    int error[2] = {-1, -1};
    int report[2] = {-1, -1};
    auto closeAll = [&] {
        for (int *fd : {&output[0], &output[1], &error[0], &error[1], &report[0], &report[1]})
            closeFd(*fd);
        closeFd(m_wakeFd);
    };
    // A missing working folder is no fault of the program: the error names the folder.
    auto fail = [&](int code, bool inWorkingDirectory = false) {
        closeAll();
        if (inWorkingDirectory)
            throw FileError(QStringLiteral("enter the folder"), launch.workingDirectory, systemReason(code));
        throw FileError(QStringLiteral("start"), launch.program, systemReason(code));
    };

    if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(report, O_CLOEXEC) != 0
        || (!launch.mergeError && ::pipe2(error, O_CLOEXEC) != 0))
        fail(errno);
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0)
        fail(errno);

    const ChildSetup setup{::getpid(),
                           program.constData(),
                           argv.data(),
                           launch.environment ? envp.data() : nullptr,
                           launch.workingDirectory.isEmpty() ? nullptr : workingDirectory.constData(),
                           addressSpace,
                           output[1],
                           launch.mergeError ? output[1] : error[1],
                           report[1]};
    const pid_t pid = ::fork();
    if (pid < 0)
        fail(errno);
    if (pid == 0)
        childMain(setup);

    closeFd(output[1]);
    closeFd(error[1]);
    closeFd(report[1]);
    const LaunchReport launchReport = readReport(report[0]);
    closeFd(report[0]);
    if (launchReport.error != 0) {
        int status = 0;
        reap(pid, &status);
        fail(launchReport.error, launchReport.step == LaunchReport::workingDirectory);
    }

    // Nobody else waits for this pid, so it stays ours until we reap it.
    m_pidFd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (m_pidFd < 0) {
        const int code = errno;
        ::kill(pid, SIGKILL);
        int status = 0;
        reap(pid, &status);
        fail(code);
    }
    m_pid = pid;
    m_outputFd = output[0];
    m_errorFd = error[0];
}

ChildProcess::~ChildProcess()
{
    bool reaped;
    {
        std::lock_guard guard(m_mutex);
        reaped = m_reaped;
    }
    if (!reaped && m_pid > 0) {
        sendSignal(SIGKILL);
        int status = 0;
        reap(m_pid, &status);
    }
    closeDescriptors();
}

void ChildProcess::sendSignal(int signal)
{
    ::syscall(SYS_pidfd_send_signal, m_pidFd, signal, nullptr, 0U);
}

void ChildProcess::closeDescriptors()
{
    closeFd(m_outputFd);
    closeFd(m_errorFd);
    closeFd(m_pidFd);
    closeFd(m_wakeFd);
}

void ChildProcess::terminate()
{
    std::lock_guard guard(m_mutex);
    if (m_reaped || m_terminating)
        return;
    m_terminating = true;
    m_terminatedAt = Clock::now();
    sendSignal(SIGTERM);
    const quint64 one = 1;
    // Wakes the waiting thread so that it keeps the delayed kill; a full counter already wakes it.
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
}

int ChildProcess::wait(const ChunkHandler &chunk)
{
    struct Source
    {
        int fd;
        Stream stream;
    };
    std::vector<Source> sources{{m_outputFd, Stream::output}};
    if (m_errorFd >= 0)
        sources.push_back({m_errorFd, Stream::error});

    QByteArray buffer(chunkSize, Qt::Uninitialized);
    // Returns false at end of file or on a read error.
    auto readOnce = [&](const Source &source) {
        ssize_t count;
        do {
            count = ::read(source.fd, buffer.data(), size_t(buffer.size()));
        } while (count < 0 && errno == EINTR);
        if (count > 0)
            chunk(source.stream, QByteArray(buffer.constData(), qsizetype(count)));
        return count > 0 || (count < 0 && errno == EAGAIN);
    };

    bool exited = false;
    bool killed = false;
    std::optional<Clock::time_point> killAt;
    std::vector<pollfd> polled;
    while (!exited) {
        polled.clear();
        for (const Source &source : sources)
            polled.push_back({source.fd, POLLIN, 0});
        polled.push_back({m_pidFd, POLLIN, 0});
        polled.push_back({m_wakeFd, POLLIN, 0});

        int timeout = -1;
        if (killAt && !killed) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*killAt - Clock::now());
            timeout = int(std::max<qint64>(left.count(), 0));
        }
        if (::poll(polled.data(), polled.size(), timeout) < 0 && errno != EINTR)
            break; // cannot happen with valid descriptors; the reap below still ends the child

        std::vector<Source> stillOpen;
        for (size_t i = 0; i < sources.size(); ++i) {
            const bool ready = polled[i].revents & (POLLIN | POLLHUP | POLLERR);
            if (ready && !readOnce(sources[i]))
                continue; // end of file: stop polling it; closed with the object
            stillOpen.push_back(sources[i]);
        }
        sources.swap(stillOpen);

        if (polled[polled.size() - 2].revents & POLLIN)
            exited = true;
        if (polled.back().revents & POLLIN) {
            quint64 counter;
            [[maybe_unused]] const ssize_t count = ::read(m_wakeFd, &counter, sizeof counter);
        }
        {
            std::lock_guard guard(m_mutex);
            if (m_terminating && !killAt)
                killAt = m_terminatedAt + killDelay;
        }
        if (!exited && killAt && !killed && Clock::now() >= *killAt) {
            sendSignal(SIGKILL);
            killed = true;
        }
    }

    // What the child wrote before it ended is still in the pipes.
    for (const Source &source : sources) {
        ::fcntl(source.fd, F_SETFL, ::fcntl(source.fd, F_GETFL) | O_NONBLOCK);
        for (int reads = 0; reads < maximumDrainReads; ++reads) {
            ssize_t count;
            do {
                count = ::read(source.fd, buffer.data(), size_t(buffer.size()));
            } while (count < 0 && errno == EINTR);
            if (count <= 0)
                break;
            chunk(source.stream, QByteArray(buffer.constData(), qsizetype(count)));
        }
    }

    // A signal sent through the pidfd after this reap fails with ESRCH instead of reaching a
    // process that reuses the pid; the descriptors close only once terminate() sees m_reaped.
    int status = 0;
    reap(m_pid, &status);
    {
        std::lock_guard guard(m_mutex);
        m_reaped = true;
    }
    closeDescriptors();
    return terminationStatus(status);
}

} // namespace kinoloom
