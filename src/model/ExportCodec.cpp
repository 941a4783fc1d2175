#include "model/ExportCodec.h"

#include "model/RawValueLookup.h"

namespace kinoloom {

QString rawValue(ExportCodec codec)
{
    switch (codec) {
    case ExportCodec::h264: return QStringLiteral("h264");
    case ExportCodec::hevc: return QStringLiteral("hevc");
    case ExportCodec::av1: return QStringLiteral("av1");
    case ExportCodec::prores: return QStringLiteral("prores");
    case ExportCodec::ffv1: return QStringLiteral("ffv1");
    }
    return {};
}

std::optional<ExportCodec> exportCodecFromRawValue(const QString &raw)
{
    return caseWithRawValue(raw, allExportCodecs());
}

QString title(ExportCodec codec)
{
    switch (codec) {
    case ExportCodec::h264: return QStringLiteral("H.264 (4K YouTube)");
    case ExportCodec::hevc: return QStringLiteral("H.265 / HEVC (4K YouTube)");
    case ExportCodec::av1: return QStringLiteral("AV1 (4K YouTube)");
    case ExportCodec::prores: return QStringLiteral("ProRes 422 HQ (4K YouTube)");
    case ExportCodec::ffv1: return QStringLiteral("FFV1 (4K YouTube)");
    }
    return {};
}

QString shortTitle(ExportCodec codec)
{
    switch (codec) {
    case ExportCodec::h264: return QStringLiteral("H.264");
    case ExportCodec::hevc: return QStringLiteral("HEVC");
    case ExportCodec::av1: return QStringLiteral("AV1");
    case ExportCodec::prores: return QStringLiteral("ProRes 422 HQ");
    case ExportCodec::ffv1: return QStringLiteral("FFV1 lossless");
    }
    return {};
}

QString fileExtension(ExportCodec codec)
{
    switch (codec) {
    case ExportCodec::h264:
    case ExportCodec::hevc:
    case ExportCodec::av1: return QStringLiteral("mp4");
    case ExportCodec::prores: return QStringLiteral("mov");
    case ExportCodec::ffv1: return QStringLiteral("mkv");
    }
    return {};
}

QList<ExportCodec> allExportCodecs()
{
    return {ExportCodec::h264, ExportCodec::hevc, ExportCodec::av1, ExportCodec::prores, ExportCodec::ffv1};
}

} // namespace kinoloom
