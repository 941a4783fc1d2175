#include "engine/pipeline/Pipeline.h"

#include "engine/media/FFmpegText.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/PathText.h"
#include "model/StudioError.h"

#include <algorithm>

namespace kinoloom {

namespace {

// FFmpeg's progress report, which is no log line: one key=value token ("frame=12", "speed= 1.5x",
// an unreadable "out_time_us=N/A") or the statistics line ("frame=  12 fps=0.0 q=-0.0 size=…").
// Error lines often hold "=" too ("… with args 'w=abc:h=-2'") and are exactly what the log needs.
bool isProgressReport(const QString &line)
{
    if (line.startsWith(QLatin1String("frame=")) || line.startsWith(QLatin1String("size=")))
        return true;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return false;
    for (qsizetype i = 0; i < equals; ++i) {
        const QChar c = line.at(i);
        if (c.unicode() > 127 || !(c.isLetterOrNumber() || c == QLatin1Char('_')))
            return false;
    }
    // FFmpeg pads some values: "bitrate=  79.7kbits/s", "speed= 127x".
    for (const QChar c : QStringView(line).mid(equals + 1).trimmed()) {
        if (c.isSpace())
            return false;
    }
    return true;
}

} // namespace

QStringList Pipeline::commonFFmpegArguments()
{
    return {QStringLiteral("-hide_banner"),
            QStringLiteral("-nostdin"),
            QStringLiteral("-y"),
            QStringLiteral("-loglevel"),
            QStringLiteral("error"),
            QStringLiteral("-threads"),
            QStringLiteral("0"),
            QStringLiteral("-filter_threads"),
            QStringLiteral("0"),
            QStringLiteral("-filter_complex_threads"),
            QStringLiteral("0"),
            QStringLiteral("-progress"),
            QStringLiteral("pipe:1")};
}

QStringList Pipeline::losslessVideoArguments(const QString &pixelFormat)
{
    return {QStringLiteral("-c:v"),     QStringLiteral("ffv1"), QStringLiteral("-level"),   QStringLiteral("3"),
            QStringLiteral("-slices"),  QStringLiteral("16"),   QStringLiteral("-pix_fmt"), pixelFormat,
            QStringLiteral("-threads"), QStringLiteral("0")};
}

QStringList Pipeline::losslessAudioArguments()
{
    return {QStringLiteral("-c:a"), QStringLiteral("pcm_s24le")};
}

QStringList Pipeline::withThreadCount(QStringList arguments, int threads)
{
    if (threads <= 0)
        return arguments;
    static const QStringList options{QStringLiteral("-threads"), QStringLiteral("-filter_threads"),
                                     QStringLiteral("-filter_complex_threads")};
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (options.contains(arguments.at(i)) && arguments.at(i + 1) == QLatin1String("0"))
            arguments[++i] = QString::number(threads);
    }
    return arguments;
}

void Pipeline::ffmpeg(const QStringList &args, const QString &directory, const QString &stage, double duration,
                      const std::function<void(double)> &progress) const
{
    update(stage, std::nullopt);
    if (progress)
        progress(0);
    runner->runFFmpeg(withThreadCount(commonFFmpegArguments() + args, threadsPerRun),
                      ffmpegLineHandler(stage, duration, progress), directory);
    update(stage, 1.0);
    if (progress)
        progress(1);
}

std::function<void(const QString &)> Pipeline::ffmpegLineHandler(const QString &stage, double duration,
                                                                 const std::function<void(double)> &progress) const
{
    // Copies, not references: the runner may call this from its own threads.
    return [stage, duration, progress, update = update, log = log](const QString &line) {
        static const QString progressKey = QStringLiteral("out_time_us=");
        if (line.startsWith(progressKey)) {
            bool isNumber = false;
            const double microseconds = QStringView(line).mid(progressKey.size()).toDouble(&isNumber);
            if (isNumber && duration > 0) {
                double fraction = microseconds / 1'000'000.0 / duration;
                if (!(fraction >= 0))
                    fraction = 0; // negative or NaN
                fraction = std::min(fraction, 0.99);
                update(stage, fraction);
                if (progress)
                    progress(fraction);
                return;
            }
        }
        if (!isProgressReport(line))
            log(line);
    };
}

void Pipeline::requireReadableLUT(const QString &lut, const QString &original, const QString &clipName,
                                  const QString &work) const
{
    // One small frame through the filter: lut3d reads the whole file when the graph is set up.
    const QStringList arguments{QStringLiteral("-hide_banner"),
                                QStringLiteral("-nostdin"),
                                QStringLiteral("-loglevel"),
                                QStringLiteral("error"),
                                QStringLiteral("-f"),
                                QStringLiteral("lavfi"),
                                QStringLiteral("-i"),
                                QStringLiteral("color=c=gray:s=8x8"),
                                QStringLiteral("-vf"),
                                QStringLiteral("lut3d=file=") + filterOptionPath(lut),
                                QStringLiteral("-frames:v"),
                                QStringLiteral("1"),
                                QStringLiteral("-f"),
                                QStringLiteral("null"),
                                QStringLiteral("-")};
    try {
        runner->runFFmpeg(arguments, log);
    } catch (const ProcessFailure &) {
        throw StudioError(QStringLiteral("The LUT file “%1” could not be read, so “%2” could not be %3. Choose a LUT "
                                         "file that FFmpeg can read, such as a .cube file.")
                              .arg(path::lastComponent(original), clipName, work));
    }
}

} // namespace kinoloom
