#include "engine/media/ThumbnailCommand.h"

#include "engine/media/FFmpegText.h"

namespace kinoloom {

QStringList thumbnailCommand(const QString &source, const QString &destination, std::optional<double> seek, int width,
                             const QStringList &encoding)
{
    QStringList arguments{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                          QStringLiteral("-y")};
    if (seek)
        arguments << QStringLiteral("-ss") << ffmpegNumber(*seek);
    else
        arguments += singlePictureFormat();
    // "-update 1": the image writer otherwise reads the destination as a numbered pattern, so a
    // folder named "take%d" would send the picture into a sibling "take1".
    arguments << QStringLiteral("-i") << source << QStringLiteral("-vf") << QStringLiteral("scale=%1:-2").arg(width)
              << QStringLiteral("-frames:v") << QStringLiteral("1") << encoding << QStringLiteral("-update")
              << QStringLiteral("1") << destination;
    return arguments;
}

} // namespace kinoloom
