#include "support/MediaInspection.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace kinoloom::test {

namespace {

QByteArray runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return {};
    return process.readAllStandardOutput();
}

} // namespace

MediaFacts inspectMedia(const QString &path)
{
    MediaFacts facts;
    const QJsonObject probe =
        QJsonDocument::fromJson(runTool(QStringLiteral("ffprobe"),
                                        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
                                         QStringLiteral("-show_streams"), QStringLiteral("-show_format"),
                                         QStringLiteral("-of"), QStringLiteral("json"), path}))
            .object();
    for (const QJsonValue &value : probe.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject stream = value.toObject();
        const QString type = stream.value(QStringLiteral("codec_type")).toString();
        if (type == QStringLiteral("video") && facts.videoCodec.isEmpty()) {
            facts.videoCodec = stream.value(QStringLiteral("codec_name")).toString();
            facts.width = stream.value(QStringLiteral("width")).toInt();
            facts.height = stream.value(QStringLiteral("height")).toInt();
            facts.videoFrames = stream.value(QStringLiteral("nb_read_frames")).toString().toLongLong();
        } else if (type == QStringLiteral("audio") && facts.audioCodec.isEmpty()) {
            facts.audioCodec = stream.value(QStringLiteral("codec_name")).toString();
            facts.sampleRate = stream.value(QStringLiteral("sample_rate")).toString().toInt();
            facts.channels = stream.value(QStringLiteral("channels")).toInt();
        }
    }
    facts.formatDuration = probe.value(QStringLiteral("format")).toObject().value(QStringLiteral("duration")).toString().toDouble();

    const QByteArray packets = runTool(QStringLiteral("ffprobe"),
                                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                                        QStringLiteral("a:0"), QStringLiteral("-show_entries"),
                                        QStringLiteral("packet=duration_time"), QStringLiteral("-of"),
                                        QStringLiteral("csv=p=0"), path});
    for (const QByteArray &line : packets.split('\n'))
        facts.audioSeconds += line.trimmed().toDouble();
    return facts;
}

QByteArray firstFrameLuma(const QString &path)
{
    return runTool(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-i"), path,
                    QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("rawvideo"),
                    QStringLiteral("-pix_fmt"), QStringLiteral("gray"), QStringLiteral("-")});
}

} // namespace kinoloom::test
