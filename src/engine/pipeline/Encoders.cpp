#include "engine/pipeline/Pipeline.h"

#include "engine/pipeline/HardwareEncoder.h"

namespace kinoloom {

QStringList Pipeline::videoCodec(const ProcessingSettings &settings, bool hevc, const QString &bitrate)
{
    QStringList arguments;
    const QString hardware = hevc ? QStringLiteral("hevc_vaapi") : QStringLiteral("h264_vaapi");
    std::optional<QString> node;
    // The hardware encoder is taken only where a test encode showed that it works; everywhere
    // else the software encoder stands in, as the hardware path would have fallen back anyway.
    if (!settings.softwareEncoding && hardwareEncoder::available(hardware))
        node = hardwareEncoder::renderNode();
    if (node) {
        arguments = hardwareEncoder::vaapiArguments(hardware, *node, bitrate);
    } else {
        arguments = {QStringLiteral("-c:v"),     hevc ? QStringLiteral("libx265") : QStringLiteral("libx264"),
                     QStringLiteral("-preset"),  QStringLiteral("medium"),
                     QStringLiteral("-b:v"),     bitrate,
                     QStringLiteral("-threads"), QStringLiteral("0"),
                     QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")};
    }
    arguments += {QStringLiteral("-tag:v"), hevc ? QStringLiteral("hvc1") : QStringLiteral("avc1"),
                  QStringLiteral("-movflags"), QStringLiteral("+faststart")};
    return arguments;
}

MainVideoCodec Pipeline::mainVideoCodec(const ProcessingSettings &settings)
{
    const QString bitrate = settings.fps <= 30 ? QStringLiteral("45M") : QStringLiteral("60M");
    switch (settings.selectedExportCodec()) {
    case ExportCodec::h264: return {videoCodec(settings, false, bitrate), QStringLiteral("aac"), false};
    case ExportCodec::hevc: return {videoCodec(settings, true, bitrate), QStringLiteral("aac"), false};
    case ExportCodec::av1:
        return {{QStringLiteral("-c:v"), QStringLiteral("libsvtav1"), QStringLiteral("-preset"), QStringLiteral("6"),
                 QStringLiteral("-crf"), QStringLiteral("22"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                 QStringLiteral("-tag:v"), QStringLiteral("av01"), QStringLiteral("-movflags"),
                 QStringLiteral("+faststart")},
                QStringLiteral("aac"),
                false};
    case ExportCodec::prores:
        return {{QStringLiteral("-c:v"), QStringLiteral("prores_ks"), QStringLiteral("-profile:v"), QStringLiteral("3"),
                 QStringLiteral("-pix_fmt"), QStringLiteral("yuv422p10le")},
                QStringLiteral("pcm_s24le"),
                true};
    case ExportCodec::ffv1: return {losslessVideoArguments(), QStringLiteral("pcm_s24le"), true};
    }
    return {videoCodec(settings, false, bitrate), QStringLiteral("aac"), false};
}

} // namespace kinoloom
