#pragma once

#include "engine/pipeline/RenderJobLock.h"

#include <QString>

#include <functional>
#include <mutex>
#include <vector>

namespace kinoloom {

struct RenderPlan;

// The job folder of one render and the locks it holds: its own, and those of the interrupted
// renders whose segments it reuses. The folder is removed after a completed render only; after
// a failure or a cancellation it stays, with the segments a resumed render can reuse.
class RenderJob
{
public:
    // Makes a new job folder beside the final output path, or in the project folder, and holds
    // it. Throws FileError.
    explicit RenderJob(const RenderPlan &plan);

    const QString &folder() const { return m_lock.folder(); }

    // `segment` when this render may use it: it lies in this job's folder or in `segmentCache`,
    // or in an interrupted render's folder whose lock is now held, so that no other render
    // removes it before the film is encoded. Otherwise what `renderAgain` makes. May be called
    // from several threads at once.
    QString holding(const QString &segment, const QString &segmentCache, const std::function<QString()> &renderAgain);

    // The render is complete: its own job folder goes, and so do the interrupted renders'
    // folders of the same output whose segments it took, unless another render still holds one.
    void complete();

private:
    QString m_output;
    RenderJobLock m_lock;
    std::mutex m_reusedLock; // the segments of one render are held from several threads
    std::vector<RenderJobLock> m_reused;
};

} // namespace kinoloom
