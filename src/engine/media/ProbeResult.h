#pragma once

#include <QByteArray>
#include <QString>

namespace kinoloom {

// What ffprobe tells about one media file. Every engine step that needs a file's length, size,
// frame rate, sound or codec reads it from here.
struct ProbeResult
{
    double duration = 0; // seconds, of the container
    int width = 0; // of the first video stream, as displayed (a quarter turn swaps the stored size)
    int height = 0;
    double fps = 0; // average frame rate of the first video stream
    bool hasAudio = false;
    QString codec = QStringLiteral("unknown"); // of the first video stream, e.g. "ffv1", "png"
    QString audioCodec = QStringLiteral("unknown"); // of the first audio stream
    // The Y'CbCr matrix the first video stream is tagged with, as ffprobe names it ("bt709",
    // "bt470bg", "bt2020nc", ...); empty when the file names none.
    QString colourSpace;

    bool operator==(const ProbeResult &) const = default;

    // Reads the JSON of `ffprobe -show_streams -show_format -of json`. Stills count as video
    // (ffprobe reports them as a video stream). Throws StudioError "No readable video or image in
    // <fileName>." when there is no video stream, and StudioError when the text is not JSON.
    // Missing or malformed members read as their defaults above.
    static ProbeResult fromFFprobeJson(const QByteArray &json, const QString &fileName);
};

} // namespace kinoloom
