#include "session/StudioModel.h"

namespace kinoloom {

// Every setter announces, stores and signals, also when the value is equal to the one held.

void StudioModel::setProject(StudioProject value)
{
    assign(m_project, std::move(value), &StudioModel::projectChanged);
}

void StudioModel::setSoftwareSettings(SoftwareSettings value)
{
    assign(m_softwareSettings, std::move(value), &StudioModel::softwareSettingsChanged);
}

void StudioModel::setRoot(std::optional<QString> value)
{
    assign(m_root, std::move(value), &StudioModel::rootChanged);
}

void StudioModel::setRecentProjects(QList<RecentProject> value)
{
    assign(m_recentProjects, std::move(value), &StudioModel::recentProjectsChanged);
}

void StudioModel::setWorkspace(Workspace value)
{
    assign(m_workspace, value, &StudioModel::workspaceChanged);
}

void StudioModel::setSelection(std::optional<QUuid> value)
{
    assign(m_selection, std::move(value), &StudioModel::selectionChanged);
}

void StudioModel::setExportSelection(std::optional<QUuid> value)
{
    assign(m_exportSelection, std::move(value), &StudioModel::exportSelectionChanged);
}

void StudioModel::setPlayer(PreviewPlayer *value)
{
    assign(m_player, value, &StudioModel::playerChanged);
}

void StudioModel::setPreviewURL(std::optional<QUrl> value)
{
    assign(m_previewURL, std::move(value), &StudioModel::previewURLChanged);
}

void StudioModel::setPreviewLoading(bool value)
{
    assign(m_previewLoading, value, &StudioModel::previewLoadingChanged);
}

void StudioModel::setJob(JobProgress value)
{
    assign(m_job, std::move(value), &StudioModel::jobChanged);
}

void StudioModel::setSaveStatus(QString value)
{
    assign(m_saveStatus, std::move(value), &StudioModel::saveStatusChanged);
}

void StudioModel::setError(std::optional<QString> value)
{
    assign(m_error, std::move(value), &StudioModel::errorChanged);
}

void StudioModel::setShowInspector(bool value)
{
    assign(m_showInspector, value, &StudioModel::showInspectorChanged);
}

void StudioModel::setShowLog(bool value)
{
    assign(m_showLog, value, &StudioModel::showLogChanged);
}

void StudioModel::setCopyImports(bool value)
{
    assign(m_copyImports, value, &StudioModel::copyImportsChanged);
}

void StudioModel::setTools(ToolPaths value)
{
    assign(m_tools, std::move(value), &StudioModel::toolsChanged);
}

void StudioModel::setDependencies(QStringList value)
{
    assign(m_dependencies, std::move(value), &StudioModel::dependenciesChanged);
}

void StudioModel::setAccount(QString value)
{
    assign(m_account, std::move(value), &StudioModel::accountChanged);
}

void StudioModel::setShowUploadReview(bool value)
{
    assign(m_showUploadReview, value, &StudioModel::showUploadReviewChanged);
}

void StudioModel::setShowMetadataDraft(bool value)
{
    assign(m_showMetadataDraft, value, &StudioModel::showMetadataDraftChanged);
}

void StudioModel::setShowAutomation(bool value)
{
    assign(m_showAutomation, value, &StudioModel::showAutomationChanged);
}

void StudioModel::setWorkflowLibrary(WorkflowLibrary value)
{
    assign(m_workflowLibrary, std::move(value), &StudioModel::workflowLibraryChanged);
}

void StudioModel::setShowWorkflowRename(bool value)
{
    assign(m_showWorkflowRename, value, &StudioModel::showWorkflowRenameChanged);
}

void StudioModel::setWorkflowRenameDraft(QString value)
{
    assign(m_workflowRenameDraft, std::move(value), &StudioModel::workflowRenameDraftChanged);
}

void StudioModel::setShowCacheClearConfirmation(bool value)
{
    assign(m_showCacheClearConfirmation, value, &StudioModel::showCacheClearConfirmationChanged);
}

void StudioModel::setShowLowSpaceWarning(bool value)
{
    assign(m_showLowSpaceWarning, value, &StudioModel::showLowSpaceWarningChanged);
}

void StudioModel::setLowSpaceWarningMessage(QString value)
{
    assign(m_lowSpaceWarningMessage, std::move(value), &StudioModel::lowSpaceWarningMessageChanged);
}

void StudioModel::setShowResumePrompt(bool value)
{
    assign(m_showResumePrompt, value, &StudioModel::showResumePromptChanged);
}

void StudioModel::setAutomationChannelID(QString value)
{
    assign(m_automationChannelID, std::move(value), &StudioModel::automationChannelIDChanged);
}

void StudioModel::setAutomationChannelName(QString value)
{
    assign(m_automationChannelName, std::move(value), &StudioModel::automationChannelNameChanged);
}

void StudioModel::setMetadataDraft(PublishSettings value)
{
    assign(m_metadataDraft, std::move(value), &StudioModel::metadataDraftChanged);
}

void StudioModel::setReviewToken(std::optional<QString> value)
{
    assign(m_reviewToken, std::move(value), &StudioModel::reviewTokenChanged);
}

void StudioModel::setReviewedPublish(std::optional<PublishSettings> value)
{
    assign(m_reviewedPublish, std::move(value), &StudioModel::reviewedPublishChanged);
}

void StudioModel::setReviewedExport(std::optional<ExportRecord> value)
{
    assign(m_reviewedExport, std::move(value), &StudioModel::reviewedExportChanged);
}

void StudioModel::setReviewedChannelID(QString value)
{
    assign(m_reviewedChannelID, std::move(value), &StudioModel::reviewedChannelIDChanged);
}

} // namespace kinoloom
