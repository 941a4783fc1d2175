#include "session/LiveMediaEngine.h"

namespace kinoloom {

LiveMediaEngine::LiveMediaEngine(const ToolPaths &tools, std::shared_ptr<ProcessRunner> runner)
    : m_service{tools, std::move(runner)}
{
}

ProbeResult LiveMediaEngine::probe(const QString &path) const
{
    return m_service.probe(path);
}

MediaAsset LiveMediaEngine::importAsset(const QString &source, const QString &root, bool copy,
                                        bool middleFrameThumbnail) const
{
    return m_service.importAsset(source, root, copy, middleFrameThumbnail);
}

QString LiveMediaEngine::importIdentity(const QString &path) const
{
    return MediaService::importIdentity(path);
}

void LiveMediaEngine::generateThumbnail(const QString &source, const QString &destination, double duration, bool image,
                                        bool middle) const
{
    m_service.generateThumbnail(source, destination, duration, image, middle);
}

QStringList LiveMediaEngine::dependencies() const
{
    return m_service.dependencies();
}

ProbeResult LiveMediaEngine::validateMovie(const QString &path, int width, int height, bool lossless) const
{
    return m_service.validateMovie(path, width, height, lossless);
}

MediaEngineFactory LiveMediaEngine::factory()
{
    return [](const ToolPaths &tools, std::shared_ptr<ProcessRunner> runner) {
        return std::make_unique<LiveMediaEngine>(tools, std::move(runner));
    };
}

} // namespace kinoloom
