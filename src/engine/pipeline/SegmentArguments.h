#pragma once

#include "engine/media/ProbeResult.h"
#include "model/ClipGrade.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace kinoloom::SegmentArguments {

// The grade a clip's segment is rendered with: none for an end clip, the project grade when it
// applies to every clip, otherwise the clip's own grade or the neutral one.
std::optional<ClipGrade> effectiveGrade(const MediaAsset &clip, const ProcessingSettings &settings);

// The creative look is blended only when asked for and when it would change the picture.
bool appliesLook(const std::optional<ClipGrade> &grade, bool stylish);

// Name of the look's copy in the render job folder: "look." and the LUT's extension.
QString lookFileName(const QString &lutPath);

// Where a movie segment starts in its source; `probedDuration` is the source file's length.
double startTime(const MediaAsset &clip, const ProcessingSettings &settings, double probedDuration, double duration,
                 bool tail);

// A frame dimension enlarged by the crop zoom, truncated to an even number of at least 2.
int zoomedDimension(double cropScale, int size);

// The pixel formats a segment is kept in. The film lays its titles over an 8-bit R'G'B' picture,
// so a segment of 8-bit sources is kept as exactly that picture: the film is rounded to 8 bits
// once, where it always was, and comes out the same. Deeper sources keep 16-bit 4:4:4 (as did
// every segment rendered before the 8-bit one existed).
inline const QString eightBitPixelFormat = QStringLiteral("bgr0");
inline const QString deepPixelFormat = QStringLiteral("yuv444p16le");
QString pixelFormatFor(bool fitsIn8Bits);

// What a segment's chain needs to know of the picture of its source file, and how it is kept.
struct SourcePicture
{
    // Filters that come before all others (PictureConversion::filters); empty for none.
    QString conversion;
    // The matrix of the picture after them, as ffprobe names it (empty: none), which the picture
    // returns to after R'G'B' grade stages.
    QString colourSpace;
    // How many times a movie's last picture may be repeated to fill the length asked of it: it
    // may end up to a frame early, and more where the segment reaches past the end of the
    // picture its file declares. A picture that ends earlier still leaves the segment short.
    int heldFrames = 1;
    // The pixel format the segment keeps the picture in.
    QString pixelFormat = deepPixelFormat;
    // Where the film's frame is larger than the segment's, the size an 8-bit segment is taken up
    // to before it is rounded to 8 bits, by the very scale the film's title step made of the
    // deeper picture; empty where the segment stays at its own size.
    QSize delivered;
    // Rendered as before (Pipeline::legacyRendering): the look mixed by blend's expression.
    bool legacy = false;
};

// What `probe` (of the file the segment reads) says of its picture, for a segment that ends at
// `end` seconds into that file at `fps` frames a second.
SourcePicture sourcePicture(const ProbeResult &probe, double end, int fps);

// The whole -vf chain of a segment. `lookPath` is the absolute path of the look copy, empty
// when no look is blended. A still's segment may be made in pieces (stillPieces): the chain of
// the piece that starts at the segment's frame `firstFrame` zooms on from there.
QString videoFilter(const MediaAsset &clip, const ProcessingSettings &settings, int width, int height, double duration,
                    const std::optional<ClipGrade> &grade, const QString &lookPath, const SourcePicture &source = {},
                    qint64 firstFrame = 0);

// The grade pieces of the chain, each beginning with a comma; empty for a neutral grade.
QString gradeFilter(const ClipGrade &grade, const QString &lookPath, const SourcePicture &source = {});

struct Input
{
    QString source; // the prepared file, or the clip's own
    bool still = false;
    QString decoder; // stills only: the picture's codec as probed, empty when unknown
    double start = 0; // movies only
    bool sourceHasAudio = false;
};

// The FFmpeg arguments (without the common prefix) that render one segment into `output`.
// The picture is kept in `pixelFormat`.
QStringList arguments(const Input &input, int fps, const QString &videoFilter, double duration, const QString &output,
                      const QString &pixelFormat = deepPixelFormat);

// A still's segment is the same picture frame after frame, only zoomed further, so its frames
// can be made apart and side by side: the zoom and the grade of one frame run on a single
// thread, which leaves most of the machine idle while a long still renders alone.
struct StillPiece
{
    qint64 firstFrame = 0;
    qint64 frames = 0;
};
// The pieces a still's segment of `frames` frames is made in: at most `atMost`, none shorter
// than half a second at `fps`, in order and together every frame. One piece where it is too
// short to share.
QList<StillPiece> stillPieces(qint64 frames, int fps, int atMost);
// How many frames a segment of `duration` seconds at `fps` holds: those that start before its end.
qint64 frameCount(double duration, int fps);
// The FFmpeg arguments (without the common prefix) that render one piece of a still's segment,
// its picture only, into `output`.
QStringList pieceArguments(const Input &input, int fps, const QString &videoFilter, qint64 frames,
                           const QString &output, const QString &pixelFormat);
// The FFmpeg arguments (without the common prefix) that join the pieces listed in the concat list
// `list`, `frames` frames in all, into the segment `output`, with the silence every still's
// segment carries. Each piece's frames are timed from its own start, in whole milliseconds; they
// are timed again from the segment's start, so that every frame keeps the time it has in a
// segment made in one run.
QStringList joinArguments(const QString &list, int fps, qint64 frames, double duration, const QString &output);

} // namespace kinoloom::SegmentArguments
