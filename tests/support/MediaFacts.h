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
    QString pixelFormat; // of the first video stream, e.g. "yuv444p"
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

// The frame of `path` shown at `seconds` as 8-bit R'G'B' rows, three bytes a pixel, converted as
// the file's own colour tags say.
QByteArray frameRgb(const QString &path, double seconds);

// How much a picture combs: the mean difference between neighbouring lines over the mean
// difference between lines two apart, of 8-bit grey pixels `width` wide. About 0.5 to 0.6 for a
// progressive picture; above 1 where the lines alternate between two moments; -1 without a picture.
double combing(const QByteArray &luma, int width);

// The amplitude (0 to 1) of a `frequency` Hz tone in `channel` of the first audio stream of
// `path`, measured over the second half-second.
double toneAmplitude(const QString &path, int channel, double frequency);

} // namespace kinoloom::test
