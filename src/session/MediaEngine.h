#pragma once

#include "engine/media/ProbeResult.h"
#include "model/MediaAsset.h"
#include "model/ToolPaths.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace kinoloom {

class ProcessRunner;

// The session's view of the engine's media service (probing, import, thumbnails, the
// dependency report), behind an interface so that a test can put a fake in its place. Made per
// job with the job's runner; every member blocks and throws like the engine.
class MediaEngine
{
public:
    virtual ~MediaEngine() = default;

    virtual ProbeResult probe(const QString &path) const = 0;
    virtual MediaAsset importAsset(const QString &source, const QString &root, bool copy,
                                   bool middleFrameThumbnail) const = 0;
    virtual QString importIdentity(const QString &path) const = 0;
    virtual void generateThumbnail(const QString &source, const QString &destination, double duration, bool image,
                                   bool middle) const = 0;
    virtual QStringList dependencies() const = 0;
    virtual ProbeResult validateMovie(const QString &path, int width, int height, bool lossless) const = 0;
};

using MediaEngineFactory =
    std::function<std::unique_ptr<MediaEngine>(const ToolPaths &tools, std::shared_ptr<ProcessRunner> runner)>;

} // namespace kinoloom
