#include "support/MediaFacts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <algorithm>
#include <cmath>

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
            facts.sampleAspectRatio = stream.value(QStringLiteral("sample_aspect_ratio")).toString();
            facts.pixelFormat = stream.value(QStringLiteral("pix_fmt")).toString();
        } else if (type == QStringLiteral("audio") && facts.audioCodec.isEmpty()) {
            facts.audioCodec = stream.value(QStringLiteral("codec_name")).toString();
            facts.sampleRate = stream.value(QStringLiteral("sample_rate")).toString().toInt();
            facts.channels = stream.value(QStringLiteral("channels")).toInt();
            facts.channelLayout = stream.value(QStringLiteral("channel_layout")).toString();
        }
    }
    facts.formatDuration =
        probe.value(QStringLiteral("format")).toObject().value(QStringLiteral("duration")).toString().toDouble();

    // Decoded samples, not packet times: the container's last packet may carry no duration.
    const QByteArray samples = runTool(QStringLiteral("ffmpeg"),
                                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                                        QStringLiteral("-i"), path, QStringLiteral("-map"), QStringLiteral("0:a:0"),
                                        QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ac"),
                                        QStringLiteral("1"), QStringLiteral("-")});
    if (facts.sampleRate > 0)
        facts.audioSeconds = double(samples.size() / 2) / facts.sampleRate;
    return facts;
}

QByteArray firstFrameLuma(const QString &path)
{
    return runTool(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-i"),
                    path, QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-f"),
                    QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("gray"),
                    QStringLiteral("-")});
}

double lumaSpread(const QByteArray &luma)
{
    if (luma.isEmpty())
        return 0;
    double sum = 0;
    double squares = 0;
    for (const char c : luma) {
        sum += uchar(c);
        squares += double(uchar(c)) * uchar(c);
    }
    const double mean = sum / luma.size();
    return std::sqrt(std::max(squares / luma.size() - mean * mean, 0.0));
}

QByteArray frameRgb(const QString &path, double seconds)
{
    QStringList arguments{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin")};
    // A seek in a still, even to 0, finds no picture.
    if (seconds > 0)
        arguments << QStringLiteral("-ss") << QString::number(seconds, 'f', 3);
    arguments << QStringLiteral("-i") << path << QStringLiteral("-frames:v") << QStringLiteral("1")
              << QStringLiteral("-f") << QStringLiteral("rawvideo") << QStringLiteral("-pix_fmt")
              << QStringLiteral("rgb24") << QStringLiteral("-");
    return runTool(QStringLiteral("ffmpeg"), arguments);
}

double combing(const QByteArray &luma, int width)
{
    const qsizetype rows = width > 0 ? luma.size() / width : 0;
    if (rows < 3)
        return -1; // no picture to measure
    const auto meanDifference = [&](int step) {
        double sum = 0;
        qsizetype count = 0;
        for (qsizetype y = 0; y + step < rows; ++y) {
            for (qsizetype x = 0; x < width; ++x) {
                sum += std::abs(int(uchar(luma[y * width + x])) - int(uchar(luma[(y + step) * width + x])));
                ++count;
            }
        }
        return count > 0 ? sum / count : 0.0;
    };
    const double twoApart = meanDifference(2);
    return twoApart > 0 ? meanDifference(1) / twoApart : 0;
}

double toneAmplitude(const QString &path, int channel, double frequency)
{
    const QByteArray bytes = runTool(QStringLiteral("ffmpeg"),
                                     {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                                      QStringLiteral("-i"), path, QStringLiteral("-map"), QStringLiteral("0:a:0"),
                                      QStringLiteral("-af"), QStringLiteral("pan=mono|c0=c%1").arg(channel),
                                      QStringLiteral("-ar"), QStringLiteral("48000"), QStringLiteral("-f"),
                                      QStringLiteral("s16le"), QStringLiteral("-")});
    // A single-frequency Fourier sum over a whole number of its periods' worth of samples.
    const qsizetype begin = 24000;
    const qsizetype end = std::min<qsizetype>(48000, bytes.size() / 2);
    if (end <= begin)
        return 0;
    const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData());
    double real = 0;
    double imaginary = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const double phase = 2 * M_PI * frequency * double(i) / 48000;
        real += samples[i] * std::cos(phase);
        imaginary += samples[i] * std::sin(phase);
    }
    return 2 * std::hypot(real, imaginary) / double(end - begin) / 32768;
}

} // namespace kinoloom::test
