#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

namespace kinoloom {

// The video codec and container of the main film.
enum class ExportCodec { h264, hevc, av1, prores, ffv1 };

QString rawValue(ExportCodec codec);
std::optional<ExportCodec> exportCodecFromRawValue(const QString &raw);
QString title(ExportCodec codec);
QString shortTitle(ExportCodec codec);
// The container's extension, without the dot.
QString fileExtension(ExportCodec codec);
QList<ExportCodec> allExportCodecs();

inline size_t qHash(ExportCodec codec, size_t seed = 0) noexcept
{
    return ::qHash(int(codec), seed);
}

} // namespace kinoloom
