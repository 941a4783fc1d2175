#include "engine/process/ProcessFailure.h"

#include <QFileInfo>

namespace kinoloom {

namespace {
QString toolName(const QString &executable)
{
    return QFileInfo(executable).fileName();
}
} // namespace

ProcessFailure::ProcessFailure(QString executable, int status, QString output)
    : m_executable(std::move(executable))
    , m_status(status)
    , m_output(std::move(output))
    , m_what(userMessage().toStdString())
{
}

QString ProcessFailure::userMessage() const
{
    // A full disk is reported the same way whichever tool hit it, so the output is tested first.
    if (m_output.contains(QLatin1String("no space left on device"), Qt::CaseInsensitive))
        return QStringLiteral(
            "There is not enough free disk space to finish this render. Free some space, then try again.");
    if (m_executable.contains(QLatin1String("ffmpeg"), Qt::CaseInsensitive))
        return QStringLiteral(
            "FFmpeg could not finish processing this video. Check the source file and available disk space, then try again.");
    if (m_executable.contains(QLatin1String("ffprobe"), Qt::CaseInsensitive))
        return QStringLiteral(
            "The video details could not be read. Check that the file is available and complete, then try again.");
    return toolName(m_executable)
        + QStringLiteral(" could not complete the operation. Open Details for the technical log.");
}

QString ProcessFailure::diagnosticDescription() const
{
    return QStringLiteral("%1 exited with status %2.\n").arg(toolName(m_executable), QString::number(m_status))
        + m_output;
}

} // namespace kinoloom
