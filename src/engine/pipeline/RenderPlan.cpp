#include "engine/pipeline/RenderSteps.h"

#include "engine/pipeline/Pipeline.h"
#include "model/FileOperations.h"
#include "model/StudioError.h"
#include "model/StudioProject.h"

#include <QDir>
#include <QFileInfo>

namespace kinoloom {

namespace {

// A failed or cancelled export never leaves a partial movie at the final path, and never
// replaces what stands there.
std::optional<QString> finalOutputPath(const ProcessingSettings &settings, RenderOutput output)
{
    if (output != RenderOutput::film || !settings.finalOutputPath || settings.finalOutputPath->isEmpty())
        return std::nullopt;
    const QString path = QDir::cleanPath(QFileInfo(*settings.finalOutputPath).absoluteFilePath());
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        throw StudioError(QStringLiteral("Final output already exists. Choose a different path."));
    createFolder(QFileInfo(path).absolutePath());
    return path;
}

} // namespace

QString RenderPlan::outputName() const
{
    switch (output) {
    case RenderOutput::preview: return QStringLiteral("preview");
    case RenderOutput::vertical: return QStringLiteral("short");
    case RenderOutput::film: break;
    }
    return QStringLiteral("film");
}

RenderPlan RenderPlan::make(const StudioProject &project, const QString &root, RenderOutput output,
                            std::optional<QSize> testSize)
{
    RenderPlan plan;
    plan.output = output;
    plan.root = root;
    plan.settings = project.settings;
    const ProcessingSettings &settings = plan.settings;
    const int fps = settings.fps;

    for (const MediaAsset &asset : project.assets) {
        if (asset.role == ClipRole::hook)
            plan.hooks.append(asset);
    }
    plan.clips = plan.isShort() ? plan.hooks : project.sequence();
    if (plan.clips.isEmpty()) {
        throw StudioError(plan.isShort() ? QStringLiteral("Assign at least one hook to create a Short.")
                                         : QStringLiteral("Add at least one main or intro clip to the sequence."));
    }
    plan.finalPath = finalOutputPath(settings, output);

    if (output == RenderOutput::preview)
        plan.clips = {plan.clips.first()};
    else if (output == RenderOutput::film && settings.includeHooks)
        plan.openingHooks = plan.hooks;

    if (testSize) {
        plan.frame = plan.working = *testSize;
    } else if (output == RenderOutput::vertical) {
        plan.frame = plan.working = QSize(1080, 1920);
    } else {
        const QList<MediaAsset> all = plan.clips + plan.openingHooks;
        plan.frame = Pipeline::exportSize(settings.selectedExportResolution(), all, settings);
        plan.working = output == RenderOutput::film
            ? Pipeline::workingSize(all, settings, plan.frame.width(), plan.frame.height())
            : plan.frame;
    }

    const double shortLength = AssemblyTimeline::shortHookLength(plan.hooks, settings);
    plan.clipLengths = AssemblyTimeline::clipLengths(plan.clips, settings, output, shortLength);
    plan.hookLengths = AssemblyTimeline::openingHookLengths(plan.openingHooks, fps);
    plan.timeline = AssemblyTimeline::make(plan.clipLengths, plan.hookLengths, fps,
                                           output == RenderOutput::film && plan.clips.last().role == ClipRole::outro);
    return plan;
}

} // namespace kinoloom
