#include "engine/pipeline/Pipeline.h"

#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/FileError.h"
#include "model/StudioError.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace kinoloom {

QString Pipeline::concatList(const QStringList &segments, const QString &directory, const QString &name)
{
    QStringList lines;
    for (const QString &segment : segments) {
        QString escaped = segment;
        escaped.replace(QStringLiteral("'"), QStringLiteral("'\\''"));
        lines.append(QStringLiteral("file '") + escaped + QLatin1Char('\''));
    }
    const QString path = QDir(directory).filePath(name + QStringLiteral(".txt"));
    QSaveFile file(path);
    const QByteArray bytes = lines.join(QLatin1Char('\n')).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw FileError(QStringLiteral("write"), path, file.errorString());
    return path;
}

QStringList Pipeline::concatInput(const QString &list)
{
    return {QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"),
            QStringLiteral("0"),  QStringLiteral("-i"),     list};
}

void Pipeline::requireUsableMovie(const QString &path) const
{
    const QString failure = QStringLiteral("The rendered movie produced no usable output.");
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= 0)
        throw StudioError(failure);
    QString report;
    try {
        report = runner->runFFprobe({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                                     QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                                     QStringLiteral("stream=codec_type:format=duration"), QStringLiteral("-of"),
                                     QStringLiteral("json"), path});
    } catch (const ProcessFailure &) {
        throw StudioError(failure);
    }
    const QJsonObject probe = QJsonDocument::fromJson(report.toUtf8()).object();
    const QJsonArray streams = probe.value(QStringLiteral("streams")).toArray();
    bool ok = false;
    const double duration =
        probe.value(QStringLiteral("format")).toObject().value(QStringLiteral("duration")).toString().toDouble(&ok);
    if (streams.isEmpty() || !ok || !(duration > 0))
        throw StudioError(failure);
}

} // namespace kinoloom
