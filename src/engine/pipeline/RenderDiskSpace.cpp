#include "engine/pipeline/Pipeline.h"

#include "engine/disk/Volumes.h"
#include "engine/pipeline/FrameSnap.h"
#include "model/StudioProject.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kinoloom {

namespace {

constexpr double byteEstimateCap = 4611686018427387904.0; // 2^62

qint64 saturatingAdd(qint64 a, qint64 b)
{
    if (b > 0 && a > std::numeric_limits<qint64>::max() - b)
        return std::numeric_limits<qint64>::max();
    return a + b;
}

} // namespace

qint64 Pipeline::estimatedRenderBytes(int width, int height, int fps, double duration, double outputDuration,
                                      qint64 bitrate, int losslessCopies)
{
    const double intermediate = double(width) * double(height) * 6.0 * double(fps) * std::max(duration, 0.0) * 0.35
        * double(losslessCopies);
    const double encoded = std::max(outputDuration, 0.0) * double(bitrate) / 8.0;
    const double bytes = intermediate + encoded + 2147483648.0;
    // Also catches NaN, which compares false.
    if (!(bytes < byteEstimateCap))
        return qint64(byteEstimateCap);
    return qint64(bytes);
}

std::optional<DiskSpaceCheck> Pipeline::diskSpaceCheck(const StudioProject &project, const QString &root, bool preview)
{
    const ProcessingSettings &settings = project.settings;
    const int fps = settings.fps;

    QString target = root;
    if (!preview && !settings.makeShort && settings.finalOutputPath && !settings.finalOutputPath->isEmpty())
        target = QFileInfo(*settings.finalOutputPath).absolutePath();

    const std::optional<qint64> available = volumes::freeBytes(target);
    if (!available)
        return std::nullopt;
    QString diskName = volumes::volumeName(target);
    if (diskName.isEmpty())
        diskName = target;
    std::optional<QString> diskPath;
    if (const std::optional<QStringList> mounts = volumes::mountPoints())
        diskPath = volumes::mountPointHolding(QFileInfo(target).absoluteFilePath(), *mounts);

    QList<MediaAsset> clips = project.sequence();
    if (clips.isEmpty())
        return std::nullopt;
    if (preview)
        clips = {clips.first()};

    QList<MediaAsset> hooks;
    for (const MediaAsset &asset : project.assets) {
        if (asset.role == ClipRole::hook)
            hooks.append(asset);
    }
    const QList<MediaAsset> openingHooks = !preview && settings.includeHooks ? hooks : QList<MediaAsset>();

    const QList<MediaAsset> all = clips + openingHooks;
    const QSize exportFrame = exportSize(settings.selectedExportResolution(), all, settings);
    const QSize frame = preview ? exportFrame : workingSize(all, settings, exportFrame.width(), exportFrame.height());

    double base = 0;
    for (const MediaAsset &clip : clips) {
        const double length = clipDuration(clip, settings);
        base += snapToFrame(preview ? std::min(length, 5.0) : length, fps);
    }
    double hookLength = 0;
    for (qsizetype j = 0; j < openingHooks.size(); ++j) {
        const double cap = j == openingHooks.size() - 1 ? 3.5 : 1.5;
        const MediaAsset &hook = openingHooks[j];
        hookLength += snapToFrame(hook.isImage ? cap : std::min(cap, hook.duration), fps);
    }
    const double overlap = openingHooks.isEmpty() ? 0.0 : std::min({0.5 * hookLength, 0.5 * base, 2.0});
    const double outputLength = base + std::max(hookLength - overlap, 0.0);
    const double losslessLength = base + hookLength;

    // 8-bit segments of a film larger than their working size are kept at the film's frame, in
    // four bytes a pixel where the estimate counts six for 16-bit ones at the working size:
    // whichever takes more counts.
    QSize segments = frame;
    const double keptAtFrame = double(exportFrame.width()) * double(exportFrame.height()) * 4.0 / 6.0;
    if (!preview && exportFrame.width() > 0 && keptAtFrame > double(frame.width()) * double(frame.height()))
        segments = QSize(exportFrame.width(), int(std::ceil(keptAtFrame / exportFrame.width())));
    qint64 required = estimatedRenderBytes(segments.width(), segments.height(), fps, losslessLength, outputLength,
                                           150000000, 1);

    if (!preview && settings.makeShort && !hooks.isEmpty()) {
        const double share = 59.0 / double(hooks.size());
        double shortLength = 0;
        for (const MediaAsset &hook : hooks) {
            double length = std::min(hook.isImage ? 59.0 : hook.duration, share);
            if (settings.fiveSecondClipCap())
                length = std::min(length, 5.0);
            shortLength += length;
        }
        required = saturatingAdd(required,
                                 estimatedRenderBytes(1080, 1920, fps, shortLength, shortLength, 100000000, 1));
    }

    return DiskSpaceCheck{required, *available, diskName, diskPath};
}

} // namespace kinoloom
