#include "session/StudioModel.h"

namespace kinoloom {

void StudioModel::setPreview(const QUrl &url, bool image)
{
    Q_UNUSED(image)
    setPreviewURL(url);
}

void StudioModel::clearPreview()
{
    setPlayer(nullptr);
    setPreviewURL(std::nullopt);
}

} // namespace kinoloom
