#include "engine/pipeline/RenderSteps.h"

#include "engine/pipeline/ConcurrentRuns.h"
#include "engine/pipeline/Pipeline.h"
#include "engine/pipeline/RenderJob.h"
#include "engine/pipeline/SegmentConcurrency.h"
#include "engine/pipeline/SegmentReports.h"
#include "engine/process/ProcessRunner.h"
#include "model/FileOperations.h"

#include <QDir>

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

namespace kinoloom {

namespace {

struct SegmentWork
{
    const MediaAsset *clip;
    double length;
    bool tail;
    bool stylish;
};

} // namespace

RenderedSegments renderSegments(const Pipeline &pipeline, const RenderPlan &plan, RenderJob &job)
{
    const QString cache = Pipeline::cacheRoot(plan.root);
    const QString segmentCache = QDir(cache).filePath(QStringLiteral("Segments"));

    // Clips, then the opening hooks: a segment's position is its index. A Short takes the end of
    // each hook's selection, and no creative look.
    std::vector<SegmentWork> work;
    QList<double> lengths;
    for (qsizetype i = 0; i < plan.clips.size(); ++i)
        work.push_back({&plan.clips[i], plan.clipLengths[i], plan.isShort(), !plan.isShort()});
    for (qsizetype j = 0; j < plan.openingHooks.size(); ++j)
        work.push_back({&plan.openingHooks[j], plan.hookLengths[j], true, true});
    for (const SegmentWork &segment : work)
        lengths.append(segment.length);
    const int count = int(work.size());

    createFolder(segmentCache); // once, before the segments look there at the same time

    // Each segment owns a share of the segments' band in proportion to its length; the user
    // sees the segments' stages and log in order, whichever finishes first.
    SegmentReports reports(pipeline.update, pipeline.log, pipeline.overallUpdate, renderProgress::segments, lengths,
                           std::max(plan.timeline.base + plan.timeline.hooks, 1.0));
    // A failing segment stops the others without cancelling the job; cancelling the job stops
    // them all.
    const std::shared_ptr<ProcessRunner> group = pipeline.runner->linked();

    std::vector<QString> rendered(work.size());
    const auto renderOne = [&](int position, bool onlyReuse, const SegmentConcurrency &share) {
        const SegmentWork &segment = work[size_t(position)];
        Pipeline own = pipeline;
        own.runner = group;
        own.threadsPerRun = share.threadsPerRun;
        if (own.stillPiecesAtOnce <= 0)
            own.stillPiecesAtOnce = share.stillPieces;
        own.onlyReuseSegments = onlyReuse;
        own.update = reports.update(position);
        own.log = reports.log(position);
        // What an interrupted render left is taken only while its folder can be held; otherwise
        // the segment is rendered afresh, without looking there again.
        Pipeline fresh = own;
        fresh.reuseInterruptedJobCache = false;
        const auto render = [&](const Pipeline &with) {
            return with.renderSegment(*segment.clip, plan.settings, job.folder(), cache, position, plan.working.width(),
                                      plan.working.height(), segment.length, segment.tail, segment.stylish,
                                      reports.progress(position));
        };
        const QString path = render(own);
        if (path.isEmpty())
            return;
        rendered[size_t(position)] = job.holding(path, segmentCache, [&] { return render(fresh); });
        reports.finished(position);
    };
    const auto runAll = [&](const std::vector<int> &positions, const SegmentConcurrency &share, bool onlyReuse) {
        const std::optional<ConcurrentFailure> failure = runConcurrently(
            int(positions.size()), share.segmentsAtOnce,
            [&](int n) { renderOne(positions[size_t(n)], onlyReuse, share); }, [&] { group->cancel(); });
        pipeline.runner->checkCancellation();
        if (failure) {
            const int position = positions[size_t(failure->position)];
            reports.stoppedAt(position);
            std::rethrow_exception(failure->error);
        }
        group->checkCancellation();
    };

    // First what exists is taken, so that the machine is shared among the segments that really
    // render: after a change to one clip, that one segment gets every processor.
    std::vector<int> all(work.size());
    for (int n = 0; n < count; ++n)
        all[size_t(n)] = n;
    // 8-bit segments of a film larger than their working size are kept at the film's frame.
    const QSize kept = pipeline.segmentDeliveredSize.value_or(plan.working);
    const SegmentConcurrency lookups = SegmentConcurrency::forMachine(count, 0, kept, pipeline.segmentsAtOnce);
    runAll(all, {lookups.segmentsAtOnce, 0, 1}, true);
    std::vector<int> missing;
    int stills = 0;
    for (int n = 0; n < count; ++n) {
        if (!rendered[size_t(n)].isEmpty())
            continue;
        missing.push_back(n);
        if (work[size_t(n)].clip->isImage)
            ++stills;
    }
    const SegmentConcurrency concurrency = SegmentConcurrency::forMachine(int(missing.size()), stills, kept,
                                                                          pipeline.segmentsAtOnce);
    runAll(missing, concurrency, false);

    RenderedSegments segments;
    for (qsizetype i = 0; i < plan.clips.size(); ++i)
        segments.clips.append(rendered[size_t(i)]);
    for (qsizetype j = 0; j < plan.openingHooks.size(); ++j)
        segments.hooks.append(rendered[size_t(plan.clips.size() + j)]);
    return segments;
}

} // namespace kinoloom
