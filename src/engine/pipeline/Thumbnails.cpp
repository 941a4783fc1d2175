#include "engine/pipeline/RenderSteps.h"

#include "engine/media/ThumbnailCommand.h"
#include "engine/pipeline/ConcurrentRuns.h"
#include "engine/pipeline/Pipeline.h"
#include "engine/pipeline/SegmentConcurrency.h"
#include "engine/process/ProcessRunner.h"

#include <QDir>

#include <algorithm>
#include <utility>

namespace kinoloom {

namespace {

// Seconds of film up to which one pass over it is cheaper than eight seeks.
constexpr double onePassLongest = 60;

} // namespace

QList<double> Pipeline::thumbnailTimes(double total, double titleOffset, bool showingTitle)
{
    const double last = std::max(total - 0.1, 0.0);
    QList<double> times;
    for (int k = 1; k <= 8; ++k)
        times.append(std::min(total * k / 10, last));
    if (showingTitle && total > 0) {
        // Two candidates inside the span in which the title card is fully shown.
        const double lo = std::max(titleOffset + 4.1, 0.0);
        const double hi = std::min(titleOffset + 8.9, total - 0.1);
        if (lo < hi) {
            times[0] = lo + 0.25 * (hi - lo);
            times[1] = lo + 0.7 * (hi - lo);
        }
    }
    return times;
}

QStringList takeThumbnails(const Pipeline &pipeline, const RenderPlan &plan, const QString &movie, const QString &job)
{
    if (plan.output == RenderOutput::preview)
        return {};
    const QList<double> times = Pipeline::thumbnailTimes(
        plan.timeline.total, plan.timeline.offset, !plan.settings.title.isEmpty() || !plan.settings.subtitle.isEmpty());
    const QStringList quality{QStringLiteral("-q:v"), QStringLiteral("3")};
    QStringList thumbnails;
    QList<std::pair<double, QString>> moments;
    for (int n = 1; n <= times.size(); ++n) {
        thumbnails.append(QDir(job).filePath(QStringLiteral("Thumbnail-%1.jpg").arg(n)));
        moments.append({times[n - 1], thumbnails.last()});
    }
    if (pipeline.legacyRendering) {
        for (qsizetype n = 0; n < moments.size(); ++n) {
            pipeline.runner->runFFmpeg(thumbnailCommand(movie, moments[n].second, moments[n].first, 1280, quality),
                                       [](const QString &) {});
            pipeline.overallUpdate(renderProgress::thumbnails.at(double(n + 1) / double(moments.size())));
        }
        return thumbnails;
    }
    // A short film is decoded once, the candidates taken as the pictures go by: that reads less
    // of it than eight seeks, each from the key frame before its moment (libx264 puts one every
    // 250 pictures, over eight seconds of film), and keeps the processors busy with one decoder.
    if (plan.timeline.total <= onePassLongest) {
        QList<ThumbnailMoment> all;
        for (const auto &[seconds, destination] : moments)
            all.append({seconds, destination});
        pipeline.runner->runFFmpeg(thumbnailsCommand(movie, all, 1280, quality), [](const QString &) {});
        pipeline.overallUpdate(renderProgress::thumbnails.end);
        return thumbnails;
    }
    // In a longer film the seeks read less, and one decoder keeps only a few processors busy:
    // the eight run side by side, as many at once as the machine holds. Each keeps FFmpeg's own
    // decoder threads: the seeks are of unequal length, and those that go on longest then have
    // the processors the others left.
    const int count = int(moments.size());
    const SegmentConcurrency share = SegmentConcurrency::forMachine(count, 0, plan.frame);
    runSideBySide(*pipeline.runner, count, share.segmentsAtOnce, [&](ProcessRunner &group, int n) {
        const auto &moment = moments.at(n);
        group.runFFmpeg(thumbnailCommand(movie, moment.second, moment.first, 1280, quality), [](const QString &) {});
    });
    pipeline.overallUpdate(renderProgress::thumbnails.end);
    return thumbnails;
}

} // namespace kinoloom
