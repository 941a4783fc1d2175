#include "engine/pipeline/Pipeline.h"

#include "engine/pipeline/RenderJob.h"
#include "engine/pipeline/RenderSteps.h"
#include "engine/pipeline/SegmentArguments.h"
#include "engine/process/ProcessRunner.h"
#include "model/StudioProject.h"

#include <QDir>

namespace kinoloom {

ExportRecord Pipeline::render(const StudioProject &project, const QString &projectFolder, bool isShort, bool preview,
                              std::optional<QSize> testSize) const
{
    project.validate();
    runner->checkCancellation();
    overallUpdate(0);

    // Concat lists and filter graphs need absolute paths: FFmpeg reads a list's relative paths
    // against the list's own folder.
    const RenderOutput output = preview ? RenderOutput::preview : isShort ? RenderOutput::vertical : RenderOutput::film;
    const RenderPlan plan = RenderPlan::make(project, QDir(projectFolder).absolutePath(), output, testSize);
    RenderJob job(plan);
    // The segments of one output are joined into one stream, which holds a single pixel format.
    // They are kept as the film's own 8-bit R'G'B' only where nothing but the title step's scale
    // comes between them and the titles: a hook opening's crossfade works on the deeper picture,
    // and would round differently on the 8-bit one. A scale up to a frame larger than theirs
    // moves into the segments, which make it from the deeper picture as the title step did.
    Pipeline segmentRun = *this;
    if (!legacyRendering) {
        segmentRun.segmentPixelFormat = plan.hookOpening() ? SegmentArguments::deepPixelFormat
                                                           : segmentPixelFormatOf(plan.clips);
        if (plan.working != plan.frame)
            segmentRun.segmentDeliveredSize = plan.frame;
    }
    const RenderedSegments segments = renderSegments(segmentRun, plan, job);
    const QString movie = encode(*this, plan, openingAndTitles(plan, segments, job.folder(), legacyRendering),
                                 job.folder());
    const QStringList thumbnails = takeThumbnails(*this, plan, movie, job.folder());
    const ExportRecord record = deliver(plan, movie, thumbnails);
    overallUpdate(1.0);
    job.complete();
    return record;
}

} // namespace kinoloom
