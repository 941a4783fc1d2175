#include "engine/media/FFmpegText.h"

#include "model/StudioError.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace kinoloom {

namespace {

QString escaped(const QString &text, QStringView specials)
{
    QString result;
    result.reserve(text.size() + 8);
    for (const QChar character : text) {
        if (specials.contains(character))
            result.append(QLatin1Char('\\'));
        result.append(character);
    }
    return result;
}

} // namespace

QString ffmpegNumber(double value)
{
    if (!std::isfinite(value))
        throw StudioError(QStringLiteral("A render setting produced a number that is not finite."));
    if (value == 0)
        return QStringLiteral("0.0"); // also for -0.0
    // Fixed notation of the largest double needs 309 integer digits; the smallest subnormal
    // needs 1074 fractional digits.
    char buffer[1100];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        throw StudioError(QStringLiteral("A render setting produced a number that cannot be written."));
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (!text.contains(QLatin1Char('.')))
        text.append(QStringLiteral(".0"));
    return text;
}

QString ffmpegInteger(qint64 value)
{
    return QString::number(value);
}

QString filterOptionPath(const QString &absolutePath)
{
    const QString optionValue = escaped(absolutePath, u"\\':");
    return escaped(optionValue, u"\\'[],;");
}

QStringList singlePictureFormat()
{
    return {QStringLiteral("-f"), QStringLiteral("image2pipe")};
}

QStringList loopedPictureInput(const QString &path, int fps, const QString &decoder)
{
    return QStringList{QStringLiteral("-loop"), QStringLiteral("1")} + pictureInput(path, fps, decoder);
}

QStringList pictureInput(const QString &path, int fps, const QString &decoder)
{
    QStringList arguments{
        QStringLiteral("-framerate"),    ffmpegInteger(fps),    QStringLiteral("-f"), QStringLiteral("image2"),
        QStringLiteral("-pattern_type"), QStringLiteral("none")};
    if (!decoder.isEmpty())
        arguments << QStringLiteral("-c:v") << decoder;
    arguments << QStringLiteral("-i") << path;
    return arguments;
}

} // namespace kinoloom
