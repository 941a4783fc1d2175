#pragma once

// Everything that shapes the pixels and sound of one rendered segment. Its key names the segment
// in the segment cache and beside a segment in a render job folder.

#include "model/ClipGrade.h"
#include "model/ClipRole.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace kinoloom {

struct MediaAsset;
struct ProcessingSettings;

struct RenderSegmentIdentity
{
    int version = 6;
    QString source;
    double duration = 0;
    int width = 0;
    int height = 0;
    int fps = 0;
    bool image = false;
    ClipRole role = ClipRole::main;
    bool tail = false;
    bool trim = false;
    std::optional<double> clipStart;
    std::optional<double> clipEnd;
    double cropScale = 1;
    bool stillZoom = false;
    // True only where the five-second cap moves the segment's start: a preview takes five
    // seconds of a long clip with the cap on or off, from different places. Left out of the JSON
    // when false, so the keys of every other segment stay as they were.
    bool fiveSecondClipCap = false;
    std::optional<ClipGrade> grade;
    QString lutContent;
    // True where the grade takes the picture through R'G'B' (levels, curve, colour balance or a
    // look), which since this was added comes back to Y'CbCr in the source's own matrix. Left out
    // of the JSON when false, so the keys of other segments stay as they were.
    bool keepsSourceMatrix = false;
    // The matrix such a segment is tagged with after its R'G'B' stages (ffprobe's name), when it
    // is not BT.601; empty otherwise. Segments made before they were tagged have no such entry.
    QString sourceMatrixTag;
    // The filters that bring the source's picture to progressive SDR first (deinterlacing, tone
    // mapping), which the caller sets from its probe. Left out of the JSON when empty, so the keys
    // of segments of every other source stay as they were.
    QString pictureConversion;
    // The pixel format the segment keeps its picture in, which the caller sets. Left out of the
    // JSON for the 16-bit 4:4:4 that every older segment was kept in, so those stay valid, and an
    // 8-bit segment is never taken for one of them or the other way round.
    QString pixelFormat = QStringLiteral("yuv444p16le");
    // "<width>x<height>" of the frame an 8-bit segment is scaled up to at its end, where that is
    // larger than width × height; empty (and left out of the JSON) where it keeps its own size.
    QString deliveredSize;

    bool operator==(const RenderSegmentIdentity &) const = default;

    // The identity of `clip` rendered at width × height for `duration` seconds. Reads the source
    // file's attributes and, for a stylish segment with a creative LUT at non-zero strength, the
    // LUT's bytes; throws FileError when they cannot be read.
    static RenderSegmentIdentity make(const MediaAsset &clip, const ProcessingSettings &settings, int width, int height,
                                      double duration, bool tail, bool stylish);

    // Throws JsonError on a number that is not finite.
    QJsonObject toJson() const;
    // 64 lower-case hexadecimal digits.
    QString key() const;
    // key() + ".mkv"
    QString cacheName() const;
};

} // namespace kinoloom
