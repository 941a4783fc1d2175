#pragma once

// The one way numbers and paths are written into FFmpeg argument lists and filter graphs.

#include <QString>
#include <QStringList>

namespace kinoloom {

// The shortest decimal text that reads back to the same double, in fixed notation and with a
// fractional part on whole values ("1.0", "0.000008"). FFmpeg 5.1 rejects exponent form in
// several options ("-ss 8e-06"), so it is never produced. Throws StudioError on NaN or infinity.
QString ffmpegNumber(double value);

QString ffmpegInteger(qint64 value);

// An absolute path as the value of a filter option inside a filter graph: escaped first for the
// option value (\ ' :) and then for the graph (\ ' [ ] , ;).
QString filterOptionPath(const QString &absolutePath);

// FFmpeg's image reader takes a "%d" in a file name for the number of a numbered sequence, so a
// folder named "Trip 50%done" would hide every picture in it. These read a still as exactly the
// one file at its path.
//
// The format arguments for ffprobe, or for an FFmpeg run that reads one picture: the pipe reader
// takes the path as a plain file and tells the picture's format from its bytes, so a PNG named
// ".jpg" is still read.
QStringList singlePictureFormat();
// The input arguments of a still repeated at `fps` frames a second. Only the file reader can
// repeat a picture, and it tells the format from the extension alone: `decoder` (a codec name as
// the probe reports it, such as "png" or "mjpeg") overrides that guess when it is not empty.
QStringList loopedPictureInput(const QString &path, int fps, const QString &decoder);
// The same picture read once, as one frame that lasts 1/`fps` of a second.
QStringList pictureInput(const QString &path, int fps, const QString &decoder);

} // namespace kinoloom
