#include "engine/process/ProcessRunner.h"

#include "engine/process/ChildProcess.h"
#include "engine/process/ProcessFailure.h"
#include "model/CancellationError.h"
#include "model/FileError.h"
#include "model/PathText.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStringDecoder>

namespace kinoloom {

namespace {

constexpr qsizetype failureCharacters = 1'000'000;

// Keeps the tail of a tool's output: a tool may print without end, memory may not grow so.
class BoundedOutput
{
public:
    void append(const QByteArray &bytes)
    {
        m_bytes += bytes;
        if (m_bytes.size() > ProcessRunner::outputLimit)
            m_bytes = m_bytes.right(ProcessRunner::outputKeep);
    }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// Cuts a stream into lines at every carriage return or line feed, so a progress display that
// rewrites one line gives one line per update and CR LF gives no empty line. UTF-8 is decoded
// across chunk boundaries. A line that does not end is passed on in pieces of `outputKeep`
// characters, so that it holds no more memory than the kept output.
class LineSplitter
{
public:
    void feed(const QByteArray &bytes, const ProcessRunner::LineHandler &line)
    {
        // What was pending holds no break: only the new text is searched.
        qsizetype i = m_pending.size();
        m_pending += QString(m_decoder.decode(bytes));
        qsizetype start = 0;
        for (; i < m_pending.size(); ++i) {
            const QChar c = m_pending.at(i);
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                if (i > start)
                    line(m_pending.mid(start, i - start));
                start = i + 1;
            } else if (i + 1 - start == ProcessRunner::outputKeep) {
                line(m_pending.mid(start, i + 1 - start));
                start = i + 1;
            }
        }
        m_pending.remove(0, start);
    }
    void finish(const ProcessRunner::LineHandler &line)
    {
        if (!m_pending.isEmpty())
            line(m_pending);
        m_pending.clear();
    }

private:
    QStringDecoder m_decoder{QStringDecoder::Utf8};
    QString m_pending;
};

QString text(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

} // namespace

ProcessRunner::ProcessRunner(std::optional<QStringList> environment)
    : m_environment(std::move(environment))
{
}

ProcessRunner::~ProcessRunner() = default;

QString ProcessRunner::runFFmpeg(const QStringList &arguments, const LineHandler &line, const QString &workingDirectory)
{
    const QString failure = QStringLiteral("FFmpeg could not start its processing session.");
    checkCancellation();
    const QString program = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (program.isEmpty())
        throw StudioError(failure);
    const Outcome outcome = execute(program, arguments, workingDirectory, false, 0, line, failure);
    const QString output = text(outcome.output);
    if (outcome.status != 0)
        throw ProcessFailure(QStringLiteral("FFmpeg library"), outcome.status, output);
    return output;
}

QString ProcessRunner::runFFprobe(const QStringList &arguments)
{
    const QString failure = QStringLiteral("ffprobe could not start its inspection session.");
    checkCancellation();
    const QString program = QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
    if (program.isEmpty())
        throw StudioError(failure);
    const Outcome outcome = execute(program, arguments, {}, false, probeOutputLimit, {}, failure);
    if (outcome.standardOutputTooLarge) {
        const QString file = arguments.isEmpty() ? QString() : path::lastComponent(arguments.last());
        throw StudioError(QStringLiteral("The details of “%1” are too large to read: ffprobe describes it in "
                                         "more than %2 MB.")
                              .arg(file)
                              .arg(probeOutputLimit / (1024 * 1024)));
    }
    if (outcome.status != 0)
        throw ProcessFailure(QStringLiteral("ffprobe library"), outcome.status, text(outcome.output));
    return text(outcome.standardOutput);
}

QString ProcessRunner::run(const QString &executable, const QStringList &arguments, const QString &workingDirectory,
                           const LineHandler &line)
{
    checkCancellation();
    if (!isExecutableFile(executable))
        throw StudioError(QStringLiteral("Executable not found: ") + executable
                          + QStringLiteral(". Set its location in Settings."));
    // Absolute, so that a working directory does not change which file runs.
    const Outcome outcome = execute(QFileInfo(executable).absoluteFilePath(), arguments, workingDirectory, true, 0,
                                    line, {});
    const QString output = text(outcome.output);
    if (outcome.status != 0)
        throw ProcessFailure(executable, outcome.status, output.right(failureCharacters));
    return output;
}

ProcessRunner::Outcome ProcessRunner::execute(const QString &program, const QStringList &arguments,
                                              const QString &workingDirectory, bool mergeError,
                                              qsizetype standardOutputLimit, const LineHandler &line,
                                              const QString &startFailure)
{
    std::shared_ptr<ChildProcess> child;
    {
        // Launching under the lock: a concurrent cancel() either comes first and nothing starts,
        // or finds the child and stops it.
        std::lock_guard guard(m_lock);
        if (m_cancelled)
            throw CancellationError();
        try {
            child = std::make_shared<ChildProcess>(
                ChildProcess::Launch{program, arguments, workingDirectory, mergeError, m_environment});
        } catch (const FileError &) {
            if (startFailure.isEmpty())
                throw;
            throw StudioError(startFailure);
        }
        m_running.push_back(child);
    }
    const auto forget = qScopeGuard([this, &child] {
        std::lock_guard guard(m_lock);
        std::erase(m_running, child);
    });

    BoundedOutput output;
    LineSplitter splitters[2];
    Outcome outcome;
    outcome.status = child->wait([&](ChildProcess::Stream stream, const QByteArray &bytes) {
        output.append(bytes);
        if (standardOutputLimit > 0 && stream == ChildProcess::Stream::output && !outcome.standardOutputTooLarge) {
            if (outcome.standardOutput.size() + bytes.size() > standardOutputLimit) {
                outcome.standardOutputTooLarge = true;
                outcome.standardOutput.clear();
                child->terminate();
            } else {
                outcome.standardOutput += bytes;
            }
        }
        if (line)
            splitters[int(stream)].feed(bytes, line);
    });
    if (line) {
        for (LineSplitter &splitter : splitters)
            splitter.finish(line);
    }
    if (isCancelled())
        throw CancellationError();
    outcome.output = output.bytes();
    return outcome;
}

void ProcessRunner::cancel()
{
    std::vector<std::weak_ptr<ProcessRunner>> linked;
    {
        std::lock_guard guard(m_lock);
        m_cancelled = true;
        for (const std::shared_ptr<ChildProcess> &child : m_running)
            child->terminate();
        linked = m_linked;
    }
    // Outside the lock: a linked runner takes its own.
    for (const std::weak_ptr<ProcessRunner> &runner : linked) {
        if (const std::shared_ptr<ProcessRunner> alive = runner.lock())
            alive->cancel();
    }
}

std::shared_ptr<ProcessRunner> ProcessRunner::linked()
{
    auto runner = std::make_shared<ProcessRunner>(m_environment);
    std::lock_guard guard(m_lock);
    std::erase_if(m_linked, [](const std::weak_ptr<ProcessRunner> &gone) { return gone.expired(); });
    m_linked.push_back(runner);
    // Set under this runner's lock: a cancel() either comes first and is copied, or finds the
    // new runner in the list.
    runner->m_cancelled = m_cancelled;
    return runner;
}

bool ProcessRunner::isCancelled() const
{
    std::lock_guard guard(m_lock);
    return m_cancelled;
}

bool ProcessRunner::isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

void ProcessRunner::checkCancellation() const
{
    if (isCancelled())
        throw CancellationError();
}

} // namespace kinoloom
