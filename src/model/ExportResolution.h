#pragma once

#include <QHashFunctions>
#include <QList>
#include <QSize>
#include <QString>

#include <optional>

namespace kinoloom {

// The frame size of the main film; `source` follows the first video of the sequence.
enum class ExportResolution { source, p720, p1080, p1440, p2160 };

QString rawValue(ExportResolution resolution);
std::optional<ExportResolution> exportResolutionFromRawValue(const QString &raw);
// The picker's label, e.g. "1080p · 1920 × 1080".
QString title(ExportResolution resolution);
// The name used in export kinds and file names, e.g. "4K".
QString shortTitle(ExportResolution resolution);
// The fixed pixel size; none for `source`.
std::optional<QSize> dimensions(ExportResolution resolution);
// "Movie-<label>.mkv"; width and height are used only for `source`.
QString fileName(ExportResolution resolution, int width, int height);
QList<ExportResolution> allExportResolutions();

inline size_t qHash(ExportResolution resolution, size_t seed = 0) noexcept
{
    return ::qHash(int(resolution), seed);
}

} // namespace kinoloom
