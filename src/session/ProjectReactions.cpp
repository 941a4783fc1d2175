#include "session/ProjectReactions.h"

#include "session/StudioModel.h"

namespace kinoloom {

ProjectReactions::ProjectReactions(StudioModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_seen(model->project())
{
    connect(model, &StudioModel::projectChanged, this, &ProjectReactions::schedule);
}

void ProjectReactions::schedule()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &ProjectReactions::react, Qt::QueuedConnection);
}

void ProjectReactions::react()
{
    m_scheduled = false;
    if (!m_model)
        return;
    StudioModel &model = *m_model;
    const StudioProject current = model.project();
    if (current == m_seen)
        return;
    const bool settingsChanged = current.settings != m_seen.settings;
    const bool publishChanged = current.publish != m_seen.publish;
    m_seen = current;

    model.save();
    if (settingsChanged || publishChanged) {
        model.saveSelectedWorkflow();
        model.saveSoftwareSettings();
    }
    // The project's colour settings may be the grade the preview shows.
    if (settingsChanged)
        model.refreshPreviewGrade();
    if (settingsChanged && !model.busy()) {
        JobProgress job = model.job();
        job.steps.clear();
        job.completedSteps = 0;
        model.setJob(std::move(job));
    }
}

} // namespace kinoloom
