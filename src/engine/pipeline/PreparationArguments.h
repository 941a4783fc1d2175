#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kinoloom::PreparationArguments {

// Compact JSON settings that tell Gyroflow to write "gyro.mov" (ProRes 4444) into `jobFolder`.
QByteArray gyroflowSettings(const QString &jobFolder);

// Gyroflow's command line for one clip; `preset` is left out when empty.
QStringList gyroflow(const QString &jobFolder, const QString &preset, const QString &input);

// The vid.stab analysis pass that writes the motion file. `conversion` (PictureConversion::filters
// of the clip, empty for none) comes first, so that the motion is measured on the pictures that
// the main pass moves.
QStringList motionAnalysis(const QString &input, const QString &motionFile, const QString &conversion = {});

// The filters that correct one clip, in order. `conversion` comes first, empty for none;
// `motionFile` is empty when no motion analysis ran, `lutFile` empty when no conversion LUT
// applies. `colourSpace` is the matrix of the picture the LUT reads (ffprobe's name, empty:
// none), to which it goes back after the LUT, tagged as such, instead of FFmpeg's BT.601.
QStringList filters(const QString &conversion, const QString &motionFile, bool lensCorrection, const QString &lutFile,
                    const QString &colourSpace = {});

// The key of a prepared clip: `fingerprint` (Fingerprint::preparation) itself, as it always was,
// unless the clip's picture is converted first or goes back to its own matrix after the LUT;
// then a key of its own, so an intermediate prepared without either is not reused.
QString key(const QString &fingerprint, const QString &conversion, const QString &lutFile, const QString &colourSpace);

// The pass that writes the prepared clip: a PNG for a still, the lossless intermediate otherwise.
// A still is read as exactly the one file at `input`, whatever its name holds.
QStringList mainPass(const QString &input, const QStringList &filters, bool still, const QString &output);

// Name of the conversion LUT's copy in the job folder: "conversion." and the LUT's extension.
QString conversionFileName(const QString &lutPath);

} // namespace kinoloom::PreparationArguments
