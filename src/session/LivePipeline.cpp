#include "session/LivePipeline.h"

#include "engine/disk/DiskSpaceCheck.h"
#include "engine/pipeline/Pipeline.h"

namespace kinoloom {

struct LivePipeline::Engine
{
    Pipeline pipeline;
};

LivePipeline::LivePipeline(PipelineSetup setup)
    : m_engine(std::make_unique<Engine>())
{
    Pipeline &pipeline = m_engine->pipeline;
    pipeline.tools = std::move(setup.tools);
    pipeline.runner = std::move(setup.runner);
    pipeline.reuseInterruptedJobCache = setup.reuseInterruptedJobCache;
    // The pipeline's own defaults do nothing; an empty callback must not replace them.
    if (setup.update)
        pipeline.update = std::move(setup.update);
    if (setup.log)
        pipeline.log = std::move(setup.log);
    if (setup.overallUpdate)
        pipeline.overallUpdate = std::move(setup.overallUpdate);
}

LivePipeline::~LivePipeline() = default;

StudioProject LivePipeline::prepare(const StudioProject &project, const QString &root,
                                    const std::function<void(const MediaAsset &)> &completed) const
{
    return m_engine->pipeline.prepare(project, root, completed);
}

ExportRecord LivePipeline::render(const StudioProject &project, const QString &root, bool isShort, bool preview) const
{
    return m_engine->pipeline.render(project, root, isShort, preview);
}

std::optional<DiskSpaceCheck> LivePipeline::diskSpaceCheck(const StudioProject &project, const QString &root,
                                                           bool preview) const
{
    return Pipeline::diskSpaceCheck(project, root, preview);
}

void LivePipeline::clearCache(const QString &root) const
{
    Pipeline::clearCache(root);
}

PipelineFactory LivePipeline::factory()
{
    return [](PipelineSetup setup) { return std::make_unique<LivePipeline>(std::move(setup)); };
}

} // namespace kinoloom
