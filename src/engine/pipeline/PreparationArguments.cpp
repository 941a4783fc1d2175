#include "engine/pipeline/PreparationArguments.h"

#include "engine/media/FFmpegText.h"
#include "engine/pipeline/GradePlan.h"
#include "engine/pipeline/Pipeline.h"
#include "model/Fingerprint.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace kinoloom::PreparationArguments {

QByteArray gyroflowSettings(const QString &jobFolder)
{
    const QJsonObject settings{
        {QStringLiteral("output_path"), jobFolder},
        {QStringLiteral("output_filename"), QStringLiteral("gyro.mov")},
        {QStringLiteral("codec"), QStringLiteral("ProRes")},
        {QStringLiteral("codec_options"), QStringLiteral("4444")},
        {QStringLiteral("use_gpu"), false},
    };
    return QJsonDocument(settings).toJson(QJsonDocument::Compact);
}

QStringList gyroflow(const QString &jobFolder, const QString &preset, const QString &input)
{
    QStringList args{QStringLiteral("--no-gpu-decoding"), QStringLiteral("-f"), QStringLiteral("-p"),
                     QString::fromUtf8(gyroflowSettings(jobFolder))};
    if (!preset.isEmpty())
        args << QStringLiteral("--preset") << preset;
    args << input;
    return args;
}

QStringList motionAnalysis(const QString &input, const QString &motionFile, const QString &conversion)
{
    const QString first = conversion.isEmpty() ? QString() : conversion + QLatin1Char(',');
    return {QStringLiteral("-i"),
            input,
            QStringLiteral("-vf"),
            first + QStringLiteral("vidstabdetect=shakiness=10:result=") + filterOptionPath(motionFile),
            QStringLiteral("-an"),
            QStringLiteral("-f"),
            QStringLiteral("null"),
            QStringLiteral("-")};
}

namespace {

// The matrix the LUT's R'G'B' goes back with, when it is not the scaler's own BT.601.
std::optional<QString> lutReturnMatrix(const QString &lutFile, const QString &colourSpace)
{
    return lutFile.isEmpty() ? std::nullopt : GradePlan::scalerMatrix(colourSpace);
}

} // namespace

QStringList filters(const QString &conversion, const QString &motionFile, bool lensCorrection, const QString &lutFile,
                    const QString &colourSpace)
{
    QStringList list;
    if (!conversion.isEmpty())
        list << conversion;
    if (!motionFile.isEmpty())
        list << QStringLiteral("vidstabtransform=input=%1:zoom=0:optzoom=0").arg(filterOptionPath(motionFile));
    if (lensCorrection)
        list << QStringLiteral("lenscorrection=cx=0.18:cy=0.18,crop=iw*0.86:ih*0.86");
    if (!lutFile.isEmpty())
        list << QStringLiteral("lut3d=file=%1:interp=tetrahedral").arg(filterOptionPath(lutFile));
    // The LUT works in R'G'B'; FFmpeg would come back in BT.601 and drop the matrix from the
    // file, shifting the colours of BT.709 and BT.2020 pictures.
    if (const std::optional<QString> matrix = lutReturnMatrix(lutFile, colourSpace)) {
        list << QStringLiteral("scale=out_color_matrix=%1,format=yuv444p16le,setparams=colorspace=%2")
                    .arg(*matrix, colourSpace);
    }
    return list;
}

QString key(const QString &fingerprint, const QString &conversion, const QString &lutFile, const QString &colourSpace)
{
    const std::optional<QString> matrix = lutReturnMatrix(lutFile, colourSpace);
    if (conversion.isEmpty() && !matrix)
        return fingerprint;
    return Fingerprint::data((fingerprint + QStringLiteral("|picture=") + conversion + QStringLiteral("|lutMatrix=")
                              + matrix.value_or(QString()))
                                 .toUtf8());
}

QStringList mainPass(const QString &input, const QStringList &filters, bool still, const QString &output)
{
    QStringList args;
    if (still)
        args += singlePictureFormat();
    args << QStringLiteral("-i") << input;
    if (!filters.isEmpty())
        args << QStringLiteral("-vf") << filters.join(QLatin1Char(','));
    // "-update 1": the image writer would otherwise read a "%d" in the project's path as a frame
    // number and write the picture somewhere else.
    if (still)
        args << QStringLiteral("-frames:v") << QStringLiteral("1") << QStringLiteral("-update") << QStringLiteral("1");
    else
        args << Pipeline::losslessVideoArguments() << Pipeline::losslessAudioArguments();
    args << output;
    return args;
}

QString conversionFileName(const QString &lutPath)
{
    return QStringLiteral("conversion.") + QFileInfo(lutPath).suffix();
}

} // namespace kinoloom::PreparationArguments
