#pragma once

#include <QString>

#include <exception>
#include <string>

namespace kinoloom {

// A tool run that ended unsuccessfully: which tool, how it ended, and what it printed.
// The user sees `userMessage()`; the job log receives `diagnosticDescription()`.
class ProcessFailure : public std::exception
{
public:
    ProcessFailure(QString executable, int status, QString output);

    // "FFmpeg library", "ffprobe library", or the path of a child process.
    const QString &executable() const noexcept { return m_executable; }
    int status() const noexcept { return m_status; }
    const QString &output() const noexcept { return m_output; }

    QString userMessage() const;
    QString diagnosticDescription() const;

    const char *what() const noexcept override { return m_what.c_str(); }

private:
    QString m_executable;
    int m_status;
    QString m_output;
    std::string m_what;
};

} // namespace kinoloom
