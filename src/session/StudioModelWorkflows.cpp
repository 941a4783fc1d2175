#include "session/StudioModel.h"

#include "model/SoftwareSettingsStore.h"
#include "model/WorkflowStore.h"
#include "session/FailureDescription.h"
#include "session/UnreadableFile.h"

#include <QCollator>
#include <QLocale>
#include <QSet>

namespace kinoloom {

namespace {

qsizetype indexOfWorkflow(const WorkflowLibrary &library, const std::optional<QUuid> &id)
{
    if (!id)
        return -1;
    for (qsizetype i = 0; i < library.workflows.size(); ++i) {
        if (library.workflows.at(i).id == *id)
            return i;
    }
    return -1;
}

} // namespace

void StudioModel::restoreWorkflow()
{
    if (!m_root)
        return;
    if (m_workflowLibrary.workflows.isEmpty()) {
        createWorkflow();
        return;
    }
    qsizetype target = indexOfWorkflow(m_workflowLibrary, m_workflowLibrary.lastSelectedID);
    if (target < 0)
        target = m_workflowLibrary.workflows.size() - 1;
    applyWorkflow(m_workflowLibrary.workflows.at(target));
}

void StudioModel::createWorkflow()
{
    if (!m_root)
        return;
    const QLocale locale;
    QSet<QString> taken;
    for (const WorkflowPreset &workflow : m_workflowLibrary.workflows)
        taken.insert(locale.toLower(workflow.name));
    int number = 1;
    while (taken.contains(locale.toLower(QStringLiteral("Workflow %1").arg(number))))
        ++number;
    const WorkflowPreset workflow(QUuid::createUuid(), QStringLiteral("Workflow %1").arg(number), m_project);
    editWorkflowLibrary([&workflow](WorkflowLibrary &library) {
        library.workflows.append(workflow);
        library.lastSelectedID = workflow.id;
    });
    persistWorkflows();
    save();
}

void StudioModel::selectWorkflow(std::optional<QUuid> id)
{
    if (!id && !m_workflowLibrary.workflows.isEmpty())
        id = m_workflowLibrary.workflows.constLast().id;
    const qsizetype target = indexOfWorkflow(m_workflowLibrary, id);
    if (target < 0)
        return;
    applyWorkflow(m_workflowLibrary.workflows.at(target));
}

void StudioModel::applyWorkflow(const WorkflowPreset &workflow)
{
    const WorkflowPreset selected = workflow; // the library's own copy changes below
    editWorkflowLibrary([&selected](WorkflowLibrary &library) { library.lastSelectedID = selected.id; });
    setProject(selected.applying(m_project));
    persistWorkflows();
    save();
}

void StudioModel::saveSelectedWorkflow()
{
    const qsizetype target = indexOfWorkflow(m_workflowLibrary, m_workflowLibrary.lastSelectedID);
    if (target < 0)
        return;
    const WorkflowPreset &current = m_workflowLibrary.workflows.at(target);
    const WorkflowPreset rewritten(current.id, current.name, m_project);
    editWorkflowLibrary([target, &rewritten](WorkflowLibrary &library) { library.workflows[target] = rewritten; });
    persistWorkflows();
}

void StudioModel::beginRenameWorkflow()
{
    const std::optional<WorkflowPreset> selected = selectedWorkflow();
    if (!selected)
        return;
    setWorkflowRenameDraft(selected->name);
    setShowWorkflowRename(true);
}

void StudioModel::renameSelectedWorkflow()
{
    const qsizetype target = indexOfWorkflow(m_workflowLibrary, m_workflowLibrary.lastSelectedID);
    if (target < 0)
        return;
    const QString name = m_workflowRenameDraft.trimmed();
    if (name.isEmpty()) {
        setError(QStringLiteral("Enter a workflow name."));
        return;
    }
    // Case aside, names compare as the user's language orders them; the workflow's own name is
    // skipped, so that a change of case alone is accepted.
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const QUuid selectedID = m_workflowLibrary.workflows.at(target).id;
    for (const WorkflowPreset &other : m_workflowLibrary.workflows) {
        if (other.id != selectedID && collator.compare(other.name, name) == 0) {
            setError(QStringLiteral("A workflow already has that name."));
            return;
        }
    }
    editWorkflowLibrary([target, &name](WorkflowLibrary &library) { library.workflows[target].name = name; });
    persistWorkflows();
    setShowWorkflowRename(false);
}

void StudioModel::persistWorkflows()
{
    writeDocument(m_unreadableWorkflows, QStringLiteral("Could not save workflows: "),
                  [this] { WorkflowStore::save(m_workflowLibrary, m_environment.applicationDataDirectory()); });
}

void StudioModel::saveSoftwareSettings()
{
    editSoftwareSettings([this](SoftwareSettings &settings) {
        settings.processing = m_project.settings;
        settings.publish = m_project.publish;
    });
    persistSoftwareSettings();
    m_hasSoftwareSettings = true;
}

void StudioModel::persistSoftwareSettings()
{
    writeDocument(m_unreadableSoftwareSettings, QStringLiteral("Could not save software settings: "),
                  [this] { SoftwareSettingsStore::save(m_softwareSettings, m_softwareSettingsDirectory); });
}

void StudioModel::writeDocument(std::optional<QString> &unreadable, const QString &failure,
                                const std::function<void()> &write)
{
    try {
        if (unreadable) {
            moveAsideUnreadable(*unreadable, m_environment.now());
            unreadable.reset();
        }
        write();
    } catch (...) {
        setError(failure + describeFailure(std::current_exception()));
    }
}

void StudioModel::saveTools()
{
    m_tools.store(*m_environment.userDefaults);
    m_environment.userDefaults->sync();
}

} // namespace kinoloom
