#include "model/ExportResolution.h"

#include "model/RawValueLookup.h"

namespace kinoloom {

QString rawValue(ExportResolution resolution)
{
    switch (resolution) {
    case ExportResolution::source: return QStringLiteral("source");
    case ExportResolution::p720: return QStringLiteral("p720");
    case ExportResolution::p1080: return QStringLiteral("p1080");
    case ExportResolution::p1440: return QStringLiteral("p1440");
    case ExportResolution::p2160: return QStringLiteral("p2160");
    }
    return {};
}

std::optional<ExportResolution> exportResolutionFromRawValue(const QString &raw)
{
    return caseWithRawValue(raw, allExportResolutions());
}

QString title(ExportResolution resolution)
{
    const std::optional<QSize> size = dimensions(resolution);
    if (!size)
        return shortTitle(resolution);
    return QStringLiteral("%1 · %2 × %3").arg(shortTitle(resolution)).arg(size->width()).arg(size->height());
}

QString shortTitle(ExportResolution resolution)
{
    switch (resolution) {
    case ExportResolution::source: return QStringLiteral("Auto (first video)");
    case ExportResolution::p720: return QStringLiteral("720p");
    case ExportResolution::p1080: return QStringLiteral("1080p");
    case ExportResolution::p1440: return QStringLiteral("1440p");
    case ExportResolution::p2160: return QStringLiteral("4K");
    }
    return {};
}

std::optional<QSize> dimensions(ExportResolution resolution)
{
    switch (resolution) {
    case ExportResolution::source: return std::nullopt;
    case ExportResolution::p720: return QSize(1280, 720);
    case ExportResolution::p1080: return QSize(1920, 1080);
    case ExportResolution::p1440: return QSize(2560, 1440);
    case ExportResolution::p2160: return QSize(3840, 2160);
    }
    return std::nullopt;
}

QString fileName(ExportResolution resolution, int width, int height)
{
    const QString label = resolution == ExportResolution::source ? QStringLiteral("%1x%2").arg(width).arg(height)
                                                                 : shortTitle(resolution);
    return QStringLiteral("Movie-%1.mkv").arg(label);
}

QList<ExportResolution> allExportResolutions()
{
    return {ExportResolution::source, ExportResolution::p720, ExportResolution::p1080, ExportResolution::p1440,
            ExportResolution::p2160};
}

} // namespace kinoloom
