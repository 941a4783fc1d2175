#pragma once

#include "session/RenderPipeline.h"

namespace kinoloom {

// The render engine itself: forwards every call to a Pipeline made from the setup.
class LivePipeline final : public RenderPipeline
{
public:
    explicit LivePipeline(PipelineSetup setup);
    ~LivePipeline() override;

    StudioProject prepare(const StudioProject &project, const QString &root,
                          const std::function<void(const MediaAsset &)> &completed) const override;
    ExportRecord render(const StudioProject &project, const QString &root, bool isShort, bool preview) const override;
    std::optional<DiskSpaceCheck> diskSpaceCheck(const StudioProject &project, const QString &root,
                                                 bool preview) const override;
    void clearCache(const QString &root) const override;

    static PipelineFactory factory();

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
};

} // namespace kinoloom
