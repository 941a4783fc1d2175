#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kinoloom::PreparationArguments {

// Compact JSON settings that tell Gyroflow to write "gyro.mov" (ProRes 4444) into `jobFolder`.
QByteArray gyroflowSettings(const QString &jobFolder);

// Gyroflow's command line for one clip; `preset` is left out when empty.
QStringList gyroflow(const QString &jobFolder, const QString &preset, const QString &input);

// The vid.stab analysis pass that writes the motion file.
QStringList motionAnalysis(const QString &input, const QString &motionFile);

// The filters that correct one clip, in order. `motionFile` is empty when no motion analysis ran,
// `lutFile` empty when no conversion LUT applies.
QStringList filters(const QString &motionFile, bool lensCorrection, const QString &lutFile);

// The pass that writes the prepared clip: a PNG for a still, the lossless intermediate otherwise.
// A still is read as exactly the one file at `input`, whatever its name holds.
QStringList mainPass(const QString &input, const QStringList &filters, bool still, const QString &output);

// Name of the conversion LUT's copy in the job folder: "conversion." and the LUT's extension.
QString conversionFileName(const QString &lutPath);

} // namespace kinoloom::PreparationArguments
