#include "session/StudioModel.h"

#include "engine/process/ProcessRunner.h"
#include "model/Fingerprint.h"
#include "model/RenderResumeState.h"
#include "session/FailureDescription.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace kinoloom {

namespace {

const QString previewKind = QStringLiteral("Preview");
const QString shortKind = QStringLiteral("Short");

// The render key of the project, or none when a file it names cannot be read: such a render is
// neither reused nor marked for reuse, and the run goes on.
std::optional<QString> renderFingerprint(const StudioProject &project, bool preview)
{
    try {
        return Fingerprint::render(project, preview);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

bool isFilm(const ExportRecord &record)
{
    return record.kind != previewKind && record.kind != shortKind;
}

} // namespace

void StudioModel::process(bool preview, bool prepareOnly, bool skipSpaceCheck, bool resumeFromRender)
{
    if (!m_root || busy())
        return;
    const QString root = *m_root;
    if (!prepareOnly) {
        if (!preview && !missingExportRequirements().isEmpty()) {
            setError(QStringLiteral("Set a title, subtitle, and final output path before exporting the film."));
            return;
        }
        if (!resumeFromRender && reuseCompletedRender(preview))
            return;
        if (!skipSpaceCheck) {
            const std::optional<DiskSpaceCheck> check = renderSpaceCheck(m_project, root, preview);
            if (check && check->isInsufficient()) {
                setLowSpaceWarningMessage(check->message());
                appendLog(QStringLiteral("Low disk space: ") + check->message());
                const QPointer<StudioModel> self(this);
                m_lowSpaceContinuation = [self, preview, resumeFromRender] {
                    if (self)
                        self->process(preview, false, true, resumeFromRender);
                };
                setShowLowSpaceWarning(true);
                return;
            }
        }
    }

    // In the project file before anything runs, so that a run cut short by a failure, a cancel
    // or the end of the process is offered again.
    editProject([preview, prepareOnly, resumeFromRender](StudioProject &project) {
        project.resumeState = RenderResumeState{preview, prepareOnly, resumeFromRender};
    });
    save();

    const QStringList steps = JobProgress::exportSteps(preview, prepareOnly, m_project.settings.makeShort);
    const QString title = resumeFromRender ? QStringLiteral("Rendering export")
        : prepareOnly                      ? QStringLiteral("Preparing clips")
                                           : QStringLiteral("Preparing export");
    const QPointer<StudioModel> self(this);
    auto resume = [self, preview, prepareOnly] {
        if (self)
            self->resumeFilmRoad(preview, prepareOnly);
    };
    auto restart = [self, preview, prepareOnly] {
        if (self)
            self->restartFilmRoad(preview, prepareOnly);
    };
    start(title, std::move(resume), std::move(restart), true, steps,
          [this, project = m_project, root, preview, prepareOnly, resumeFromRender](Job job) {
              return filmRoadJob(std::move(job), project, root, preview, prepareOnly, resumeFromRender);
          });
}

QCoro::Task<> StudioModel::filmRoadJob(Job job, StudioProject project, QString root, bool preview, bool prepareOnly,
                                       bool resumeFromRender)
{
    // Each clip is in the project file as soon as it is prepared, so a run cut short later
    // keeps it.
    const std::shared_ptr<RenderPipeline> preparation = job.pipeline({0, prepareOnly ? 1.0 : 0.05});
    auto completed = [job](const MediaAsset &clip) {
        job.writeBack([clip](StudioModel &session) { session.storePreparedClip(clip); });
    };
    auto prepare = [preparation, project, root, completed] { return preparation->prepare(project, root, completed); };
    const StudioProject prepared = co_await job.engine(std::move(prepare));
    editProject([&prepared](StudioProject &open) { open.assets = prepared.assets; });
    save();
    editJob([](JobProgress &progress) { progress.completedSteps = 1; });

    // From here a Resume goes straight to the render.
    editProject([preview, prepareOnly](StudioProject &open) {
        open.resumeState = RenderResumeState{preview, prepareOnly, true};
    });
    save();
    if (prepareOnly) {
        editProject([](StudioProject &open) { open.resumeState.reset(); });
        save();
        co_return;
    }

    const bool withShort = !preview && prepared.settings.makeShort;
    const double filmEnd = withShort ? 0.72 : 1.0;
    auto fingerprintWork = [prepared, preview] { return renderFingerprint(prepared, preview); };
    const std::optional<QString> fingerprint = co_await job.engine(std::move(fingerprintWork));

    const std::shared_ptr<RenderPipeline> filmPipeline = job.pipeline({0.05, filmEnd}, resumeFromRender);
    auto renderFilm = [filmPipeline, prepared, root, preview] {
        return filmPipeline->render(prepared, root, false, preview);
    };
    ExportRecord film = co_await job.engine(std::move(renderFilm));
    film.renderFingerprint = fingerprint;
    editProject([&film](StudioProject &open) { open.exports.append(film); });
    setExportSelection(film.id);
    setPreview(QUrl::fromLocalFile(film.path), false);
    save();
    editJob([](JobProgress &progress) { progress.completedSteps = 2; });

    if (withShort) {
        job.checkCancellation();
        const std::shared_ptr<RenderPipeline> shortPipeline = job.pipeline({filmEnd, 1.0}, resumeFromRender);
        auto renderShort = [shortPipeline, prepared, root] {
            return shortPipeline->render(prepared, root, true, false);
        };
        ExportRecord vertical = co_await job.engine(std::move(renderShort));
        vertical.renderFingerprint = fingerprint;
        editProject([&vertical](StudioProject &open) { open.exports.append(vertical); });
        save();
        editJob([](JobProgress &progress) { progress.completedSteps = 3; });
    }

    editProject([](StudioProject &open) { open.resumeState.reset(); });
    save();
}

void StudioModel::storePreparedClip(const MediaAsset &clip)
{
    const qsizetype index = m_project.assetIndex(clip.id);
    if (index < 0)
        return;
    editProject([index, &clip](StudioProject &project) { project.assets[index] = clip; });
    save();
}

bool StudioModel::reuseCompletedRender(bool preview)
{
    const std::optional<QString> fingerprint = renderFingerprint(m_project, preview);
    if (!fingerprint)
        return false;
    QList<ExportRecord> candidates;
    for (const ExportRecord &record : std::as_const(m_project.exports)) {
        if (record.renderFingerprint == fingerprint && QFileInfo::exists(record.path))
            candidates.append(record);
    }
    const auto found = std::find_if(candidates.cbegin(), candidates.cend(), [preview](const ExportRecord &record) {
        return preview ? record.kind == previewKind : isFilm(record);
    });
    if (found == candidates.cend())
        return false;
    // A film made with its Short is whole only with that Short.
    const bool needsShort = !preview && m_project.settings.makeShort;
    if (needsShort && std::none_of(candidates.cbegin(), candidates.cend(), [](const ExportRecord &record) {
            return record.kind == shortKind;
        }))
        return false;

    const ExportRecord main = *found;
    setExportSelection(main.id);
    setPreview(QUrl::fromLocalFile(main.path), false);
    JobProgress job;
    job.phase = JobPhase::completed;
    job.stage = QStringLiteral("Reused completed render");
    job.started = m_environment.now();
    job.steps = JobProgress::exportSteps(preview, false, m_project.settings.makeShort);
    job.completedSteps = int(job.steps.size());
    job.overallFraction = 1.0;
    setJob(std::move(job));
    appendLog(QStringLiteral("Reused completed render. No source clips or render settings changed."));
    return true;
}

void StudioModel::clearCache()
{
    clearRenderCache();
}

bool StudioModel::clearRenderCache()
{
    if (busy() || !m_root)
        return false;
    const QString root = *m_root;
    try {
        PipelineSetup setup;
        setup.tools = m_tools;
        setup.runner = m_environment.makeRunner();
        m_environment.makePipeline(std::move(setup))->clearCache(root);
    } catch (...) {
        setError(describeFailure(std::current_exception()));
        return false;
    }
    // Only what lay in the removed folder; a prepared file elsewhere is still there.
    const QString prefix = QDir::cleanPath(QDir(root).absoluteFilePath(QStringLiteral("Cache/Render")))
        + QLatin1Char('/');
    editProject([&prefix](StudioProject &project) {
        for (MediaAsset &asset : project.assets) {
            if (!asset.preparedPath || !QDir::cleanPath(*asset.preparedPath).startsWith(prefix))
                continue;
            asset.preparedPath.reset();
            asset.preparationKey.reset();
            asset.preparation = QStringLiteral("Original");
        }
    });
    save();
    return true;
}

void StudioModel::resumeFilmRoad(bool preview, bool prepareOnly)
{
    const bool prepared = m_project.resumeState && m_project.resumeState->resumeFromRender;
    process(preview, prepareOnly, false, prepared);
}

void StudioModel::restartFilmRoad(bool preview, bool prepareOnly)
{
    // A run after a failed removal would quietly reuse the very cache it was asked to drop.
    if (!clearRenderCache())
        return;
    process(preview, prepareOnly, false, false);
}

std::optional<DiskSpaceCheck> StudioModel::renderSpaceCheck(const StudioProject &project, const QString &root,
                                                            bool preview)
{
    PipelineSetup setup;
    setup.tools = m_tools;
    setup.runner = m_environment.makeRunner();
    try {
        return m_environment.makePipeline(std::move(setup))->diskSpaceCheck(project, root, preview);
    } catch (const std::exception &) {
        // No estimate: the render finds out for itself.
        return std::nullopt;
    }
}

} // namespace kinoloom
