#pragma once

#include <QByteArray>
#include <QString>

namespace kinoloom {

// What ffprobe tells about one media file. Every engine step that needs a file's length, size,
// frame rate, sound or codec reads it from here.
struct ProbeResult
{
    // Seconds the clip lasts: its picture's, from the first video stream (or, in Matroska, that
    // stream's DURATION tag), so that sound outlasting the picture does not lengthen it; the
    // container's when the stream states none.
    double duration = 0;
    int width = 0; // of the first video stream, as displayed (a quarter turn swaps the stored size)
    int height = 0;
    double fps = 0; // average frame rate of the first video stream
    bool hasAudio = false;
    QString codec = QStringLiteral("unknown"); // of the first video stream, e.g. "ffv1", "png"
    QString audioCodec = QStringLiteral("unknown"); // of the first audio stream
    // The Y'CbCr matrix the first video stream is tagged with, as ffprobe names it ("bt709",
    // "bt470bg", "bt2020nc", ...); empty when the file names none.
    QString colourSpace;
    // The transfer ("bt709", "smpte2084", "arib-std-b67", ...), primaries ("bt709", "bt2020",
    // ...) and range ("tv", "pc") the first video stream declares; empty when it names none.
    QString colourTransfer;
    QString colourPrimaries;
    QString colourRange;
    // How the first video stream stores its fields, as ffprobe names it: "progressive", or
    // "tt", "bb", "tb", "bt" for interlaced pictures; empty when the file does not say.
    QString fieldOrder;
    // How the first video stream stores its samples, as ffprobe names it ("yuv420p",
    // "yuv422p10le", "rgb48be", ...); empty when the file does not say.
    QString pixelFormat;

    bool operator==(const ProbeResult &) const = default;

    // A picture with a high-dynamic-range transfer: PQ (SMPTE ST 2084) or HLG (ARIB STD-B67).
    bool isHDR() const;
    // A picture stored as two fields from different moments.
    bool isInterlaced() const;
    // Whether the field shown first is the top one; meaningful only when interlaced.
    bool topFieldFirst() const;
    // Whether every sample of the picture fits in 8 bits. An unknown or unfamiliar pixel format
    // counts as deeper, so that nothing of it is lost.
    bool fitsIn8Bits() const;

    // Reads the JSON of `ffprobe -show_streams -show_format -of json`. Stills count as video
    // (ffprobe reports them as a video stream). Throws StudioError "No readable video or image in
    // <fileName>." when there is no video stream, and StudioError when the text is not JSON.
    // Missing or malformed members read as their defaults above.
    static ProbeResult fromFFprobeJson(const QByteArray &json, const QString &fileName);
};

} // namespace kinoloom
