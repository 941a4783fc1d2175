#pragma once

#include "session/YCbCr.h"

#include <QImage>

class QVideoFrame;

namespace kinoloom {

// The matrix a player's frame was decoded with: the one its file names, else the one players
// assume for its size.
YCbCrMatrix videoFrameMatrix(const QVideoFrame &frame);

// The picture of a player's frame, turned upright for showing, converted by our own code for
// every Y'CbCr layout (QVideoFrame::toImage() crashes on 4:2:2 frames in Qt 6.4); other
// layouts go through Qt's conversion. `unclipped` gives the floating-point image that keeps
// values outside 0...1, for grading; otherwise RGB32. Null for a frame that cannot be read.
// Any thread.
QImage videoFrameImage(const QVideoFrame &frame, bool unclipped);

} // namespace kinoloom
