#pragma once

#include "engine/media/MediaService.h"
#include "session/MediaEngine.h"

namespace kinoloom {

// The engine's media service itself.
class LiveMediaEngine final : public MediaEngine
{
public:
    LiveMediaEngine(const ToolPaths &tools, std::shared_ptr<ProcessRunner> runner);

    ProbeResult probe(const QString &path) const override;
    MediaAsset importAsset(const QString &source, const QString &root, bool copy,
                           bool middleFrameThumbnail) const override;
    QString importIdentity(const QString &path) const override;
    void generateThumbnail(const QString &source, const QString &destination, double duration, bool image,
                           bool middle) const override;
    QStringList dependencies() const override;
    ProbeResult validateMovie(const QString &path, int width, int height, bool lossless) const override;

    static MediaEngineFactory factory();

private:
    MediaService m_service;
};

} // namespace kinoloom
