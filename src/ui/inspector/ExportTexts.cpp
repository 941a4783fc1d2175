#include "ui/inspector/ExportTexts.h"

#include "engine/pipeline/Pipeline.h"
#include "model/ExportResolution.h"
#include "model/PathText.h"

namespace kinoloom::exportTexts {

namespace {

QString forCodec(ExportCodec codec, std::initializer_list<const char *> texts)
{
    return QString::fromUtf8(std::data(texts)[int(codec)]);
}

} // namespace

QString codecSummary(ExportCodec codec)
{
    return forCodec(codec,
                    {"Best overall for YouTube. Fast, compatible, and compact.",
                     "Smaller than H.264, with slower rendering and less compatibility.",
                     "Small files and strong quality, with the slowest rendering.",
                     "High quality and easy to edit, but creates much larger files.",
                     "Lossless archive quality. Use this only when file size is not a concern."});
}

QString softwareEncodingHelp(ExportCodec codec)
{
    const char *hardware =
        "The hardware encoder is faster. Use software encoding only if hardware encoding is unavailable.";
    return forCodec(
        codec,
        {hardware, hardware,
         "AV1 uses SVT-AV1 for the main film. This switch only changes H.264/HEVC previews and Shorts.",
         "ProRes uses its own software encoder. This switch only changes H.264/HEVC previews and Shorts.",
         "FFV1 stays lossless for the main film. This switch only changes H.264/HEVC previews and Shorts."});
}

QString format(ExportCodec codec)
{
    return shortTitle(codec) + QStringLiteral(" · ") + fileExtension(codec).toUpper();
}

QString sound(ExportCodec codec)
{
    const bool pcm = codec == ExportCodec::prores || codec == ExportCodec::ffv1;
    return pcm ? QStringLiteral("PCM · 24-bit · 48 kHz") : QStringLiteral("AAC · 384 kbps");
}

QString encoder(ExportCodec codec, bool softwareEncoding, bool hardwareWorks)
{
    switch (codec) {
    case ExportCodec::av1: return QStringLiteral("SVT-AV1");
    case ExportCodec::prores: return QStringLiteral("ProRes KS");
    case ExportCodec::ffv1: return QStringLiteral("FFV1");
    case ExportCodec::h264:
    case ExportCodec::hevc: break;
    }
    return softwareEncoding || !hardwareWorks ? QStringLiteral("Software") : QStringLiteral("Hardware encoder");
}

QString resolutionSummary(const ProcessingSettings &settings, const QList<MediaAsset> &sequence)
{
    const ExportResolution resolution = settings.selectedExportResolution();
    if (resolution != ExportResolution::source || sequence.isEmpty())
        return title(resolution);
    const QSize size = Pipeline::exportSize(resolution, sequence, settings);
    return QStringLiteral("Auto · %1 × %2").arg(size.width()).arg(size.height());
}

QString requirements(const QStringList &missing)
{
    return QStringLiteral("Required before export: ") + missing.join(QStringLiteral(", "));
}

QString percent(double value)
{
    return QString::asprintf("%.2f%%", value);
}

QString music(const QString &path)
{
    return path.isEmpty() ? QStringLiteral("None") : path::lastComponent(path);
}

QString outputPath(const std::optional<QString> &path)
{
    return path && !path->isEmpty() ? *path : QStringLiteral("Project Exports folder");
}

} // namespace kinoloom::exportTexts
