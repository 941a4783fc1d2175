#include "engine/media/MediaService.h"

#include "engine/media/FFmpegText.h"
#include "engine/media/FileCopy.h"
#include "engine/media/MediaFileTypes.h"
#include "engine/media/PictureConversion.h"
#include "engine/media/ThumbnailCommand.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "model/FileError.h"
#include "model/FileOperations.h"
#include "model/Json.h"
#include "model/PathText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace kinoloom {

namespace {

// Names in the listing of `ffmpeg -filters`: " T.C drawtext  V->V  Draw text ...".
QSet<QString> filterNames(const QString &listing)
{
    QSet<QString> names;
    for (const QString &line : listing.split(QLatin1Char('\n'))) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() >= 3 && fields.at(2).contains(QLatin1String("->")))
            names.insert(fields.at(1));
    }
    return names;
}

// Runs `check`; true when it succeeds. Only cancellation passes through.
template <typename Check>
bool runs(Check check)
{
    try {
        check();
        return true;
    } catch (const CancellationError &) {
        throw;
    } catch (const std::exception &) {
        return false;
    }
}

QString available(bool present, const QString &absent = QStringLiteral("not found"))
{
    return present ? QStringLiteral("available") : absent;
}

} // namespace

bool MediaService::isImage(const QString &path)
{
    return MediaFileTypes::isImage(path);
}

ProbeResult MediaService::probe(const QString &path) const
{
    QStringList arguments{QStringLiteral("-v"),           QStringLiteral("quiet"), QStringLiteral("-show_streams"),
                          QStringLiteral("-show_format"), QStringLiteral("-of"),   QStringLiteral("json")};
    if (isImage(path))
        arguments += singlePictureFormat();
    arguments.append(path);
    const QString output = runner->runFFprobe(arguments);
    return ProbeResult::fromFFprobeJson(output.toUtf8(), path::lastComponent(path));
}

QString MediaService::importIdentity(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    struct stat status;
    if (resolved.isEmpty() || ::stat(QFile::encodeName(resolved).constData(), &status) != 0)
        throw FileError(QStringLiteral("read the details of"), path,
                        resolved.isEmpty() ? QStringLiteral("No such file or directory") : systemReason());
    const double modified = double(status.st_mtim.tv_sec) + double(status.st_mtim.tv_nsec) / 1e9;
    return resolved + QLatin1Char('|') + QString::number(qint64(status.st_size)) + QLatin1Char('|')
        + ffmpegNumber(modified);
}

MediaAsset MediaService::importAsset(const QString &source, const QString &root, bool copy,
                                     bool middleFrameThumbnail) const
{
    const QString sourcePath = QFileInfo(source).absoluteFilePath();
    const ProbeResult probed = probe(sourcePath);

    const QUuid id = QUuid::createUuid();
    const QString idText = json::uuidText(id);
    const QDir project(root);

    // What this import writes goes again when a later step fails: nothing refers to it yet.
    QStringList written;
    auto removeWritten = qScopeGuard([&] {
        for (const QString &file : std::as_const(written))
            QFile::remove(file);
    });

    QString assetPath = sourcePath;
    if (copy) {
        const QString extension = path::extension(sourcePath);
        const QString name = extension.isEmpty() ? idText : idText + QLatin1Char('.') + extension;
        assetPath = project.absoluteFilePath(QStringLiteral("Media/") + name);
        const std::shared_ptr<ProcessRunner> copyRunner = runner;
        copyFile(sourcePath, assetPath, [copyRunner] { copyRunner->checkCancellation(); });
        written.append(assetPath);
    }

    const QString thumbnail = project.absoluteFilePath(QStringLiteral("Cache/") + idText + QStringLiteral(".jpg"));
    const bool image = isImage(sourcePath);
    writeThumbnail(assetPath, thumbnail, probed.duration, image, middleFrameThumbnail,
                   PictureConversion::filters(probed));
    written.append(thumbnail);

    const QString identity = importIdentity(sourcePath);

    MediaAsset asset = MediaAsset::create(assetPath, path::lastComponent(sourcePath), probed.duration, probed.width,
                                          probed.height, probed.fps, probed.hasAudio, image);
    asset.id = id;
    asset.thumbnail = thumbnail;
    asset.importIdentity = identity;
    removeWritten.dismiss();
    return asset;
}

QStringList MediaService::thumbnailArguments(const QString &source, const QString &destination, double duration,
                                             bool image, bool middle, const QString &conversion)
{
    std::optional<double> seek;
    if (!image)
        seek = middle ? duration * 0.5 : std::min(duration / 3, 1.0);
    return thumbnailCommand(source, destination, seek, 480, {QStringLiteral("-threads"), QStringLiteral("1")},
                            conversion);
}

void MediaService::generateThumbnail(const QString &source, const QString &destination, double duration, bool image,
                                     bool middle) const
{
    writeThumbnail(source, destination, duration, image, middle,
                   image ? QString() : PictureConversion::filters(probe(source)));
}

void MediaService::writeThumbnail(const QString &source, const QString &destination, double duration, bool image,
                                  bool middle, const QString &conversion) const
{
    // Written beside the destination under another name first, so that a failed run neither
    // leaves half a picture nor destroys the thumbnail that was there.
    // The extension stays last: it chooses the image format.
    const QFileInfo target(destination);
    const QString partial = target.dir().filePath(QStringLiteral("partial-") + target.fileName());
    auto removePartial = qScopeGuard([&] { QFile::remove(partial); });
    runner->runFFmpeg(thumbnailArguments(source, partial, duration, image, middle, conversion));
    // A seek past the last picture (the sound outlasts the picture, the container's duration is
    // wrong) makes ffmpeg succeed without writing anything: take the first picture instead.
    if (!image && !QFileInfo(partial).isFile())
        runner->runFFmpeg(thumbnailArguments(source, partial, 0, false, false, conversion));
    if (!QFileInfo(partial).isFile())
        throw StudioError(QStringLiteral("FFmpeg could not read a picture for the thumbnail of “%1”.")
                              .arg(path::lastComponent(source)));
    renameFile(partial, destination, QStringLiteral("save"));
    removePartial.dismiss();
}

QStringList MediaService::dependencies() const
{
    QSet<QString> filters;
    const bool ffmpeg = runs([&] {
        filters = filterNames(runner->runFFmpeg({QStringLiteral("-hide_banner"), QStringLiteral("-filters")}));
    });
    const bool ffprobe = runs([&] {
        runner->runFFprobe({QStringLiteral("-hide_banner"), QStringLiteral("-version")});
    });

    QStringList lines{QStringLiteral("FFmpeg library: ") + available(ffmpeg),
                      QStringLiteral("ffprobe library: ") + available(ffprobe),
                      QStringLiteral("Gyroflow (optional): ")
                          + available(ProcessRunner::isExecutableFile(tools.gyroflow))};
    if (!ffmpeg)
        return lines;
    for (const QString &filter : {QStringLiteral("drawtext"), QStringLiteral("lut3d"), QStringLiteral("vidstabdetect"),
                                  QStringLiteral("vidstabtransform")})
        lines.append(filter + QStringLiteral(": ")
                     + available(filters.contains(filter), QStringLiteral("not installed")));
    return lines;
}

ProbeResult MediaService::validateMovie(const QString &path, int width, int height, bool lossless) const
{
    const ProbeResult result = probe(path);
    const bool passes = result.duration > 0 && result.width == width && result.height == height && result.hasAudio
        && (!lossless || (result.codec == QLatin1String("ffv1") && result.audioCodec == QLatin1String("pcm_s24le")));
    if (!passes)
        throw StudioError(QStringLiteral(
            "The rendered movie did not pass duration, dimensions, audio, or lossless codec validation."));
    return result;
}

qint64 MediaService::countPictures(const QString &path) const
{
    const QString output = runner->runFFprobe(
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"), QStringLiteral("V:0"),
         QStringLiteral("-count_packets"), QStringLiteral("-show_entries"), QStringLiteral("stream=nb_read_packets"),
         QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    return output.trimmed().toLongLong();
}

} // namespace kinoloom
