#include "engine/pipeline/Pipeline.h"

#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"

#include <algorithm>

namespace kinoloom {

namespace {

int evenAtLeastTwo(double value)
{
    const qint64 truncated = qint64(value);
    const qint64 even = truncated / 2 * 2;
    return int(std::max<qint64>(even, 2));
}

} // namespace

QSize Pipeline::exportSize(ExportResolution resolution, const QList<MediaAsset> &assets,
                           const ProcessingSettings &settings)
{
    if (const std::optional<QSize> fixed = dimensions(resolution))
        return *fixed;
    for (const MediaAsset &asset : assets) {
        if (!asset.isImage && asset.width > 0 && asset.height > 0)
            return workingSize({asset}, settings, 3840, 2160);
    }
    return workingSize(assets, settings, 3840, 2160);
}

QSize Pipeline::workingSize(const QList<MediaAsset> &assets, const ProcessingSettings &settings, int width, int height)
{
    if (width <= 0 || height <= 0)
        return QSize(width, height);
    const double aspect = double(width) / double(height);
    std::optional<double> scale;
    for (const MediaAsset &asset : assets) {
        if (asset.width <= 0 || asset.height <= 0)
            continue;
        const double w = asset.width;
        const double h = asset.height;
        const double usableWidth = aspect < w / h ? aspect * h : w;
        const double zoom = asset.isImage && settings.stillZoom ? 1.1 : 1.0;
        const double factor = zoom * asset.cropScale();
        const double r = std::min({1.0, usableWidth / width / factor, (usableWidth / aspect) / height / factor});
        scale = scale ? std::max(*scale, r) : r;
    }
    const double s = scale.value_or(1.0);
    if (!(s > 0))
        return QSize(width, height);
    return QSize(evenAtLeastTwo(s * width), evenAtLeastTwo(s * height));
}

double Pipeline::clipDuration(const MediaAsset &asset, const ProcessingSettings &settings)
{
    if (asset.isImage)
        return settings.fiveSecondClipCap() ? std::min(settings.stillDuration, 5.0) : settings.stillDuration;
    return asset.editRange(settings).length();
}

} // namespace kinoloom
