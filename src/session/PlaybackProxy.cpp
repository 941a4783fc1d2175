#include "session/PlaybackProxy.h"

#include "engine/pipeline/HardwareEncoder.h"
#include "engine/process/ProcessRunner.h"

#include <QDir>
#include <QFile>
#include <QUuid>

namespace kinoloom::PlaybackProxy {

namespace {

// The conversion first: deinterlacing needs the fields as they were stored, and zscale tags the
// tone-mapped frames BT.709, which the encoder writes into the copy.
QString picture(const QString &conversion)
{
    const QString scaling = QStringLiteral("scale=1920:-2:flags=lanczos");
    return conversion.isEmpty() ? scaling : conversion + QLatin1Char(',') + scaling;
}

QStringList head(const QString &source)
{
    return {QStringLiteral("-hide_banner"),
            QStringLiteral("-nostdin"),
            QStringLiteral("-y"),
            QStringLiteral("-loglevel"),
            QStringLiteral("error"),
            QStringLiteral("-i"),
            source,
            QStringLiteral("-map"),
            QStringLiteral("0:v:0"),
            QStringLiteral("-map"),
            QStringLiteral("0:a:0?")};
}

QStringList sound()
{
    return {QStringLiteral("-c:a"),      QStringLiteral("aac"),       QStringLiteral("-b:a"), QStringLiteral("192k"),
            QStringLiteral("-ar"),       QStringLiteral("48000"),     QStringLiteral("-ac"),  QStringLiteral("2"),
            QStringLiteral("-movflags"), QStringLiteral("+faststart")};
}

} // namespace

QString newFileName()
{
    return QStringLiteral("Kinoloom-Preview-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()
        + QStringLiteral(".mp4");
}

QString folder(const std::optional<QString> &root)
{
    if (!root)
        return QDir::tempPath();
    return QDir(*root).filePath(QStringLiteral("Cache/Preview"));
}

QStringList baseArguments(const QString &source, const QString &conversion)
{
    QStringList arguments = head(source);
    arguments << QStringLiteral("-vf") << picture(conversion) << QStringLiteral("-pix_fmt")
              << QStringLiteral("yuv420p");
    return arguments + sound();
}

QStringList softwareArguments(const QString &source, const QString &proxy, const QString &conversion)
{
    return baseArguments(source, conversion)
        + QStringList{QStringLiteral("-c:v"),      QStringLiteral("libx264"), QStringLiteral("-preset"),
                      QStringLiteral("ultrafast"), QStringLiteral("-tune"),   QStringLiteral("zerolatency"),
                      QStringLiteral("-crf"),      QStringLiteral("23"),      proxy};
}

QStringList hardwareArguments(const QString &source, const QString &proxy, const QString &device,
                              const QString &conversion)
{
    QStringList arguments = head(source);
    arguments << QStringLiteral("-vf") << picture(conversion) + QLatin1Char(',') + hardwareEncoder::uploadFilter();
    arguments += sound();
    arguments += hardwareEncoder::vaapiArguments(QStringLiteral("h264_vaapi"), device, QStringLiteral("8M"));
    arguments << proxy;
    return arguments;
}

void make(ProcessRunner &runner, const QString &source, const QString &proxy, const std::optional<QString> &device,
          const QString &conversion)
{
    try {
        if (device) {
            try {
                runner.runFFmpeg(hardwareArguments(source, proxy, *device, conversion));
                return;
            } catch (...) {
                runner.checkCancellation();
            }
        }
        runner.runFFmpeg(softwareArguments(source, proxy, conversion));
    } catch (...) {
        QFile::remove(proxy);
        throw;
    }
}

} // namespace kinoloom::PlaybackProxy
