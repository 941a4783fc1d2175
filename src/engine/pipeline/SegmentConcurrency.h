#pragma once

#include <QSize>
#include <QtGlobal>

namespace kinoloom {

// How many segments of one render run at once, and how many threads each of their FFmpeg runs
// takes, so that together they fill the machine's processors without oversubscribing them or
// exhausting its memory.
struct SegmentConcurrency
{
    int segmentsAtOnce = 1;
    int threadsPerRun = 0; // 0: FFmpeg's own choice, for a segment that has the machine to itself
    // How many runs a still's segment may be made in at once (Pipeline::renderStillInPieces): its
    // zoom and grade keep about one processor busy whatever the threads, so a long still would be
    // the one segment the others wait for.
    int stillPieces = 1;

    // For `segments` segments, `stills` of them stills, of `frame` pixels on a machine with
    // `processors` processors and `availableMemory` bytes free (0: unknown). A lone segment keeps
    // FFmpeg's choice of threads; runs at once are at most one a processor and take no more than
    // half the free memory, and no more than `atMost` when that is above 0. A still is made in up
    // to four pieces, as many as the processors and memory left over by one run a segment allow
    // when as many stills as may run at once all take their pieces; in one where `atMost` is 1 or
    // no segment is a still.
    static SegmentConcurrency plan(int segments, int stills, QSize frame, int processors, qint64 availableMemory,
                                   int atMost = 0);
    // The same for this machine as it is now: the processors this process may run on and the
    // memory the system reports available.
    static SegmentConcurrency forMachine(int segments, int stills, QSize frame, int atMost = 0);
    // What one segment run may hold at its peak: FFmpeg itself, and the frames of the lossless
    // intermediate queued in its decoder, filter graph and encoder.
    static qint64 memoryPerRun(QSize frame);
};

} // namespace kinoloom
