#include "engine/pipeline/RenderSteps.h"

#include "engine/pipeline/Pipeline.h"
#include "engine/pipeline/RenderJob.h"

#include <QDir>

#include <algorithm>

namespace kinoloom {

RenderedSegments renderSegments(const Pipeline &pipeline, const RenderPlan &plan, RenderJob &job)
{
    const QString cache = Pipeline::cacheRoot(plan.root);
    const QString segmentCache = QDir(cache).filePath(QStringLiteral("Segments"));
    // What an interrupted render left is taken only while its folder can be held; otherwise the
    // segment is rendered afresh, without looking there again.
    Pipeline fresh = pipeline;
    fresh.reuseInterruptedJobCache = false;

    // Each segment owns a share of the segments' band in proportion to its length.
    const double total = std::max(plan.timeline.base + plan.timeline.hooks, 1.0);
    double done = 0;
    int index = 0;
    const auto segment = [&](const MediaAsset &clip, double length, bool tail, bool stylish) {
        const ProgressBand band = renderProgress::segments.part(done / total, (done + length) / total);
        const auto render = [&](const Pipeline &with) {
            return with.renderSegment(clip, plan.settings, job.folder(), cache, index, plan.working.width(),
                                      plan.working.height(), length, tail, stylish,
                                      band.reporting(pipeline.overallUpdate));
        };
        const QString result = job.holding(render(pipeline), segmentCache, [&] { return render(fresh); });
        done += length;
        ++index;
        return result;
    };

    RenderedSegments segments;
    // A Short takes the end of each hook's selection, and no creative look.
    for (qsizetype i = 0; i < plan.clips.size(); ++i)
        segments.clips.append(segment(plan.clips[i], plan.clipLengths[i], plan.isShort(), !plan.isShort()));
    for (qsizetype j = 0; j < plan.openingHooks.size(); ++j)
        segments.hooks.append(segment(plan.openingHooks[j], plan.hookLengths[j], true, true));
    return segments;
}

} // namespace kinoloom
