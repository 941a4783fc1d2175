#include "engine/pipeline/SegmentConcurrency.h"

#include <QFile>

#include <algorithm>
#include <limits>

#include <sched.h>

namespace kinoloom {

namespace {

constexpr qint64 baseBytes = 256LL * 1024 * 1024;
// 16-bit 4:4:4: six bytes a pixel, the widest intermediate a segment may use.
constexpr qint64 bytesPerPixel = 6;
constexpr qint64 framesInFlight = 32;

int processors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(CPU_COUNT(&set), 1);
    return 1;
}

// "MemAvailable:" of /proc/meminfo in bytes; 0 when it cannot be read.
qint64 availableMemory()
{
    QFile info(QStringLiteral("/proc/meminfo"));
    if (!info.open(QIODevice::ReadOnly))
        return 0;
    // A file of /proc reports no size: read it line by line.
    for (QByteArray line = info.readLine(); !line.isEmpty(); line = info.readLine()) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        bool number = false;
        const qint64 kibibytes = fields.size() >= 2 ? fields.at(1).toLongLong(&number) : 0;
        return number && kibibytes > 0 ? kibibytes * 1024 : 0;
    }
    return 0;
}

} // namespace

qint64 SegmentConcurrency::memoryPerRun(QSize frame)
{
    const qint64 pixels = qint64(std::max(frame.width(), 1)) * std::max(frame.height(), 1);
    return baseBytes + framesInFlight * bytesPerPixel * pixels;
}

SegmentConcurrency SegmentConcurrency::plan(int segments, int stills, QSize frame, int processors,
                                            qint64 availableMemory, int atMost)
{
    processors = std::max(processors, 1);
    int atOnce = std::min(segments, processors);
    if (atMost > 0)
        atOnce = std::min(atOnce, atMost);
    const qint64 runsInMemory = availableMemory > 0 ? availableMemory / 2 / memoryPerRun(frame)
                                                    : std::numeric_limits<int>::max();
    atOnce = int(std::min<qint64>(atOnce, runsInMemory));
    atOnce = std::max(atOnce, 1);
    // The stills that may run at once share the runs left over by one a segment. A still is
    // heavier than a clip of its length, and with no more than its share of threads it would
    // finish alone, long after the clips beside it, with most of the machine idle.
    const qint64 stillsAtOnce = std::clamp(stills, 1, atOnce);
    const qint64 spareRuns = std::min<qint64>(processors - atOnce, runsInMemory - atOnce);
    const int stillPieces = atMost == 1 || stills <= 0 ? 1
                                                       : int(std::clamp<qint64>(1 + spareRuns / stillsAtOnce, 1, 4));
    if (atOnce == 1)
        return {1, 0, stillPieces};
    // Rounded up: a run that finishes early leaves its processors to those still running.
    return {atOnce, (processors + atOnce - 1) / atOnce, stillPieces};
}

SegmentConcurrency SegmentConcurrency::forMachine(int segments, int stills, QSize frame, int atMost)
{
    return plan(segments, stills, frame, processors(), availableMemory(), atMost);
}

} // namespace kinoloom
