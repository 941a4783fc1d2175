#include "model/Fingerprint.h"

#include "model/CanonicalJson.h"
#include "model/FileError.h"
#include "model/FileOperations.h"
#include "model/StudioProject.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace kinoloom::Fingerprint {

namespace {

QJsonObject preparationSettings(const ProcessingSettings &settings)
{
    QJsonObject object;
    object.insert(QStringLiteral("conversionLUT"), settings.conversionLUT);
    object.insert(QStringLiteral("gyroflow"), settings.gyroflow);
    object.insert(QStringLiteral("gyroPreset"), settings.gyroflow ? settings.gyroPreset : QString());
    object.insert(QStringLiteral("fisheye"), settings.fisheye);
    object.insert(QStringLiteral("vidstab"), settings.vidstab);
    return object;
}

// The files besides the clips whose content shapes a render; replacing one in place must not
// reuse a film made from the old one.
QStringList renderInputFiles(const QList<MediaAsset> &assets, const ProcessingSettings &settings)
{
    QStringList files{settings.music, settings.conversionLUT, settings.stylishLUT};
    if (settings.gyroflow)
        files.append(settings.gyroPreset);
    for (const MediaAsset &asset : assets) {
        if (asset.grade)
            files.append(asset.grade->stylishLUT);
    }
    files.removeAll(QString());
    files.removeDuplicates();
    return files;
}

} // namespace

QString data(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString file(const QString &path)
{
    const QString standardised = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct stat attributes = {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(standardised).constData(), &attributes) != 0) {
        const int error = path.isEmpty() ? ENOENT : errno;
        throw FileError(QStringLiteral("read the attributes of"), path.isEmpty() ? standardised : path,
                        systemReason(error));
    }
    const QString modified = QDateTime::fromSecsSinceEpoch(attributes.st_mtim.tv_sec, Qt::UTC)
                                 .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return standardised + QLatin1Char('|') + QString::number(qint64(attributes.st_size)) + QLatin1Char('|') + modified
        + QStringLiteral(" +0000|") + QString::number(quint64(attributes.st_ino));
}

QString contents(const QString &path)
{
    return data(readFileBytes(path));
}

QString preparation(const MediaAsset &asset, const ProcessingSettings &settings)
{
    const QJsonObject record = preparationSettings(settings);
    QByteArray text = QByteArrayLiteral("kinoloom-pipeline-3-lossless|");
    text += file(asset.path).toUtf8();
    text += canonicalJson(record);
    if (!settings.conversionLUT.isEmpty())
        text += contents(settings.conversionLUT).toLatin1();
    const QString preset = record.value(QStringLiteral("gyroPreset")).toString();
    if (!preset.isEmpty())
        text += contents(preset).toLatin1();
    return data(text);
}

QString render(const StudioProject &project, bool preview)
{
    return render(project.assets, project.settings, preview);
}

QString render(const QList<MediaAsset> &assets, const ProcessingSettings &settings, bool preview)
{
    QByteArray text = preview ? QByteArrayLiteral("preview=true") : QByteArrayLiteral("preview=false");
    text += canonicalJson(settings.toJson());
    for (MediaAsset asset : assets) {
        asset.thumbnail.reset();
        asset.preparation = QStringLiteral("Original");
        asset.preparedPath.reset();
        asset.preparationKey.reset();
        text += canonicalJson(asset.toJson());
    }
    for (const MediaAsset &asset : assets)
        text += file(asset.path).toUtf8();
    for (const QString &input : renderInputFiles(assets, settings))
        text += file(input).toUtf8();
    return data(text);
}

} // namespace kinoloom::Fingerprint
