#include "engine/pipeline/RenderJob.h"

#include "engine/pipeline/Pipeline.h"
#include "engine/pipeline/RenderSteps.h"

#include <QFileInfo>

namespace kinoloom {

RenderJob::RenderJob(const RenderPlan &plan)
    : m_output(plan.outputName() + QLatin1Char('\n') + plan.root)
    , m_lock(RenderJobLock::own(Pipeline::renderJobFolder(plan.root, plan.finalPath), m_output))
{
}

QString RenderJob::holding(const QString &segment, const QString &segmentCache,
                           const std::function<QString()> &renderAgain)
{
    const QString folder = QFileInfo(segment).absolutePath();
    if (folder == this->folder() || folder == segmentCache)
        return segment;
    {
        const std::lock_guard guard(m_reusedLock);
        for (const RenderJobLock &held : m_reused) {
            if (held.folder() == folder)
                return segment;
        }
        std::optional<RenderJobLock> held = RenderJobLock::share(folder);
        if (held && QFileInfo::exists(segment)) {
            m_reused.push_back(std::move(*held));
            return segment;
        }
    }
    // Rendering takes long: the other segments go on holding theirs meanwhile.
    return renderAgain();
}

void RenderJob::complete()
{
    m_lock.removeIfUnused(m_output);
    for (RenderJobLock &reused : m_reused)
        reused.removeIfUnused(m_output);
}

} // namespace kinoloom
