#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace kinoloom::test {

// What a test needs to know about a rendered file, read with the ffprobe and ffmpeg programs
// directly (independent of the engine's own probing).
struct MediaFacts
{
    QString videoCodec;
    QString audioCodec;
    int width = 0;
    int height = 0;
    qint64 videoFrames = 0; // decoded and counted
    QString sampleAspectRatio; // "1:1" for square pixels
    int sampleRate = 0;
    int channels = 0;
    QString channelLayout; // "stereo", "mono", "5.1", "unknown"
    double audioSeconds = 0; // decoded samples over the sample rate
    double formatDuration = 0;
};

// Facts of `path`; every field keeps its default when the file cannot be read.
MediaFacts inspectMedia(const QString &path);

// The first frame of `path` as 8-bit grey pixels.
QByteArray firstFrameLuma(const QString &path);

// Standard deviation of 8-bit grey pixels: near 0 for a plain picture, above 30 for a test pattern.
double lumaSpread(const QByteArray &luma);

} // namespace kinoloom::test
