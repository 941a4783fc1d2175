#pragma once

#include "model/ExportCodec.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kinoloom {

// The texts of the export section that follow from the settings alone.
namespace exportTexts {

// The codec note under the codec picker.
QString codecSummary(ExportCodec codec);
// The tooltip of the software-encoding switch: what the switch changes for this codec.
QString softwareEncodingHelp(ExportCodec codec);
// "H.264 · MP4": the short title and the container.
QString format(ExportCodec codec);
QString sound(ExportCodec codec);
// The main film's encoder. H.264 and HEVC use the hardware encoder only when software encoding
// is off and the machine's hardware encoder works (`hardwareWorks`), as the render decides.
QString encoder(ExportCodec codec, bool softwareEncoding, bool hardwareWorks);
// The selected size: its title, or for the source size of a non-empty sequence "Auto · " and
// the size the render will make.
QString resolutionSummary(const ProcessingSettings &settings, const QList<MediaAsset> &sequence);
// "Required before export: title, subtitle"
QString requirements(const QStringList &missing);
// "35.00%"
QString percent(double value);
// The music file's name, or "None".
QString music(const QString &path);
// The custom output path, or "Project Exports folder".
QString outputPath(const std::optional<QString> &path);

} // namespace exportTexts

} // namespace kinoloom
