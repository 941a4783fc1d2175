#include "engine/pipeline/RenderSteps.h"

#include "engine/pipeline/Pipeline.h"
#include "engine/pipeline/RenderJob.h"
#include "engine/pipeline/SegmentConcurrency.h"
#include "engine/pipeline/SegmentReports.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "model/FileOperations.h"

#include <QDir>

#include <algorithm>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
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

struct Failure
{
    int position = 0;
    std::exception_ptr error;
};

// Runs `task` for every position from 0 to `count` − 1 on `atOnce` threads (the calling one
// among them), each taking the next position in order. After a failure no position starts; the
// first failure that is no cancellation calls `stop`, which stops the tasks still running, and
// is returned once every thread has ended. Cancellations alone return nothing.
std::optional<Failure> runConcurrently(int count, int atOnce, const std::function<void(int)> &task,
                                       const std::function<void()> &stop)
{
    std::mutex lock;
    int next = 0;
    bool stopped = false;
    std::optional<Failure> failure;
    const auto worker = [&] {
        for (;;) {
            int position = 0;
            {
                const std::lock_guard guard(lock);
                if (stopped || next >= count)
                    return;
                position = next++;
            }
            try {
                task(position);
            } catch (const CancellationError &) {
                const std::lock_guard guard(lock);
                stopped = true;
            } catch (...) {
                bool first = false;
                {
                    const std::lock_guard guard(lock);
                    stopped = true;
                    first = !failure;
                    if (first)
                        failure = Failure{position, std::current_exception()};
                }
                if (first)
                    stop();
            }
        }
    };
    std::vector<std::thread> threads;
    for (int i = 1; i < std::min(atOnce, count); ++i) {
        try {
            threads.emplace_back(worker);
        } catch (const std::system_error &) {
            break; // fewer threads still render every segment
        }
    }
    worker();
    for (std::thread &thread : threads)
        thread.join();
    return failure;
}

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
    const auto renderOne = [&](int position, bool onlyReuse, int threads) {
        const SegmentWork &segment = work[size_t(position)];
        Pipeline own = pipeline;
        own.runner = group;
        own.threadsPerRun = threads;
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
    const auto runAll = [&](const std::vector<int> &positions, int atOnce, bool onlyReuse, int threads) {
        const std::optional<Failure> failure = runConcurrently(
            int(positions.size()), atOnce, [&](int n) { renderOne(positions[size_t(n)], onlyReuse, threads); },
            [&] { group->cancel(); });
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
    const SegmentConcurrency lookups = SegmentConcurrency::forMachine(count, plan.working, pipeline.segmentsAtOnce);
    runAll(all, lookups.segmentsAtOnce, true, 0);
    std::vector<int> missing;
    for (int n = 0; n < count; ++n) {
        if (rendered[size_t(n)].isEmpty())
            missing.push_back(n);
    }
    const SegmentConcurrency concurrency = SegmentConcurrency::forMachine(int(missing.size()), plan.working,
                                                                          pipeline.segmentsAtOnce);
    runAll(missing, concurrency.segmentsAtOnce, false, concurrency.threadsPerRun);

    RenderedSegments segments;
    for (qsizetype i = 0; i < plan.clips.size(); ++i)
        segments.clips.append(rendered[size_t(i)]);
    for (qsizetype j = 0; j < plan.openingHooks.size(); ++j)
        segments.hooks.append(rendered[size_t(plan.clips.size() + j)]);
    return segments;
}

} // namespace kinoloom
