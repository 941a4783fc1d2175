#pragma once

// The one way numbers and paths are written into FFmpeg argument lists and filter graphs.

#include <QString>

namespace kinoloom {

// The shortest decimal text that reads back to the same double, in fixed notation and with a
// fractional part on whole values ("1.0", "0.000008"). FFmpeg 5.1 rejects exponent form in
// several options ("-ss 8e-06"), so it is never produced. Throws StudioError on NaN or infinity.
QString ffmpegNumber(double value);

QString ffmpegInteger(qint64 value);

// An absolute path as the value of a filter option inside a filter graph: escaped first for the
// option value (\ ' :) and then for the graph (\ ' [ ] , ;).
QString filterOptionPath(const QString &absolutePath);

} // namespace kinoloom
