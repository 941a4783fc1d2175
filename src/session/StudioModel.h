#pragma once

// StudioModel: the one application-state object. Views read its published properties, refresh
// on their changed signals and call one operation per user action; they hold no state of their
// own. It lives on the main thread; every property access and every operation happens there.
//
// Published properties: a getter, a setter and a changed signal each. Every assignment emits
// willChange() before the value is stored (an equal value too) and the property's own changed
// signal after it; an edit inside a value (editProject) counts as one assignment. Derived values
// (busy, asset, ...) are computed on every read and never cached.
//
// How the class grows. The declaration stays here; the operations live in one source file per
// family, named StudioModel<Family>.cpp (Projects, Workflows, Jobs, Preview, FilmRoad, and
// later Media, Publishing, Automation, ...).
// - An operation: declare it in its family's block below, define it in that family's file; it
//   catches every failure at its boundary and writes one sentence into `error`.
// - A job: the operation calls start(title, retry, restart, tracksOverallProgress, steps, body)
//   where body is a lambda that only calls a member coroutine of the family, taking a Job and
//   its other arguments by value (a capturing lambda coroutine would lose its captures at the
//   first suspension). The body awaits engine work with `job.engine(...)` and service coroutines
//   with `job.await(...)`, and reports through the Job (see Job.h). Phases, the end of the job,
//   cancel, Resume and Start Again are the job engine's business (StudioModelJobs.cpp).
// - A seam: anything a test must replace (an engine type without virtual members, the keyring,
//   a panel, a factory) goes into StudioEnvironment as an interface or a factory, with a Live…
//   implementation that forwards to the real thing; the session calls only the interface.

#include "engine/automation/AutomationOptions.h"
#include "model/ExportRecord.h"
#include "model/GradeField.h"
#include "model/JobProgress.h"
#include "model/PublishSettings.h"
#include "model/RecentProject.h"
#include "model/SoftwareSettings.h"
#include "model/StudioProject.h"
#include "model/ToolPaths.h"
#include "model/WorkflowLibrary.h"
#include "model/Workspace.h"
#include "services/GoogleCredential.h"
#include "session/Job.h"
#include "session/StudioEnvironment.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#include <qcoro/qcorotask.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace kinoloom {

class CancellationToken;
class LoopbackLogin;
class PreviewPlayer;
class ProcessFailure;
class ProcessRunner;
class YouTubeService;

class StudioModel : public QObject
{
    Q_OBJECT

public:
    // Start-up: picks the software-settings folder, rebuilds the recent list, reads the tool
    // paths, loads the software settings and the workflow library. Never fails: a file that
    // cannot be loaded leaves its message in `error`. Opens no project, creates no folder.
    explicit StudioModel(StudioEnvironment environment = StudioEnvironment::live(), QObject *parent = nullptr);
    // Cancels the running job and any proxy build, waits until their engine calls (and so their
    // children) have ended, then releases the project lock. No job resumes on this session
    // afterwards. The project is not saved here.
    ~StudioModel() override;

    // The file panels and the keyring of this session's machine, for the few views that ask the
    // user for a path or store a secret themselves (the settings window's text-generation key).
    FilePanels &panels() const { return *m_environment.panels; }
    SecretStore &vault() const { return *m_environment.vault; }

    // --- Published properties ----------------------------------------------------------------

    // The open project, a value; replaced by activation, edited in place by operations and views.
    const StudioProject &project() const { return m_project; }
    // Application-wide processing and publish settings and the last clip path.
    const SoftwareSettings &softwareSettings() const { return m_softwareSettings; }
    // Folder of the open project; none while no project is open.
    const std::optional<QString> &root() const { return m_root; }
    // The recent projects of the welcome screen.
    const QList<RecentProject> &recentProjects() const { return m_recentProjects; }
    // The stage the main window shows.
    Workspace workspace() const { return m_workspace; }
    // Identifier of the selected asset.
    const std::optional<QUuid> &selection() const { return m_selection; }
    // Identifier of the selected export record.
    const std::optional<QUuid> &exportSelection() const { return m_exportSelection; }
    // The preview player.
    PreviewPlayer *player() const { return m_player; }
    // The file the preview shows.
    const std::optional<QUrl> &previewURL() const { return m_previewURL; }
    // A playback proxy is being made.
    bool previewLoading() const { return m_previewLoading; }
    // Progress of the one job.
    const JobProgress &job() const { return m_job; }
    // Outcome of the last save: "Saved" or "Save failed".
    const QString &saveStatus() const { return m_saveStatus; }
    // The one user-facing error message.
    const std::optional<QString> &error() const { return m_error; }
    // The inspector column is shown.
    bool showInspector() const { return m_showInspector; }
    // The job drawer shows the log.
    bool showLog() const { return m_showLog; }
    // Imported files are copied into the project.
    bool copyImports() const { return m_copyImports; }
    // External tool paths handed to every job.
    const ToolPaths &tools() const { return m_tools; }
    // Lines of the dependency check.
    const QStringList &dependencies() const { return m_dependencies; }
    // Label of the connected account.
    const QString &account() const { return m_account; }
    // The upload-review sheet is shown.
    bool showUploadReview() const { return m_showUploadReview; }
    // The metadata-draft sheet is shown.
    bool showMetadataDraft() const { return m_showMetadataDraft; }
    // The automated-run sheet is shown.
    bool showAutomation() const { return m_showAutomation; }
    // The saved workflows and the last selected one.
    const WorkflowLibrary &workflowLibrary() const { return m_workflowLibrary; }
    // The workflow-rename sheet is shown.
    bool showWorkflowRename() const { return m_showWorkflowRename; }
    // The text field of the rename sheet.
    const QString &workflowRenameDraft() const { return m_workflowRenameDraft; }
    // The confirmation before clearing the cache is shown.
    bool showCacheClearConfirmation() const { return m_showCacheClearConfirmation; }
    // The low-disk-space dialog is shown.
    bool showLowSpaceWarning() const { return m_showLowSpaceWarning; }
    // The text of the low-disk-space dialog.
    const QString &lowSpaceWarningMessage() const { return m_lowSpaceWarningMessage; }
    // The interrupted-render prompt is shown.
    bool showResumePrompt() const { return m_showResumePrompt; }
    // Identifier of the channel confirmed for automated uploads.
    const QString &automationChannelID() const { return m_automationChannelID; }
    // Display name of that channel.
    const QString &automationChannelName() const { return m_automationChannelName; }
    // The generated metadata draft under review.
    const PublishSettings &metadataDraft() const { return m_metadataDraft; }
    // Access token obtained for the pending upload review.
    const std::optional<QString> &reviewToken() const { return m_reviewToken; }
    // The upload metadata under review.
    const std::optional<PublishSettings> &reviewedPublish() const { return m_reviewedPublish; }
    // The export record under review.
    const std::optional<ExportRecord> &reviewedExport() const { return m_reviewedExport; }
    // Identifier of the channel found during the review.
    const QString &reviewedChannelID() const { return m_reviewedChannelID; }

    void setProject(StudioProject value);
    void setSoftwareSettings(SoftwareSettings value);
    void setRoot(std::optional<QString> value);
    void setRecentProjects(QList<RecentProject> value);
    void setWorkspace(Workspace value);
    void setSelection(std::optional<QUuid> value);
    void setExportSelection(std::optional<QUuid> value);
    void setPlayer(PreviewPlayer *value);
    void setPreviewURL(std::optional<QUrl> value);
    void setPreviewLoading(bool value);
    void setJob(JobProgress value);
    void setSaveStatus(QString value);
    void setError(std::optional<QString> value);
    void setShowInspector(bool value);
    void setShowLog(bool value);
    void setCopyImports(bool value);
    void setTools(ToolPaths value);
    void setDependencies(QStringList value);
    void setAccount(QString value);
    void setShowUploadReview(bool value);
    void setShowMetadataDraft(bool value);
    void setShowAutomation(bool value);
    void setWorkflowLibrary(WorkflowLibrary value);
    void setShowWorkflowRename(bool value);
    void setWorkflowRenameDraft(QString value);
    void setShowCacheClearConfirmation(bool value);
    void setShowLowSpaceWarning(bool value);
    void setLowSpaceWarningMessage(QString value);
    void setShowResumePrompt(bool value);
    void setAutomationChannelID(QString value);
    void setAutomationChannelName(QString value);
    void setMetadataDraft(PublishSettings value);
    void setReviewToken(std::optional<QString> value);
    void setReviewedPublish(std::optional<PublishSettings> value);
    void setReviewedExport(std::optional<ExportRecord> value);
    void setReviewedChannelID(QString value);

    // Changes the open project in place: one announcement, then the whole value is stored.
    template <typename Edit>
    void editProject(Edit &&edit)
    {
        change(m_project, &StudioModel::projectChanged, std::forward<Edit>(edit));
    }

    // --- Derived values ----------------------------------------------------------------------

    // The job is queued, running or cancelling.
    bool busy() const;
    // The first asset whose identifier is `selection`.
    std::optional<MediaAsset> asset() const;
    // The first export record whose identifier is `exportSelection`.
    std::optional<ExportRecord> selectedExport() const;
    // "title", "subtitle" and "final output path", those of them that are still blank.
    QStringList missingExportRequirements() const;
    bool canExportFilm() const;
    QList<WorkflowPreset> workflows() const;
    // The workflow whose identifier is the library's last selected one.
    std::optional<WorkflowPreset> selectedWorkflow() const;
    // Resume and Start Again are offered: nothing busy, the job failed or was cancelled, and
    // the action is stored.
    bool canRetry() const;
    bool canRestart() const;

    // --- Projects (StudioModelProjects.cpp) --------------------------------------------------

    // Asks for a folder, creates or opens the project there and activates it.
    void chooseProject(bool create);
    // Makes `project` the open project of `folder`: takes the folder's lock (before releasing
    // the one held), points TMPDIR into the project, remembers the folder, applies the selected
    // workflow, exchanges settings with the software settings and restores a resume offer.
    // Throws StudioError when the folder cannot be locked; nothing has changed then.
    void activate(const StudioProject &project, const QString &folder);
    void openRecent(const RecentProject &entry);
    // Reopens the folder stored as the last project, when no project is open.
    void restoreLastProject();
    // Selects an asset, remembers its path as the last clip and shows it in the preview.
    void selectAsset(std::optional<QUuid> id);
    // Writes the open project; "Open a project before saving." without one.
    void save();

    // --- Workflows and application-wide settings (StudioModelWorkflows.cpp) -------------------

    void createWorkflow();
    // Selects the workflow (the last one when no id is given) and applies it to the project.
    void selectWorkflow(std::optional<QUuid> id);
    // Rewrites the selected workflow from the project.
    void saveSelectedWorkflow();
    void beginRenameWorkflow();
    void renameSelectedWorkflow();
    // Copies the project's settings into the software settings and writes them.
    void saveSoftwareSettings();
    // Writes the tool paths into the user defaults.
    void saveTools();

    // --- Jobs (StudioModelJobs.cpp) ----------------------------------------------------------

    // Appends one line to the job log, keeping its last 30000 characters.
    void appendLog(const QString &text);
    // Cancels the running job (its runner, transport and sign-in); first answers an automated
    // run that waits for the low-disk-space question with cancel.
    void cancel();
    // Run the stored Resume and Start Again actions, if any.
    void retry();
    void restart();
    void continueAfterLowSpaceWarning();
    void cancelLowSpaceWarning();

    // --- Preview (StudioModelPreview.cpp) ----------------------------------------------------

    // Shows `url` in the preview; `image` for a still. Ends what the preview showed before (a
    // proxy being made is cancelled, the proxy in use deleted, the player paused), then: a still
    // without a player; a Matroska movie through a playback proxy made in the background
    // (`previewLoading` meanwhile); any other movie in a new player, graded live when it is the
    // selected clip's own file. Starts no playback.
    void setPreview(const QUrl &url, bool image);
    // Applies the grade again after an edit, when the player plays the selected clip's own file.
    void refreshPreviewGrade();

    // --- Clip edits (StudioModelClipEdits.cpp) -----------------------------------------------
    // Each changes the selected clip in `project`; none while nothing is selected.

    // Moves the in point (`start`) or the out point of the selected clip's range, keeping it at
    // least one export frame long (and at most 5 seconds with the cap), and seeks the player to
    // the moved end. Not while busy, for a still, or for a position that is not finite.
    void setClipBoundary(bool start, double seconds);
    // Back to the whole clip (or the automatic trim window). Not while busy.
    void resetClipRange();
    // Stored within 1...2. Not while busy or for a value that is not finite.
    void setCropScale(double value);
    // One value of the selected clip's own grade (neutral without one).
    double selectedGradeValue(GradeField field) const;
    // Grade and LUT edits: not while colour applies to all clips, nor for the end clip; the first
    // one gives the clip a neutral grade to change.
    void setSelectedGrade(double value, GradeField field);
    // Asks for a LUT file, then sets it.
    void chooseSelectedGradeLUT();
    void setSelectedGradeLUT(const QString &path);

    // --- Media import, thumbnails and relink (StudioModelMedia.cpp) ---------------------------
    // None of these moves, changes or deletes a source file. Except chooseResource, each does
    // nothing while a job is busy.

    // Asks for movies and images, then imports them.
    void pickFiles();
    // Imports the files in this order, as one job: each is referenced where it lies, or copied
    // into "Media" when `copyImports` is on, and saved with the project before the next one
    // starts; a file whose path is already an asset's is skipped. The job fails with one line
    // per failing file; Resume imports just the files that failed or were not reached.
    void importURLs(const QStringList &paths);
    // Stores the choice, saves, and rewrites every thumbnail.
    void setMiddleFrameThumbnails(bool middle);
    // Rewrites the thumbnail file of every asset that has one, as one job; the first failure
    // fails the job.
    void regenerateThumbnails();
    // Asks for a file and points the selected clip at it, referenced where it lies: the clip
    // keeps its identifier, role and place; everything else comes from the new file.
    void relink();
    // Removes the selected clip's record and selects the first remaining one.
    void removeSelection();
    // Asks for one file and stores its path in that processing setting.
    void chooseResource(QString ProcessingSettings::*setting, const QStringList &nameFilters);
    // Asks where the film is to be written.
    void chooseFinalOutputPath();

    // --- Clip roles and arrangement (StudioModelRoles.cpp) -----------------------------------
    // At most one intro, one end clip and five hooks; the hooks' order is their order in the
    // asset list. Each operation does nothing while a job is busy and saves what it changed.

    // Gives the selected clip the role; a new intro or end clip replaces the old one, which
    // becomes main. A sixth hook is refused with "Choose at most five hooks.".
    void setRole(ClipRole role);
    // A clip dropped on a role slot. On a hook slot (0 to 4; none: after the last hook) the
    // hooks take the new order over the places hooks hold in the list, and the clip that held
    // an occupied slot becomes main; the dropped clip ends selected.
    void assignRole(const QUuid &id, ClipRole role, std::optional<int> slot);
    // Appends a copy of the selected clip as a new hook and selects it.
    void duplicateAsHook();
    // Swaps the selected clip with the one `offset` places away; nothing beyond either end.
    void moveSelection(int offset);
    // Moves a clip to the place of the one it was dropped on.
    void move(const QUuid &moved, const QUuid &target);

    // --- Film road (StudioModelFilmRoad.cpp) -------------------------------------------------

    // "Prepare Clips" (prepareOnly), "Render Preview" (preview) and "Export Film" (neither), as
    // one job: the clips are prepared and written back, then the preview or the film and, when
    // enabled, the Short are rendered and appended to the exports. A film needs a title, a
    // subtitle and an output path; an unchanged completed render is selected again instead; a
    // disk short of space asks first (`skipSpaceCheck` once the user said go on). The project
    // keeps a resume state until the run ends, so Resume (`resumeFromRender`: the clips are
    // prepared) and Start Again pick up a failed, cancelled or killed run.
    void process(bool preview, bool prepareOnly, bool skipSpaceCheck, bool resumeFromRender);
    // Removes the project's "Cache/Render" and returns the clips prepared there to their
    // originals. Not while busy.
    void clearCache();

    // --- Automated run (StudioModelAutomation.cpp) -------------------------------------------

    // One job from the source folder to the saved (and, with `upload`, uploaded) exports: scan,
    // import of new files as copies, automatic hooks, validation, an optional decoding check of
    // every clip, the disk-space question, preparation, the film and the optional Short. An
    // upload run needs a checked destination channel (`automationChannelID`).
    void automate(const AutomationOptions &options, const PublishSettings &publish);
    // Job: finds the channel of the stored account for upload runs; clears the last one first,
    // even while busy.
    void checkAutomationChannel();
    // Refreshes `dependencies` in the background; not a job. A later check always wins.
    void checkDependencies();

    // --- Publishing (StudioModelPublishing.cpp) ----------------------------------------------

    // Asks for the Google OAuth desktop client file and stores its client in the keyring in place
    // of what was there, so that an account connected before is forgotten.
    void importOAuthClient();
    // Job: signs in through the browser with the stored client, then stores the connected account.
    void connectAccount();
    // Removes the client and its account from the keyring; a removal that fails changes nothing
    // but `error`. (Hides QObject::disconnect: write QObject::disconnect(...) for connections.)
    void disconnect();
    // The stored client and account; throws when none is stored or the keyring refuses.
    GoogleCredential loadCredential();
    // Job: checks the selected film or Short, its metadata and the channel, then shows the review.
    // A preview is never uploaded: it is passed over without a word.
    void reviewUpload();
    void dismissUploadReview();
    // Job: uploads the reviewed export through a resumable session, resuming the one its record
    // holds; each change of the record is in the project file before the upload goes on.
    void confirmUpload();
    // Job: sets the thumbnail of the selected uploaded export (true), or checks its processing.
    void updatePublishedVideo(bool thumbnail);
    // Job: drafts a description and tags from the title for review; the project is not changed.
    void generateMetadata();
    // Writes `record` over the project's export of the same id and saves the project file (not
    // `saveStatus`); throws "Could not save upload history." when no project is open or the
    // export is gone.
    void persistUpload(const ExportRecord &record);

Q_SIGNALS:
    // Before every assignment to a published property.
    void willChange();
    void projectChanged();
    void softwareSettingsChanged();
    void rootChanged();
    void recentProjectsChanged();
    void workspaceChanged();
    void selectionChanged();
    void exportSelectionChanged();
    void playerChanged();
    void previewURLChanged();
    void previewLoadingChanged();
    void jobChanged();
    void saveStatusChanged();
    void errorChanged();
    void showInspectorChanged();
    void showLogChanged();
    void copyImportsChanged();
    void toolsChanged();
    void dependenciesChanged();
    void accountChanged();
    void showUploadReviewChanged();
    void showMetadataDraftChanged();
    void showAutomationChanged();
    void workflowLibraryChanged();
    void showWorkflowRenameChanged();
    void workflowRenameDraftChanged();
    void showCacheClearConfirmationChanged();
    void showLowSpaceWarningChanged();
    void lowSpaceWarningMessageChanged();
    void showResumePromptChanged();
    void automationChannelIDChanged();
    void automationChannelNameChanged();
    void metadataDraftChanged();
    void reviewTokenChanged();
    void reviewedPublishChanged();
    void reviewedExportChanged();
    void reviewedChannelIDChanged();

protected:
    // Starts a job unless one is busy: a fresh runner, transport and cancellation, the stored
    // Resume and Start Again actions (none clears them), the job queued with `title` as its stage,
    // and `operation` run on a later event-loop turn. Returns at once. (Protected only so that
    // the job engine's tests can start jobs of their own.)
    void start(const QString &title, std::function<void()> retry, std::function<void()> restart,
               bool tracksOverallProgress, const QStringList &steps, JobBody operation);

private:
    friend class Job;

    template <typename T, typename Value>
    void assign(T &member, Value &&value, void (StudioModel::*changed)())
    {
        Q_EMIT willChange();
        member = std::forward<Value>(value);
        Q_EMIT(this->*changed)();
    }
    template <typename T, typename Edit>
    void change(T &member, void (StudioModel::*changed)(), Edit &&edit)
    {
        Q_EMIT willChange();
        std::forward<Edit>(edit)(member);
        Q_EMIT(this->*changed)();
    }
    template <typename Edit>
    void editJob(Edit &&edit)
    {
        change(m_job, &StudioModel::jobChanged, std::forward<Edit>(edit));
    }
    template <typename Edit>
    void editSoftwareSettings(Edit &&edit)
    {
        change(m_softwareSettings, &StudioModel::softwareSettingsChanged, std::forward<Edit>(edit));
    }
    template <typename Edit>
    void editWorkflowLibrary(Edit &&edit)
    {
        change(m_workflowLibrary, &StudioModel::workflowLibraryChanged, std::forward<Edit>(edit));
    }

    // Projects
    void refreshRecentProjects();
    void rememberRecentProject(const QString &folder);
    std::optional<QUuid> preferredAssetID(const StudioProject &project) const;
    void configureTemporaryDirectory(const QString &folder);
    void storeUserDefault(const QString &key, const QVariant &value);

    // Workflows and settings
    void restoreWorkflow();
    // Selects the workflow, applies it to the project, writes the library and saves.
    void applyWorkflow(const WorkflowPreset &workflow);
    void persistWorkflows();
    void persistSoftwareSettings();
    // Runs `write`; a file that was unreadable at start-up is moved aside first. A failure sets
    // `error` to `failure` followed by its description.
    void writeDocument(std::optional<QString> &unreadable, const QString &failure, const std::function<void()> &write);

    // Jobs
    QCoro::Task<> runJob(std::shared_ptr<JobShared> shared, JobBody operation);
    void finishJob(const JobShared &shared, std::exception_ptr failure);
    std::optional<QString> diskFullMessage(const ProcessFailure &failure);
    // Resumes the automated run waiting for the low-disk-space answer; false when none waits.
    bool answerWaitingAutomation(bool proceed);
    void restoreResumeActions();
    // Posts of a job's progress, dropped unless `serial` is the running job's.
    void postedStage(quint64 serial, const QString &stage, std::optional<double> fraction);
    void postedLog(quint64 serial, const QString &line);
    void postedOverall(quint64 serial, double fraction);

    // Preview
    // No preview at all (the selection has no file to show).
    void clearPreview();
    // Cancels a proxy being made, deletes the proxy in use and pauses the player.
    void endPreview();
    void installPreviewPlayer(const QUrl &url);
    // Whether a player of `played` takes the selected clip's live grade: the clip's own file, or
    // the converted copy the preview plays in its place.
    bool gradesLive(const QUrl &played) const;
    void applyLiveGrade(PreviewPlayer &player);
    // Makes `player` the published one; the one before goes away.
    void replacePlayer(PreviewPlayer *player);
    // Probes the movie and, for a Matroska file or a picture that needs converting, makes the
    // playback proxy and plays it.
    QCoro::Task<> preparePlayback(std::shared_ptr<CancellationToken> token, QString source, bool matroska);

    // Clip edits
    // Edits the selected clip in place; false when there is none.
    bool editSelectedClip(const std::function<void(MediaAsset &clip)> &edit);

    // Media import, thumbnails and relink. `pending` is what a Resume of the import imports.
    QCoro::Task<> importJob(Job job, QStringList paths, QString root, bool copy, std::shared_ptr<QStringList> pending);
    QCoro::Task<> thumbnailJob(Job job, QList<MediaAsset> assets, bool middle);
    QCoro::Task<> relinkJob(Job job, QString path, QString root, QUuid id, ClipRole role);
    // Sets the stage of a job whose body is running here, on the main thread, at once.
    void showStage(const Job &job, const QString &text);

    // Film road. `clearRenderCache` is clearCache's work: false, with `error` set, when the
    // cache could not be removed.
    bool reuseCompletedRender(bool preview);
    bool clearRenderCache();
    // Resume and Start Again of a film-road run; Start Again runs nothing when the cache stayed.
    void resumeFilmRoad(bool preview, bool prepareOnly);
    void restartFilmRoad(bool preview, bool prepareOnly);
    // The estimate of the space a render needs on its disk; none when none can be made.
    std::optional<DiskSpaceCheck> renderSpaceCheck(const StudioProject &project, const QString &root, bool preview);
    QCoro::Task<> filmRoadJob(Job job, StudioProject project, QString root, bool preview, bool prepareOnly,
                              bool resumeFromRender);
    void storePreparedClip(const MediaAsset &clip);

    // Automated run
    QCoro::Task<> automationJob(Job job, AutomationOptions options, PublishSettings publish, StudioProject project,
                                QString root, QString channelID);
    // Makes the run's working copy the open project and writes it; a failed write fails the run.
    void adoptWorkingCopy(const StudioProject &project, const QString &root);
    // True to go on: enough space, or the user's answer to the low-disk-space question.
    QCoro::Task<bool> confirmSpaceForAutomation(Job job, StudioProject project, QString root);
    QCoro::Task<> automationUpload(Job job, ExportRecord record, PublishSettings publish, QString channelID);
    QCoro::Task<> channelCheckJob(Job job);
    QCoro::Task<> dependencyCheck(std::shared_ptr<MediaEngine> media, quint64 serial);

    // Publishing: the services on the job's transport, and the jobs' bodies.
    YouTubeService youtube(const Job &job) const;
    QCoro::Task<> connectJob(Job job);
    QCoro::Task<> reviewJob(Job job, ExportRecord record, PublishSettings settings);
    // Progress shows as the fraction of `stage`.
    QCoro::Task<> uploadJob(Job job, ExportRecord record, PublishSettings settings, QString token, QString channelID,
                            QString stage);
    QCoro::Task<> publishedVideoJob(Job job, ExportRecord record, QString thumbnailPath, bool thumbnail);
    QCoro::Task<> metadataDraftJob(Job job, QString title);

    // --- Published state, in declaration order -----------------------------------------------

    StudioProject m_project;
    SoftwareSettings m_softwareSettings;
    std::optional<QString> m_root;
    QList<RecentProject> m_recentProjects;
    Workspace m_workspace = Workspace::media;
    std::optional<QUuid> m_selection;
    std::optional<QUuid> m_exportSelection;
    PreviewPlayer *m_player = nullptr;
    std::optional<QUrl> m_previewURL;
    bool m_previewLoading = false;
    JobProgress m_job;
    QString m_saveStatus;
    std::optional<QString> m_error;
    bool m_showInspector = true;
    bool m_showLog = false;
    bool m_copyImports = false;
    ToolPaths m_tools;
    QStringList m_dependencies;
    QString m_account = QStringLiteral("Not connected");
    bool m_showUploadReview = false;
    bool m_showMetadataDraft = false;
    bool m_showAutomation = false;
    WorkflowLibrary m_workflowLibrary;
    bool m_showWorkflowRename = false;
    QString m_workflowRenameDraft;
    bool m_showCacheClearConfirmation = false;
    bool m_showLowSpaceWarning = false;
    QString m_lowSpaceWarningMessage;
    bool m_showResumePrompt = false;
    QString m_automationChannelID;
    QString m_automationChannelName;
    PublishSettings m_metadataDraft;
    std::optional<QString> m_reviewToken;
    std::optional<PublishSettings> m_reviewedPublish;
    std::optional<ExportRecord> m_reviewedExport;
    QString m_reviewedChannelID;

    // --- Private state -----------------------------------------------------------------------

    std::shared_ptr<ProcessRunner> m_runner; // the running job's runner
    std::shared_ptr<JobShared> m_task; // the running job
    std::shared_ptr<CancellationToken> m_previewTask; // the playback proxy being made
    std::optional<QString> m_previewProxy; // the current temporary playback proxy
    bool m_previewProxyGraded = false; // it is a converted copy of the previewed file
    QPointer<LoopbackLogin> m_login; // a browser sign-in in progress
    std::function<void()> m_retryAction;
    std::function<void()> m_restartAction;
    std::function<void()> m_lowSpaceContinuation;
    // Resumes the automated run that waits for the low-disk-space answer: called once, it
    // resumes the run on a later event-loop turn, never inside the answering call.
    std::function<void(bool proceed)> m_automationSpaceContinuation;
    // The latest dependency check; an earlier one that ends later is dropped.
    quint64 m_dependencyCheck = 0;
    int m_lockFD = -1;
    const QString m_recentProjectsKey = QStringLiteral("RecentProjects");
    const QString m_lastProjectKey = QStringLiteral("LastProjectPath");
    QString m_softwareSettingsDirectory;
    bool m_hasSoftwareSettings = false;

    // --- The session's own machinery ---------------------------------------------------------

    StudioEnvironment m_environment;
    // Files that existed at start-up but could not be read; moved aside before the first write
    // over them, so that the user's data is never lost to a default.
    std::optional<QString> m_unreadableSoftwareSettings;
    std::optional<QString> m_unreadableWorkflows;
    quint64 m_jobSerial = 0;
    std::shared_ptr<SessionLink> m_link;
    // Long engine calls of jobs, kept off the global pool.
    QThreadPool m_pool;
};

} // namespace kinoloom
