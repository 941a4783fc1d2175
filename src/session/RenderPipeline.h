#pragma once

#include "engine/disk/DiskSpaceCheck.h"
#include "model/ExportRecord.h"
#include "model/StudioProject.h"
#include "model/ToolPaths.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace kinoloom {

class ProcessRunner;

// What a job's pipeline is made of: the tool paths, the job's runner, the resume switch and the
// three progress callbacks, which may be called on any thread.
struct PipelineSetup
{
    ToolPaths tools;
    std::shared_ptr<ProcessRunner> runner;
    bool reuseInterruptedJobCache = false;
    std::function<void(const QString &stage, std::optional<double> fraction)> update;
    std::function<void(const QString &line)> log;
    std::function<void(double fraction)> overallUpdate;
};

// The session's view of the render engine: the members of the engine's pipeline that the
// session calls, behind an interface so that a test can put a recording fake in its place.
// Like the engine, every member blocks until done and throws; jobs call them off the main
// thread through their Job.
class RenderPipeline
{
public:
    virtual ~RenderPipeline() = default;

    // Prepares the clips that need it; `completed` receives each finished clip, on any thread.
    virtual StudioProject prepare(const StudioProject &project, const QString &root,
                                  const std::function<void(const MediaAsset &)> &completed) const = 0;
    // The film, the vertical Short or the preview of a prepared project.
    virtual ExportRecord render(const StudioProject &project, const QString &root, bool isShort,
                                bool preview) const = 0;
    // Whether the disk that receives the render has room for it; none when no estimate can be made.
    virtual std::optional<DiskSpaceCheck> diskSpaceCheck(const StudioProject &project, const QString &root,
                                                         bool preview) const = 0;
    // Removes the project's "Cache/Render".
    virtual void clearCache(const QString &root) const = 0;
};

using PipelineFactory = std::function<std::unique_ptr<RenderPipeline>(PipelineSetup setup)>;

} // namespace kinoloom
